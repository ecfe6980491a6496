#include "settings/dictionary_store.h"

#include "app/common/i18n.h"
#include "sqldata/engine_statements.h"
#include "sqldata/querys.h"
#include "sqldata/row_merge.h"
#include "sqldata/save_failure_text.h"
#include "sqldata/sql_data.h"
#include "sqldata/sql_literals.h"

#include <climits>

namespace {

struct KindInfo {
  const char* table;
  const char* idColumn;
  const char* title;
  bool company;
};

const KindInfo kKinds[] = {
    {"stawka_vat", "id_stawki_vat", "Stawki VAT", false},
    {"artykul_kategoria", "id_kategorii", "Kategorie artykułu", true},
    {"artykul_jednostka", "id_jednostki", "Jednostki", true},
    {"artykul_cena_rodzaj", "id_cena_rodzaj", "Ceny", true},
    {"kontrahent_klasyfikacja", "id_klasyfikacji", "Klasyfikacje", true},
    {"platnosc", "id_platnosci", "Formy płatności", false},
    {"kpir_opis_zdarzenia", "id_kpir_opis_zdarzenia", "Opisy zdarzeń", true},
};

const KindInfo& Info(DictionaryKind kind) { return kKinds[kind]; }

// The statement that takes the default flag from the kind's present default.
// Categories, units and price kinds also clear rows without a company.
wxString ClearDefaultStatement(DictionaryKind kind, const wxString& company) {
  const wxString head = wxString("update ") + Info(kind).table + " set domyslna=0 where domyslna=1";
  switch (kind) {
    case kDictionaryArticleCategory:
    case kDictionaryUnit:
    case kDictionaryPriceKind:
      return head + " and coalesce(id_firmy," + company + ")=" + company;
    case kDictionaryContractorClassification:
    case kDictionaryLedgerEvent:
      return head + " and id_firmy=" + company;
    default:
      return head;
  }
}

// The kind's rows the page lists (those of the company) that hold the default flag.
wxString ListedDefaultCondition(DictionaryKind kind, const wxString& company) {
  return Info(kind).company ? "domyslna=1 and id_firmy=" + company : wxString("domyslna=1");
}

wxString SaveStatement(DictionaryKind kind, bool insert, const wxString& id, const DictionaryEntry& entry,
                       const wxString& value, const wxString& company) {
  const wxString flag = entry.isDefault ? "1" : "0";
  switch (kind) {
    case kDictionaryVatRate: return Querys::SaveStawkaVat(insert, id, entry.name, value, flag);
    case kDictionaryArticleCategory: return Querys::SaveArtykulKategoria(insert, id, entry.name, flag, company);
    case kDictionaryUnit: return Querys::SaveArtykulJednostka(insert, id, entry.name, entry.value, flag, company);
    case kDictionaryPriceKind: return Querys::SaveArtykulCenaRodzaj(insert, id, entry.name, flag, company);
    case kDictionaryContractorClassification:
      return Querys::SaveKontrahentKlasyfikacja(insert, id, entry.name, flag, company);
    case kDictionaryPaymentForm: return Querys::SavePlatnosc(insert, id, entry.name, flag);
    case kDictionaryLedgerEvent: return Querys::SaveKpirOpisZdarzenia(insert, id, entry.name, flag, company);
    default: return wxString();
  }
}

wxString DeleteStatement(DictionaryKind kind, const wxString& id, const wxString& company) {
  switch (kind) {
    case kDictionaryVatRate: return Querys::DeleteStawkaVat(id);
    case kDictionaryArticleCategory: return Querys::DeleteArtykulKategoria(company, id);
    case kDictionaryUnit: return Querys::DeleteArtykulJednostka(company, id);
    case kDictionaryPriceKind: return Querys::DeleteArtykulCenaRodzaj(company, id);
    case kDictionaryContractorClassification: return Querys::DeleteKontrahentKlasyfikacja(company, id);
    case kDictionaryPaymentForm: return Querys::DeletePlatnosc(id);
    case kDictionaryLedgerEvent: return Querys::DeleteKpirOpisZdarzenia(company, id);
    default: return wxString();
  }
}

// The column of the kind's extra value: the rate, or the unit's abbreviation.
const char* ValueColumn(DictionaryKind kind) {
  if (kind == kDictionaryVatRate) return "wartosc";
  return kind == kDictionaryUnit ? "skrot" : nullptr;
}

// The values an entry is compared by, as text.
RowValues EntryValues(DictionaryKind kind, const DictionaryEntry& entry) {
  RowValues values = {{"nazwa", entry.name}, {"domyslna", entry.isDefault ? "1" : "0"}};
  if (const char* column = ValueColumn(kind)) values[column] = entry.value;
  return values;
}

// The stored entry read under a row lock: name, default flag, the kind's value.
wxString LockedEntrySelect(const SQLData& db, DictionaryKind kind, const wxString& where) {
  wxString columns = "coalesce(nazwa,''),coalesce(domyslna,0)";
  if (kind == kDictionaryVatRate) columns += ",coalesce(wartosc,0)";
  if (kind == kDictionaryUnit) columns += ",coalesce(skrot,'')";
  return LockedSelectStatement(db.GetEngine(), columns, Info(kind).table, where);
}

DictionaryEntry EntryOfCells(const wxArrayString& cells) {
  DictionaryEntry entry;
  entry.name = cells[0];
  entry.isDefault = cells[1] == "1";
  if (cells.size() > 2) entry.value = cells[2];
  return entry;
}

// The update of only the written columns; empty when there are none.
wxString PartialUpdate(DictionaryKind kind, const wxArrayString& written, const DictionaryEntry& entry,
                       const wxString& where) {
  wxString assignments;
  for (const wxString& column : written) {
    wxString value = column == "domyslna" ? wxString(entry.isDefault ? "1" : "0") : QuoteSqlLiteral(entry.name);
    if (column == "wartosc") value = entry.value;  // a whole number, checked before
    if (column == "skrot") value = QuoteSqlLiteral(entry.value);
    assignments += (assignments.empty() ? "" : ",") + column + "=" + value;
  }
  if (assignments.empty()) return wxString();
  return wxString("update ") + Info(kind).table + " set " + assignments + " where " + where;
}

// Ids and company ids go into the statements as numbers; anything else would
// change the statement.
bool IsIdText(const wxString& text) {
  long value = 0;
  return !text.empty() && text.ToLong(&value, 10) && value >= 0;
}

void SetError(wxString* error, const wxString& text) {
  if (error) *error = text;
}

}  // namespace

bool IsDictionaryKind(DictionaryKind kind) { return kind >= kDictionaryVatRate && kind <= kDictionaryLedgerEvent; }

wxString DictionaryKindTitle(DictionaryKind kind) {
  return IsDictionaryKind(kind) ? _(Info(kind).title) : wxString();
}

bool IsCompanyDictionary(DictionaryKind kind) { return IsDictionaryKind(kind) && Info(kind).company; }

bool HasDictionaryValue(DictionaryKind kind) { return kind == kDictionaryVatRate || kind == kDictionaryUnit; }

wxString DictionarySelect(DictionaryKind kind, const wxString& companyId) {
  switch (kind) {
    case kDictionaryVatRate: return "select domyslna,nazwa,wartosc,id_stawki_vat from stawka_vat order by id_stawki_vat";
    case kDictionaryArticleCategory: return Querys::SelectArtykulKategoria(companyId);
    case kDictionaryUnit: return Querys::SelectArtykulJednostka(companyId);
    case kDictionaryPriceKind: return Querys::SelectArtykulCenaRodzaj(companyId);
    case kDictionaryContractorClassification: return Querys::SelectKontrahentKlasyfikacja(companyId);
    case kDictionaryPaymentForm: return Querys::SelectPlatnosc();
    case kDictionaryLedgerEvent: return Querys::SelectKpirOpisZdarzenia(companyId);
    default: return wxString();
  }
}

bool ParseVatRateValue(const wxString& text, wxString* normalized) {
  wxString trimmed = text;
  trimmed.Trim(true).Trim(false);
  if (trimmed.empty()) return false;
  size_t start = trimmed[0] == '-' ? 1 : 0;
  if (start == trimmed.length()) return false;
  for (size_t i = start; i < trimmed.length(); ++i) {
    if (trimmed[i] < '0' || trimmed[i] > '9') return false;
  }
  long long value = 0;
  if (!trimmed.ToLongLong(&value, 10) || value < INT_MIN || value > INT_MAX) return false;
  if (normalized) *normalized = wxString::Format("%lld", value);
  return true;
}

bool SaveDictionaryEntry(SQLData& db, DictionaryKind kind, const wxString& companyId, const DictionaryEntry& entry,
                         wxString* savedId, wxString* error, const DictionaryEntry* loaded, bool* conflict,
                         const wxString* loadedDefault) {
  if (conflict) *conflict = false;
  if (!IsDictionaryKind(kind)) {
    SetError(error, _("Nieznany rodzaj słownika."));
    return false;
  }
  const bool insert = entry.id == "0";
  if (!IsIdText(entry.id) || (IsCompanyDictionary(kind) && !IsIdText(companyId))) {
    SetError(error, _("Nieprawidłowy identyfikator wpisu lub firmy."));
    return false;
  }
  wxString value;
  // An update may leave the stored rate as it is; a new rate needs one.
  const bool keepStoredRate = kind == kDictionaryVatRate && !insert && entry.value.Strip(wxString::both).empty();
  if (kind == kDictionaryVatRate && !keepStoredRate && !ParseVatRateValue(entry.value, &value)) {
    SetError(error, _("Wartość stawki VAT musi być liczbą całkowitą."));
    return false;
  }
  // What the user's edit amounts to: an empty name or rate of a VAT rate keeps the
  // stored one, as the whole update does.
  DictionaryEntry edited = entry;
  if (kind == kDictionaryVatRate && loaded) {
    edited.value = keepStoredRate ? loaded->value : value;
    if (edited.name.empty()) edited.name = loaded->name;
  }

  const KindInfo& info = Info(kind);
  wxString where = wxString(info.idColumn) + "=" + entry.id;
  if (info.company) where += " and id_firmy=" + companyId;
  long newId = 0;
  wxString refused;
  const bool saved = db.RunTransaction([&] {
    refused.clear();
    wxString statement = SaveStatement(kind, insert, entry.id, entry, value, companyId);
    bool writesDefault = entry.isDefault;
    // Another copy switching the default at the same time waits for this one, so
    // that the clear and the comparison below see its new default and one default
    // is left. Taken before the entry is read under its lock (see
    // LockedSelectStatement).
    const bool changesDefault = entry.isDefault != (loaded && loaded->isDefault);
    if (changesDefault && (entry.isDefault || loadedDefault) && !db.LockTableForWrite(info.table)) return false;
    if (!insert) {
      // Locked until the save ends: no other workstation writes the entry between
      // this comparison and the update.
      const wxArrayString cells = db.FrameData(LockedEntrySelect(db, kind, where));
      if (db.errorFlag) return false;
      if (cells.size() < 2) {
        refused = _("Wpis nie istnieje: mógł zostać usunięty w innym oknie.");
        return false;
      }
      if (loaded) {
        const RowMerge merge = MergeRow(EntryValues(kind, *loaded), EntryValues(kind, edited),
                                        EntryValues(kind, EntryOfCells(cells)));
        if (merge.HasConflict()) {
          if (conflict) *conflict = true;
          refused = _("Ten wpis został zmieniony przez innego użytkownika.");
          return false;
        }
        statement = PartialUpdate(kind, merge.written, edited, where);
        writesDefault = entry.isDefault && merge.written.Index("domyslna") != wxNOT_FOUND;
      }
    }
    if (changesDefault && loadedDefault) {
      // Which entry is the default is one value of the merge.
      const wxString stored =
          ReadLockedDefaultRows(db, info.idColumn, info.table, ListedDefaultCondition(kind, companyId));
      if (db.errorFlag) return false;
      const wxString mine = !entry.isDefault ? wxString() : insert ? wxString(kNewDefaultRow) : entry.id;
      if (MergeValue(*loadedDefault, mine, stored) == ValueMerge::Conflict) {
        if (conflict) *conflict = true;
        refused = wxString::Format(_("Na innym stanowisku zmieniono: %s."), _("domyślna wartość"));
        return false;
      }
    }
    if (writesDefault && db.InsertData(ClearDefaultStatement(kind, companyId)) < 0) return false;
    if (statement.empty()) return true;
    newId = db.InsertData(statement);
    return newId >= 0;
  });
  if (!saved) {
    SetError(error, refused.empty() ? SaveFailureText(db, db.ErrorReason()) : refused);
    return false;
  }
  // An engine that cannot tell the new row's id gives "0": the entry is saved, and
  // the page shows the first entry instead of it.
  if (savedId) *savedId = insert ? wxString::Format("%ld", newId) : entry.id;
  if (error) error->clear();
  return true;
}

bool DeleteDictionaryEntry(SQLData& db, DictionaryKind kind, const wxString& companyId, const wxString& id,
                           wxString* error) {
  if (!IsDictionaryKind(kind) || !IsIdText(id) || (IsCompanyDictionary(kind) && !IsIdText(companyId))) {
    SetError(error, _("Nieprawidłowy identyfikator wpisu lub firmy."));
    return false;
  }
  db.ClearError();
  // A payment form that a company holds as its default stays.
  if (kind == kDictionaryPaymentForm) {
    const wxArrayString holders = db.FrameData("select nazwa from firma where domyslna_platnosc=" + id);
    if (db.errorFlag || !holders.empty()) {
      SetError(error, db.errorFlag ? ReadFailureText(db, db.ErrorReason())
                                   : wxString::Format(_("Forma płatności jest domyślną formą płatności firmy „%s”."),
                                                      holders[0]));
      return false;
    }
  }
  if (db.DeleteData(DeleteStatement(kind, id, companyId)) < 0) {
    SetError(error, SaveFailureText(db, db.ErrorReason()));
    return false;
  }
  if (error) error->clear();
  return true;
}
