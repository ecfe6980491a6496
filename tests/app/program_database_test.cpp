#include "app/program_database.h"

#include "app/common/paths.h"
#include "db/connection_info.h"
#include "sqldata/sql_data.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/log.h>

using veldrix::test::IsolatedFolders;
using veldrix::test::WriteFileBytes;

// A step of three decimals that the database has already taken must not be asked
// for again: start-up compares the stored version with every digit.
TEST(ProgramDatabase, ComparesTheStoredVersionWithEveryDecimal) {
  IsolatedFolders folders;
  wxLogNull quiet;
  WriteFileBytes(veldrix::JoinPath(folders.programFolder(), "baza_aktualizacja.json"),
                 R"({"updates":[{"version":"1.004","sql":[]}]})");
  const wxString file = veldrix::JoinPath(folders.root(), "program.db");
  {
    SQLData db(file);
    ASSERT_TRUE(db.IniciujBazeDanych());
    ASSERT_EQ(db.DeleteData("CREATE TABLE baza(wersja REAL)"), 0);
    ASSERT_EQ(db.DeleteData("INSERT INTO baza(wersja) VALUES (1.004)"), 1);
  }
  const wxString connection = "Data Source=" + file + ";Version=3;";
  DbConnectionInfo info;
  ASSERT_TRUE(ParseConnectionInfo(connection, &info, nullptr));
  PreparedProgramDatabase prepared;
  wxString error;
  ASSERT_TRUE(PrepareProgramDatabaseFor(connection, info, &prepared, &error)) << error;
  EXPECT_FALSE(prepared.upgradeRequired);

  {
    SQLData db(file);
    ASSERT_TRUE(db.IniciujBazeDanych());
    ASSERT_EQ(db.DeleteData("UPDATE baza SET wersja = 1.0036"), 1);
  }
  ASSERT_TRUE(PrepareProgramDatabaseFor(connection, info, &prepared, &error)) << error;
  EXPECT_TRUE(prepared.upgradeRequired);
}
