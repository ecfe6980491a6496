#include "dbsetup/initial_database.h"

#include "dbsetup/schema_checks.h"
#include "sqldata/sql_data.h"
#include "worker_test_support.h"

#include <gtest/gtest.h>
#include <wx/app.h>

using veldrix::JoinPath;

TEST(PrepareInitialDatabase, BuildsTheDatabaseWhileTheWindowStaysResponsive) {
  veldrix::test::IsolatedFolders folders;
  veldrix::test::ScopedWorkerRegistry workers;
  veldrix::test::CopyShippedScripts(folders.programFolder());
  const wxString file = JoinPath(folders.programFolder(), "veldrix.db");

  bool handledMeanwhile = false;
  wxTheApp->CallAfter([&handledMeanwhile] { handledMeanwhile = true; });
  wxString error;
  ASSERT_TRUE(PrepareInitialDatabase(file, &error)) << error;
  EXPECT_TRUE(handledMeanwhile) << "events are dispatched while the worker runs";
  SQLData db(file);
  ASSERT_TRUE(db.IniciujBazeDanych());
  EXPECT_TRUE(TableExists(&db, "baza"));
  EXPECT_TRUE(TableExists(&db, "veldrix_users"));
}

TEST(PrepareInitialDatabase, ReportsTheWorkersMessage) {
  veldrix::test::IsolatedFolders folders;
  veldrix::test::ScopedWorkerRegistry workers;
  const wxString file = JoinPath(folders.programFolder(), "veldrix.db");
  wxString error;
  EXPECT_FALSE(PrepareInitialDatabase(file, &error));
  EXPECT_EQ(error, wxString::FromUTF8("Nie znaleziono pliku skryptu tworzącego bazę danych (baza.json)."));
  EXPECT_FALSE(wxFileName::FileExists(file));
}
