// Querys: the SQL texts (SQLite dialect) of the shared dictionary tables and the
// selects of the company tables, for the dictionary editors and the company editor.
// It only builds text; the caller runs it through its SQLData.
#pragma once

#include <wx/object.h>
#include <wx/string.h>

// Ids, company ids, default flags and VAT values are texts already in SQL number
// form and are inserted as given; the caller guarantees they are numbers. Names and
// abbreviations are quoted with every "'" doubled. The operations keep no state
// and may be called from any thread.
class Querys : public wxObject {
 public:
  ~Querys() override;

  // Dictionary selects: the default flag first, the row id last.
  static wxString SelectPlatnosc();
  static wxString SelectKpirOpisZdarzenia(wxString companyId);
  static wxString SelectKontrahentKlasyfikacja(wxString companyId);
  static wxString SelectArtykulKategoria(wxString companyId);
  static wxString SelectArtykulCenaRodzaj(wxString companyId);
  static wxString SelectArtykulJednostka(wxString companyId);

  // Company selects, filtered by BuildWhere(companyId, condition).
  static wxString SelectFirma(wxString companyId, wxString condition);
  static wxString SelectFirmaRachunek(wxString companyId, wxString condition);
  // Newest entry first, by date(data_od) on every engine.
  static wxString SelectFirmaHistoria(wxString companyId, wxString condition);

  // Saves: an insert when `insert` (id unused), otherwise an update of row `id`.
  static wxString SaveStawkaVat(bool insert, wxString id, wxString nazwa, wxString wartosc, wxString domyslna);
  static wxString SaveArtykulJednostka(bool insert, wxString id, wxString nazwa, wxString skrot, wxString domyslna,
                                       wxString companyId);
  static wxString SaveArtykulCenaRodzaj(bool insert, wxString id, wxString nazwa, wxString domyslna,
                                        wxString companyId);
  static wxString SaveArtykulKategoria(bool insert, wxString id, wxString nazwa, wxString domyslna,
                                       wxString companyId);
  static wxString SaveKontrahentKlasyfikacja(bool insert, wxString id, wxString nazwa, wxString domyslna,
                                             wxString companyId);
  static wxString SavePlatnosc(bool insert, wxString id, wxString nazwa, wxString domyslna);
  static wxString SaveKpirOpisZdarzenia(bool insert, wxString id, wxString nazwa, wxString domyslna,
                                        wxString companyId);

  // Deletes; the company-scoped ones take the company id first.
  static wxString DeleteStawkaVat(wxString id);
  static wxString DeletePlatnosc(wxString id);
  static wxString DeleteArtykulJednostka(wxString companyId, wxString id);
  static wxString DeleteArtykulCenaRodzaj(wxString companyId, wxString id);
  static wxString DeleteArtykulKategoria(wxString companyId, wxString id);
  static wxString DeleteKontrahentKlasyfikacja(wxString companyId, wxString id);
  static wxString DeleteKpirOpisZdarzenia(wxString companyId, wxString id);

  // " where id_firmy=<id> and <condition> " with either part left out when empty;
  // the empty text when both are. The condition is SQL written by the caller and
  // taken unchanged.
  static wxString BuildWhere(wxString companyId, wxString condition);
};
