// The shared dictionaries and the custom-field definitions on the real PostgreSQL
// and MariaDB servers, in a program database the worker built from the scripts; a
// default (of a dictionary, of the companies) that two programs switch at the same
// time; and, on SQLite too, an entry and a definition two workstations save.
#include "../dbsetup/server_program_database.h"
#include "danefirmy/company_record.h"
#include "settings/custom_field.h"
#include "settings/dictionary_store.h"
#include "sqldata/row_merge.h"
#include "sqldata/sql_data.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

namespace {

using SettingsStoreOnServer = veldrix::test::ProgramDatabaseOnServer;

wxString Cell(SQLData& db, const wxString& sql) {
  const wxArrayString cells = db.FrameData(sql);
  return cells.empty() ? wxString("<none>") : cells[0];
}

TEST_P(SettingsStoreOnServer, DictionariesKeepOneDefaultPerCompanyAndNamesAsTyped) {
  DbConnectionInfo info;
  SQLData db(CreateProgramDatabase(&info));
  ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
  const wxString awkward = veldrix::test::AwkwardCompanyName().Left(50);

  for (DictionaryKind kind = kDictionaryVatRate; kind <= kDictionaryLedgerEvent; ++kind) {
    SCOPED_TRACE(kind);
    DictionaryEntry entry;
    entry.name = awkward;
    entry.value = kind == kDictionaryVatRate ? "23" : "m'2";
    entry.isDefault = true;
    wxString first;
    wxString second;
    wxString error;
    ASSERT_TRUE(SaveDictionaryEntry(db, kind, "1", entry, &first, &error)) << error;
    entry.name = "Druga";
    ASSERT_TRUE(SaveDictionaryEntry(db, kind, "1", entry, &second, &error)) << error;
    ASSERT_NE(first, second);
    if (IsCompanyDictionary(kind)) {
      wxString other;
      entry.name = "Inna firma";
      ASSERT_TRUE(SaveDictionaryEntry(db, kind, "2", entry, &other, &error)) << error;
    }

    // The kind's own select lists the company's rows: default flag, name, ..., id.
    const wxArrayString rows = db.FrameData(DictionarySelect(kind, "1"));
    const size_t columns = HasDictionaryValue(kind) ? 4 : 3;
    ASSERT_EQ(rows.size(), 2 * columns);
    wxString defaults;
    for (size_t row = 0; row < 2; ++row) {
      if (rows[row * columns] == "1") defaults += rows[row * columns + 1];
      if (rows[row * columns + columns - 1] == first) {
        EXPECT_EQ(rows[row * columns + 1], awkward);
      }
    }
    EXPECT_EQ(defaults, "Druga");

    // The first one becomes the default again; then the second one goes.
    entry.id = first;
    entry.name = awkward;
    ASSERT_TRUE(SaveDictionaryEntry(db, kind, "1", entry, &first, &error)) << error;
    ASSERT_TRUE(DeleteDictionaryEntry(db, kind, "1", second, &error)) << error;
    const wxArrayString left = db.FrameData(DictionarySelect(kind, "1"));
    ASSERT_EQ(left.size(), columns);
    EXPECT_EQ(left[0], "1");
    EXPECT_EQ(left[1], awkward);
  }
  EXPECT_EQ(Cell(db, "select skrot from artykul_jednostka where id_firmy=1"), "m'2");
}

TEST_P(SettingsStoreOnServer, ArticleFieldAddsItsTypedColumnOnce) {
  DbConnectionInfo info;
  const wxString connection = CreateProgramDatabase(&info);
  SQLData db(connection);
  SQLData otherProgram(connection);
  ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
  ASSERT_TRUE(otherProgram.IniciujBazeDanych()) << otherProgram.lastError;
  CustomFieldStore store(db, "artykuly", true, wxString());
  CustomFieldStore otherStore(otherProgram, "artykuly", true, wxString());
  ASSERT_TRUE(store.CheckTables());

  CustomFieldDefinition price;
  price.grupa = "Dodatkowe";
  price.nazwa = "Cena hurtowa";
  price.klucz_pola = MakeFieldKey(price.grupa + " " + price.nazwa);
  price.typ_pola = "decimal";
  price.kolumna = FieldColumnName(price.klucz_pola);
  wxString error;
  // Both programs add the column for the same new field: it is there once and
  // both go on to save; the database keeps one definition of the key.
  ASSERT_TRUE(otherStore.EnsureValueColumn(price, &error)) << error;
  ASSERT_TRUE(store.AddValueColumn(price, &error)) << error;
  ASSERT_TRUE(store.SaveDefinition(price, &error)) << error;
  EXPECT_FALSE(otherStore.SaveDefinition(price, &error));
  EXPECT_EQ(Cell(db, "select count(*) from pole_dodatkowe_definicja"), "1");

  // A decimal value keeps its digits on every engine.
  ASSERT_GE(db.InsertData("insert into artykul_pola_dodatkowe(id_artykulu, cf_dodatkowe_cena_hurtowa) "
                          "values (1, 12345678.25)"),
            0)
      << db.lastError;
  EXPECT_EQ(Cell(db, "select cf_dodatkowe_cena_hurtowa * 100 from artykul_pola_dodatkowe"), "1234567825");

  CustomFieldDefinition flag = price;
  flag.nazwa = "Na stanie";
  flag.klucz_pola = MakeFieldKey(flag.grupa + " " + flag.nazwa);
  flag.typ_pola = "bool";
  flag.kolumna = FieldColumnName(flag.klucz_pola);
  ASSERT_TRUE(store.EnsureValueColumn(flag, &error) && store.SaveDefinition(flag, &error)) << error;
  ASSERT_GE(db.InsertData("update artykul_pola_dodatkowe set cf_dodatkowe_na_stanie=1"), 0) << db.lastError;
  EXPECT_EQ(store.LoadDefinitions().size(), 2u);
  EXPECT_TRUE(store.KeyInUse(flag.klucz_pola, 0));
}

// Another program, amid its own save, has cleared the table's default and then
// stores its new default "Inna", while this one saves its new default "Nowa".
TEST_P(SettingsStoreOnServer, ConcurrentSavesOfADefaultLeaveOneDefault) {
  const struct {
    const char* table;
    const char* otherDefault;
    bool (*save)(SQLData& db, wxString* error);
  } switches[] = {
      {"stawka_vat", "insert into stawka_vat(nazwa,wartosc,domyslna) values('Inna',8,1)",
       [](SQLData& db, wxString* error) {
         wxString id;
         return SaveDictionaryEntry(db, kDictionaryVatRate, "1", DictionaryEntry{"0", "Nowa", "23", true}, &id, error);
       }},
      {"firma", "insert into firma(nazwa,domyslna) values('Inna',1)",
       [](SQLData& db, wxString* error) {
         CompanySaveRequest request;
         request.company.nazwa = "Nowa";
         request.company.domyslna = true;
         return CompanyStore(db).Save(request, nullptr, error);
       }},
  };
  for (const auto& change : switches) {
    SCOPED_TRACE(change.table);
    DbConnectionInfo info;
    const wxString connection = CreateProgramDatabase(&info);
    SQLData other(connection);
    SQLData db(connection);
    // The save waits as long as the other holds its rows: with many tests on one
    // server, seeing that it waits may take longer than the screens' lock bound.
    db.SetServerWaits(ServerWaits());
    ASSERT_TRUE(other.IniciujBazeDanych() && db.IniciujBazeDanych());
    const bool postgres = other.GetEngine() == "PostgreSQL";
    // The other program has written more, so that MariaDB ends the save under test
    // if the two deadlock. There the other program is a copy of this one and takes
    // the lock of a default switch; on PostgreSQL it does not, and its rows alone must
    // hold the save off.
    other.StartTransaction();
    wxString ballast = "insert into firma_historia(id_firmy) values(0)";
    for (int row = 0; row < 20; ++row) ballast += ",(0)";
    other.InsertData(ballast);
    if (!postgres) other.LockTableForWrite(change.table);
    other.InsertData(wxString("update ") + change.table + " set domyslna=0 where domyslna=1");
    ASSERT_FALSE(other.errorFlag) << other.lastError;

    std::atomic<bool> done{false};
    bool saved = false;
    wxString error;
    std::thread save([&] {
      saved = change.save(db, &error);
      done = true;
    });
    WaitUntilBlocked(other, [&] { return done.load(); });
    other.InsertData(change.otherDefault);
    other.CommitTransaction();
    save.join();
    EXPECT_FALSE(other.errorFlag) << other.lastError;
    EXPECT_TRUE(saved) << error;
    EXPECT_EQ(wxJoin(db.FrameData(wxString("select nazwa from ") + change.table + " where domyslna=1"), ','), "Nowa");
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, SettingsStoreOnServer, ::testing::ValuesIn(veldrix::test::BothTestServers()),
                         veldrix::test::TestServerName);

class SettingsStoreOnEveryEngine : public veldrix::test::ProgramDatabaseOnServer {};

// Workstations A and B load one unit, the default of a dictionary and one
// custom-field definition; B saves its change first, then A saves: what B stored
// stays, A's change is merged in or stopped whole.
TEST_P(SettingsStoreOnEveryEngine, ASaveNeverUndoesWhatAnotherWorkstationStoredSinceTheLoad) {
  DbConnectionInfo info;
  const wxString connection = CreateProgramDatabase(&info);
  SQLData a(connection);
  SQLData b(connection);
  ASSERT_TRUE(a.IniciujBazeDanych() && b.IniciujBazeDanych()) << a.lastError;

  using EntryEdit = void (*)(DictionaryEntry&);
  const struct {
    const char* what;
    EntryEdit other;
    EntryEdit mine;
    bool conflict;
    const char* stored;  // nazwa|skrot|domyslna
  } units[] = {
      {"alone", [](DictionaryEntry&) {}, [](DictionaryEntry& e) { e.name = "sztuka"; }, false, "sztuka|szt|0"},
      {"different fields", [](DictionaryEntry& e) { e.value = "szt."; }, [](DictionaryEntry& e) { e.name = "sztuka"; },
       false, "sztuka|szt.|0"},
      {"the same field", [](DictionaryEntry& e) { e.name = "sztuki"; }, [](DictionaryEntry& e) { e.name = "sztuka"; },
       true, "sztuki|szt|0"},
  };
  for (const auto& c : units) {
    SCOPED_TRACE(c.what);
    DictionaryEntry loaded{"0", "szt", "szt", false};
    wxString error;
    ASSERT_TRUE(SaveDictionaryEntry(a, kDictionaryUnit, "1", loaded, &loaded.id, &error)) << error;
    DictionaryEntry theirs = loaded;
    c.other(theirs);
    ASSERT_TRUE(SaveDictionaryEntry(b, kDictionaryUnit, "1", theirs, nullptr, &error, &loaded)) << error;
    DictionaryEntry mine = loaded;
    c.mine(mine);
    bool conflict = false;
    EXPECT_EQ(SaveDictionaryEntry(a, kDictionaryUnit, "1", mine, nullptr, &error, &loaded, &conflict), !c.conflict)
        << error;
    EXPECT_EQ(conflict, c.conflict);
    EXPECT_EQ(wxJoin(a.FrameData("select nazwa,skrot,domyslna from artykul_jednostka where id_jednostki=" + loaded.id),
                     '|'),
              c.stored);
  }

  // Which entry of a kind is the default is one value: B makes theirs the default,
  // then A makes its own the default (a new entry for "+kg").
  const struct {
    const char* what;
    DictionaryKind kind;
    const char* theirs;  // nullptr: B saves nothing
    const char* mine;
    bool conflict;
    const char* stored;  // the default entries' names
  } defaults[] = {
      {"units on both sides", kDictionaryUnit, "m", "kg", true, "m"},
      {"a new unit on both sides", kDictionaryUnit, "m", "+kg", true, "m"},
      {"payment forms on both sides", kDictionaryPaymentForm, "Przelew online", "Gotówka", true, "Przelew online"},
      {"the same unit on both sides", kDictionaryUnit, "m", "m", false, "m"},
      {"a unit alone", kDictionaryUnit, nullptr, "kg", false, "kg"},
      {"a new payment form alone", kDictionaryPaymentForm, nullptr, "+Gotówka", false, "Gotówka"},
  };
  for (const auto& c : defaults) {
    SCOPED_TRACE(c.what);
    const wxString table = c.kind == kDictionaryUnit ? "artykul_jednostka" : "platnosc";
    a.InsertData("delete from " + table);
    // "szt" is the default at the load; the other entries are stored.
    std::map<wxString, DictionaryEntry> stored;
    wxString error;
    for (const char* name : {"szt", "m", "kg", "Przelew online", "Gotówka"}) {
      DictionaryEntry entry{"0", wxString::FromUTF8(name), "x", *name == 's'};
      ASSERT_TRUE(SaveDictionaryEntry(a, c.kind, "1", entry, &entry.id, &error)) << error;
      stored[entry.name] = entry;
    }
    const wxString loadedDefault = DefaultRowsValue(wxArrayString(1, &stored["szt"].id));
    const auto makeDefault = [&](SQLData& db, const wxString& name, bool* conflict) {
      const bool isNew = name.StartsWith("+");
      DictionaryEntry entry = isNew ? DictionaryEntry{"0", name.Mid(1), "x", false} : stored[name];
      const DictionaryEntry loaded = entry;
      entry.isDefault = true;
      return SaveDictionaryEntry(db, c.kind, "1", entry, nullptr, &error, isNew ? nullptr : &loaded, conflict,
                                 &loadedDefault);
    };
    if (c.theirs) {
      ASSERT_TRUE(makeDefault(b, wxString::FromUTF8(c.theirs), nullptr)) << error;
    }
    bool conflict = false;
    EXPECT_EQ(makeDefault(a, wxString::FromUTF8(c.mine), &conflict), !c.conflict) << error;
    EXPECT_EQ(conflict, c.conflict);
    if (c.conflict) {
      EXPECT_NE(error.Find(wxString::FromUTF8("domyślna wartość")), wxNOT_FOUND) << error;
    }
    EXPECT_EQ(wxJoin(a.FrameData("select nazwa from " + table + " where domyslna=1"), ','),
              wxString::FromUTF8(c.stored));
  }

  using DefinitionEdit = void (*)(CustomFieldDefinition&);
  const struct {
    const char* what;
    DefinitionEdit other;
    DefinitionEdit mine;
    bool conflict;
    const char* stored;  // nazwa
  } definitions[] = {
      {"alone", [](CustomFieldDefinition&) {}, [](CustomFieldDefinition& d) { d.nazwa = "Kolor"; }, false, "Kolor"},
      {"the same field", [](CustomFieldDefinition& d) { d.nazwa = "Barwa"; },
       [](CustomFieldDefinition& d) { d.nazwa = "Kolor"; }, true, "Barwa"},
  };
  CustomFieldStore storeA(a, "kontrahenci", false, "kontrahent_pole_dodatkowe_wartosc");
  CustomFieldStore storeB(b, "kontrahenci", false, "kontrahent_pole_dodatkowe_wartosc");
  for (const auto& c : definitions) {
    SCOPED_TRACE(c.what);
    CustomFieldDefinition loaded;
    loaded.grupa = "Dodatkowe";
    loaded.nazwa = "Pole";
    loaded.klucz_pola = MakeFieldKey(c.what);
    loaded.typ_pola = "text";
    loaded.kolumna = FieldColumnName(loaded.klucz_pola);
    wxString error;
    ASSERT_TRUE(storeA.SaveDefinition(loaded, &error)) << error;
    for (const CustomFieldDefinition& d : storeA.LoadDefinitions()) {
      if (d.klucz_pola == loaded.klucz_pola) loaded = d;
    }
    ASSERT_GT(loaded.id, 0);
    CustomFieldDefinition theirs = loaded;
    c.other(theirs);
    ASSERT_TRUE(storeB.SaveDefinition(theirs, &error, &loaded)) << error;
    CustomFieldDefinition mine = loaded;
    c.mine(mine);
    bool conflict = false;
    EXPECT_EQ(storeA.SaveDefinition(mine, &error, &loaded, &conflict), !c.conflict) << error;
    EXPECT_EQ(conflict, c.conflict);
    EXPECT_EQ(Cell(a, wxString::Format("select nazwa from pole_dodatkowe_definicja where id_pola_dodatkowego=%d",
                                       loaded.id)),
              c.stored);
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, SettingsStoreOnEveryEngine,
                         ::testing::ValuesIn(veldrix::test::SqliteAndTestServers()), veldrix::test::TestServerName);

}  // namespace
