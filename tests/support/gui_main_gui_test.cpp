// A failed check of the GUI library inside a GUI test fails that test at once, with
// the check's text and place, instead of opening the library's modal window.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <wx/image.h>

#include <functional>
#include <string>
#include <thread>

namespace {

// Runs `body`, which reads the height of an invalid image, and checks the one
// failure it reports, on any thread, instead of failing this test.
void ExpectTheImageCheck(const std::function<void()>& body) {
  ::testing::TestPartResultArray failures;
  {
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, &failures);
    body();
  }
  ASSERT_EQ(failures.size(), 1);
  const ::testing::TestPartResult& failure = failures.GetTestPartResult(0);
  EXPECT_TRUE(failure.nonfatally_failed());
  EXPECT_NE(std::string(failure.message()).find("IsOk()"), std::string::npos) << failure.message();
  EXPECT_NE(std::string(failure.message()).find("GetHeight"), std::string::npos) << failure.message();
  ASSERT_NE(failure.file_name(), nullptr);
  EXPECT_NE(std::string(failure.file_name()).find("image.cpp"), std::string::npos) << failure.file_name();
  EXPECT_GT(failure.line_number(), 0);
}

TEST(LibraryAssertion, FailsTheRunningTestWithTheCheckAndItsPlace) {
  int height = -1;
  ExpectTheImageCheck([&] { height = wxImage().GetHeight(); });
  // The library goes on as its check says: an invalid image has no height.
  EXPECT_EQ(height, 0);
}

TEST(LibraryAssertion, FailsTheTestAlsoFromAnotherThread) {
  ExpectTheImageCheck([] { std::thread([] { (void)wxImage().GetHeight(); }).join(); });
}

}  // namespace
