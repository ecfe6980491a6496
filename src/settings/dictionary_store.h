// The seven shared dictionaries (VAT rates, article categories, units, price kinds,
// contractor classifications, payment forms, ledger event descriptions): their SQL
// texts, and saving or deleting one entry as one unit of work. The dictionary page
// uses it; it touches no window.
#pragma once

#include <wx/string.h>

class SQLData;

using DictionaryKind = int;

enum : DictionaryKind {
  kDictionaryVatRate = 0,
  kDictionaryArticleCategory = 1,
  kDictionaryUnit = 2,
  kDictionaryPriceKind = 3,
  kDictionaryContractorClassification = 4,
  kDictionaryPaymentForm = 5,
  kDictionaryLedgerEvent = 6,
};

// True for the codes 0 to 6.
bool IsDictionaryKind(DictionaryKind kind);
// The translated title of the kind list; empty outside 0 to 6.
wxString DictionaryKindTitle(DictionaryKind kind);
// Kinds 1 to 4 and 6 hold the rows of one company each; 0 and 5 are shared.
bool IsCompanyDictionary(DictionaryKind kind);
// Kind 0 has a whole-number value, kind 2 an abbreviation; the others nothing more.
bool HasDictionaryValue(DictionaryKind kind);

// The select of the kind's rows: default flag, name, [value,] id. Empty outside 0 to 6.
wxString DictionarySelect(DictionaryKind kind, const wxString& companyId);

// True when the text, trimmed, is a whole number that a VAT rate can hold (an
// optional "-" and digits, within the range of a 32-bit integer); *normalized then
// gets it in plain decimal form.
bool ParseVatRateValue(const wxString& text, wxString* normalized);

// One entry as the editors hold it. id "0" is a new entry.
struct DictionaryEntry {
  wxString id = "0";
  wxString name;
  // Kind 0: the rate as typed; kind 2: the abbreviation; otherwise unused.
  wxString value;
  bool isDefault = false;
};

// Clears the kind's present default (when the entry is the new default) and inserts
// or updates the entry, in one transaction: either both happen or neither. Copies
// saving a default at the same time take turns, so one default is left. A VAT
// value that is not a whole number (empty is allowed only when updating), an entry
// that no longer exists and any database failure leave the database unchanged and
// return false with the reason. On success *savedId is the entry's id (the new row's
// id after an insert).
// With the entry as the editors loaded it, an update writes only what was changed
// since, over what is stored now; when another workstation changed one of those
// values too, nothing is stored, false comes with the reason and *conflict is set.
// With the kind's default entry as the page loaded it (DefaultRowsValue of the ids
// of its listed entries that held the flag), a save that makes another entry the
// default does the same when another workstation moved the default since.
bool SaveDictionaryEntry(SQLData& db, DictionaryKind kind, const wxString& companyId, const DictionaryEntry& entry,
                         wxString* savedId, wxString* error, const DictionaryEntry* loaded = nullptr,
                         bool* conflict = nullptr, const wxString* loadedDefault = nullptr);

// Deletes the entry. An entry that the program's own tables hold (a company's
// default payment form) is in use: it stays, and false comes with the reason, as it
// does with the database's reason when a statement fails.
bool DeleteDictionaryEntry(SQLData& db, DictionaryKind kind, const wxString& companyId, const wxString& id,
                           wxString* error);
