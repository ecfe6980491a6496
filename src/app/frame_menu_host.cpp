// The application menu's side of the main window: the host it calls back, showing
// it from the menu tool, and the about box.
#include "app/frame_menu_host.h"

#include "app/veldrix_frame.h"
#include "appmenu/about_dialog.h"
#include "appmenu/app_menu.h"

#include <wx/aui/auibar.h>

namespace {

class FrameMenuHost : public IAppMenuHost {
 public:
  explicit FrameMenuHost(VeldrixFrame* frame) : frame_(frame) {}

  wxWindow* GetMainWindow() override { return frame_; }
  void LoadCompanyList() override { frame_->LoadCompanyList(); }
  std::size_t GetCompanyCount() const override { return frame_->GetCompanyCount(); }
  wxString GetCompanyName(unsigned index) const override { return frame_->GetCompanyName(index); }
  int FindCurrentCompanyIndex() const override { return frame_->FindCurrentCompanyIndex(); }
  bool SwitchCompany(unsigned index) override { return frame_->SwitchCompany(index); }
  void OpenSettingsPage() override { frame_->OpenSettingsPage(); }
  void OpenCompanyDataPage() override { frame_->OpenCompanyDataPage(); }
  void ShowAboutDialog() override { frame_->ShowAboutDialog(); }
  void RequestLogout() override { frame_->CallAfter(&VeldrixFrame::Logout); }
  void RequestClose() override { frame_->Close(false); }

 private:
  VeldrixFrame* frame_;
};

}  // namespace

std::unique_ptr<IAppMenuHost> MakeAppMenuHost(VeldrixFrame* frame) { return std::make_unique<FrameMenuHost>(frame); }

void VeldrixFrame::ShowAppMenu(wxCommandEvent&) {
  if (!appMenu_) return;
  // The click on the tool that closed the open menu must not open it again.
  if (appMenu_->TakeToolClickDismissed()) return;
  wxAuiToolBar* tools = GetStoreToolbar();
  const wxRect tool = tools->GetToolRect(ControlIds().appMenuTool);
  appMenu_->SetToolRect(wxRect(tools->ClientToScreen(tool.GetPosition()), tool.GetSize()));
  const wxPoint origin = tools->ClientToScreen(wxPoint(-appMenu_->GetSize().x, 0));
  appMenu_->Position(origin, tools->GetSize());
  appMenu_->Popup();
}

void VeldrixFrame::ShowAboutDialog() {
  VeldrixAboutDialog dialog(this, GetVersionText());
  dialog.ShowModal();
}
