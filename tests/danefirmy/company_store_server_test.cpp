// The company editor's store on a SQLite file and the real PostgreSQL and MariaDB
// servers: a company saved in one transaction into the program database the worker
// built, read back, changed with a history row, and deleted; its bank accounts and
// logo; and two workstations saving the same company.
#include "../dbsetup/server_program_database.h"
#include "danefirmy/company_accounts.h"
#include "danefirmy/company_logo.h"
#include "danefirmy/company_record.h"
#include "sqldata/db_log.h"
#include "sqldata/dv_model.h"
#include "sqldata/querys.h"
#include "sqldata/sql_data.h"

#include <gtest/gtest.h>
#include <wx/image.h>

#include <atomic>
#include <memory>
#include <random>
#include <thread>

namespace {

using CompanyStoreOnServer = veldrix::test::ProgramDatabaseOnServer;

wxString Cell(SQLData& db, const wxString& sql) {
  const wxArrayString cells = db.FrameData(sql);
  return cells.empty() ? wxString("<none>") : cells[0];
}

TEST_P(CompanyStoreOnServer, SavesReadsBackChangesAndDeletesACompany) {
  DbConnectionInfo info;
  SQLData db(CreateProgramDatabase(&info));
  ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
  CompanyStore store(db);

  CompanySaveRequest request;
  request.company.nazwa = veldrix::test::AwkwardCompanyName();
  request.company.nazwaPelna = request.company.nazwa + " sp. z o.o.";
  request.company.nip = "5260250274";
  request.company.miejscowosc = wxString::FromUTF8("Łódź");
  request.company.dataOd = "2024-01-01";
  request.company.domyslna = true;
  request.company.domyslnyTermin = 14;
  CompanyAccountRow account;
  account.nazwa = wxString::FromUTF8("Główny");
  account.numer = "61109010140000071219812874";
  account.nazwaBanku = "Bank 'Polski' \\ S.A.";
  account.domyslny = true;
  request.accounts.push_back(account);
  CompanySaveOutcome outcome;
  wxString error;
  ASSERT_TRUE(store.Save(request, &outcome, &error)) << error;
  EXPECT_TRUE(outcome.created);
  EXPECT_EQ(outcome.companyId, "1");

  // The numbering row refers to the new company: the new id came back from the server.
  EXPECT_EQ(Cell(db, "select id_firmy from dokument_numeracja"), "1");
  EXPECT_EQ(Cell(db, "select nazwa_banku from firma_rachunek where id_firmy=1"), account.nazwaBanku);

  CompanyRecord loaded;
  ASSERT_TRUE(store.Load(outcome.companyId, &loaded));
  EXPECT_EQ(loaded.nazwa, request.company.nazwa);
  EXPECT_EQ(loaded.nazwaPelna, request.company.nazwaPelna);
  EXPECT_EQ(loaded.miejscowosc, request.company.miejscowosc);
  EXPECT_EQ(loaded.dataOd, "2024-01-01");
  EXPECT_TRUE(loaded.domyslna);
  EXPECT_EQ(loaded.domyslnyTermin, 14);
  bool hasDefault = false;
  EXPECT_TRUE(store.HasDefaultCompany(&hasDefault));
  EXPECT_TRUE(hasDefault);

  // A new validity date keeps the old identity in a history row.
  CompanySaveRequest change;
  change.companyId = outcome.companyId;
  change.company = loaded;
  change.company.nazwa = "Nowa nazwa";
  change.company.dataOd = "2025-02-01";
  change.loadedValidFrom.ParseISODate("2024-01-01");
  CompanySaveOutcome changed;
  ASSERT_TRUE(store.Save(change, &changed, &error)) << error;
  EXPECT_FALSE(changed.created);
  EXPECT_TRUE(changed.historyWritten);
  EXPECT_EQ(Cell(db, "select nazwa from firma_historia where id_firmy=1"), request.company.nazwa);
  EXPECT_EQ(Cell(db, "select nazwa from firma where id_firmy=1"), "Nowa nazwa");

  ASSERT_TRUE(store.Delete(outcome.companyId, &error)) << error;
  EXPECT_EQ(Cell(db, "select count(*) from firma"), "0");
  EXPECT_EQ(Cell(db, "select count(*) from firma_rachunek"), "0");
}

TEST_P(CompanyStoreOnServer, AccountsAndTheLogoAreSavedWithTheCompany) {
  DbConnectionInfo info;
  SQLData db(CreateProgramDatabase(&info));
  ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
  CompanyStore store(db);

  // A logo far larger than a 64 KB text column holds.
  wxImage noise(300, 300);
  std::mt19937 random(5);
  for (int i = 0; i < 300 * 300 * 3; ++i) noise.GetData()[i] = static_cast<unsigned char>(random());
  CompanyLogoUpdate logo;
  logo.action = CompanyLogoUpdate::Action::Store;
  ASSERT_TRUE(EncodePngToMemory(noise, &logo.base64));
  logo.size = DecodedBase64Size(logo.base64);
  ASSERT_GT(logo.base64.length(), 200000u);

  CompanySaveRequest request;
  request.company.nazwa = "Alfa";
  request.company.dataOd = "2024-01-01";
  request.logo = logo;
  CompanyAccountRow main;
  main.nazwa = wxString::FromUTF8("Główny");
  main.iban = "PL61 1090 1014 0000 0712 1981 2874";
  main.domyslny = true;
  CompanyAccountRow second;
  second.nazwa = "EUR";
  second.waluta = "EUR";
  second.iban = "DE89 3704 0044 0532 0130 00";
  request.accounts = {main, second};
  CompanySaveOutcome outcome;
  wxString error;
  ASSERT_TRUE(store.Save(request, &outcome, &error)) << error;
  const wxString id = outcome.companyId;

  EXPECT_EQ(Cell(db, "select logo_base64 from firma where id_firmy=" + id), logo.base64);
  EXPECT_EQ(Cell(db, "select logo_size from firma where id_firmy=" + id), wxString::Format("%zu", logo.size));
  EXPECT_EQ(Cell(db, "select count(*) from firma_rachunek where id_firmy=" + id), "2");
  EXPECT_EQ(Cell(db, "select nazwa from firma_rachunek where domyslny=1"), main.nazwa);

  // Reloaded as the editor reloads them (default first), the second account becomes
  // the default and the first is removed; the logo is cleared in the same save.
  wxObjectDataPtr<DVModel> model(new DVModel());
  for (int kind : {2, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0}) model->AddColumn(kind, 0);
  model->InitStorage();
  db.InsertRowsDataView(model, false, Querys::SelectFirmaRachunek(id, ""), "");
  ASSERT_EQ(model->rowCount, 2);
  std::vector<CompanyAccountRow> rows = AccountRowsFromModel(*model);
  EXPECT_EQ(rows[0].nazwa, main.nazwa);
  EXPECT_TRUE(rows[0].domyslny && !rows[1].domyslny && rows[1].aktywny);
  EXPECT_EQ(rows[1].iban, second.iban);
  EXPECT_EQ(rows[1].rodzaj, kAccountLoaded);
  std::vector<long> removed;
  RemoveAccountRow(*model, 0, &removed);
  MakeOnlyDefaultAccount(*model, 0);
  CompanySaveRequest change;
  change.companyId = id;
  ASSERT_TRUE(store.Load(id, &change.company));
  change.loadedValidFrom.ParseISODate("2024-01-01");
  change.accounts = AccountRowsFromModel(*model);
  change.removedAccountIds = removed;
  change.logo.action = CompanyLogoUpdate::Action::Clear;
  ASSERT_TRUE(store.Save(change, nullptr, &error)) << error;
  EXPECT_EQ(Cell(db, "select count(*) from firma_rachunek"), "1");
  EXPECT_EQ(Cell(db, "select nazwa from firma_rachunek where domyslny=1"), "EUR");
  EXPECT_EQ(Cell(db, "select coalesce(logo_base64,'') from firma where id_firmy=" + id), "");
  EXPECT_EQ(Cell(db, "select logo_size from firma where id_firmy=" + id), "0");
}

// One workstation of several on one database: it loads the company as the editor
// does (the row, its accounts as the list holds them, the logo), edits and saves.
class Workstation {
 public:
  explicit Workstation(const wxString& connection) : db(connection), accounts(new DVModel()) {
    for (int kind : {2, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0}) accounts->AddColumn(kind, 0);
    accounts->InitStorage();
  }

  void Load(const wxString& id) {
    CompanySnapshot snapshot;
    ASSERT_TRUE(CompanyStore(db).Load(id, &snapshot.company)) << db.lastError;
    db.InsertRowsDataView(accounts, false, Querys::SelectFirmaRachunek(id, ""), "");
    snapshot.accounts = AccountRowsFromModel(*accounts);
    snapshot.logoBase64 = Cell(db, "select coalesce(logo_base64,'') from firma where id_firmy=" + id);
    request = CompanySaveRequest();
    request.companyId = id;
    request.company = snapshot.company;
    request.loadedValidFrom.ParseISODate(snapshot.company.dataOd);
    request.loaded = snapshot;
    request.loadedDefaultCompanies = CompanyStore(db).DefaultCompanies();
    request.logo.action = CompanyLogoUpdate::Action::Clear;  // none loaded, none chosen
  }

  // A new company's form, without accounts.
  void New(const wxString& name) {
    db.InsertRowsDataView(accounts, false, Querys::SelectFirmaRachunek("0", ""), "");
    request = CompanySaveRequest();
    request.company.nazwa = name;
    request.loadedDefaultCompanies = CompanyStore(db).DefaultCompanies();
  }

  void ChangeBank(int row, const wxString& bank) {
    CompanyAccountRow fields = ReadAccountRow(*accounts, row);
    fields.nazwaBanku = bank;
    CopyFieldsIntoAccountRow(*accounts, row, fields);
  }

  bool Save(wxString* error, CompanySaveOutcome* outcome) {
    request.accounts = AccountRowsFromModel(*accounts);
    return CompanyStore(db).Save(request, outcome, error);
  }

  SQLData db;
  CompanySaveRequest request;
  wxObjectDataPtr<DVModel> accounts;  // "Bank A", then "Bank B"
};

// Workstation A loads "Piekarnia Nowak", so does B; B saves its change first, then
// A saves: what B stored stays, and A's change is merged in or stopped whole. Which
// company is the default ("Gamma" at the load) and which of its accounts each count
// as one value.
TEST_P(CompanyStoreOnServer, ASaveNeverUndoesWhatAnotherWorkstationStoredSinceTheLoad) {
  using Edit = void (*)(Workstation&);
  const struct {
    const char* what;
    Edit other;
    Edit mine;
    bool conflict;
    const char* firma;  // telefon|email|uwagi after A's save
    const char* banks;
    const char* defaults = nullptr;  // the default companies|the company's default account
    const char* named = nullptr;     // what the conflict names
  } cases[] = {
      {"alone", [](Workstation&) {},
       [](Workstation& a) {
         a.request.company.telefon = "111";
         a.ChangeBank(0, "Bank C");
         RemoveAccountRow(*a.accounts, 1, &a.request.removedAccountIds);
       },
       false, "111|biuro@nowak.pl|", "Bank C"},
      {"different fields",
       [](Workstation& b) {
         b.request.company.email = "b@nowak.pl";
         b.request.company.uwagi = "B";
       },
       [](Workstation& a) { a.request.company.telefon = "111"; }, false, "111|b@nowak.pl|B", "Bank A,Bank B"},
      {"the same field", [](Workstation& b) { b.request.company.telefon = "222"; },
       [](Workstation& a) {
         a.request.company.telefon = "111";
         a.request.company.uwagi = "A";
       },
       true, "222|biuro@nowak.pl|", "Bank A,Bank B"},
      {"an account deleted there, changed here",
       [](Workstation& b) { RemoveAccountRow(*b.accounts, 0, &b.request.removedAccountIds); },
       [](Workstation& a) {
         a.request.company.telefon = "111";
         a.ChangeBank(0, "Bank C");
       },
       true, "100|biuro@nowak.pl|", "Bank B"},
      {"an account changed there, deleted here", [](Workstation& b) { b.ChangeBank(0, "Bank C"); },
       [](Workstation& a) { RemoveAccountRow(*a.accounts, 0, &a.request.removedAccountIds); }, true,
       "100|biuro@nowak.pl|", "Bank C,Bank B"},
      {"the logo on both sides",
       [](Workstation& b) { b.request.logo = {CompanyLogoUpdate::Action::Store, "Qg==", "png", 1}; },
       [](Workstation& a) { a.request.logo = {CompanyLogoUpdate::Action::Store, "QQ==", "png", 1}; }, true,
       "100|biuro@nowak.pl|", "Bank A,Bank B"},
      {"the default account on both sides", [](Workstation& b) { MakeOnlyDefaultAccount(*b.accounts, 1); },
       [](Workstation& a) { MakeOnlyDefaultAccount(*a.accounts, 0); }, true, "100|biuro@nowak.pl|", "Bank A,Bank B",
       "Gamma|Bank B", "domyślny rachunek"},
      {"the same default account on both sides", [](Workstation& b) { MakeOnlyDefaultAccount(*b.accounts, 1); },
       [](Workstation& a) { MakeOnlyDefaultAccount(*a.accounts, 1); }, false, "100|biuro@nowak.pl|",
       "Bank A,Bank B", "Gamma|Bank B"},
      {"the default account alone", [](Workstation&) {},
       [](Workstation& a) { MakeOnlyDefaultAccount(*a.accounts, 0); }, false, "100|biuro@nowak.pl|", "Bank A,Bank B",
       "Gamma|Bank A"},
      {"the default company on both sides",
       [](Workstation& b) {
         b.New("Delta");
         b.request.company.domyslna = true;
       },
       [](Workstation& a) { a.request.company.domyslna = true; }, true, "100|biuro@nowak.pl|", "Bank A,Bank B",
       "Delta|", "domyślna firma"},
      {"the same default company on both sides", [](Workstation& b) { b.request.company.domyslna = true; },
       [](Workstation& a) { a.request.company.domyslna = true; }, false, "100|biuro@nowak.pl|", "Bank A,Bank B",
       "Piekarnia Nowak|"},
      {"the default company alone", [](Workstation&) {},
       [](Workstation& a) { a.request.company.domyslna = true; }, false, "100|biuro@nowak.pl|", "Bank A,Bank B",
       "Piekarnia Nowak|"},
  };
  DbConnectionInfo info;
  const wxString connection = CreateProgramDatabase(&info);
  Workstation a(connection);
  Workstation b(connection);
  ASSERT_TRUE(a.db.IniciujBazeDanych() && b.db.IniciujBazeDanych()) << a.db.lastError;
  CompanySaveRequest gamma;
  gamma.company.nazwa = "Gamma";
  ASSERT_TRUE(CompanyStore(a.db).Save(gamma, nullptr, nullptr));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CompanySaveRequest create;
    create.company.nazwa = "Piekarnia Nowak";
    create.company.telefon = "100";
    create.company.email = "biuro@nowak.pl";
    create.accounts.resize(2);
    create.accounts[0].nazwaBanku = "Bank A";
    create.accounts[1].nazwaBanku = "Bank B";
    CompanySaveOutcome created;
    wxString error;
    ASSERT_TRUE(CompanyStore(a.db).Save(create, &created, &error)) << error;
    const wxString id = created.companyId;
    a.db.InsertData("update firma set domyslna=case when nazwa='Gamma' then 1 else 0 end");
    ASSERT_FALSE(a.db.errorFlag) << a.db.lastError;
    ASSERT_NO_FATAL_FAILURE(a.Load(id));
    ASSERT_NO_FATAL_FAILURE(b.Load(id));

    c.other(b);
    ASSERT_TRUE(b.Save(&error, nullptr)) << error;
    c.mine(a);
    CompanySaveOutcome outcome;
    EXPECT_EQ(a.Save(&error, &outcome), !c.conflict) << error;
    EXPECT_EQ(outcome.conflict, c.conflict);
    const wxString where = " where id_firmy=" + id;
    EXPECT_EQ(wxJoin(a.db.FrameData("select telefon,email,coalesce(uwagi,'') from firma" + where), '|'), c.firma);
    // A left the logo alone, or its own stopped the save: the logo is B's.
    EXPECT_EQ(Cell(a.db, "select coalesce(logo_base64,'') from firma" + where), b.request.logo.base64);
    EXPECT_EQ(wxJoin(a.db.FrameData("select nazwa_banku from firma_rachunek" + where + " order by id_rachunku"), ','),
              c.banks);
    if (c.defaults) {
      EXPECT_EQ(wxJoin(a.db.FrameData("select nazwa from firma where domyslna=1"), ',') + "|" +
                    wxJoin(a.db.FrameData("select nazwa_banku from firma_rachunek" + where + " and domyslny=1"), ','),
                c.defaults);
    }
    if (c.named) {
      EXPECT_NE(error.Find(wxString::FromUTF8(c.named)), wxNOT_FOUND) << error;
    }
  }
}

// B's change is not committed yet when A saves: A's save waits for it, sees it, and
// stores nothing. B changes a field, or makes another company the default as a copy
// of the program does, under the lock of a default switch.
TEST_P(CompanyStoreOnServer, ASaveWaitsForAChangeInProgressAndThenSeesIt) {
  const struct {
    const char* what;
    const char* lock;  // B's LockTableForWrite; nullptr for none
    const char* theirs;
    void (*mine)(Workstation&);
    const char* check;
    const char* stored;
  } cases[] = {
      {"a field", nullptr, "update firma set telefon='222'", [](Workstation& a) { a.request.company.telefon = "111"; },
       "select telefon from firma", "222"},
      {"the default company", "firma", "insert into firma(nazwa,domyslna) values('Gamma',1)",
       [](Workstation& a) { a.request.company.domyslna = true; }, "select nazwa from firma where domyslna=1", "Gamma"},
  };
  DbConnectionInfo info;
  const wxString connection = CreateProgramDatabase(&info);
  Workstation a(connection);
  SQLData b(connection);
  // A waits as long as B holds its change: with many tests on one server, seeing
  // that it waits may take longer than the screens' bound of a lock wait.
  a.db.SetServerWaits(ServerWaits());
  ASSERT_TRUE(a.db.IniciujBazeDanych() && b.IniciujBazeDanych()) << b.lastError;
  CompanySaveRequest create;
  create.company.nazwa = "Piekarnia Nowak";
  CompanySaveOutcome created;
  wxString error;
  ASSERT_TRUE(CompanyStore(a.db).Save(create, &created, &error)) << error;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_NO_FATAL_FAILURE(a.Load(created.companyId));
    b.StartTransaction();
    if (c.lock) b.LockTableForWrite(c.lock);
    b.InsertData(c.theirs);
    ASSERT_FALSE(b.errorFlag) << b.lastError;
    std::atomic<bool> done{false};
    bool saved = true;
    CompanySaveOutcome outcome;
    std::thread save([&] {
      c.mine(a);
      saved = a.Save(&error, &outcome);
      done = true;
    });
    WaitUntilBlocked(b, [&] { return done.load(); });
    b.CommitTransaction();
    save.join();
    EXPECT_FALSE(saved);
    EXPECT_TRUE(outcome.conflict) << error;
    EXPECT_EQ(wxJoin(b.FrameData(c.check), ','), c.stored);
  }
}

// Four workstations save at once, each its own company, again and again: each save
// makes that company the default, moves its default account, or both. No save
// fails but as a conflict with what another stored since its load (none deadlocks
// the others), and every moment there is one default company and one default
// account per company.
TEST_P(CompanyStoreOnServer, ConcurrentDefaultSwitchesNeverDeadlockAndKeepOneDefaultEach) {
  DbConnectionInfo info;
  const wxString connection = CreateProgramDatabase(&info);
  std::vector<std::unique_ptr<Workstation>> workstations;
  std::vector<wxString> ids;
  for (int i = 0; i < 4; ++i) {
    workstations.push_back(std::make_unique<Workstation>(connection));
    ASSERT_TRUE(workstations.back()->db.IniciujBazeDanych()) << workstations.back()->db.lastError;
    CompanySaveRequest create;
    create.company.nazwa = wxString::Format("Firma %d", i);
    create.company.domyslna = i == 0;
    create.accounts.resize(2);
    create.accounts[0].domyslny = true;
    CompanySaveOutcome created;
    ASSERT_TRUE(CompanyStore(workstations[0]->db).Save(create, &created, nullptr));
    ids.push_back(created.companyId);
  }
  // 0: the default company, 1: the default account, 2: both.
  const auto edit = [&](int i, int what) {
    workstations[i]->Load(ids[i]);
    if (what != 1) workstations[i]->request.company.domyslna = true;
    if (what != 0) MakeOnlyDefaultAccount(*workstations[i]->accounts, 1);
  };
  // Alone, each sends the statements of its own work, counted in the SQL trace: no
  // lock for the default account, one for the default company (none on SQLite).
  const auto traced = [] {
    return wxString::FromUTF8(veldrix::test::ReadFileBytes(SqlLogFilePath(""))).Replace(" SQL ", "");
  };
  const size_t lock = GetParam().variable ? 1 : 0;
  const struct {
    int what;
    size_t statements;
  } alone[] = {{1, 9}, {0, 4 + lock}, {2, 10 + lock}};
  for (const auto& save : alone) {
    edit(save.what == 2 ? 2 : 1, save.what);
    const size_t before = traced();
    SqlTraceEnabled = true;
    wxString error;
    EXPECT_TRUE(workstations[save.what == 2 ? 2 : 1]->Save(&error, nullptr)) << error;
    SqlTraceEnabled = false;
    EXPECT_EQ(traced() - before, save.statements) << "save " << save.what;
  }
  const wxString invariant =
      "select (select count(*) from firma where domyslna=1), (select count(*) from firma f where (select count(*) "
      "from firma_rachunek r where r.id_firmy=f.id_firmy and r.domyslny=1)<>1)";
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&, i] {
      for (int n = 0; n < 15; ++n) {
        edit(i, (n + i) % 3);
        wxString error;
        CompanySaveOutcome outcome;
        EXPECT_TRUE(workstations[i]->Save(&error, &outcome) || outcome.conflict) << i << "/" << n << ": " << error;
        EXPECT_EQ(wxJoin(workstations[i]->db.FrameData(invariant), ','), "1,0");
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
}

// The list's search box: text typed as it is written in the company's name finds
// it, whatever the engine makes of a backslash in a pattern.
TEST_P(CompanyStoreOnServer, SearchFindsBackslashesAndPolishCapitals) {
  DbConnectionInfo info;
  SQLData db(CreateProgramDatabase(&info));
  ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
  CompanyStore store(db);
  CompanySaveRequest request;
  request.company.nazwa = wxString::FromUTF8("Biuro C:\\dane\\ Łódź");
  request.company.dataOd = "2024-01-01";
  wxString error;
  ASSERT_TRUE(store.Save(request, nullptr, &error)) << error;

  for (const char* typed : {"C:\\dane", "dane\\", "\\", "ŁÓDŹ", "c:\\DANE\\ łÓdź"}) {
    const wxString text = wxString::FromUTF8(typed);
    const wxArrayString cells = db.FrameData(Querys::SelectFirma("", CompanySearchCondition(0, text)));
    EXPECT_FALSE(db.errorFlag) << text << ": " << db.lastError;
    EXPECT_EQ(cells.size(), 6u) << text;
    if (cells.size() == 6u) {
      EXPECT_EQ(cells[0], request.company.nazwa);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, CompanyStoreOnServer, ::testing::ValuesIn(veldrix::test::SqliteAndTestServers()),
                         veldrix::test::TestServerName);

}  // namespace
