// A company as data: the firma row the editor writes and reads, its bank account
// rows with their edit state, and CompanyStore, which saves a company in one
// transaction, loads, deletes and searches on an open SQLData. No windows here:
// the company editor maps its controls to these records.
#pragma once

#include <wx/arrstr.h>
#include <wx/datetime.h>
#include <wx/string.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

class SQLData;
class wxVariant;
struct CompanyWritePlan;
struct SqlValue;

// The written columns of one firma row, in the order they are bound.
struct CompanyRecord {
  wxString nazwa;
  wxString nazwaPelna;
  wxString nip;
  wxString regon;
  wxString telefon;
  wxString email;
  wxString www;
  wxString ulica;
  wxString kod;
  wxString miejscowosc;
  wxString wojewodztwo;
  wxString kraj = "PL";
  wxString naglowekDokumentow;
  wxString stopkaDokumentow;
  wxString dataOd;  // ISO "YYYY-MM-DD" on save; as stored on load
  bool platnikVat = true;
  bool czynnyVat = true;
  bool malyPodatnik = false;
  bool vatKwartalny = false;
  bool metodaKasowa = false;
  bool aktywna = true;
  bool domyslna = false;
  wxString uwagi;
  bool pokazujLogo = true;
  wxString informacjaDodatkowa;
  wxString miejsceWystawienia;
  int domyslnaPlatnosc = 0;
  int domyslnyTermin = 7;
  wxString domyslnaWaluta = "PLN";
  wxString krs;
  wxString bdo;
  wxString eori;
  wxString gln;
  wxString ksefId;
};

// The 34 values of the insert and of the update, in column order.
std::vector<SqlValue> CompanyBindValues(const CompanyRecord& company);

// What the save does with an account row: kept as loaded, inserted, or updated.
extern const char kAccountLoaded[];   // "b"
extern const char kAccountAdded[];    // "n"
extern const char kAccountChanged[];  // "a"

// One bank account row of the editor, in the column order of its list model.
struct CompanyAccountRow {
  bool domyslny = false;
  wxString nazwa;
  wxString numer;
  wxString nazwaBanku;
  wxString waluta = "PLN";
  wxString swift;
  wxString iban;
  bool aktywny = true;
  wxString opis;
  wxString rodzaj = kAccountAdded;
  long idRachunku = 0;
};

// Columns of the account list model (the order of Querys::SelectFirmaRachunek).
enum AccountModelColumn : unsigned int {
  AccountColDomyslny = 0,
  AccountColNazwa,
  AccountColNumer,
  AccountColBank,
  AccountColWaluta,
  AccountColSwift,
  AccountColIban,
  AccountColAktywny,
  AccountColOpis,
  AccountColRodzaj,
  AccountColId,
  AccountColCount
};

// A flag cell: a bool variant as it is, any other read as text: "1", "true", "t",
// "yes" and "y" (any case) are true.
bool VariantToBool(const wxVariant& value);


// What a save does with the logo columns of the row (written only where the
// table has them).
struct CompanyLogoUpdate {
  enum class Action { Keep, Clear, Store };
  Action action = Action::Keep;
  wxString base64;  // the PNG as Base64, for Store
  wxString format = "png";
  std::size_t size = 0;  // the byte count base64 decodes to
};

// A stored company as an editor loaded it. Its save compares it with what is
// stored by then, so that it writes only what its user changed and never silently
// undoes what another workstation stored meanwhile.
struct CompanySnapshot {
  CompanyRecord company;
  wxString logoBase64;  // logo_base64 as read; empty for no logo
  std::vector<CompanyAccountRow> accounts;
};

// Everything a save needs besides the database.
struct CompanySaveRequest {
  // "0" stores a new company; otherwise the id_firmy to update.
  wxString companyId = "0";
  CompanyRecord company;
  // With the snapshot, the update of a stored company writes the columns, accounts
  // and logo this user changed since the load over what is stored now, and stores
  // nothing when another workstation changed one of them too, deleted a changed
  // account or changed a removed one. Without it everything is written as given.
  std::optional<CompanySnapshot> loaded;
  // Which companies were the default one as the editor loaded the form
  // (CompanyStore::DefaultCompanies). With it, a save that changes which company is
  // the default stores nothing when another workstation changed that since to
  // another company; without it the default is switched as asked.
  std::optional<wxString> loadedDefaultCompanies;
  // data_od of the row as it was loaded; an identity history row is written when
  // the record's date differs from it. Invalid for a new company.
  wxDateTime loadedValidFrom;
  std::vector<CompanyAccountRow> accounts;
  std::vector<long> removedAccountIds;
  CompanyLogoUpdate logo;
};

struct CompanySaveOutcome {
  wxString companyId;  // the stored company's id ("%d")
  bool created = false;
  bool defaultCompany = false;  // the domyslna value that was stored
  bool historyWritten = false;
  // Set also by a failed save: another workstation's change stood in the way.
  bool conflict = false;
};

// The "month" of the default numbering row: 1 for January to 12 for December.
int NumberingMonth(const wxDateTime& date);

// The condition a company search filters by: empty for a blank text; otherwise a
// case-insensitive LIKE on nip (column 1), miejscowosc (2) or nazwa (any other).
// "%" and "_" keep their wildcard meaning; "'" is doubled.
wxString CompanySearchCondition(int column, const wxString& text);

// The company operations on an open database object of the GUI thread.
class CompanyStore {
 public:
  explicit CompanyStore(SQLData& db) : db_(db) {}

  // Whether some company is the default one (domyslna=1) goes to *exists; false
  // when the read failed, which tells nothing.
  bool HasDefaultCompany(bool* exists);
  // The default companies as CompanySaveRequest::loadedDefaultCompanies holds them
  // (DefaultRowsValue of their ids; empty for none).
  wxString DefaultCompanies();

  // Saves in one transaction: the default switch, the company row (its history
  // copy first, or the numbering row after an insert), the accounts and the
  // removed accounts. request.company.domyslna is taken as decided by the caller;
  // copies saving a default company (or account) at the same time take turns, so
  // one default is left.
  // Every statement, the begin and the commit are checked; on any failure the
  // whole transaction is rolled back, *error gets the database's text (or says what
  // another workstation changed) and false is returned, so a second save repeats
  // everything.
  bool Save(const CompanySaveRequest& request, CompanySaveOutcome* outcome, wxString* error = nullptr);

  // The firma row of the id; false when the id is not a number or no row came back.
  bool Load(const wxString& companyId, CompanyRecord* company);

  // Deletes the company row and its accounts in one transaction (history and
  // numbering rows stay); false with the reason when anything failed.
  bool Delete(const wxString& companyId, wxString* error = nullptr);

 private:
  // Runs the statements between begin and commit (SQLData::RunTransaction); any
  // failure (begin and commit included) rolls back and leaves the reason in *error:
  // the database's text below `lead`, a refusal of the store's own as it is.
  bool InTransaction(const std::function<bool()>& statements, const wxString& lead, wxString* error);
  bool Run(const wxString& sql, const std::vector<SqlValue>& params, long long* newRowId = nullptr);
  // Before a default is switched: another copy switching it waits for this save,
  // so its clear sees this default (see SQLData::LockTableForWrite).
  bool LockForDefault(const char* table);
  bool SaveInTransaction(const CompanySaveRequest& request, CompanySaveOutcome* outcome);
  // Reads the stored rows under a row lock and decides what the update of a stored
  // company writes; false when the company is gone, on a conflict or a failure.
  bool PlanUpdate(const CompanySaveRequest& request, long companyId, CompanyWritePlan* plan);
  // Stops the save: another workstation changed what the list names.
  bool RefuseChangedElsewhere(const wxArrayString& changedElsewhere);
  // The account row of the company under a row lock; *found false when it is gone.
  bool ReadStoredAccount(long accountId, long companyId, CompanyAccountRow* account, bool* found);
  // The first failure of a save: the database's text (Fail) or the store's own
  // Polish refusal (Refuse), which is the whole answer.
  void Fail(const wxString& message);
  void Refuse(const wxString& text);

  SQLData& db_;
  wxString failure_;
  bool refused_ = false;
  bool conflict_ = false;
};
