// Custom-field definitions of invoices, articles and contractors: the in-memory
// definition, the eight field types, the technical key and options texts, and the
// statements on pole_dodatkowe_definicja and the article value table. The
// custom-field page uses it; it touches no window.
#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

#include <vector>

class SQLData;

struct CustomFieldDefinition {
  int id = 0;  // 0: not saved yet
  wxString grupa;
  wxString nazwa;
  wxString klucz_pola;
  wxString typ_pola;
  wxString opcje;
  bool wymagane = false;
  bool widoczne_na_liscie = false;
  int kolejnosc = 0;
  bool aktywne = true;
  wxString kolumna;
};

// One field type, in the order of the type choice.
struct CustomFieldType {
  const char* code;   // stored in typ_pola
  const char* label;  // choice label, marked for the catalogue; translated where shown
  const char* sqlType;  // the article value column's type
};

// The eight types: text, multiline, int, decimal, bool, choice, color, date.
const std::vector<CustomFieldType>& CustomFieldTypes();
// The index of the type with exactly this code; -1 when unknown.
int FindCustomFieldType(const wxString& code);
// The translated label of the code, or the code itself when unknown.
wxString CustomFieldTypeLabel(const wxString& code);

// The technical key of a text: Polish letters folded to ASCII, lower case, runs of
// other characters as one "_", no "_" at either end, "pole" when nothing is left,
// "p_" before a leading digit, at most 48 characters.
wxString MakeFieldKey(const wxString& text);
// The options split at line feeds and ";", trimmed, empty ones dropped, joined by "\n".
wxString NormalizeFieldOptions(const wxString& text);
// The options of the text for the preview; "Opcja 1" and "Opcja 2" when there are none.
wxArrayString FieldOptionsList(const wxString& text);
// The value column of a key: "cf_" + key.
wxString FieldColumnName(const wxString& key);
// What an editor's edit amounts to: the loaded definition with each value the user
// typed where it differs from what the editor showed right after the load (which
// trims and normalizes some stored texts).
CustomFieldDefinition DefinitionEditsOver(const CustomFieldDefinition& loaded, const CustomFieldDefinition& shown,
                                          const CustomFieldDefinition& typed);

// The definitions of one object type in one database.
class CustomFieldStore {
 public:
  // `valueTable` is the value table whose column wartosc must exist; ignored for
  // the article page, whose values live in artykul_pola_dodatkowe.
  CustomFieldStore(SQLData& db, const wxString& objectType, bool articleTable, const wxString& valueTable);

  // The definition table and the value table are there with their key columns.
  bool CheckTables();
  // The active definitions ordered by group, order and name; empty on failure.
  std::vector<CustomFieldDefinition> LoadDefinitions();
  // Whether another definition of the object type, switched off or not, has the key;
  // true also when that could not be read, *error then saying why: a key not known
  // to be free is never taken.
  bool KeyInUse(const wxString& key, int exceptId, wxString* error = nullptr);
  // The article value column of the definition exists afterwards (added with the
  // type's SQL type when missing; a column another program added meanwhile counts
  // as success). Pages other than the article page need no column.
  bool EnsureValueColumn(const CustomFieldDefinition& definition, wxString* error);
  // The second half of EnsureValueColumn, after the column was found missing: adds
  // it, and counts a failure as success when the column is there afterwards.
  bool AddValueColumn(const CustomFieldDefinition& definition, wxString* error);
  // Inserts (id 0) or updates the definition row; on an update the key, the column
  // and the object type stay as stored. With the definition as the editor loaded it,
  // an update writes only what was changed since, over what is stored now; when
  // another workstation changed one of those values too, or the row is gone, nothing
  // is stored, false comes with the reason and *conflict is set.
  bool SaveDefinition(const CustomFieldDefinition& definition, wxString* error,
                      const CustomFieldDefinition* loaded = nullptr, bool* conflict = nullptr);
  // Switches the definition off; its row, key and column stay.
  bool Deactivate(int id, wxString* error);

  // The SQL type of the article value column of a type code on this engine.
  wxString ValueColumnType(const wxString& typeCode) const;

 private:
  bool MergeDefinition(const CustomFieldDefinition& definition, const CustomFieldDefinition& loaded, wxString* error,
                       bool* conflict);

  SQLData& db_;
  wxString objectType_;
  bool articleTable_;
  wxString valueTable_;
};
