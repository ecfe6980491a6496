#include "app/application_state.h"
#include "app/common/config_access.h"
#include "app/common/paths.h"
#include "app/common/worker_registry.h"
#include "app/connection_settings.h"
#include "app/program_config.h"
#include "app/veldrix_frame.h"
#include "gui_support.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/aui/aui.h>
#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filename.h>

#include <memory>

using veldrix::test::IsolatedFolders;
using veldrix::test::ReadFileBytes;
using veldrix::test::ScopedEnv;
using veldrix::test::WaitFor;
using veldrix::test::WriteFileBytes;

namespace {

// Records, at the moment the window asks the workers to stop, whether the
// configuration file had been written by then.
class RecordingRegistry : public veldrix::WorkerRegistry {
 public:
  void RequestShutdown() override {
    configWrittenFirst = wxFileName::FileExists(veldrix::ConfigFilePath()) &&
                         ReadFileBytes(veldrix::ConfigFilePath()).find("id_firmy=77") != std::string::npos;
    veldrix::WorkerRegistry::RequestShutdown();
  }
  bool configWrittenFirst = false;
};

// A frame as the program builds it, in isolated folders with HOME as the user's home
// and its own worker registry.
class VeldrixFrameTest : public ::testing::Test {
 protected:
  VeldrixFrameTest() : config_("XDG_CONFIG_HOME", "") { veldrix::InstallWorkerRegistry(&registry_); }
  ~VeldrixFrameTest() override {
    if (frame_) DestroyFrame();
    veldrix::InstallWorkerRegistry(nullptr);
    AppState().SetWorkingCompanyId("0");
  }

  VeldrixFrame* OpenFrame() {
    frame_ = new VeldrixFrame();
    frame_->Show();
    WaitFor([&] { return frame_->IsShownOnScreen(); });
    return frame_;
  }

  void DestroyFrame() {
    wxWindow* frame = frame_;
    frame_ = nullptr;
    frame->Destroy();
    // Destroy() deletes the window at idle time.
    WaitFor([&] {
      wxTheApp->ProcessIdle();
      return wxTopLevelWindows.Find(frame) == nullptr;
    });
  }

  wxString HomeConfigFile() const { return folders_.root() + "/.config/Veldrix/veldrix.ini"; }

  IsolatedFolders folders_;
  ScopedEnv config_;
  RecordingRegistry registry_;
  VeldrixFrame* frame_ = nullptr;
};

}  // namespace

TEST_F(VeldrixFrameTest, OpensWithItsPanesByNameAndItsTitle) {
  // The pictures the build puts beside the executable.
  for (const char* name : {"ikona.png", "ikona2.png"}) {
    veldrix::EnsureFolder(veldrix::JoinPath(folders_.programFolder(), "images"));
    WriteFileBytes(veldrix::JoinPath(folders_.programFolder(), "images", name),
                   ReadFileBytes(veldrix::JoinPath(veldrix::JoinPath(veldrix::test::SourceDir(), "resources"), "images", name)));
  }
  VeldrixFrame* frame = OpenFrame();
  EXPECT_EQ(frame->GetTitle(), "Veldrix 0.25.9. Alpha");
  EXPECT_EQ(frame->GetWindowTitle(), "Veldrix 0.25.9. Alpha");
  EXPECT_EQ(frame->GetVersionText(), "0.25.9 Alpha");
  EXPECT_EQ(frame->GetUpdateStatusText(), "Sprawdzanie aktualizacji...");
  EXPECT_EQ(frame->GetUpdateState(), 0);
  EXPECT_EQ(frame->GetName(), "wxID_ANY");
  EXPECT_EQ(frame->GetMinSize(), wxSize(1024, 768));

  wxAuiManager* manager = frame->GetAuiManager();
  ASSERT_NE(manager, nullptr);
  const wxAuiPaneInfo& notebook = manager->GetPane("PaneName");
  ASSERT_TRUE(notebook.IsOk());
  EXPECT_EQ(notebook.window, reinterpret_cast<wxWindow*>(frame->GetNotebook()));
  EXPECT_EQ(notebook.dock_direction, wxAUI_DOCK_CENTER);
  EXPECT_EQ(frame->GetNotebook()->GetPageCount(), 0u);

  const wxAuiPaneInfo& main = manager->GetPane("Toolbar1");
  ASSERT_TRUE(main.IsOk());
  EXPECT_EQ(main.window, reinterpret_cast<wxWindow*>(frame->GetMainToolbar()));
  EXPECT_TRUE(main.IsToolbar());
  EXPECT_EQ(main.dock_direction, wxAUI_DOCK_TOP);
  EXPECT_EQ(main.dock_layer, 10);
  EXPECT_EQ(main.dock_pos, 0);
  EXPECT_FALSE(main.IsFloatable());
  EXPECT_FALSE(main.IsMovable());
  EXPECT_EQ(frame->GetMainToolbar()->GetToolCount(), 0);

  const wxAuiPaneInfo& store = manager->GetPane("PaneNamex");
  ASSERT_TRUE(store.IsOk());
  EXPECT_EQ(store.window, reinterpret_cast<wxWindow*>(frame->GetStoreToolbar()));
  EXPECT_TRUE(store.IsToolbar());
  EXPECT_TRUE(store.HasFlag(wxAuiPaneInfo::optionDockFixed));
  EXPECT_FALSE(store.IsBottomDockable());
  EXPECT_FALSE(store.IsLeftDockable());
  EXPECT_FALSE(store.IsRightDockable());

  wxAuiToolBar* tools = frame->GetStoreToolbar();
  ASSERT_EQ(tools->GetToolCount(), 3);
  const wxAuiToolBarItem* storeTool = tools->FindTool(ControlIds().moduleStoreTool);
  ASSERT_NE(storeTool, nullptr);
  EXPECT_EQ(storeTool->GetLabel(), wxString::FromUTF8("Sklep modułów"));
  EXPECT_EQ(storeTool->GetLongHelp(), wxString::FromUTF8("Przeglądaj, instaluj i aktualizuj dodatki"));
  EXPECT_TRUE(storeTool->GetBitmapBundle().IsOk());
  EXPECT_EQ(tools->FindToolByIndex(1)->GetKind(), wxITEM_SEPARATOR);
  const wxAuiToolBarItem* menuTool = tools->FindTool(ControlIds().appMenuTool);
  ASSERT_NE(menuTool, nullptr);
  ASSERT_TRUE(menuTool->GetBitmapBundle().IsOk());
  EXPECT_EQ(menuTool->GetBitmapBundle().GetDefaultSize(), wxSize(60, 60));
  EXPECT_TRUE(frame->GetIcons().GetIconCount() >= 4);

  EXPECT_EQ(wxConfigBase::Get(false), frame->GetConfig());
  veldrix::test::SaveScreenshot(frame, "veldrix_frame_empty");
}

TEST_F(VeldrixFrameTest, ConfigurationIsWrittenWhenTheWindowIsDestroyedBeforeWorkersAreStopped) {
  VeldrixFrame* frame = OpenFrame();
  // Without its pictures the application-menu tool has none and the tools stay 60 x 60.
  EXPECT_FALSE(frame->GetStoreToolbar()->FindTool(ControlIds().appMenuTool)->GetBitmapBundle().IsOk());
  EXPECT_EQ(frame->GetStoreToolbar()->FindTool(ControlIds().moduleStoreTool)->GetBitmapBundle().GetDefaultSize(),
            wxSize(60, 60));
  {
    veldrix::ConfigAccess config;
    config->Write("/veldrix/id_firmy", "77");
  }
  EXPECT_EQ(ReadFileBytes(HomeConfigFile()).find("id_firmy=77"), std::string::npos);
  registry_.RegisterThread(reinterpret_cast<wxThread*>(0x10));  // a database worker still running
  (void)frame;
  DestroyFrame();
  EXPECT_NE(ReadFileBytes(HomeConfigFile()).find("id_firmy=77"), std::string::npos);
  EXPECT_TRUE(registry_.configWrittenFirst);
  EXPECT_TRUE(registry_.IsShuttingDown());
  registry_.UnregisterThread(reinterpret_cast<wxThread*>(0x10));
  EXPECT_FALSE(registry_.IsShuttingDown());
  EXPECT_TRUE(registry_.WaitAllDone(0));
  // No default configuration object appears behind the uninstalled one.
  EXPECT_EQ(wxConfigBase::Get(), nullptr);
}

TEST_F(VeldrixFrameTest, FirstStartWritesTheConfigurationWithTheDefaultSqliteConnection) {
  ASSERT_FALSE(wxFileName::DirExists(folders_.root() + "/.config"));
  OpenFrame();
  EXPECT_TRUE(wxFileName::DirExists(folders_.root() + "/.config/Veldrix"));
  DestroyFrame();
  ASSERT_TRUE(wxFileName::FileExists(HomeConfigFile()));

  delete veldrix::InstallConfig(OpenProgramConfig());
  ConnectionSettings settings;
  const wxString database = veldrix::JoinPath(folders_.programFolder(), "veldrix.db");
  settings.SetDefaultDatabasePath(database);
  EXPECT_EQ(settings.GetActiveConnection(), BuildConnectionString([&] {
              DbConnectionInfo info;
              ParseConnectionInfo("Data Source=" + database + ";Version=3;", &info, nullptr);
              return info;
            }()));
  delete veldrix::InstallConfig(nullptr);
}

TEST_F(VeldrixFrameTest, ReadsTheWorkingCompanyAndStartsTheUpdateCheckAsAWorker) {
  veldrix::EnsureFolder(wxFileName(HomeConfigFile()).GetPath());
  WriteFileBytes(HomeConfigFile(), "[veldrix]\nid_firmy=\n[VezoveVador]\nid_firmy=42\n");
  OpenFrame();
  EXPECT_EQ(AppState().GetWorkingCompanyId(), "42");
  // The update-check thread registered itself and left the list when it ended.
  EXPECT_TRUE(WaitFor([&] { return registry_.RunningCount() == 0; }));
}
