#include "sqldata/querys.h"

#include "sqldata/sql_literals.h"

namespace {

// The select of a company-scoped dictionary; "order by 2" sorts by name.
wxString SelectOfCompany(const wxString& columns, const wxString& table, const wxString& companyId,
                         const wxString& order) {
  return "select " + columns + " from " + table + " where id_firmy=" + companyId + " order by " + order;
}

// The saves of the company-scoped dictionaries that hold a name and a default flag.
// The separator before "domyslna=" and "id_firmy=" differs by table (", " or ",").
wxString SaveNamedCompanyDictionary(const wxString& table, const wxString& idColumn, bool insert,
                                    const wxString& id, const wxString& nazwa, const wxString& domyslna,
                                    const wxString& companyId, const wxString& separator) {
  if (insert) {
    return "insert into " + table + "(nazwa,domyslna,id_firmy) values ('" + EscapeSqlText(nazwa) + "'," +
           domyslna + "," + companyId + ")";
  }
  return "update " + table + " set nazwa='" + EscapeSqlText(nazwa) + "'" + separator + "domyslna=" + domyslna +
         separator + "id_firmy=" + companyId + " where " + idColumn + "=" + id + " and id_firmy=" +
         companyId;
}

wxString DeleteCompanyRow(const wxString& table, const wxString& idColumn, const wxString& companyId,
                          const wxString& id) {
  return "delete from " + table + " where " + idColumn + "=" + id + " and id_firmy=" + companyId;
}

}  // namespace

Querys::~Querys() = default;

wxString Querys::SelectPlatnosc() { return "select domyslna,nazwa,id_platnosci from platnosc order by id_platnosci"; }

wxString Querys::SelectKpirOpisZdarzenia(wxString companyId) {
  return SelectOfCompany("domyslna,nazwa,id_kpir_opis_zdarzenia", "kpir_opis_zdarzenia", companyId,
                         "domyslna desc,nazwa");
}

wxString Querys::SelectKontrahentKlasyfikacja(wxString companyId) {
  return SelectOfCompany("domyslna,nazwa,id_klasyfikacji", "kontrahent_klasyfikacja", companyId, "2");
}

wxString Querys::SelectArtykulKategoria(wxString companyId) {
  return SelectOfCompany("domyslna, nazwa,id_kategorii", "artykul_kategoria", companyId, "2");
}

wxString Querys::SelectArtykulCenaRodzaj(wxString companyId) {
  return SelectOfCompany("domyslna,nazwa,id_cena_rodzaj", "artykul_cena_rodzaj", companyId, "2");
}

wxString Querys::SelectArtykulJednostka(wxString companyId) {
  return SelectOfCompany("domyslna,nazwa, skrot, id_jednostki", "artykul_jednostka", companyId, "2");
}

wxString Querys::SelectFirma(wxString companyId, wxString condition) {
  return "select nazwa,coalesce(nip,''),coalesce(miejscowosc,''),"
         "case when coalesce(aktywna,1)=1 then 'Tak' else 'Nie' end,"
         "case when coalesce(domyslna,0)=1 then 'Tak' else '' end,id_firmy from firma " +
         BuildWhere(companyId, condition) + " order by coalesce(domyslna,0) desc,nazwa";
}

wxString Querys::SelectFirmaRachunek(wxString companyId, wxString condition) {
  return "select coalesce(domyslny,0),coalesce(nazwa,''),coalesce(numer,''),coalesce(nazwa_banku,''),"
         "coalesce(waluta,'PLN'),coalesce(swift,''),coalesce(iban,''),coalesce(aktywny,1),coalesce(opis,''),"
         "'b' rodzaj,id_rachunku from firma_rachunek " +
         BuildWhere(companyId, condition) + " order by coalesce(domyslny,0) desc,nazwa_banku,numer";
}

wxString Querys::SelectFirmaHistoria(wxString companyId, wxString condition) {
  // SQLite dialect like every other text: SQLData rewrites date() for SQL Server.
  // The process-wide engine flag is not consulted, since it follows whichever
  // SQLData was constructed last, not the connection this text will run on.
  return "select data_od,nazwa,nazwa_pelna,nip,regon,ulica,kod,miejscowosc,wojewodztwo,id_firma_historia "
         "from firma_historia " +
         BuildWhere(companyId, condition) + " order by date(data_od) desc";
}

wxString Querys::SaveStawkaVat(bool insert, wxString id, wxString nazwa, wxString wartosc, wxString domyslna) {
  if (insert) {
    return "insert into stawka_vat(nazwa,wartosc,domyslna) values ('" + EscapeSqlText(nazwa) + "'," + wartosc +
           "," + domyslna + ")";
  }
  // An empty name or value leaves that column as it is; the default flag is always set.
  const wxString nameSet = nazwa.empty() ? wxString() : "nazwa='" + EscapeSqlText(nazwa) + "',";
  const wxString valueSet = wartosc.empty() ? wxString() : " wartosc=" + wartosc + ",";
  return "update stawka_vat set " + nameSet + valueSet + " domyslna=" + domyslna + " where id_stawki_vat=" + id;
}

wxString Querys::SaveArtykulJednostka(bool insert, wxString id, wxString nazwa, wxString skrot, wxString domyslna,
                                      wxString companyId) {
  if (insert) {
    return "insert into artykul_jednostka(nazwa,skrot,domyslna,id_firmy) values ('" + EscapeSqlText(nazwa) +
           "','" + EscapeSqlText(skrot) + "'," + domyslna + "," + companyId + ")";
  }
  return "update artykul_jednostka set nazwa='" + EscapeSqlText(nazwa) + "',skrot='" + EscapeSqlText(skrot) +
         "',domyslna=" + domyslna + ",id_firmy=" + companyId + " where id_jednostki=" + id +
         " and id_firmy=" + companyId;
}

wxString Querys::SaveArtykulCenaRodzaj(bool insert, wxString id, wxString nazwa, wxString domyslna,
                                       wxString companyId) {
  return SaveNamedCompanyDictionary("artykul_cena_rodzaj", "id_cena_rodzaj", insert, id, nazwa, domyslna,
                                    companyId, ",");
}

wxString Querys::SaveArtykulKategoria(bool insert, wxString id, wxString nazwa, wxString domyslna,
                                      wxString companyId) {
  return SaveNamedCompanyDictionary("artykul_kategoria", "id_kategorii", insert, id, nazwa, domyslna, companyId,
                                    ",");
}

wxString Querys::SaveKontrahentKlasyfikacja(bool insert, wxString id, wxString nazwa, wxString domyslna,
                                            wxString companyId) {
  return SaveNamedCompanyDictionary("kontrahent_klasyfikacja", "id_klasyfikacji", insert, id, nazwa, domyslna,
                                    companyId, ",");
}

wxString Querys::SaveKpirOpisZdarzenia(bool insert, wxString id, wxString nazwa, wxString domyslna,
                                       wxString companyId) {
  return SaveNamedCompanyDictionary("kpir_opis_zdarzenia", "id_kpir_opis_zdarzenia", insert, id, nazwa,
                                    domyslna, companyId, ", ");
}

wxString Querys::SavePlatnosc(bool insert, wxString id, wxString nazwa, wxString domyslna) {
  if (insert) {
    return "insert into platnosc(nazwa,domyslna) values ('" + EscapeSqlText(nazwa) + "'," + domyslna + ")";
  }
  return "update platnosc set nazwa='" + EscapeSqlText(nazwa) + "', domyslna=" + domyslna +
         " where id_platnosci=" + id;
}

wxString Querys::DeleteStawkaVat(wxString id) { return "delete from stawka_vat where id_stawki_vat=" + id; }

wxString Querys::DeletePlatnosc(wxString id) { return "delete from platnosc where id_platnosci=" + id; }

wxString Querys::DeleteArtykulJednostka(wxString companyId, wxString id) {
  return DeleteCompanyRow("artykul_jednostka", "id_jednostki", companyId, id);
}

wxString Querys::DeleteArtykulCenaRodzaj(wxString companyId, wxString id) {
  return DeleteCompanyRow("artykul_cena_rodzaj", "id_cena_rodzaj", companyId, id);
}

wxString Querys::DeleteArtykulKategoria(wxString companyId, wxString id) {
  return DeleteCompanyRow("artykul_kategoria", "id_kategorii", companyId, id);
}

wxString Querys::DeleteKontrahentKlasyfikacja(wxString companyId, wxString id) {
  return DeleteCompanyRow("kontrahent_klasyfikacja", "id_klasyfikacji", companyId, id);
}

wxString Querys::DeleteKpirOpisZdarzenia(wxString companyId, wxString id) {
  return DeleteCompanyRow("kpir_opis_zdarzenia", "id_kpir_opis_zdarzenia", companyId, id);
}

wxString Querys::BuildWhere(wxString companyId, wxString condition) {
  wxString where = " where ";
  if (!companyId.empty()) where += "id_firmy=" + companyId + " ";
  if (!companyId.empty() && !condition.empty()) where += "and ";
  if (!condition.empty()) where += condition + " ";
  wxString trimmed = where;
  trimmed.Trim(true).Trim(false);
  return trimmed == "where" ? wxString() : where;
}
