#include "db/runtime_library.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const RuntimeLibrary::Texts kTexts = {"not found", "missing %s"};

}  // namespace

TEST(RuntimeLibrary, TakesTheFirstCandidateThatLoadsAndResolvesByName) {
  RuntimeLibrary library;
  std::size_t (*length)(const char*) = nullptr;
  wxString error;
  ASSERT_TRUE(library.ensureLoaded({"/nonexistent/libc.so.6", "libc.so.6"}, {EntryPoint("strlen", &length)}, kTexts,
                                   &error))
      << error;
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(length("abcd"), 4u);
  EXPECT_TRUE(library.ensureLoaded({}, {}, kTexts, &error));
}

TEST(RuntimeLibrary, AMissingEntryPointUnloadsAndClearsTheSlots) {
  RuntimeLibrary library;
  std::size_t (*length)(const char*) = nullptr;
  void (*missing)() = nullptr;
  wxString error;
  EXPECT_FALSE(library.ensureLoaded(
      {"libc.so.6"}, {EntryPoint("strlen", &length), EntryPoint("veldrix_no_such_entry", &missing)}, kTexts, &error));
  EXPECT_EQ(error, "missing veldrix_no_such_entry");
  EXPECT_EQ(length, nullptr);
}

TEST(RuntimeLibrary, AFailedLoadIsRepeatedWithoutTryingAgain) {
  RuntimeLibrary library;
  std::size_t (*length)(const char*) = nullptr;
  wxString error;
  EXPECT_FALSE(library.ensureLoaded({"/nonexistent/libx.so"}, {EntryPoint("strlen", &length)}, kTexts, &error));
  EXPECT_EQ(error, "not found");
  error.clear();
  // A loadable candidate now would succeed, but the first outcome stands.
  EXPECT_FALSE(library.ensureLoaded({"libc.so.6"}, {EntryPoint("strlen", &length)}, kTexts, &error));
  EXPECT_EQ(error, "not found");
  EXPECT_EQ(length, nullptr);
}
