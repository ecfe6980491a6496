// The controls of the company editor's pages, made alike on every page: fields that
// carry the name of their column, read-only choices, label and control grids, and
// the lists with their models. Used by the DaneFirmy files that build the pages.
#pragma once

#include "sqldata/dv_model.h"

#include <wx/arrstr.h>
#include <wx/dataview.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include <utility>
#include <vector>

class wxCheckBox;
class wxComboBox;
class wxFlexGridSizer;
class wxTextCtrl;
class wxWindow;

namespace company_form {

// The currencies of an account and of the documents.
extern const char* const kCurrencies[4];

wxArrayString Choices(const char* const* items, size_t count);

wxComboBox* ReadOnlyCombo(wxWindow* parent, const wxString& name, const wxArrayString& choices,
                          const wxSize& size = wxDefaultSize);

// Fields carry the name of their column, so they can be found by name.
wxTextCtrl* NewText(wxWindow* parent, const wxString& name, const wxString& value = wxString(),
                    const wxSize& size = wxDefaultSize, long style = 0);

wxCheckBox* NewCheck(wxWindow* parent, const wxString& label, const wxString& name);

// A grid of label and control pairs whose control columns grow.
wxFlexGridSizer* LabelledGrid(int pairs);

void AddLabelled(wxFlexGridSizer* grid, wxWindow* page, const wxString& label, wxWindow* control);

wxDataViewCtrl* NewList(wxWindow* parent, wxWindowID id);

// Selects the item in a single-selection list; an invalid item leaves none selected.
void SelectOnly(wxDataViewCtrl* list, const wxDataViewItem& item);

void AppendTextColumns(wxDataViewCtrl* list, const std::vector<std::pair<wxString, int>>& columns);

wxObjectDataPtr<DVModel> NewModel(const std::vector<int>& kinds);

}  // namespace company_form
