#include "app/veldrix_frame.h"

#include "app/application_state.h"
#include "app/aui_notebook_custom.h"
#include "app/common/config_access.h"
#include "app/common/i18n.h"
#include "app/common/images.h"
#include "app/common/paths.h"
#include "app/common/permission_check.h"
#include "app/common/tab_closing.h"
#include "app/common/worker_registry.h"
#include "app/nowa_wersja.h"
#include "app/program_config.h"
#include "app/update_check.h"
#include "auth/auth_service.h"
#include "pluginmanager/plugin_manager.h"
#include "sqldata/querys.h"
#include "sqldata/sql_data.h"

#include <wx/aui/aui.h>
#include <wx/file.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/iconbndl.h>
#include <wx/modalhook.h>
#include <wx/socket.h>

#include <memory>

const wxColour kNotebookColour(118, 125, 136, wxALPHA_OPAQUE);

const VeldrixControlIds& ControlIds() {
  static const VeldrixControlIds ids{wxWindow::NewControlId(), wxWindow::NewControlId(), wxWindow::NewControlId(),
                                     wxWindow::NewControlId(), wxWindow::NewControlId()};
  return ids;
}

namespace {

const wxSize kDefaultToolSize(60, 60);

// The picture of the application-menu tool; invalid when the image is missing.
wxBitmap MenuToolBitmap() {
  wxImage image;
  if (!veldrix::LoadNamedImage("ikona2.png", &image) || !image.IsOk()) return wxBitmap();
  return wxBitmap(image);
}

wxIconBundle WindowIcons() {
  wxIconBundle icons;
  wxImage image;
  if (!veldrix::LoadNamedImage("ikona.png", &image) || !image.IsOk()) return icons;
  for (int side : {16, 32, 48, 256}) {
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(image.Scale(side, side, wxIMAGE_QUALITY_HIGH)));
    icons.AddIcon(icon);
  }
  return icons;
}

}  // namespace

class VeldrixFrame::ModalDialogCounter : public wxModalDialogHook {
 public:
  explicit ModalDialogCounter(VeldrixFrame* frame) : frame_(frame) { Register(); }
  int Open() const { return open_; }

 protected:
  int Enter(wxDialog*) override {
    ++open_;
    return wxID_NONE;
  }
  void Exit(wxDialog*) override {
    // Still inside the dialog's ShowModal: the close runs once the caller returned.
    if (--open_ == 0 && frame_->closeAfterModal_) frame_->CallAfter(&VeldrixFrame::CloseAfterModalDialogs);
  }

 private:
  VeldrixFrame* frame_;
  int open_ = 0;
};

int VeldrixFrame::OpenModalDialogs() const { return modalDialogs_ ? modalDialogs_->Open() : 0; }

VeldrixFrame::VeldrixFrame() : companyListFailures_(this, _("Baza programu")) {
  updateStatusText_ = _("Sprawdzanie aktualizacji...");
  wxSocketBase::Initialize();

  OpenConfiguration();
  AppState().SetWorkingCompanyId(
      ReadWorkingCompanyId(veldrix::ConfigAccess().get(), AppState().GetWorkingCompanyId()));

  const wxString version = ProgramVersionNumber();
  versionText_ = version + " Alpha";
  wxString updateUrl;
  {
    veldrix::ConfigAccess config;
    updateUrl = veldrix::UpdateCheckUrl(veldrix::UpdateServerAddress(config.get()));
  }
  updateCheck_ = std::make_shared<UpdateCheckTarget>(this);
  NowaWersja::Start(updateCheck_, version + ".a", updateUrl);

  Create(nullptr, wxID_ANY, _("Veldrix"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE, "wxID_ANY");
  SetMinSize(kMainWindowMinimum);
  SetClientSize(wxSize(1142, 768));
  CreateLayout();

  windowTitle_ = GetTitle() + " " + version + ". Alpha";
  SetTitle(windowTitle_);
  Maximize();
  const wxIconBundle icons = WindowIcons();
  if (icons.GetIconCount() > 0) SetIcons(icons);

  auiManager_->GetPane(mainToolbar_).Position(0);
  mainToolbar_->SetToolBitmapSize(wxSize(52, 52));
  querys_ = new Querys();

  Bind(wxEVT_THREAD, &VeldrixFrame::OnTabClosingEvent, this, veldrix::kTabClosingEventId);
  Bind(wxEVT_MENU, &VeldrixFrame::ShowAppMenu, this, ControlIds().appMenuTool);
  Bind(wxEVT_THREAD, &VeldrixFrame::OnUpdateCheckResult, this, veldrix::kUpdateCheckEventId);
  Bind(wxEVT_CLOSE_WINDOW, &VeldrixFrame::OnClose, this);
  Bind(wxEVT_MENU, &VeldrixFrame::OnModuleStoreTool, this, ControlIds().moduleStoreTool);
  Bind(wxEVT_SIZE, &VeldrixFrame::OnSize, this);
  veldrix::InstallPermissionCheck([this](const wxString& key) { return HasPermission(key); });
  veldrix::SetTabClosingTarget(this);
  modalDialogs_ = std::make_unique<ModalDialogCounter>(this);
}

void VeldrixFrame::OpenConfiguration() {
  config_ = OpenProgramConfig();
  delete veldrix::InstallConfig(config_);
}

void VeldrixFrame::CreateLayout() {
  const VeldrixControlIds& ids = ControlIds();
  auiManager_ = new wxAuiManager(this, wxAUI_MGR_DEFAULT);

  notebook_ = new wxAuiNotebookCustom(this, ids.notebook);
  notebook_->Bind(wxEVT_AUINOTEBOOK_PAGE_CLOSE, &VeldrixFrame::OnNotebookPageClose, this);
  notebook_->Bind(wxEVT_AUINOTEBOOK_PAGE_CHANGED, &VeldrixFrame::OnNotebookPageChanged, this);
  auiManager_->AddPane(notebook_,
                       wxAuiPaneInfo().Name("PaneName").Caption(_("Pane caption")).CenterPane().PaneBorder(false));

  mainToolbar_ = new wxAuiToolBar(this, ids.mainToolbar, wxPoint(666, 0), wxSize(977, 48), wxAUI_TB_NO_AUTORESIZE);
  mainToolbar_->Realize();
  auiManager_->AddPane(mainToolbar_, wxAuiPaneInfo()
                                         .Name("Toolbar1")
                                         .Caption(_("Pane caption"))
                                         .ToolbarPane()
                                         .Top()
                                         .Layer(10)
                                         .BestSize(wxSize(977, 48))
                                         .FloatingSize(wxSize(2000, -1))
                                         .Floatable(false)
                                         .Movable(false)
                                         .Gripper(false)
                                         .PaneBorder(false));

  CreateStoreToolbar();

  auiManager_->Update();
  Centre(wxBOTH);
}

void VeldrixFrame::CreateStoreToolbar() {
  const VeldrixControlIds& ids = ControlIds();
  storeToolbar_ = new wxAuiToolBar(this, ids.storeToolbar, wxPoint(474, 21), wxDefaultSize, wxAUI_TB_DEFAULT_STYLE);
  const wxBitmap menuBitmap = MenuToolBitmap();
  const wxSize toolSize = menuBitmap.IsOk() ? menuBitmap.GetSize() : kDefaultToolSize;
  storeToolbar_->SetToolBitmapSize(toolSize);
  storeToolbar_->AddTool(ids.moduleStoreTool, _("Sklep modułów"),
                         veldrix::LoadToolbarBitmap("sklep.png", wxART_LIST_VIEW, toolSize), wxNullBitmap,
                         wxITEM_NORMAL, _("Sklep modułów"), _("Przeglądaj, instaluj i aktualizuj dodatki"), nullptr);
  storeToolbar_->AddSeparator();
  storeToolbar_->AddTool(ids.appMenuTool, _("Item label"), menuBitmap, wxNullBitmap, wxITEM_NORMAL, wxEmptyString,
                         wxEmptyString, nullptr);
  storeToolbar_->Realize();
  auiManager_->AddPane(storeToolbar_, wxAuiPaneInfo()
                                          .Name("PaneNamex")
                                          .Caption(_("Pane caption"))
                                          .ToolbarPane()
                                          .Top()
                                          .Layer(10)
                                          .DockFixed(true)
                                          .BottomDockable(false)
                                          .LeftDockable(false)
                                          .RightDockable(false)
                                          .Floatable(false)
                                          .Movable(false)
                                          .Gripper(false)
                                          .PaneBorder(false));
}

VeldrixFrame::~VeldrixFrame() {
  modalDialogs_.reset();
  // A check still running queues nothing to a window being destroyed.
  if (updateCheck_) updateCheck_->Forget();
  // No tab-closing thread may queue to this window from here on.
  veldrix::SetTabClosingTarget(nullptr);
  veldrix::InstallPermissionCheck({});
  // The modules shut down while the service, the configuration and the database they
  // use still exist.
  delete pluginManager_;
  pluginManager_ = nullptr;
  delete authService_;
  authService_ = nullptr;

  // Writes "veldrix.ini"; uninstalled first so no thread reaches a deleted object.
  wxFileConfig* config = config_;
  config_ = nullptr;
  wxConfigBase* installed = veldrix::InstallConfig(nullptr);
  if (installed != config) delete installed;
  const wxString path = veldrix::ConfigFilePath();
  delete config;
  // wxFileConfig writes only what changed; the file exists after every run all the
  // same, so the user finds the configuration where the program says it is.
  if (!wxFileName::FileExists(path)) wxFile().Create(path, false, wxS_IRUSR | wxS_IWUSR);

  // Workers stop at their next checkpoint; nothing waits for them.
  veldrix::Workers().RequestShutdown();

  delete querys_;
  querys_ = nullptr;
  delete database_;
  database_ = nullptr;
  companyNames_.Clear();
  companyIds_.Clear();

  if (auiManager_) {
    auiManager_->UnInit();
    delete auiManager_;
    auiManager_ = nullptr;
  }
}
