#include "app/common/page_header.h"

#include "app/common/literal_label.h"

#include <wx/font.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>

namespace veldrix {

wxStaticText* AddPageHeader(wxWindow* parent, wxSizer* sizer, const wxString& title) {
  auto* label = new wxStaticText(parent, wxID_ANY, LiteralLabel(title));
  label->SetForegroundColour(wxColour(112, 112, 112));
  label->SetFont(wxFont(20, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD, false,
                        "Arial"));
  sizer->Add(label, 0, wxALL, 5);
  sizer->Add(new wxStaticLine(parent, wxID_ANY), 0, wxEXPAND | wxLEFT | wxRIGHT, 5);
  return label;
}

}  // namespace veldrix
