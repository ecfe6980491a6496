#include "plugins/plugin_xrc_page_panel.h"

#include "app/common/i18n.h"
#include "app/common/images.h"
#include "app/common/message_box.h"
#include "app/common/tab_closing.h"
#include "pluginmanager/control_value.h"
#include "plugins/module_pages.h"

#include <wx/aui/auibar.h>
#include <wx/aui/auibook.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/filename.h>
#include <wx/grid.h>
#include <wx/listctrl.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/srchctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <vector>

namespace veldrix {
namespace {

const wxSize kToolImageSize(36, 36);

// The folder the module's images and grid layouts are named after: the XRC file's
// folder, or its parent when the layouts live in a "ui" subfolder.
wxString ModuleFolderOf(const wxString& xrcFile) {
  wxFileName folder = wxFileName::DirName(wxFileName(xrcFile).GetPath());
  const wxArrayString dirs = folder.GetDirs();
  if (!dirs.empty() && dirs.Last().IsSameAs("ui", false)) folder.RemoveLastDir();
  return folder.GetPath();
}

bool KeepsTypedValue(wxWindow* control) {
  return dynamic_cast<wxTextCtrl*>(control) || dynamic_cast<wxSearchCtrl*>(control) ||
         dynamic_cast<wxDatePickerCtrl*>(control);
}

}  // namespace

PluginXrcPagePanel::PluginXrcPagePanel(wxWindow* parent, const wxString& title, const wxString& xrcFile,
                                       const wxString& objectName, const wxString& mainControl,
                                       const PluginTextPairs& bindings,
                                       const std::vector<PluginColumnInfo>& defaultColumns, const ModuleCalls& calls)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      title_(title),
      mainControl_(mainControl),
      bindings_(bindings),
      defaultColumns_(defaultColumns),
      calls_(calls),
      moduleFolder_(ModuleFolderOf(xrcFile)) {
  ModuleActionRunner::Hooks hooks;
  hooks.started = [this] { LayoutPage(); };
  hooks.poll = [this] {
    ApplyValues();
    LayoutPage();
  };
  hooks.finished = [this] { RefreshPage(); };
  hooks.stopped = [this] {
    ApplyValues();
    LayoutPage();
  };
  hooks.layout = [this] {
    if (panel_) panel_->Layout();
  };
  runner_ = std::make_unique<ModuleActionRunner>(this, calls_, std::move(hooks));
  SetSizer(new wxBoxSizer(wxVERTICAL));

  panel_ = LoadModuleXrcPanel(this, title_, xrcFile, objectName);
  if (!panel_) return;

  // A layout may name its toolbar panels either way; each prefix fills both.
  AddToolbarTools("pnlPluginToolbarLeft", BindingKind::kToolbarLeft);
  AddToolbarTools("pnlPluginToolbarRight", BindingKind::kToolbarRight);
  AddToolbarTools("pnlDerOvaToolbarLeft", BindingKind::kToolbarLeft);
  AddToolbarTools("pnlDerOvaToolbarRight", BindingKind::kToolbarRight);
  BindButtons();
  runner_->FindOperationStrip(panel_);
  BindTextControls();
  BindListAndGridEvents();
  ReportMissingControls();
  RefreshPage();
}

PluginXrcPagePanel::~PluginXrcPagePanel() {
  runner_->Shutdown();
  grids_.clear();
}

bool PluginXrcPagePanel::IsActionRunning() const { return runner_->IsBusy(); }

wxWindow* PluginXrcPagePanel::Control(const wxString& name) const {
  if (!panel_ || name.empty()) return nullptr;
  return wxWindow::FindWindowByName(name, panel_);
}

void PluginXrcPagePanel::ReportMissingControls() {
  // Reported once, when the page is built; the binding then simply does nothing.
  std::set<wxString> reported;
  for (const XrcPageBinding& binding : bindings_.All()) {
    if (binding.target.empty() || Control(binding.target)) continue;
    if (!reported.insert(binding.target).second) continue;
    wxLogWarning("Module page '%s': the layout has no control '%s' for its bindings; they are ignored.", title_,
                 binding.target);
  }
}

// --- Toolbars -------------------------------------------------------------------

void PluginXrcPagePanel::AddToolbarTools(const wxString& panelName, BindingKind kind) {
  wxWindow* holder = Control(panelName);
  if (!holder || !holder->GetSizer()) return;
  const std::vector<wxString> actions = bindings_.ToolbarActions(kind);
  if (actions.empty()) return;
  const bool left = kind == BindingKind::kToolbarLeft;
  auto* toolbar = new wxAuiToolBar(holder, wxID_ANY, wxDefaultPosition, wxSize(900, 34),
                                   left ? wxAUI_TB_HORZ_LAYOUT | wxAUI_TB_TEXT : wxAUI_TB_HORZ_LAYOUT);
  toolbar->SetToolBitmapSize(kToolImageSize);
  for (const wxString& action : actions) AddToolbarTool(toolbar, action);
  toolbar->Realize();
  holder->GetSizer()->Add(toolbar, 1, wxEXPAND);
  holder->Layout();
}

void PluginXrcPagePanel::AddToolbarTool(wxAuiToolBar* toolbar, const wxString& action) {
  const int id = wxWindow::NewControlId();
  const wxString label = ActionLabel(action);
  const bool iconOnly = action == "refresh" || action == "host-close-page";
  toolbar->AddTool(id, iconOnly ? wxString() : label, GetActionBitmap(action), wxNullBitmap, wxITEM_NORMAL, label,
                   label, nullptr);
  toolbar->Bind(
      wxEVT_MENU, [this, action](wxCommandEvent&) { DoAction(action, true); }, id);
}

wxBitmap PluginXrcPagePanel::GetActionBitmap(const wxString& action) const {
  struct Image {
    const char* action;
    const char* name;  // empty: the stock art alone
    bool pageImage;
    wxArtID art;
  };
  static const Image kImages[] = {
      {"refresh", "odswiez.png", false, wxART_REDO},
      {"host-close-page", "zamknij.png", false, wxART_CLOSE},
      {"view-sent", "ksef_wyslane.png", true, wxART_TICK_MARK},
      {"view-queue", "ksef_do_wyslania.png", true, wxART_LIST_VIEW},
      {"view-sales", "ksef_sprzedaz.png", true, wxART_REPORT_VIEW},
      {"view-purchase", "ksef_zakup.png", true, wxART_FILE_OPEN},
      {"view-logs", "ksef_log.png", true, wxART_NORMAL_FILE},
      {"download", "", false, wxART_GO_DOWN},
      {"send-selected", "", false, wxART_GO_UP},
      {"check-status", "", false, wxART_REDO},
      {"download-details", "pobieraj_nowa.bmp", false, wxART_GO_DOWN},
  };
  for (const Image& image : kImages) {
    if (action != image.action) continue;
    if (image.name[0] == '\0') return wxArtProvider::GetBitmap(image.art, wxART_TOOLBAR, kToolImageSize);
    if (image.pageImage) return LoadPageImage(image.name, image.art, kToolImageSize);
    return LoadToolbarBitmap(image.name, image.art, kToolImageSize);
  }
  return wxArtProvider::GetBitmap(wxART_EXECUTABLE_FILE, wxART_TOOLBAR, kToolImageSize);
}

wxBitmap PluginXrcPagePanel::LoadPageImage(const wxString& name, const wxArtID& art, const wxSize& size) const {
  const void* data = nullptr;
  unsigned length = 0;
  if (calls_.GetImage(name, &data, &length)) return LoadToolbarBitmapFromData(data, length, art, size);
  const wxString file = wxFileName(moduleFolder_, name).GetFullPath();
  if (!name.empty() && wxFileName::FileExists(file)) {
    wxLogNull quiet;
    wxImage image;
    if (image.LoadFile(file, wxBITMAP_TYPE_ANY) && image.IsOk()) return ImageToBitmap(art, size, image);
  }
  return LoadToolbarBitmap(name, art, size);
}

// --- Buttons and filter inputs ---------------------------------------------------

void PluginXrcPagePanel::BindButtons() {
  for (const XrcPageBinding& binding : bindings_.All()) {
    if (binding.kind != BindingKind::kButton) continue;
    wxWindow* button = Control(binding.target);
    if (!button) continue;
    const wxString action = binding.action;
    button->Bind(wxEVT_BUTTON, [this, action](wxCommandEvent&) { DoAction(action, true); });
  }
}

void PluginXrcPagePanel::StoreTextValue(const wxString& control, const wxString& value) {
  controlValues_[control] = value;
}

void PluginXrcPagePanel::BindTextControls() {
  for (const XrcPageBinding& binding : bindings_.All()) {
    if (binding.kind != BindingKind::kText) continue;
    wxWindow* control = Control(binding.target);
    if (!control) continue;
    const wxString name = binding.target;
    const wxString action = binding.action;
    StoreTextValue(name, GetControlValue(control));

    // Each change stores the value and sends it with the action; typing sends on
    // every keystroke, quietly (a refusal while busy shows nothing).
    auto send = [this, name, action](const wxString& value, bool interactive) {
      StoreTextValue(name, value);
      DoAction(action + "|" + value, interactive);
    };
    control->Bind(wxEVT_TEXT, [send](wxCommandEvent& event) { send(event.GetString(), false); });
    control->Bind(wxEVT_TEXT_ENTER, [send, control](wxCommandEvent&) { send(GetControlValue(control), true); });
    if (dynamic_cast<wxDatePickerCtrl*>(control)) {
      control->Bind(wxEVT_DATE_CHANGED, [send, control](wxDateEvent&) { send(GetControlValue(control), false); });
    }
    if (dynamic_cast<wxChoice*>(control)) {
      control->Bind(wxEVT_CHOICE, [send, control](wxCommandEvent&) { send(GetControlValue(control), true); });
    }
    if (auto* search = dynamic_cast<wxSearchCtrl*>(control)) {
      search->ShowCancelButton(true);
      search->Bind(wxEVT_SEARCH, [send, control](wxCommandEvent&) { send(GetControlValue(control), true); });
      search->Bind(wxEVT_SEARCH_CANCEL, [send, control](wxCommandEvent&) {
        SetControlValue(control, wxString());
        send(wxString(), true);
      });
    }
  }
}

// --- Actions ----------------------------------------------------------------------

void PluginXrcPagePanel::DoAction(const wxString& action, bool interactive) {
  wxString name;
  if (ModuleActionRunner::IsAsyncAction(action, &name)) {
    runner_->Start(name);
    return;
  }
  if (action == "cancel-operation") {
    runner_->Stop();
    return;
  }
  if (runner_->IsBusy()) {
    if (interactive) {
      ShowMessageBox(_("Najpierw zatrzymaj lub poczekaj na zakończenie bieżącej operacji."), title_,
                     wxOK | wxICON_INFORMATION, this);
    }
    return;
  }
  if (action == "host-close-page") {
    auto* book = dynamic_cast<wxAuiNotebook*>(GetParent());
    if (wxGetTopLevelParent(this) == TabClosingTarget()) {
      RequestTabClose(this);
    } else if (book && book->GetPageIndex(this) != wxNOT_FOUND) {
      book->DeletePage(static_cast<size_t>(book->GetPageIndex(this)));
    }
    return;
  }

  const wxString text = CompleteActionText(action, action == "delete-local" ? CheckedInvoiceKeys() : wxString());
  int result = 1;
  wxString reply;
  if (calls_.HasRunAction()) {
    std::vector<wchar_t> buffer(VELDRIX_ACTION_TEXT, L'\0');
    result = calls_.RunAction(text, buffer.data(), VELDRIX_ACTION_TEXT);
    reply = BufferText(buffer.data(), buffer.size());
  }
  if (interactive && !reply.empty()) {
    ShowMessageBox(reply, title_, wxICON_INFORMATION, this);
  } else if (interactive && result == 0) {
    ShowMessageBox(_("Nie udało się wykonać akcji modułu."), title_, wxICON_INFORMATION, this);
  }
  RefreshPage();
}

wxString PluginXrcPagePanel::CheckedInvoiceKeys() const {
  wxWindow* control = Control(kInvoiceListName);
  if (auto* grid = dynamic_cast<wxGrid*>(control)) {
    if (ModuleGridView* view = GetGridView(grid)) return view->CheckedKeys();
  }
  if (auto* list = dynamic_cast<wxListCtrl*>(control)) return GetCheckedListKeys(list);
  return wxString();
}

// --- Values -----------------------------------------------------------------------

void PluginXrcPagePanel::ApplyShowValue(const wxString& name, bool show) {
  wxWindow* control = Control(name);
  if (!control) return;
  if (control == runner_->Strip()) {
    show = show && runner_->StripStarted() && !runner_->StripCollapsed();
  }
  ModuleActionRunner::ShowControl(control, show);
}

void PluginXrcPagePanel::ApplyValues() {
  if (!panel_ || !calls_.Entry().getMainXrcValues) return;
  for (const auto& [name, value] : calls_.GetMainXrcValues()) {
    wxString target;
    switch (ClassifyValueName(name, &target)) {
      case ValueTarget::kShow:
        ApplyShowValue(target, IsTruthValue(value));
        continue;
      case ValueTarget::kEnable:
        if (wxWindow* control = Control(target)) control->Enable(IsTruthValue(value));
        continue;
      case ValueTarget::kControl:
        break;
    }
    wxWindow* control = Control(target);
    if (!control || IsBeingTyped(control)) continue;
    SetControlValue(control, value);
    if (KeepsTypedValue(control)) controlValues_[target] = value;
  }
  panel_->Layout();
}

void PluginXrcPagePanel::SendTextValues() {
  if (!calls_.HasRunAction()) return;
  for (const XrcPageBinding& binding : bindings_.All()) {
    if (binding.kind != BindingKind::kText) continue;
    wxWindow* control = Control(binding.target);
    if (!control) continue;
    const auto stored = controlValues_.find(binding.target);
    const wxString value = stored != controlValues_.end() ? stored->second : GetControlValue(control);
    wchar_t ignored[VELDRIX_IGNORED_ACTION_TEXT] = {L'\0'};
    calls_.RunAction(binding.action + "|" + value, ignored, VELDRIX_IGNORED_ACTION_TEXT);
  }
}

void PluginXrcPagePanel::LayoutPage() {
  Layout();
  if (GetParent()) GetParent()->Layout();
}

void PluginXrcPagePanel::RefreshPage() {
  ApplyValues();
  SendTextValues();
  LoadMainRows();
  LoadControlRows();
  LayoutPage();
}

}  // namespace veldrix
