// Entry point of the unit and server test executables: wxWidgets base only.
#include "app/common/worker_registry.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/init.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  veldrix::test::FailTestsOnLibraryChecks();
  wxInitializer initializer(argc, argv);
  if (!initializer.IsOk()) return 2;
  // A test without folders of its own still never writes the user's logs or settings.
  const veldrix::test::TempDir folders;
  const veldrix::test::ScopedEnv config("XDG_CONFIG_HOME", folders.file("config"));
  const veldrix::test::ScopedEnv data("XDG_DATA_HOME", folders.file("data"));
  const int rc = RUN_ALL_TESTS();
  // Worker threads leave the library before ~wxInitializer tears it down.
  veldrix::Workers().WaitUntilIdle(60000);
  return rc;
}
