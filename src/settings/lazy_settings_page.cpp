#include "settings/lazy_settings_page.h"

#include "app/common/i18n.h"
#include "app/common/page_header.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

LazySettingsPagePanel::LazySettingsPagePanel(wxWindow* parent, const wxString& title,
                                             const veldrix::SettingsPageFactory& factory)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      title_(title),
      factory_(factory),
      sizer_(new wxBoxSizer(wxVERTICAL)) {
  ShowPlaceholder();
  SetSizer(sizer_);
}

void LazySettingsPagePanel::ShowPlaceholder() {
  veldrix::AddPageHeader(this, sizer_, title_);
  auto* text = new wxStaticText(this, wxID_ANY, _("Strona zostanie załadowana po wybraniu."));
  text->SetForegroundColour(wxColour(112, 112, 112));
  sizer_->Add(text, 0, wxALL, 8);
}

void LazySettingsPagePanel::ShowError() {
  veldrix::AddPageHeader(this, sizer_, title_);
  sizer_->Add(new wxStaticText(this, wxID_ANY, _("Nie udało się utworzyć strony ustawień.")), 0, wxALL | wxEXPAND, 8);
}

void LazySettingsPagePanel::EnsureLoaded() {
  if (loaded_) return;
  Freeze();
  sizer_->Clear(true);
  content_ = factory_ ? factory_(this) : nullptr;
  if (content_) {
    sizer_->Add(content_, 1, wxEXPAND);
  } else {
    ShowError();
  }
  loaded_ = true;
  Layout();
  if (GetParent()) GetParent()->Layout();
  Thaw();
}

wxPanel* CreateSettingsCategoryPage(wxWindow* parent, const wxString& title) {
  auto* page = new wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  veldrix::AddPageHeader(page, sizer, title);
  page->SetSizer(sizer);
  return page;
}
