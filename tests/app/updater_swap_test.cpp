#include "app/updater_swap.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/filename.h>

using veldrix::test::ReadFileBytes;
using veldrix::test::TempDir;
using veldrix::test::WriteFileBytes;

TEST(UpdaterSwap, NewCopyReplacesTheUpdater) {
  TempDir program;
  WriteFileBytes(program.file("aktualizacja"), "stary");
  WriteFileBytes(program.file("_aktualizacja"), "nowy");
  EXPECT_TRUE(SwapUpdater(program.path()));
  EXPECT_FALSE(wxFileName::FileExists(program.file("_aktualizacja")));
  EXPECT_EQ(ReadFileBytes(program.file("aktualizacja")), "nowy");
}

TEST(UpdaterSwap, NewCopyAloneBecomesTheUpdater) {
  TempDir program;
  WriteFileBytes(program.file("_aktualizacja"), "nowy");
  EXPECT_TRUE(SwapUpdater(program.path()));
  EXPECT_EQ(ReadFileBytes(program.file("aktualizacja")), "nowy");
}

TEST(UpdaterSwap, NothingToSwapLeavesTheUpdater) {
  TempDir program;
  WriteFileBytes(program.file("aktualizacja"), "stary");
  EXPECT_FALSE(SwapUpdater(program.path()));
  EXPECT_EQ(ReadFileBytes(program.file("aktualizacja")), "stary");
}
