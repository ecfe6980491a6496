#include "danefirmy/company_columns.h"

#include "app/common/i18n.h"

#include <cstddef>

namespace {

// A column, its field's label in the editor (null for an account's), and the member
// that holds its value: exactly one of the three member pointers is set.
template <typename Record>
struct Column {
  const char* name;
  const char* label;
  wxString Record::*text = nullptr;
  bool Record::*flag = nullptr;
  int Record::*number = nullptr;
};

template <typename Record>
Column<Record> Text(const char* name, const char* label, wxString Record::*member) {
  return {name, label, member, nullptr, nullptr};
}
template <typename Record>
Column<Record> Flag(const char* name, const char* label, bool Record::*member) {
  return {name, label, nullptr, member, nullptr};
}
template <typename Record>
Column<Record> Number(const char* name, const char* label, int Record::*member) {
  return {name, label, nullptr, nullptr, member};
}

using C = CompanyRecord;
const Column<C> kCompanyColumns[] = {
    Text<C>("nazwa", "Nazwa", &C::nazwa),
    Text<C>("nazwa_pelna", "Pełna nazwa", &C::nazwaPelna),
    Text<C>("nip", "NIP", &C::nip),
    Text<C>("regon", "REGON", &C::regon),
    Text<C>("telefon", "Telefon", &C::telefon),
    Text<C>("email", "E-mail", &C::email),
    Text<C>("www", "WWW", &C::www),
    Text<C>("ulica", "Ulica i numer", &C::ulica),
    Text<C>("kod", "Kod pocztowy", &C::kod),
    Text<C>("miejscowosc", "Miejscowość", &C::miejscowosc),
    Text<C>("wojewodztwo", "Województwo", &C::wojewodztwo),
    Text<C>("kraj", "Kraj", &C::kraj),
    Text<C>("naglowek_dokumentow", "Nagłówek tekstowy na dokumentach", &C::naglowekDokumentow),
    Text<C>("stopka_dokumentow", "Stopka tekstowa na dokumentach", &C::stopkaDokumentow),
    Text<C>("data_od", "Dane obowiązują od", &C::dataOd),
    Flag<C>("platnik_vat", "Płatnik VAT", &C::platnikVat),
    Flag<C>("czynny_vat", "Czynny podatnik VAT", &C::czynnyVat),
    Flag<C>("maly_podatnik", "Mały podatnik", &C::malyPodatnik),
    Flag<C>("vat_kwartalny", "VAT kwartalny", &C::vatKwartalny),
    Flag<C>("metoda_kasowa", "Metoda kasowa", &C::metodaKasowa),
    Flag<C>("aktywna", "Aktywna", &C::aktywna),
    Flag<C>("domyslna", "Domyślna", &C::domyslna),
    Text<C>("uwagi", "Uwagi", &C::uwagi),
    Flag<C>("pokazuj_logo", "Pokazuj logo na dokumentach", &C::pokazujLogo),
    Text<C>("informacja_dodatkowa", "Informacja dodatkowa", &C::informacjaDodatkowa),
    Text<C>("miejsce_wystawienia", "Miejsce wystawienia", &C::miejsceWystawienia),
    Number<C>("domyslna_platnosc", "Forma płatności", &C::domyslnaPlatnosc),
    Number<C>("domyslny_termin", "Termin płatności (dni)", &C::domyslnyTermin),
    Text<C>("domyslna_waluta", "Waluta", &C::domyslnaWaluta),
    Text<C>("krs", "KRS", &C::krs),
    Text<C>("bdo", "BDO", &C::bdo),
    Text<C>("eori", "EORI", &C::eori),
    Text<C>("gln", "GLN", &C::gln),
    Text<C>("ksef_id", "Identyfikator wewnętrzny KSeF", &C::ksefId),
};

using A = CompanyAccountRow;
// A conflict names the account, not its fields.
const Column<A> kAccountColumns[] = {
    Text<A>("nazwa", nullptr, &A::nazwa),
    Text<A>("numer", nullptr, &A::numer),
    Text<A>("nazwa_banku", nullptr, &A::nazwaBanku),
    Text<A>("waluta", nullptr, &A::waluta),
    Text<A>("swift", nullptr, &A::swift),
    Text<A>("iban", nullptr, &A::iban),
    Flag<A>("aktywny", nullptr, &A::aktywny),
    Text<A>("opis", nullptr, &A::opis),
    Flag<A>("domyslny", nullptr, &A::domyslny),
};

// The text a value is compared by: a flag as "1" or "0", a number in decimal. The
// columns hold texts, flags and ints only.
wxString ComparedValueText(const SqlValue& value) {
  if (value.kind == SqlValueBool) return value.boolValue ? "1" : "0";
  if (value.kind == SqlValueInt) return wxString::Format("%d", value.intValue);
  return value.textValue;
}

template <typename Record>
SqlValue ValueOf(const Record& record, const Column<Record>& column) {
  if (column.text) return SqlValue(record.*column.text);
  if (column.flag) return SqlValue(record.*column.flag);
  return SqlValue(record.*column.number);
}

template <typename Record, std::size_t N>
const Column<Record>* Find(const Column<Record> (&columns)[N], const wxString& name) {
  for (const Column<Record>& column : columns) {
    if (name == column.name) return &column;
  }
  return nullptr;
}

template <typename Record, std::size_t N>
SqlValue ValueByName(const Record& record, const Column<Record> (&columns)[N], const wxString& name) {
  const Column<Record>* found = Find(columns, name);
  return found ? ValueOf(record, *found) : SqlValue::Null();
}

template <typename Record, std::size_t N>
wxArrayString NamesOf(const Column<Record> (&columns)[N]) {
  wxArrayString names;
  for (const Column<Record>& column : columns) names.Add(column.name);
  return names;
}

template <typename Record, std::size_t N>
RowValues ValuesOf(const Record& record, const Column<Record> (&columns)[N]) {
  RowValues values;
  for (const Column<Record>& column : columns) values[column.name] = ComparedValueText(ValueOf(record, column));
  return values;
}

}  // namespace

const wxArrayString& CompanyColumnNames() {
  static const wxArrayString names = NamesOf(kCompanyColumns);
  return names;
}

SqlValue CompanyColumnValue(const CompanyRecord& company, const wxString& column) {
  return ValueByName(company, kCompanyColumns, column);
}

RowValues CompanyRowValues(const CompanyRecord& company) { return ValuesOf(company, kCompanyColumns); }

wxString CompanyColumnLabel(const wxString& column) {
  const Column<C>* found = Find(kCompanyColumns, column);
  return found ? _(found->label) : column;
}

CompanyRecord CompanyEditsOver(const CompanyRecord& loaded, const CompanyRecord& shown, const CompanyRecord& typed) {
  CompanyRecord edited = loaded;
  for (const Column<C>& column : kCompanyColumns) {
    if (ComparedValueText(ValueOf(typed, column)) == ComparedValueText(ValueOf(shown, column))) continue;
    if (column.text) edited.*column.text = typed.*column.text;
    if (column.flag) edited.*column.flag = typed.*column.flag;
    if (column.number) edited.*column.number = typed.*column.number;
  }
  return edited;
}

const wxArrayString& AccountColumnNames() {
  static const wxArrayString names = NamesOf(kAccountColumns);
  return names;
}

SqlValue AccountColumnValue(const CompanyAccountRow& account, const wxString& column) {
  return ValueByName(account, kAccountColumns, column);
}

RowValues AccountRowValues(const CompanyAccountRow& account) { return ValuesOf(account, kAccountColumns); }

wxString AccountTitle(const CompanyAccountRow& account) {
  for (const wxString& text : {account.nazwa, account.numer, account.iban, account.nazwaBanku}) {
    if (!wxString(text).Trim(true).Trim(false).empty()) return text;
  }
  return wxString::Format("%ld", account.idRachunku);
}
