#include "appmenu/about_dialog.h"

#include "app/common/i18n.h"
#include "app/common/images.h"
#include "app/common/window_placement.h"
#include "appmenu/component_versions.h"

#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>

namespace {

const wxColour kDialogBackground(247, 249, 252);
const wxColour kPageBackground(255, 255, 255);

// A one-line text in a font of its own; GTK measures a label in its first font, so
// the size is set from the new one.
wxStaticText* ColouredText(wxWindow* parent, const wxString& text, const wxColour& colour, int pointsMore = 0,
                           bool bold = false) {
  auto* label = new wxStaticText(parent, wxID_ANY, text);
  label->SetForegroundColour(colour);
  if (pointsMore != 0 || bold) {
    wxFont font = label->GetFont();
    font.SetPointSize(font.GetPointSize() + pointsMore);
    if (bold) font.SetWeight(wxFONTWEIGHT_BOLD);
    label->SetFont(font);
    label->SetMinSize(label->GetTextExtent(text));
  }
  return label;
}

}  // namespace

VeldrixAboutDialog::VeldrixAboutDialog(wxWindow* parent, const wxString& version)
    : wxDialog(parent, wxID_ANY, _("O programie Veldrix"), wxDefaultPosition, wxSize(700, 570),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER, "VeldrixAboutDialog") {
  SetBackgroundColour(kDialogBackground);
  auto* main = new wxBoxSizer(wxVERTICAL);

  auto* strip = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxSize(-1, 5), wxTAB_TRAVERSAL | wxBORDER_NONE);
  strip->SetBackgroundColour(wxColour(232, 126, 22));
  main->Add(strip, 0, wxEXPAND, 0);

  auto* header = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE);
  header->SetBackgroundColour(kDialogBackground);
  auto* headerSizer = new wxBoxSizer(wxHORIZONTAL);
  auto* logo = new wxStaticBitmap(
      header, wxID_ANY, veldrix::LoadToolbarBitmap("quillmore_znak_wodny.xpm", wxART_INFORMATION, wxSize(76, 76)));
  headerSizer->Add(logo, 0, wxALL | wxALIGN_CENTER_VERTICAL, 18);
  auto* column = new wxBoxSizer(wxVERTICAL);
  auto* product = ColouredText(header, "Veldrix", wxColour(20, 48, 78), 9, true);
  column->Add(product, 0, wxBOTTOM, 3);
  column->Add(ColouredText(header, _("Modułowe oprogramowanie do obsługi firmy"), wxColour(70, 83, 98)), 0, wxBOTTOM,
              6);
  auto* versionLine = ColouredText(
      header, version.empty() ? _("Wersja programu: brak danych") : _("Wersja programu: ") + version,
      wxColour(34, 111, 175), 0, true);
  versionLine->SetName("AboutVersion");
  column->Add(versionLine, 0, 0, 0);
  headerSizer->Add(column, 1, wxRIGHT | wxALIGN_CENTER_VERTICAL, 18);
  header->SetSizer(headerSizer);
  main->Add(header, 0, wxEXPAND, 0);

  main->Add(new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL), 0, wxEXPAND, 0);

  auto* notebook = new wxNotebook(this, wxID_ANY);
  notebook->AddPage(CreateProjectPage(notebook), _("O projekcie"), true);
  notebook->AddPage(CreateTechnologyPage(notebook), _("Technologie"), false);
  notebook->AddPage(CreateLicencePage(notebook), _("Licencje"), false);
  main->Add(notebook, 1, wxALL | wxEXPAND, 14);

  auto* footer = new wxBoxSizer(wxHORIZONTAL);
  footer->Add(ColouredText(this, "QUILLMORE  |  Orvel Tamsk", wxColour(91, 101, 112)), 1,
              wxLEFT | wxALIGN_CENTER_VERTICAL, 16);
  auto* close = new wxButton(this, wxID_OK, _("Zamknij"));
  close->SetDefault();
  footer->Add(close, 0, wxRIGHT | wxBOTTOM, 14);
  main->Add(footer, 0, wxEXPAND, 0);

  SetSizer(main);
  SetMinSize(wxSize(650, 520));
  CentreOnParent(wxBOTH);
  veldrix::KeepPositionOnFirstShow(this);
}

wxScrolledWindow* VeldrixAboutDialog::CreateAboutPage(wxWindow* notebook) {
  auto* page = new wxScrolledWindow(notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL);
  page->SetBackgroundColour(kPageBackground);
  page->SetScrollRate(0, 10);
  return page;
}

void VeldrixAboutDialog::AddAboutSection(wxWindow* page, wxSizer* sizer, const wxString& title,
                                         const wxString& text) {
  auto* heading = ColouredText(page, title, wxColour(20, 78, 119), 1, true);
  sizer->Add(heading, 0, wxLEFT | wxRIGHT, 20);
  sizer->AddSpacer(4);
  auto* body = ColouredText(page, text, wxColour(45, 53, 62));
  body->Wrap(580);
  sizer->Add(body, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 20);
}

wxScrolledWindow* VeldrixAboutDialog::BuildPage(wxWindow* notebook,
                                                const std::vector<std::pair<wxString, wxString>>& sections) {
  wxScrolledWindow* page = CreateAboutPage(notebook);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->AddSpacer(18);
  for (const auto& section : sections) AddAboutSection(page, sizer, section.first, section.second);
  sizer->AddStretchSpacer(1);
  page->SetSizer(sizer);
  page->FitInside();
  return page;
}

wxScrolledWindow* VeldrixAboutDialog::CreateProjectPage(wxWindow* notebook) {
  return BuildPage(notebook, {
      {"Veldrix",
       _("Veldrix to modułowy program wspierający codzienną obsługę firmy: dokumenty handlowe i faktury, "
         "kontrahentów, artykuły, rozliczenia oraz wymianę danych z usługami zewnętrznymi.")},
      {_("Program bazowy"),
       _("Rdzeń programu jest rozwijany jako oprogramowanie open source. Otwarty kod ułatwia poznanie "
         "sposobu działania aplikacji, jej dalszy rozwój oraz dopasowanie do własnych potrzeb.")},
      {_("Dodatki i moduły"),
       _("Veldrix może być rozszerzana niezależnymi modułami. Dodatki mogą być udostępniane bezpłatnie "
         "albo odpłatnie i mogą posiadać własne warunki licencyjne, niezależne od programu bazowego.")},
      {_("Projekt i rozwój"),
       _("QUILLMORE, Orvel Tamsk. Projekt powstaje z myślą o praktycznej pracy, kontroli nad danymi i "
         "możliwości rozwijania programu razem z potrzebami firmy.")},
  });
}

wxScrolledWindow* VeldrixAboutDialog::CreateTechnologyPage(wxWindow* notebook) {
  return BuildPage(notebook, {
      {_("C++ i wxWidgets"),
       _("Natywny rdzeń aplikacji i wieloplatformowy interfejs użytkownika przygotowany w technologii "
         "wxWidgets.")},
      {_("SQLite i SQL Server"),
       _("Warstwa danych pozwala korzystać z lekkiej lokalnej bazy SQLite oraz serwera Microsoft SQL "
         "Server, zależnie od sposobu wdrożenia programu.")},
      {_("Raporty i wydruki"),
       _("Raporty i wydruki są obsługiwane przez rozwijane wraz z projektem biblioteki raportowe oraz "
         "definicje raportów zapisane w formacie JSON.")},
      {_("Architektura modułowa"),
       _("Funkcje biznesowe są rozdzielone na moduły ładowane przez API wtyczek. Zasoby interfejsu "
         "wykorzystują między innymi XRC, a dane konfiguracyjne format JSON.")},
  });
}

wxScrolledWindow* VeldrixAboutDialog::CreateLicencePage(wxWindow* notebook) {
  return BuildPage(notebook, {
      {"Veldrix", wxString()},
      {_("Dodatki"),
       _("Moduły dodatkowe mogą korzystać z odrębnych licencji, w tym licencji komercyjnych. Informacja o "
         "licencji dodatku powinna być dostarczona razem z danym modułem.")},
      {_("Wybrane komponenty zewnętrzne"), DescribeComponents(LinkedComponents())},
      {_("Pozostałe biblioteki"),
       _("Aplikacja korzysta również z innych bibliotek i sterowników. Każdy z tych składników pozostaje "
         "objęty warunkami licencyjnymi jego autora lub dostawcy.")},
  });
}
