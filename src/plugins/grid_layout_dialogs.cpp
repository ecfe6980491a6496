// The two layout dialogs of a module grid: "Konfiguracja kolumn" (order and
// visibility) and "Konfiguracja kolorów" (header, selection, lines).
#include "app/common/i18n.h"
#include "app/common/window_placement.h"
#include "plugins/module_grid_view.h"

#include <wx/button.h>
#include <wx/choicdlg.h>
#include <wx/colordlg.h>
#include <wx/grid.h>
#include <wx/panel.h>
#include <wx/rearrangectrl.h>
#include <wx/sizer.h>

namespace veldrix {

const char kColumnsDialogName[] = "GridColumnsDialog";
const char kColoursDialogName[] = "GridColoursDialog";
const char kColourPickerName[] = "GridColourPicker";

void ModuleGridView::SetArrangement(const GridLayout& arranged) {
  layout_.order = arranged.order;
  layout_.visible = arranged.visible;
  SaveLayout();
  if (hooks_.refreshPage) hooks_.refreshPage();
}

void ModuleGridView::SetColour(int which, const wxColour& colour) {
  if (which < 0 || which > 2) return;
  layout_.Colour(which) = colour;
  ApplyColours();
  SaveLayout();
}

void ModuleGridView::ResetColours() {
  layout_.ResetColours();
  ApplyColours();
  SaveLayout();
}

void ModuleGridView::ShowColumnsDialog() {
  const std::vector<PluginColumnInfo> definitions = hooks_.columns ? hooks_.columns() : definitions_;
  const std::size_t columns = definitions.empty() ? 2 : definitions.size();
  LoadLayout(columns);
  wxArrayString items;
  for (std::size_t i = 0; i < columns; ++i) items.Add(ColumnTitle(definitions, static_cast<int>(i)));

  GridLayout working = layout_;
  const int defaultsId = wxWindow::NewControlId();
  for (;;) {
    wxRearrangeDialog dialog(page_, _("Zaznacz widoczne kolumny i ustaw ich kolejność."), _("Konfiguracja kolumn"),
                             ColumnArrangementOrder(working), items, wxDefaultPosition, kColumnsDialogName);
    auto* extra = new wxPanel(&dialog);
    auto* extraSizer = new wxBoxSizer(wxHORIZONTAL);
    auto* defaults = new wxButton(extra, defaultsId, _("Domyślne"));
    extraSizer->Add(defaults, 0, wxALL, 4);
    extra->SetSizer(extraSizer);
    dialog.AddExtraControls(extra);
    defaults->Bind(wxEVT_BUTTON, [&dialog, defaultsId](wxCommandEvent&) { dialog.EndModal(defaultsId); });
    dialog.SetSize(560, 620);
    dialog.CentreOnParent(wxBOTH);
    KeepPositionOnFirstShow(&dialog);

    const int result = dialog.ShowModal();
    if (result == defaultsId) {
      working = GridLayout::Default(columns);
      continue;
    }
    if (result != wxID_OK) return;
    ApplyColumnArrangement(working, dialog.GetOrder());
    break;
  }
  SetArrangement(working);
}

void ModuleGridView::ShowColoursDialog() {
  LoadLayout(ColumnCount());
  const wxString choices[] = {_("Tło nagłówków"), _("Kolor zaznaczenia"), _("Linie siatki")};
  wxSingleChoiceDialog dialog(page_, _("Wybierz element do zmiany"), _("Konfiguracja kolorów"), 3, choices, nullptr,
                              wxCHOICEDLG_STYLE);
  dialog.SetName(kColoursDialogName);
  if (wxWindow* ok = dialog.FindWindow(wxID_OK)) {
    if (wxSizer* row = ok->GetContainingSizer()) {
      auto* defaults = new wxButton(ok->GetParent(), wxID_ANY, _("Domyślne"));
      row->Insert(0, defaults, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
      defaults->Bind(wxEVT_BUTTON, [this, &dialog](wxCommandEvent&) {
        ResetColours();
        dialog.EndModal(wxID_CANCEL);
      });
    }
  }
  dialog.SetSize(560, 360);
  dialog.CentreOnParent(wxBOTH);
  KeepPositionOnFirstShow(&dialog);
  if (dialog.ShowModal() != wxID_OK) return;

  const int which = dialog.GetSelection();
  const wxColour current = layout_.Colour(which);
  wxColourData data;
  data.SetChooseFull(true);
  data.SetColour(current);
  wxColourDialog picker(page_, &data);
  picker.SetName(kColourPickerName);
  picker.SetSize(640, 520);
  picker.CentreOnParent(wxBOTH);
  if (picker.ShowModal() != wxID_OK) return;
  SetColour(which, picker.GetColourData().GetColour());
}

}  // namespace veldrix
