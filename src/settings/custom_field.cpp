#include "settings/custom_field.h"

#include "app/common/failure_notice.h"
#include "app/common/i18n.h"
#include "app/common/text_folding.h"
#include "sqldata/engine_statements.h"
#include "sqldata/row_merge.h"
#include "sqldata/save_failure_text.h"
#include "sqldata/sql_data.h"
#include "sqldata/sql_literals.h"

#include <wx/tokenzr.h>

namespace {

wxString NotSavedText(const wxString& reason) {
  return veldrix::FailureText(_("Definicja pola nie została zapisana. Spróbuj ponownie; jeśli błąd się powtarza, "
                                "przekaż poniższy opis administratorowi."),
                              reason);
}

// The database's own text follows what did not happen (SaveFailureText tells a
// connection failure in its own words instead).
wxString NotSaved(const SQLData& db, const wxString& reason) { return SaveFailureText(db, NotSavedText(reason)); }

const char kDefinitionTable[] = "pole_dodatkowe_definicja";
const char kArticleValueTable[] = "artykul_pola_dodatkowe";
constexpr size_t kMaxKeyLength = 48;

bool IsColumnNameText(const wxString& name) {
  if (name.empty()) return false;
  for (wxUniChar c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return true;
}

wxString Flag(bool value) { return value ? "1" : "0"; }

// A definition row as it is loaded, kDefinitionCells cells.
const char kDefinitionColumns[] =
    "id_pola_dodatkowego, grupa, nazwa, klucz_pola, typ_pola, coalesce(opcje,''), wymagane, widoczne_na_liscie, "
    "kolejnosc, aktywne, kolumna";
constexpr size_t kDefinitionCells = 11;

int CellNumber(const wxString& text) {
  long value = 0;
  return text.ToLong(&value, 10) ? static_cast<int>(value) : 0;
}

CustomFieldDefinition DefinitionOfCells(const wxArrayString& cells, size_t first) {
  CustomFieldDefinition d;
  d.id = CellNumber(cells[first]);
  d.grupa = cells[first + 1];
  d.nazwa = cells[first + 2];
  d.klucz_pola = cells[first + 3];
  d.typ_pola = cells[first + 4];
  d.opcje = cells[first + 5];
  d.wymagane = CellNumber(cells[first + 6]) != 0;
  d.widoczne_na_liscie = CellNumber(cells[first + 7]) != 0;
  d.kolejnosc = CellNumber(cells[first + 8]);
  d.aktywne = CellNumber(cells[first + 9]) != 0;
  d.kolumna = cells[first + 10];
  return d;
}

// The values an update may change, as literals of the statement: the key, the
// column and the object type of a saved definition never change.
RowValues DefinitionValues(const CustomFieldDefinition& d) {
  return {{"grupa", QuoteSqlLiteral(d.grupa)},
          {"nazwa", QuoteSqlLiteral(d.nazwa)},
          {"typ_pola", QuoteSqlLiteral(d.typ_pola)},
          {"opcje", QuoteSqlLiteral(d.opcje)},
          {"wymagane", Flag(d.wymagane)},
          {"widoczne_na_liscie", Flag(d.widoczne_na_liscie)},
          {"kolejnosc", wxString::Format("%d", d.kolejnosc)},
          {"aktywne", Flag(d.aktywne)}};
}

}  // namespace

const std::vector<CustomFieldType>& CustomFieldTypes() {
  static const std::vector<CustomFieldType> types = {
      {"text", wxTRANSLATE("Tekst"), "TEXT"},
      {"multiline", wxTRANSLATE("Tekst wielowierszowy"), "TEXT"},
      {"int", wxTRANSLATE("Liczba całkowita"), "INTEGER"},
      {"decimal", wxTRANSLATE("Liczba dziesiętna"), "REAL"},
      {"bool", wxTRANSLATE("Tak/Nie"), "INTEGER"},
      {"choice", wxTRANSLATE("Lista"), "TEXT"},
      {"color", wxTRANSLATE("Kolor"), "TEXT"},
      {"date", wxTRANSLATE("Data"), "TEXT"},
  };
  return types;
}

int FindCustomFieldType(const wxString& code) {
  const auto& types = CustomFieldTypes();
  for (size_t i = 0; i < types.size(); ++i) {
    if (code == types[i].code) return static_cast<int>(i);
  }
  return -1;
}

wxString CustomFieldTypeLabel(const wxString& code) {
  const int index = FindCustomFieldType(code);
  return index < 0 ? code : _(CustomFieldTypes()[static_cast<size_t>(index)].label);
}

wxString MakeFieldKey(const wxString& text) {
  wxString key;
  bool lastWasSeparator = false;
  for (wxUniChar c : text) {
    // Letters as a search folds them; whatever is not then ASCII separates.
    const wchar_t folded = veldrix::FoldSearchChar(static_cast<wchar_t>(c.GetValue()));
    if ((folded >= L'a' && folded <= L'z') || (folded >= L'0' && folded <= L'9')) {
      key += folded;
      lastWasSeparator = false;
    } else {
      if (!lastWasSeparator && !key.empty()) key += '_';
      lastWasSeparator = true;
    }
  }
  while (key.EndsWith("_")) key.RemoveLast();
  if (key.empty()) key = "pole";
  if (key[0] >= '0' && key[0] <= '9') key = "p_" + key;
  if (key.length() > kMaxKeyLength) key.Truncate(kMaxKeyLength);
  return key;
}

wxString NormalizeFieldOptions(const wxString& text) {
  wxArrayString kept;
  wxStringTokenizer pieces(text, "\n;", wxTOKEN_STRTOK);
  while (pieces.HasMoreTokens()) {
    wxString piece = pieces.GetNextToken();
    const wxString blanks = " \t\r";
    const size_t first = piece.find_first_not_of(blanks);
    if (first == wxString::npos) continue;
    piece = piece.Mid(first, piece.find_last_not_of(blanks) - first + 1);
    kept.Add(piece);
  }
  return wxJoin(kept, '\n', 0);
}

wxArrayString FieldOptionsList(const wxString& text) {
  wxArrayString options;
  const wxString normalized = NormalizeFieldOptions(text);
  if (!normalized.empty()) options = wxSplit(normalized, '\n', 0);
  if (options.empty()) {
    options.Add(_("Opcja 1"));
    options.Add(_("Opcja 2"));
  }
  return options;
}

wxString FieldColumnName(const wxString& key) { return "cf_" + key; }

CustomFieldDefinition DefinitionEditsOver(const CustomFieldDefinition& loaded, const CustomFieldDefinition& shown,
                                          const CustomFieldDefinition& typed) {
  CustomFieldDefinition edited = loaded;
  const auto take = [&](auto member) {
    if (typed.*member != shown.*member) edited.*member = typed.*member;
  };
  take(&CustomFieldDefinition::grupa);
  take(&CustomFieldDefinition::nazwa);
  take(&CustomFieldDefinition::typ_pola);
  take(&CustomFieldDefinition::opcje);
  take(&CustomFieldDefinition::wymagane);
  take(&CustomFieldDefinition::widoczne_na_liscie);
  take(&CustomFieldDefinition::kolejnosc);
  take(&CustomFieldDefinition::aktywne);
  return edited;
}

CustomFieldStore::CustomFieldStore(SQLData& db, const wxString& objectType, bool articleTable,
                                   const wxString& valueTable)
    : db_(db), objectType_(objectType), articleTable_(articleTable), valueTable_(valueTable) {}

bool CustomFieldStore::CheckTables() {
  if (!db_.IsOpen() || !db_.ColumnExists(kDefinitionTable, "id_pola_dodatkowego")) return false;
  if (articleTable_) return db_.ColumnExists(kArticleValueTable, "id_artykulu");
  return !valueTable_.empty() && db_.ColumnExists(valueTable_, "wartosc");
}

std::vector<CustomFieldDefinition> CustomFieldStore::LoadDefinitions() {
  const wxArrayString cells = db_.FrameData(wxString("SELECT ") + kDefinitionColumns + " FROM " + kDefinitionTable +
                                            " WHERE typ_obiektu=" + QuoteSqlLiteral(objectType_) + " AND aktywne=1 " +
                                            "ORDER BY grupa, kolejnosc, nazwa");
  std::vector<CustomFieldDefinition> definitions;
  for (size_t row = 0; row + kDefinitionCells <= cells.size(); row += kDefinitionCells) {
    definitions.push_back(DefinitionOfCells(cells, row));
  }
  return definitions;
}

bool CustomFieldStore::KeyInUse(const wxString& key, int exceptId, wxString* error) {
  wxString sql = wxString("SELECT id_pola_dodatkowego FROM ") + kDefinitionTable +
                 " WHERE typ_obiektu=" + QuoteSqlLiteral(objectType_) + " AND klucz_pola=" + QuoteSqlLiteral(key);
  if (exceptId > 0) sql += wxString::Format(" AND id_pola_dodatkowego<>%d", exceptId);
  bool found = false;
  if (db_.IsExistsData(sql, &found)) return found;
  if (error) {
    *error = ReadFailureText(db_, veldrix::FailureText(_("Nie udało się sprawdzić, czy klucz techniczny jest wolny; "
                                                         "definicja nie została zapisana. Spróbuj ponownie."),
                                                       db_.ErrorReason()));
  }
  return true;
}

wxString CustomFieldStore::ValueColumnType(const wxString& typeCode) const {
  const int index = FindCustomFieldType(typeCode);
  const wxString type = index < 0 ? wxString("TEXT") : wxString(CustomFieldTypes()[static_cast<size_t>(index)].sqlType);
  // PostgreSQL's REAL keeps only six digits; a decimal field needs a double.
  if (type == "REAL" && db_.GetEngine().IsSameAs("PostgreSQL", false)) return "DOUBLE PRECISION";
  return type;
}

bool CustomFieldStore::EnsureValueColumn(const CustomFieldDefinition& definition, wxString* error) {
  if (!articleTable_) return true;
  if (IsColumnNameText(definition.kolumna) && db_.ColumnExists(kArticleValueTable, definition.kolumna)) return true;
  return AddValueColumn(definition, error);
}

bool CustomFieldStore::AddValueColumn(const CustomFieldDefinition& definition, wxString* error) {
  if (!IsColumnNameText(definition.kolumna)) {
    if (error) *error = NotSavedText("Invalid column name: " + definition.kolumna);
    return false;
  }
  wxString reason;
  if (db_.InsertData(reason, wxString("ALTER TABLE ") + kArticleValueTable + " ADD COLUMN " + definition.kolumna +
                                 " " + ValueColumnType(definition.typ_pola)) == 0) {
    return true;
  }
  // Another program may have added the same column between the check and the
  // statement; the column is then there and the definition can be saved.
  if (db_.ColumnExists(kArticleValueTable, definition.kolumna)) return true;
  if (error) *error = NotSaved(db_, reason);
  return false;
}

bool CustomFieldStore::SaveDefinition(const CustomFieldDefinition& d, wxString* error,
                                      const CustomFieldDefinition* loaded, bool* conflict) {
  if (conflict) *conflict = false;
  if (d.id > 0 && loaded) return MergeDefinition(d, *loaded, error, conflict);
  wxString sql;
  if (d.id > 0) {
    sql = wxString("UPDATE ") + kDefinitionTable + " SET grupa=" + QuoteSqlLiteral(d.grupa) +
          ", nazwa=" + QuoteSqlLiteral(d.nazwa) + ", typ_pola=" + QuoteSqlLiteral(d.typ_pola) +
          ", opcje=" + QuoteSqlLiteral(d.opcje) + ", wymagane=" + Flag(d.wymagane) +
          ", widoczne_na_liscie=" + Flag(d.widoczne_na_liscie) + wxString::Format(", kolejnosc=%d", d.kolejnosc) +
          ", aktywne=" + Flag(d.aktywne) + wxString::Format(" WHERE id_pola_dodatkowego=%d", d.id);
  } else {
    sql = wxString("INSERT INTO ") + kDefinitionTable +
          " (typ_obiektu, grupa, nazwa, klucz_pola, typ_pola, opcje, wymagane, widoczne_na_liscie, kolejnosc, "
          "aktywne, kolumna) VALUES (" +
          QuoteSqlLiteral(objectType_) + ", " + QuoteSqlLiteral(d.grupa) + ", " + QuoteSqlLiteral(d.nazwa) + ", " +
          QuoteSqlLiteral(d.klucz_pola) + ", " + QuoteSqlLiteral(d.typ_pola) + ", " + QuoteSqlLiteral(d.opcje) +
          ", " + Flag(d.wymagane) + ", " + Flag(d.widoczne_na_liscie) + wxString::Format(", %d, ", d.kolejnosc) +
          Flag(d.aktywne) + ", " + QuoteSqlLiteral(d.kolumna) + ")";
  }
  wxString reason;
  if (db_.InsertData(reason, sql) < 0) {
    if (error) *error = NotSaved(db_, reason);
    return false;
  }
  return true;
}

bool CustomFieldStore::MergeDefinition(const CustomFieldDefinition& d, const CustomFieldDefinition& loaded,
                                       wxString* error, bool* conflict) {
  wxString refused;
  const bool saved = db_.RunTransaction([&] {
    refused.clear();
    // Locked until the save ends: no other workstation writes the definition
    // between this comparison and the update.
    const wxString where = wxString::Format("id_pola_dodatkowego=%d", d.id);
    const wxArrayString cells =
        db_.FrameData(LockedSelectStatement(db_.GetEngine(), kDefinitionColumns, kDefinitionTable, where));
    if (db_.errorFlag) return false;
    RowMerge merge;
    if (cells.size() >= kDefinitionCells) {
      merge = MergeRow(DefinitionValues(loaded), DefinitionValues(d), DefinitionValues(DefinitionOfCells(cells, 0)));
    }
    // A row deleted by hand meanwhile is as much in the way as a changed one.
    if (cells.size() < kDefinitionCells || merge.HasConflict()) {
      if (conflict) *conflict = true;
      refused = _("Ta definicja została zmieniona przez innego użytkownika.");
      return false;
    }
    wxString assignments;
    for (const wxString& column : merge.written) {
      assignments += (assignments.empty() ? "" : ", ") + column + "=" + merge.merged[column];
    }
    const wxString update = wxString("UPDATE ") + kDefinitionTable + " SET " + assignments + " WHERE " + where;
    wxString reason;
    return assignments.empty() || db_.InsertData(reason, update) == 0;
  });
  if (!saved && error) *error = refused.empty() ? NotSaved(db_, db_.ErrorReason()) : refused;
  return saved;
}

bool CustomFieldStore::Deactivate(int id, wxString* error) {
  wxString reason;
  if (db_.InsertData(reason, wxString::Format("UPDATE %s SET aktywne=0 WHERE id_pola_dodatkowego=%d",
                                              kDefinitionTable, id)) < 0) {
    if (error) {
      *error = SaveFailureText(db_, veldrix::FailureText(_("Definicja pola nie została wyłączona. Spróbuj ponownie; "
                                                           "jeśli błąd się powtarza, przekaż poniższy opis "
                                                           "administratorowi."),
                                                         reason));
    }
    return false;
  }
  return true;
}
