#include "plugins/grid_column_filter_dialog.h"

#include "app/common/i18n.h"
#include "app/common/text_folding.h"
#include "app/common/window_placement.h"

#include <wx/button.h>
#include <wx/checklst.h>
#include <wx/dc.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/srchctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace veldrix {

GridColumnFilterDialog::GridColumnFilterDialog(wxWindow* parent, const wxString& title, const wxArrayString& values,
                                               const ColumnFilter& current)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxSize(560, 460), wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      values_(values),
      current_(current) {
  SetName("GridColumnFilterDialog");
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* notebook = new wxNotebook(this, wxID_ANY);
  sizer->Add(notebook, 1, wxEXPAND | wxALL, 8);

  auto* valuesPage = new wxPanel(notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER);
  auto* valuesSizer = new wxBoxSizer(wxVERTICAL);
  search_ = new wxSearchCtrl(valuesPage, wxID_ANY);
  search_->SetDescriptiveText(_("Szukaj"));
  valuesSizer->Add(search_, 0, wxEXPAND | wxALL, 8);
  list_ = new wxCheckListBox(valuesPage, wxID_ANY);
  valuesSizer->Add(list_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
  auto* checkRow = new wxBoxSizer(wxHORIZONTAL);
  auto* checkAll = new wxButton(valuesPage, wxID_ANY, _("Zaznacz wszystko"));
  auto* uncheckAll = new wxButton(valuesPage, wxID_ANY, _("Wyczyść zaznaczenie"));
  checkRow->Add(checkAll, 0, wxRIGHT, 4);
  checkRow->Add(uncheckAll, 0);
  valuesSizer->Add(checkRow, 0, wxLEFT | wxRIGHT | wxBOTTOM, 8);
  valuesPage->SetSizer(valuesSizer);

  auto* textPage = new wxPanel(notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER);
  auto* textSizer = new wxBoxSizer(wxVERTICAL);
  textSizer->Add(new wxStaticText(textPage, wxID_ANY, _("Pokaż tylko wiersze, w których wybrana kolumna zawiera:")), 0,
                 wxALL, 8);
  text_ = new wxTextCtrl(textPage, wxID_ANY, current_.text);
  textSizer->Add(text_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
  textPage->SetSizer(textSizer);

  notebook->AddPage(valuesPage, _("Wartości"), true);
  notebook->AddPage(textPage, _("Filtr tekstowy"));

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* clear = new wxButton(this, wxID_ANY, _("Wyczyść filtr"));
  buttons->Add(clear, 0);
  buttons->AddStretchSpacer();
  buttons->Add(new wxButton(this, wxID_OK, _("Zastosuj")), 0, wxRIGHT, 4);
  buttons->Add(new wxButton(this, wxID_CANCEL, _("Zamknij")), 0);
  sizer->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
  SetSizer(sizer);

  search_->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { RefreshValueList(); });
  checkAll->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CheckAll(true); });
  uncheckAll->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CheckAll(false); });
  clear->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    clearRequested_ = true;
    EndModal(wxID_OK);
  });

  RefreshValueList();
  SetMinSize(wxSize(560, 460));
  Layout();
  CentreOnParent(wxBOTH);
  KeepPositionOnFirstShow(this);
}

void GridColumnFilterDialog::RefreshValueList() {
  std::set<wxString> keep;
  for (unsigned i = 0; i < list_->GetCount(); ++i) {
    if (list_->IsChecked(i)) keep.insert(list_->GetString(i));
  }
  if (keep.empty()) keep = current_.values;
  // Values are folded the way the grid's text filter folds cells, so the search
  // finds Polish capitals whatever the process locale.
  const std::wstring search = FoldText(search_->GetValue()).ToStdWstring();

  list_->Freeze();
  list_->Clear();
  for (const wxString& value : values_) {
    if (!ContainsFolded(value.ToStdWstring(), search)) continue;
    const int item = list_->Append(value);
    if (keep.count(value)) list_->Check(static_cast<unsigned>(item));
  }
  list_->Thaw();
}

void GridColumnFilterDialog::CheckAll(bool check) {
  for (unsigned i = 0; i < list_->GetCount(); ++i) list_->Check(i, check);
}

ColumnFilter GridColumnFilterDialog::GetFilter() const {
  if (clearRequested_) return ColumnFilter();
  std::set<wxString> checked;
  for (unsigned i = 0; i < list_->GetCount(); ++i) {
    if (list_->IsChecked(i)) checked.insert(list_->GetString(i));
  }
  return ColumnFilter::Make(text_->GetValue(), std::move(checked));
}

void DrawFilterMark(wxDC& dc, const wxRect& rect, bool active) {
  const wxColour colour = active ? wxColour(205, 35, 35) : wxColour(185, 185, 185);
  const int x0 = rect.x + (rect.width - 12) / 2;
  const int y0 = rect.y + (rect.height - 12) / 2;
  dc.SetPen(wxPen(colour, 1, wxPENSTYLE_SOLID));
  dc.SetBrush(wxBrush(colour, wxBRUSHSTYLE_SOLID));
  const wxPoint funnel[] = {wxPoint(x0 + 1, y0 + 2), wxPoint(x0 + 11, y0 + 2), wxPoint(x0 + 7, y0 + 7),
                            wxPoint(x0 + 5, y0 + 7)};
  dc.DrawPolygon(4, funnel, 0, 0, wxODDEVEN_RULE);
  dc.DrawRectangle(x0 + 5, y0 + 7, 3, 4);
}

}  // namespace veldrix
