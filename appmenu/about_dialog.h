// The about box: the product, its version, three pages about the project, the
// technologies and the licences (with the components this build links), and the
// maker. Shown modally by the main window from the application menu.
#pragma once

#include <wx/dialog.h>

#include <utility>
#include <vector>

class wxScrolledWindow;
class wxSizer;

class VeldrixAboutDialog : public wxDialog {
 public:
  // version: the program's version text; empty shows that it is unknown.
  VeldrixAboutDialog(wxWindow* parent, const wxString& version);

 private:
  wxScrolledWindow* CreateAboutPage(wxWindow* notebook);
  void AddAboutSection(wxWindow* page, wxSizer* sizer, const wxString& title, const wxString& text);
  wxScrolledWindow* CreateProjectPage(wxWindow* notebook);
  wxScrolledWindow* CreateTechnologyPage(wxWindow* notebook);
  wxScrolledWindow* CreateLicencePage(wxWindow* notebook);
  // A page of sections {title, text} in order.
  wxScrolledWindow* BuildPage(wxWindow* notebook, const std::vector<std::pair<wxString, wxString>>& sections);
};
