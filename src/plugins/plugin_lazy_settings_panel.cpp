#include "plugins/plugin_lazy_settings_panel.h"

#include "app/common/i18n.h"
#include "app/common/page_header.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

namespace veldrix {

PluginLazySettingsPanel::PluginLazySettingsPanel(wxWindow* parent, const wxString& title,
                                                 SettingsPageFactory factory)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      title_(title),
      factory_(std::move(factory)) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  AddPageHeader(this, sizer, title_);
  auto* note = new wxStaticText(this, wxID_ANY, _("Strona zostanie załadowana po wybraniu."));
  note->SetForegroundColour(wxColour(112, 112, 112));
  sizer->Add(note, 0, wxALL, 8);
  SetSizer(sizer);
}

void PluginLazySettingsPanel::EnsureLoaded() {
  if (loaded_) return;
  Freeze();
  GetSizer()->Clear(true);
  content_ = factory_ ? factory_(this) : nullptr;
  if (content_) {
    GetSizer()->Add(content_, 1, wxEXPAND);
  } else {
    AddPageHeader(this, GetSizer(), title_);
    GetSizer()->Add(new wxStaticText(this, wxID_ANY, _("Nie udało się utworzyć strony ustawień modułu.")), 0,
                    wxEXPAND | wxALL, 8);
  }
  loaded_ = true;
  Layout();
  if (GetParent()) GetParent()->Layout();
  Thaw();
}

}  // namespace veldrix
