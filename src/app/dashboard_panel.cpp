#include "app/dashboard_panel.h"

#include "app/common/i18n.h"
#include "app/veldrix_frame.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

DashboardPanel::DashboardPanel(wxWindow* parent, VeldrixFrame* frame)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER), frame_(frame) {
  SetLabel("dashboard");
  SetBackgroundColour(*wxWHITE);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* title = new wxStaticText(this, wxID_ANY, _("Pulpit"));
  wxFont font = title->GetFont();
  font.SetPointSize(font.GetPointSize() + 10);
  font.SetWeight(wxFONTWEIGHT_BOLD);
  title->SetFont(font);
  title->SetForegroundColour(wxColour(112, 112, 112));
  sizer->Add(title, 0, wxALL, 20);
  company_ = new wxStaticText(this, wxID_ANY, wxString());
  sizer->Add(company_, 0, wxLEFT | wxRIGHT, 20);
  SetSizer(sizer);
  RefreshDashboard();
}

void DashboardPanel::RefreshDashboard() {
  const int index = frame_ ? frame_->FindCurrentCompanyIndex() : -1;
  const wxString name = index >= 0 ? frame_->GetCompanyName(static_cast<unsigned>(index)) : wxString();
  company_->SetLabelText(name.empty() ? _("Brak wybranej firmy") : _("Firma: ") + name);
  Layout();
}
