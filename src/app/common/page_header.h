// The header that opens the program's settings pages and the host-built module
// pages: the title in Arial 20 pt bold, grey, above a horizontal line.
#pragma once

class wxSizer;
class wxStaticText;
class wxString;
class wxWindow;

namespace veldrix {

// Adds the title (proportion 0, 5-pixel border all round) and the line below it
// (expanded, 5-pixel border left and right) to `sizer`; returns the title control.
wxStaticText* AddPageHeader(wxWindow* parent, wxSizer* sizer, const wxString& title);

}  // namespace veldrix
