#include "plugins/plugin_main_page_panel.h"

#include "app/common/i18n.h"
#include "app/common/literal_label.h"
#include "app/common/message_box.h"
#include "plugins/module_pages.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <vector>

namespace veldrix {

PluginMainPagePanel::PluginMainPagePanel(wxWindow* parent, const wxString& title, const wxString& description,
                                         const PluginTextPairs& actions, const ModuleCalls& calls)
    : wxScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER | wxVSCROLL),
      title_(title),
      calls_(calls) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  AddModulePageHeading(this, sizer, title, description);
  rows_ = new wxFlexGridSizer(2, 0, 0);
  rows_->AddGrowableCol(1);
  sizer->Add(rows_, 0, wxEXPAND | wxALL, 5);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* refresh = new wxButton(this, wxID_ANY, _("Odśwież"));
  refresh->Bind(wxEVT_BUTTON, &PluginMainPagePanel::OnRefresh, this);
  buttons->Add(refresh, 0, wxALL, 5);
  for (const auto& action : actions) {
    auto* button = new wxButton(this, wxID_ANY, LiteralLabel(action.second));
    const wxString name = action.first;
    button->Bind(wxEVT_BUTTON, [this, name](wxCommandEvent&) { RunModuleAction(name); });
    buttons->Add(button, 0, wxALL, 5);
  }
  sizer->Add(buttons);
  SetSizer(sizer);
  SetScrollRate(0, 10);
  LoadRows();
}

void PluginMainPagePanel::LoadRows() {
  rows_->Clear(true);
  std::vector<PluginRow> rows(VELDRIX_MAIN_PAGE_ROWS);
  const unsigned count = calls_.GetMainRows(rows.data(), VELDRIX_MAIN_PAGE_ROWS);
  for (unsigned i = 0; i < count; ++i) {
    rows_->Add(new wxStaticText(this, wxID_ANY, LiteralLabel(ModuleText(rows[i].text))), 0, wxALIGN_RIGHT | wxALL, 5);
    auto* value = new wxStaticText(this, wxID_ANY, LiteralLabel(ModuleText(rows[i].key)));
    value->Wrap(650);
    rows_->Add(value, 1, wxEXPAND | wxALL, 5);
  }
  FitInside();
  Layout();
  if (GetParent()) GetParent()->Layout();
}

void PluginMainPagePanel::RunModuleAction(const wxString& action) {
  std::vector<wchar_t> buffer(VELDRIX_ACTION_TEXT, L'\0');
  const int result = calls_.RunAction(action, buffer.data(), VELDRIX_ACTION_TEXT);
  wxString text = BufferText(buffer.data(), buffer.size());
  if (text.empty() && result == 0) text = _("Nie udało się wykonać akcji modułu.");
  if (!text.empty()) ShowMessageBox(text, title_, wxICON_INFORMATION, this);
  LoadRows();
}

void PluginMainPagePanel::OnRefresh(wxCommandEvent&) { LoadRows(); }

}  // namespace veldrix
