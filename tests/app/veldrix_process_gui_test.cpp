// The built program started as a child process, with a temporary HOME.
#include "app/common/paths.h"
#include "app/connection_settings.h"
#include "app/common/config_access.h"
#include "app/program_config.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/filename.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

extern char** environ;

using veldrix::test::ReadFileBytes;
using veldrix::test::TempDir;

namespace {

// One run of build/bin/veldrix with HOME in a temporary folder and the XDG variables
// unset, its standard output and error captured in a file. `prepare` may fill HOME first.
class ProgramRun {
 public:
  explicit ProgramRun(const std::vector<std::string>& args,
                      const std::function<void(const wxString& home)>& prepare = nullptr) {
    if (prepare) prepare(home_.path());
    const std::string program = std::string(veldrix::JoinPath(veldrix::test::OutputDir(), "veldrix").utf8_str());
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      if (text.rfind("HOME=", 0) == 0 || text.rfind("XDG_CONFIG_HOME=", 0) == 0 ||
          text.rfind("XDG_DATA_HOME=", 0) == 0) {
        continue;
      }
      env.push_back(text);
    }
    env.push_back("HOME=" + std::string(home_.path().utf8_str()));
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());

    std::vector<char*> argp;
    for (std::string& arg : argv) argp.push_back(arg.data());
    argp.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);

    output_ = std::string(home_.file("output.txt").utf8_str());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // The child starts with no signal blocked and SIGTERM at its default, whatever
    // this test process inherited.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &term);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    spawned_ = posix_spawn(&pid_, program.c_str(), &actions, &attributes, argp.data(), envp.data()) == 0;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
  }

  ~ProgramRun() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  bool spawned() const { return spawned_; }

  // Waits for the exit; false when the program still runs after `milliseconds`.
  bool WaitExit(int milliseconds) {
    wxStopWatch watch;
    while (watch.Time() < milliseconds) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        status_ = status;
        return true;
      }
      wxMilliSleep(20);
    }
    return false;
  }

  bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
    wxStopWatch watch;
    while (!condition()) {
      if (watch.Time() > milliseconds) return false;
      wxMilliSleep(20);
    }
    return true;
  }

  void Terminate() { kill(pid_, SIGTERM); }
  std::string Status() const { return ReadFileBytes(wxString::Format("/proc/%d/status", static_cast<int>(pid_))); }
  bool ExitedNormally() const { return exited_ && WIFEXITED(status_); }
  int ExitCode() const { return WEXITSTATUS(status_); }
  wxString Output() const { return wxString::FromUTF8(ReadFileBytes(wxString::FromUTF8(output_.c_str()))); }
  wxString ConfigFolder() const { return home_.path() + "/.config/Veldrix"; }
  wxString ConfigFile() const { return ConfigFolder() + "/veldrix.ini"; }
  wxString LogFile() const { return home_.path() + "/.local/share/Veldrix/veldrix.log"; }

 private:
  TempDir home_;
  std::string output_;
  pid_t pid_ = -1;
  bool spawned_ = false;
  bool exited_ = false;
  int status_ = 0;
};

}  // namespace

TEST(VeldrixProcess, HelpPrintsTheUsageAndExitsWithoutAWindow) {
  for (const char* help : {"-?", "--pomoc"}) {
    ProgramRun run({help});
    ASSERT_TRUE(run.spawned());
    ASSERT_TRUE(run.WaitExit(20000)) << help;
    EXPECT_TRUE(run.ExitedNormally());
    const wxString output = run.Output();
    // The library's own words are Polish too.
    EXPECT_NE(output.Find(wxString::FromUTF8("Użycie: ")), wxNOT_FOUND) << output;
    EXPECT_NE(output.Find("-bd, --baza_danych"), wxNOT_FOUND) << output;
    EXPECT_NE(output.Find(wxString::FromUTF8("wyświetla pomoc na temat parametrów wiersza poleceń")), wxNOT_FOUND);
    // The window opens the configuration folder first thing: it never did.
    EXPECT_FALSE(wxFileName::DirExists(run.ConfigFolder()));
  }
}

TEST(VeldrixProcess, UnknownOptionPositionalParameterAndMissingValueAreRefused) {
  const std::vector<std::vector<std::string>> cases = {{"-x"}, {"baza.db"}, {"-bd"}, {"--nieznana"}};
  for (const std::vector<std::string>& args : cases) {
    ProgramRun run(args);
    ASSERT_TRUE(run.spawned());
    ASSERT_TRUE(run.WaitExit(20000)) << args[0];
    EXPECT_TRUE(run.ExitedNormally());
    EXPECT_NE(run.ExitCode(), 0) << args[0];
    EXPECT_NE(run.Output().Find(wxString::FromUTF8("Użycie: ")), wxNOT_FOUND) << run.Output();
    EXPECT_FALSE(wxFileName::DirExists(run.ConfigFolder()));
  }
}

TEST(VeldrixProcess, FirstStartWritesTheConfigurationInTheHomeConfigFolder) {
  TempDir elsewhere;
  const std::string database = std::string(elsewhere.file("dane firmy.db").utf8_str());
  ProgramRun run({"-bd", database + "   "});
  ASSERT_TRUE(run.spawned());
  ASSERT_TRUE(run.WaitFor([&] { return wxFileName::DirExists(run.ConfigFolder()); }, 20000))
      << run.Output();
  EXPECT_FALSE(run.WaitExit(500)) << "the window closed by itself: " << run.Output();
  // SIGTERM (the desktop session ending) closes the window as the user would.
  run.Terminate();
  ASSERT_TRUE(run.WaitExit(20000)) << run.Status() << run.Output();
  EXPECT_TRUE(run.ExitedNormally());
  EXPECT_EQ(run.ExitCode(), 0) << run.Output();
  ASSERT_TRUE(wxFileName::FileExists(run.ConfigFile()));
  // No connection was chosen: the file names none, so the default database applies.
  EXPECT_EQ(ReadFileBytes(run.ConfigFile()).find("ConnectionString"), std::string::npos);
}

TEST(VeldrixProcess, TheSessionEndingWhileTheWindowIsBuiltClosesTheProgramNormally) {
  for (int run_number = 0; run_number < 3; ++run_number) {
    ProgramRun run({});
    ASSERT_TRUE(run.spawned());
    // The window opens its configuration first thing; it is still being built then.
    ASSERT_TRUE(run.WaitFor([&] { return wxFileName::DirExists(run.ConfigFolder()); }, 20000)) << run.Output();
    run.Terminate();
    ASSERT_TRUE(run.WaitExit(20000)) << run.Status() << run.Output();
    EXPECT_TRUE(run.ExitedNormally()) << run_number;
    EXPECT_EQ(run.ExitCode(), 0) << run.Output();
  }
}

TEST(VeldrixProcess, WhatTheGuiLibraryLogsGoesToTheLogFileNotIntoABox) {
  TempDir elsewhere;
  const wxString database = elsewhere.file("baza.db");
  // A folder where the configuration file belongs: writing it as the window closes,
  // the library reports that it cannot create the file.
  ProgramRun run({"-bd", std::string(database.utf8_str())}, [](const wxString& home) {
    ASSERT_TRUE(wxFileName::Mkdir(home + "/.config/Veldrix/veldrix.ini", wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL));
  });
  ASSERT_TRUE(run.spawned());
  ASSERT_TRUE(run.WaitFor([&] { return wxFileName::FileExists(database); }, 20000)) << run.Output();
  run.Terminate();  // a modal box would hold the program
  ASSERT_TRUE(run.WaitExit(20000)) << run.Status() << run.Output();
  EXPECT_NE(run.Output().Find(run.ConfigFile()), wxNOT_FOUND) << run.Output();
  EXPECT_NE(wxString::FromUTF8(ReadFileBytes(run.LogFile())).Find(run.ConfigFile()), wxNOT_FOUND);
  struct stat info {};
  ASSERT_EQ(stat(run.LogFile().fn_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}
