// The shared configuration file as one copy of the program reads it back after its
// own flush and after taking in what another copy wrote.
#include "app/common/shared_config_file.h"

#include "stopped_child.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace veldrix {
namespace {

TEST(SharedConfigFile, AReloadLeavesEveryEntryWhereAReaderAtAnyPathFindsIt) {
  // No entry in the root, and the group written is the first by name that holds entries.
  const char* const file = "[Security/Login]\nproby=0\n[veldrix]\nid_firmy=3\n";
  const struct {
    const char* group;  // where this copy stands while the file is read again
    bool byOtherCopy;   // the value comes from another copy, not from this one's flush
  } cases[] = {{"/Plugins/artykuly", false}, {"/Plugins/artykuly", true}, {"/Security", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.group) + (c.byOtherCopy ? " by another copy" : ""));
    test::TempDir temp;
    const wxString path = temp.file("veldrix.ini");
    test::WriteFileBytes(path, file);
    SharedConfigFile config(path);
    config.SetPath(c.group);
    if (c.byOtherCopy) {
      SharedConfigFile other(path);
      other.Write(wxString(c.group) + "/token", "abc123");
      ASSERT_TRUE(other.Flush());
      config.Refresh();
    } else {
      config.Write("token", "abc123");
      ASSERT_TRUE(config.Flush());
    }
    EXPECT_EQ(config.GetPath(), c.group);
    EXPECT_EQ(config.Read("token", "domyslny"), "abc123");
    EXPECT_FALSE(config.HasEntry("/token"));
    EXPECT_EQ(config.Read("/Security/Login/proby", "brak"), "0");
  }
}

TEST(SharedConfigFile, AWriteAfterDeletingEverythingLandsInItsGroup) {
  test::TempDir temp;
  const wxString path = temp.file("veldrix.ini");
  test::WriteFileBytes(path, "[Plugins/artykuly]\nEnabled=0\n");
  SharedConfigFile config(path);
  config.SetPath("/Plugins/artykuly");
  ASSERT_TRUE(config.DeleteAll());
  config.Write("/Plugins/artykuly/token", "abc123");
  EXPECT_FALSE(config.HasEntry("/token"));
  ASSERT_TRUE(config.Flush());
  SharedConfigFile next(path);
  EXPECT_EQ(next.Read("/Plugins/artykuly/token", "brak"), "abc123");
  EXPECT_FALSE(next.HasEntry("/Plugins/artykuly/Enabled"));
}

TEST(SharedConfigFile, AFlushWaitingForAnotherCopysWriteSitsOutSignals) {
  test::TempDir temp;
  const wxString path = temp.file("veldrix.ini");
  test::StoppedChild other("file replacement", [&] {
    SharedConfigFile config(path);
    config.Write("/a/inna", "1");
    config.Flush();
  });
  ASSERT_TRUE(other.stopped());
  struct sigaction interrupting {};  // without SA_RESTART a blocked call ends with EINTR
  interrupting.sa_handler = [](int) {};
  struct sigaction saved {};
  ASSERT_EQ(::sigaction(SIGUSR1, &interrupting, &saved), 0);
  std::atomic<bool> released{false};
  std::thread signals([&, flusher = ::pthread_self()] {
    for (int i = 0; i < 20; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      ::pthread_kill(flusher, SIGUSR1);
    }
    released = true;
    other.Kill();
  });
  SharedConfigFile config(path);
  config.Write("/a/ta", "1");
  const bool flushed = config.Flush();
  const bool waited = released;
  signals.join();
  ::sigaction(SIGUSR1, &saved, nullptr);
  EXPECT_TRUE(flushed) << config.FlushError();
  EXPECT_TRUE(waited) << "written while the other copy held the lock";
  EXPECT_TRUE(SharedConfigFile(path).HasEntry("/a/ta"));
}

}  // namespace
}  // namespace veldrix
