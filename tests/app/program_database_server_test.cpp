// The login's preparation of a program database kept on the PostgreSQL and MariaDB
// servers.
#include "../dbsetup/server_program_database.h"
#include "app/program_database.h"
#include "sqldata/sql_data.h"

#include <gtest/gtest.h>

namespace {

using PreparationOnServer = veldrix::test::ProgramDatabaseOnServer;

// A database an older program left behind (without the logo columns its screens
// now write) must be updated before anyone logs in, as on the other engines.
TEST_P(PreparationOnServer, ADatabaseOfAnOlderSchemaAsksForTheUpdate) {
  DbConnectionInfo info;
  const wxString connection = CreateProgramDatabase(&info);
  PreparedProgramDatabase prepared;
  wxString error;
  ASSERT_TRUE(PrepareProgramDatabaseFor(connection, info, &prepared, &error)) << error;
  EXPECT_FALSE(prepared.upgradeRequired);

  {
    SQLData db(connection);
    ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
    ASSERT_GE(db.DeleteData("alter table firma drop column logo_base64"), 0) << db.lastError;
    ASSERT_GE(db.DeleteData("update baza set wersja=0.9"), 0) << db.lastError;
  }
  PreparedProgramDatabase older;
  ASSERT_TRUE(PrepareProgramDatabaseFor(connection, info, &older, &error)) << error;
  EXPECT_TRUE(older.upgradeRequired);
}

INSTANTIATE_TEST_SUITE_P(Servers, PreparationOnServer, ::testing::ValuesIn(veldrix::test::BothTestServers()),
                         veldrix::test::TestServerName);

}  // namespace
