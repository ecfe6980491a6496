#include "danefirmy/company_form_controls.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace company_form {

const char* const kCurrencies[4] = {"PLN", "EUR", "USD", "CHF"};

wxArrayString Choices(const char* const* items, size_t count) {
  wxArrayString choices;
  for (size_t i = 0; i < count; ++i) choices.Add(items[i]);
  return choices;
}

wxComboBox* ReadOnlyCombo(wxWindow* parent, const wxString& name, const wxArrayString& choices, const wxSize& size) {
  auto* box = new wxComboBox(parent, wxID_ANY, wxString(), wxDefaultPosition, size, choices, wxCB_READONLY,
                             wxDefaultValidator, name);
  if (!choices.empty()) box->SetSelection(0);
  return box;
}

wxTextCtrl* NewText(wxWindow* parent, const wxString& name, const wxString& value, const wxSize& size, long style) {
  return new wxTextCtrl(parent, wxID_ANY, value, wxDefaultPosition, size, style, wxDefaultValidator, name);
}

wxCheckBox* NewCheck(wxWindow* parent, const wxString& label, const wxString& name) {
  return new wxCheckBox(parent, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
}

wxFlexGridSizer* LabelledGrid(int pairs) {
  auto* grid = new wxFlexGridSizer(pairs * 2, 8, 8);
  for (int pair = 0; pair < pairs; ++pair) grid->AddGrowableCol(pair * 2 + 1);
  return grid;
}

void AddLabelled(wxFlexGridSizer* grid, wxWindow* page, const wxString& label, wxWindow* control) {
  grid->Add(new wxStaticText(page, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(control, 0, wxEXPAND);
}

wxDataViewCtrl* NewList(wxWindow* parent, wxWindowID id) {
  return new wxDataViewCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                            wxDV_SINGLE | wxDV_VERT_RULES | wxDV_ROW_LINES);
}

void SelectOnly(wxDataViewCtrl* list, const wxDataViewItem& item) {
  if (item.IsOk()) {
    list->Select(item);
  } else {
    list->UnselectAll();
  }
}

void AppendTextColumns(wxDataViewCtrl* list, const std::vector<std::pair<wxString, int>>& columns) {
  unsigned int model = 0;
  for (const auto& [title, width] : columns) {
    list->AppendTextColumn(title, model++, wxDATAVIEW_CELL_INERT, width, wxALIGN_NOT, wxDATAVIEW_COL_RESIZABLE);
  }
}

wxObjectDataPtr<DVModel> NewModel(const std::vector<int>& kinds) {
  wxObjectDataPtr<DVModel> model(new DVModel());
  for (size_t i = 0; i < kinds.size(); ++i) model->AddColumn(kinds[i], static_cast<int>(i));
  model->InitStorage();
  return model;
}

}  // namespace company_form
