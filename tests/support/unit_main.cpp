// Entry point of the unit and server test executables: wxWidgets base only.
#include <gtest/gtest.h>
#include <wx/init.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  wxInitializer initializer(argc, argv);
  if (!initializer.IsOk()) return 2;
  return RUN_ALL_TESTS();
}
