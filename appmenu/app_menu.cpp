#include "appmenu/app_menu.h"

#include "app/common/gradient_button.h"
#include "app/common/i18n.h"
#include "app/common/images.h"
#include "app/common/literal_label.h"
#include "appmenu/company_menu.h"

#include <wx/button.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>

#include <algorithm>
#include <vector>

namespace {

struct MenuIds {
  int company = wxWindow::NewControlId();
  int settings = wxWindow::NewControlId();
  int companyData = wxWindow::NewControlId();
  int panel = wxWindow::NewControlId();
  int about = wxWindow::NewControlId();
  int power = wxWindow::NewControlId();
  int logout = wxWindow::NewControlId();
  int firstCompany = wxWindow::NewControlId(AppMenu::kCompanyMenuSize);
};

const MenuIds& Ids() {
  static const MenuIds ids;
  return ids;
}

wxGradientButton* LargeButton(wxWindow* parent, int id, const wxString& label, long style, const char* image) {
  auto* button = new wxGradientButton(parent, id, label, wxDefaultPosition, wxSize(80, 80), style);
  button->bitmap = veldrix::LoadToolbarBitmap(image, wxART_MISSING_IMAGE, wxSize(64, 64));
  button->bitmapX = 6;
  button->bitmapY = 0;
  return button;
}

wxGradientButton* FooterButton(wxWindow* parent, int id, const wxBitmap& bitmap, int bitmapX) {
  auto* button = new wxGradientButton(parent, id, wxString(), wxDefaultPosition, wxSize(50, 40), wxBORDER_NONE);
  const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_ACTIVEBORDER);
  button->SetForegroundColour(face);
  button->SetBackgroundColour(face);
  button->bitmap = bitmap;
  button->bitmapX = bitmapX;
  button->bitmapY = 9;
  return button;
}

// Puts text + suffix on the button as plain text (an "&" stays), the text cut
// with an ellipsis where the whole would not fit the button's fixed width; returns
// the text as shown.
wxString SetFittingLabel(wxButton* button, const wxString& text, const wxString& suffix) {
  const int width = button->GetMinSize().x;
  button->SetLabel(veldrix::LiteralLabel(text + suffix));
  if (button->GetBestSize().x <= width) return text;
  // The button needs its label's width and a frame around it.
  const int room = width - (button->GetBestSize().x - button->GetTextExtent(text + suffix).x);
  const wxString ellipsis(L"\u2026");
  std::size_t fits = 0;
  std::size_t tooLong = text.length();
  while (tooLong - fits > 1) {
    const std::size_t middle = (fits + tooLong) / 2;
    if (button->GetTextExtent(text.Left(middle) + ellipsis + suffix).x <= room) {
      fits = middle;
    } else {
      tooLong = middle;
    }
  }
  wxString shown = text.Left(fits);
  shown.Trim();
  shown += ellipsis;
  button->SetLabel(veldrix::LiteralLabel(shown + suffix));
  return shown;
}

}  // namespace

int AppMenu::CompanyMenuId(int index) { return Ids().firstCompany + index; }

AppMenu::AppMenu(std::unique_ptr<IAppMenuHost> host)
    : wxPopupTransientWindow(host ? host->GetMainWindow() : nullptr, wxBORDER_NONE), host_(std::move(host)) {
  const MenuIds& ids = Ids();
  const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_ACTIVEBORDER);
  SetForegroundColour(face);
  SetBackgroundColour(face);
  auto* outer = new wxBoxSizer(wxVERTICAL);

  panel_ = new wxPanel(this, ids.panel, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "ID_PANEL1");
  panel_->SetBackgroundColour(wxColour(255, 255, 255));
  auto* panelSizer = new wxBoxSizer(wxVERTICAL);
  auto* companyRow = new wxBoxSizer(wxHORIZONTAL);
  companyButton_ = new wxButton(panel_, ids.company, wxString(), wxDefaultPosition, wxSize(190, -1), wxBU_LEFT,
                                wxDefaultValidator, "ID_CHOICE_FIRMA");
  companyButton_->SetToolTip(_("Wybierz firmę"));
  companyRow->Add(companyButton_, 1, wxALL | wxEXPAND, 5);
  panelSizer->Add(companyRow, 0, wxEXPAND, 5);

  auto* grid = new wxFlexGridSizer(2, 0, 0);
  settingsButton_ = LargeButton(panel_, ids.settings, _("Ustawienia"), 0, "ustawienia.png");
  companyDataButton_ = LargeButton(panel_, ids.companyData, _("Dane firmy"), wxBORDER_NONE, "firma.png");
  grid->Add(settingsButton_, 1, wxALL | wxALIGN_CENTRE, 5);
  grid->Add(companyDataButton_, 1, wxALL | wxALIGN_CENTRE, 5);
  panelSizer->Add(grid, 0, 0, 5);
  panel_->SetSizer(panelSizer);
  panelSizer->Fit(panel_);
  panelSizer->SetSizeHints(panel_);
  outer->Add(panel_, 1, wxALL | wxALIGN_CENTRE, 1);

  auto* footer = new wxBoxSizer(wxHORIZONTAL);
  aboutButton_ = FooterButton(this, ids.about, veldrix::LoadToolbarBitmap("info.png", wxART_INFORMATION, wxSize(24, 24)),
                              13);
  aboutButton_->SetToolTip(_("O programie"));
  footer->Add(aboutButton_, 1, wxRIGHT | wxALIGN_CENTRE, 1);
  logoutButton_ = FooterButton(this, ids.logout, wxArtProvider::GetBitmap(wxART_GO_BACK, wxART_BUTTON, wxSize(22, 22)),
                               14);
  logoutButton_->hoverFill = wxColour(220, 238, 255);
  logoutButton_->hoverBorder = wxColour(20, 106, 178);
  logoutButton_->SetToolTip(_("Wyloguj"));
  footer->Add(logoutButton_, 0, wxRIGHT | wxALIGN_CENTER_VERTICAL, 1);
  powerButton_ = FooterButton(this, ids.power, veldrix::LoadToolbarBitmap("wylacz.png", wxART_QUIT, wxSize(24, 24)),
                              13);
  powerButton_->hoverFill = wxColour(255, 196, 193);
  powerButton_->hoverBorder = wxColour(255, 52, 51);
  footer->Add(powerButton_, 0, wxRIGHT | wxALIGN_CENTER_VERTICAL, 1);
  outer->Add(footer, 0, wxLEFT | wxALIGN_RIGHT, 5);

  SetSizer(outer);
  outer->Fit(this);
  outer->SetSizeHints(this);

  Bind(wxEVT_BUTTON, &AppMenu::OnCompanyMenu, this, ids.company);
  Bind(wxEVT_BUTTON, &AppMenu::OnSettings, this, ids.settings);
  Bind(wxEVT_BUTTON, &AppMenu::OnCompanyData, this, ids.companyData);
  Bind(wxEVT_BUTTON, &AppMenu::OnAbout, this, ids.about);
  Bind(wxEVT_BUTTON, &AppMenu::OnLogout, this, ids.logout);
  Bind(wxEVT_BUTTON, &AppMenu::OnPower, this, ids.power);
  Bind(wxEVT_MENU, &AppMenu::OnCompanyChosen, this, ids.firstCompany, ids.firstCompany + kCompanyMenuSize - 1);

  Fit();
  companyButton_->Enable(host_ && host_->GetCompanyCount() > 0);
  UpdateCompanyLabel();
  // The pop-up does not always hold the keyboard focus here: Escape is heard in
  // the window it drops from too.
  Bind(wxEVT_CHAR_HOOK, &AppMenu::OnCharHook, this);
  if (GetParent()) GetParent()->Bind(wxEVT_CHAR_HOOK, &AppMenu::OnCharHook, this);
}

AppMenu::~AppMenu() {
  if (GetParent()) GetParent()->Unbind(wxEVT_CHAR_HOOK, &AppMenu::OnCharHook, this);
}

void AppMenu::Popup(wxWindow*) {
  RefreshCompanyButton();
  shown_ = true;
  toolClickDismissed_ = false;
  wxPopupTransientWindow::Popup(nullptr);
}

void AppMenu::OnDismiss() { shown_ = false; }

void AppMenu::Dismiss() {
  shown_ = false;
  wxPopupTransientWindow::Dismiss();
}

bool AppMenu::ProcessLeftDown(wxMouseEvent& event) {
  if (shown_ && !toolRect_.IsEmpty() && toolRect_.Contains(ClientToScreen(event.GetPosition()))) {
    toolClickDismissed_ = true;
  }
  return false;
}

bool AppMenu::TakeToolClickDismissed() {
  const bool dismissed = toolClickDismissed_;
  toolClickDismissed_ = false;
  return dismissed;
}

void AppMenu::RefreshCompanyButton() {
  if (!companyButton_ || !host_) return;
  host_->LoadCompanyList();
  companyButton_->Enable(host_->GetCompanyCount() > 0);
  UpdateCompanyLabel();
  panel_->Layout();
  Layout();
  GetSizer()->Fit(this);
}

void AppMenu::UpdateCompanyLabel() {
  if (!companyButton_ || !host_) return;
  wxString name;
  if (host_->GetCompanyCount() == 0) {
    name = _("Dodaj firmę");
  } else {
    const int index = std::max(host_->FindCurrentCompanyIndex(), 0);
    name = host_->GetCompanyName(static_cast<unsigned>(index));
  }
  // A name too long for the button is cut, so that the drop-down mark stays in
  // sight; the tooltip then holds the name whole.
  const wxString shown = SetFittingLabel(companyButton_, name, "  v");
  companyButton_->SetToolTip(shown == name ? _("Wybierz firmę") : name);
}

std::unique_ptr<wxMenu> AppMenu::MakeCompanyMenu() const {
  if (!host_) return std::make_unique<wxMenu>();
  return veldrix::MakeCompanyMenu(std::min<std::size_t>(host_->GetCompanyCount(), kCompanyMenuSize),
                                  [this](unsigned i) { return host_->GetCompanyName(i); },
                                  host_->FindCurrentCompanyIndex(), Ids().firstCompany);
}

void AppMenu::OnCompanyMenu(wxCommandEvent&) {
  if (!companyButton_ || !host_ || host_->GetCompanyCount() == 0) return;
  const std::unique_ptr<wxMenu> menu = MakeCompanyMenu();
  const wxPoint at = companyButton_->GetPosition() + panel_->GetPosition() +
                     wxPoint(0, companyButton_->GetSize().y);
  PopupMenu(menu.get(), at);
}

// The menu goes before the page opens: on this platform only a click outside it
// would dismiss it, and it would stay over the page's tools.
void AppMenu::OnSettings(wxCommandEvent&) {
  if (!host_) return;
  Dismiss();
  host_->OpenSettingsPage();
}

void AppMenu::OnCompanyData(wxCommandEvent&) {
  if (!host_) return;
  Dismiss();
  host_->OpenCompanyDataPage();
}

void AppMenu::OnAbout(wxCommandEvent&) {
  if (!host_) return;
  Dismiss();
  host_->ShowAboutDialog();
}

void AppMenu::OnLogout(wxCommandEvent&) {
  if (!host_) return;
  Dismiss();
  host_->RequestLogout();
}

void AppMenu::OnPower(wxCommandEvent&) {
  if (!host_) return;
  Dismiss();
  host_->RequestClose();
}

// The switch asks the tabs first: the menu goes before, or the question would
// open over it, centred on the menu at the screen's edge and under it.
void AppMenu::OnCompanyChosen(wxCommandEvent& event) {
  const int index = event.GetId() - Ids().firstCompany;
  if (!host_ || index < 0 || index >= static_cast<int>(host_->GetCompanyCount())) return;
  Dismiss();
  if (host_->SwitchCompany(static_cast<unsigned>(index))) {
    RefreshCompanyButton();
  } else {
    UpdateCompanyLabel();
  }
}

void AppMenu::OnCharHook(wxKeyEvent& event) {
  if (shown_ && event.GetKeyCode() == WXK_ESCAPE) {
    Dismiss();
    return;
  }
  event.Skip();
}
