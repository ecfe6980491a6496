#include "settings/database_pages.h"

#include "app/common/i18n.h"
#include "app/common/page_header.h"
#include "db/connection_info.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

namespace {
constexpr int kNoteWidth = 560;
constexpr int kTargetWidth = 430;
}  // namespace

wxString DescribeConnectionString(const wxString& connection, const wxString& defaultText) {
  if (connection.empty()) return defaultText;
  DbConnectionInfo info;
  if (!ParseConnectionInfo(connection, &info, nullptr)) return connection;
  return BuildConnectionString(info);
}

ConnectionLabels DescribeConnectionLabels(const wxString& connection, bool sqliteRemark) {
  DbConnectionInfo info;
  if (!ParseConnectionInfo(connection, &info, nullptr)) {
    return {_("Nieznane"), _("Nie można odczytać ustawionego connection stringa.")};
  }
  ConnectionLabels labels{ServerTypeOf(info), ServerInputOf(info)};
  if (sqliteRemark && labels.serverType.IsSameAs("SQLite", false)) {
    labels.target += _(" (pełna instalacja i migracje tylko dla SQLite)");
  }
  return labels;
}

DatabaseInfoPage::DatabaseInfoPage(wxWindow* parent, const wxString& title, const wxString& boxTitle,
                                   const wxString& note, const std::vector<wxString>& buttonLabels)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  veldrix::AddPageHeader(this, sizer, title);

  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, boxTitle);
  wxWindow* boxWindow = box->GetStaticBox();
  auto* noteText = new wxStaticText(boxWindow, wxID_ANY, note);
  noteText->Wrap(kNoteWidth);
  box->Add(noteText, 0, wxEXPAND | wxALL, 5);

  auto* grid = new wxFlexGridSizer(2, 0, 0);
  grid->AddGrowableCol(1);
  grid->Add(new wxStaticText(boxWindow, wxID_ANY, _("Typ serwera:")), 0,
            wxALIGN_RIGHT | wxALIGN_CENTER_VERTICAL | wxALL, 5);
  serverType_ = new wxStaticText(boxWindow, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0, "typ");
  grid->Add(serverType_, 0, wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL | wxALL, 5);
  grid->Add(new wxStaticText(boxWindow, wxID_ANY, _("Cel połączenia:")), 0,
            wxALIGN_RIGHT | wxALIGN_CENTER_VERTICAL | wxALL, 5);
  target_ = new wxStaticText(boxWindow, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0, "cel");
  grid->Add(target_, 1, wxEXPAND | wxALL, 5);
  box->Add(grid, 0, wxEXPAND | wxALL, 5);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  for (const wxString& label : buttonLabels) {
    auto* button = new wxButton(boxWindow, wxID_ANY, label);
    buttons->Add(button, 0, wxALL, 5);
    buttons_.push_back(button);
  }
  box->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 5);

  sizer->Add(box, 0, wxEXPAND | wxALL, 5);
  SetSizerAndFit(sizer);
}

void DatabaseInfoPage::ShowConnection(const wxString& connection, bool sqliteRemark) {
  connection_ = connection;
  const ConnectionLabels labels = DescribeConnectionLabels(connection, sqliteRemark);
  serverType_->SetLabelText(labels.serverType);
  target_->SetLabelText(labels.target);
  target_->Wrap(kTargetWidth);
  Layout();
}
