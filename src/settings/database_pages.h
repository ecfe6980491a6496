// The two settings pages that describe the database the program works on: "Baza
// programu" and the report page "Baza raportow". They parse connection strings
// only; neither connects to a database.
#pragma once

#include <wx/panel.h>

#include <vector>

class wxButton;
class wxStaticText;

// The canonical form of a connection string; `defaultText` when it is empty, the
// string unchanged when it cannot be parsed.
wxString DescribeConnectionString(const wxString& connection, const wxString& defaultText);

// What a database page shows for a connection string: the server type and the
// target, with the SQLite remark on the target when asked; "Nieznane" and an
// explanation when the string cannot be parsed.
struct ConnectionLabels {
  wxString serverType;
  wxString target;
};
ConnectionLabels DescribeConnectionLabels(const wxString& connection, bool sqliteRemark);

// One database page: the header, a box with a note, the two value rows and a row
// of buttons, right-aligned.
class DatabaseInfoPage : public wxPanel {
 public:
  DatabaseInfoPage(wxWindow* parent, const wxString& title, const wxString& boxTitle, const wxString& note,
                   const std::vector<wxString>& buttonLabels);

  // Keeps the connection text and shows its labels.
  void ShowConnection(const wxString& connection, bool sqliteRemark);

  const wxString& GetConnectionText() const { return connection_; }
  wxButton* GetButton(size_t index) const { return buttons_.at(index); }
  wxStaticText* GetServerTypeLabel() const { return serverType_; }
  wxStaticText* GetTargetLabel() const { return target_; }

 private:
  wxString connection_;
  wxStaticText* serverType_ = nullptr;
  wxStaticText* target_ = nullptr;
  std::vector<wxButton*> buttons_;
};
