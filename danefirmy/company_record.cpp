#include "danefirmy/company_record.h"

#include "app/common/failure_notice.h"
#include "app/common/i18n.h"
#include "danefirmy/company_columns.h"
#include "sqldata/engine_statements.h"
#include "sqldata/row_merge.h"
#include "sqldata/save_failure_text.h"
#include "sqldata/sql_data.h"
#include "sqldata/sql_literals.h"
#include "sqldata/sql_value.h"

#include <wx/variant.h>
#include <wx/wxsqlite3.h>

// What the save of a stored company writes, decided by PlanUpdate.
struct CompanyWritePlan {
  wxArrayString columns;  // of the firma row
  bool logo = false;
  // For each row of the request: the columns of a changed account to write.
  std::vector<wxArrayString> accountColumns;
  std::vector<long> removedAccounts;
  bool defaultCompany = false;  // domyslna after the save
};

const char kAccountLoaded[] = "b";
const char kAccountAdded[] = "n";
const char kAccountChanged[] = "a";

namespace {

// CURRENT_TIMESTAMP rather than SQLite's datetime('now'): the same UTC text on
// SQLite, and understood as written by MySQL and PostgreSQL, which get no rewriting.
const char kInsertFirma[] =
    "insert into firma(nazwa,nazwa_pelna,nip,regon,telefon,email,www,ulica,kod,miejscowosc,wojewodztwo,kraj,"
    "naglowek_dokumentow,stopka_dokumentow,data_od,platnik_vat,czynny_vat,maly_podatnik,vat_kwartalny,"
    "metoda_kasowa,aktywna,domyslna,uwagi,pokazuj_logo,informacja_dodatkowa,miejsce_wystawienia,"
    "domyslna_platnosc,domyslny_termin,domyslna_waluta,krs,bdo,eori,gln,ksef_id,data_utworzenia,"
    "data_modyfikacji) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,"
    "CURRENT_TIMESTAMP,CURRENT_TIMESTAMP)";

const char kInsertNumbering[] =
    "insert into dokument_numeracja(id_dok_rodzaj,id_firmy,num_auto,num_format,num_ostatni,num_rok,okres,rok,"
    "miesiac) values(?,?,?,?,?,?,?,?,?)";

const char kCopyToHistory[] =
    "insert into firma_historia(id_firmy,nazwa,nazwa_pelna,nip,regon,ulica,kod,miejscowosc,wojewodztwo,kraj,"
    "data_od) select id_firmy,nazwa,nazwa_pelna,nip,regon,ulica,kod,miejscowosc,wojewodztwo,kraj,data_od "
    "from firma where id_firmy=";

const char kFirmaRowColumns[] =
    "data_od,nazwa,nazwa_pelna,nip,regon,ulica,kod,miejscowosc,wojewodztwo,kraj,naglowek_dokumentow,"
    "stopka_dokumentow,coalesce(telefon,''),coalesce(email,''),coalesce(www,''),coalesce(platnik_vat,1),"
    "coalesce(czynny_vat,1),coalesce(maly_podatnik,0),coalesce(vat_kwartalny,0),coalesce(metoda_kasowa,0),"
    "coalesce(aktywna,1),coalesce(domyslna,0),coalesce(uwagi,''),coalesce(pokazuj_logo,1),"
    "coalesce(informacja_dodatkowa,''),coalesce(miejsce_wystawienia,''),coalesce(domyslna_platnosc,0),"
    "coalesce(domyslny_termin,7),coalesce(domyslna_waluta,'PLN'),coalesce(krs,''),coalesce(bdo,''),"
    "coalesce(eori,''),coalesce(gln,''),coalesce(ksef_id,''),id_firmy";
const size_t kFirmaRowCells = 35;

// An account row as the editor's list loads it, flags with their defaults.
const char kAccountRowColumns[] =
    "coalesce(domyslny,0),coalesce(nazwa,''),coalesce(numer,''),coalesce(nazwa_banku,''),coalesce(waluta,'PLN'),"
    "coalesce(swift,''),coalesce(iban,''),coalesce(aktywny,1),coalesce(opis,'')";
const size_t kAccountRowCells = 9;

// The logo's place among the compared columns of the firma row.
const char kLogoColumn[] = "logo_base64";

// Ids reach SQL text only after they were read as numbers.
bool ReadId(const wxString& text, long* id) {
  long value = 0;
  if (!text.ToLong(&value, 10) || value <= 0 || value > INT32_MAX) return false;
  *id = value;
  return true;
}

int CellToInt(const wxString& cell, int fallback) {
  long value = 0;
  return cell.ToLong(&value, 10) ? static_cast<int>(value) : fallback;
}

// The company of kFirmaRowColumns' cells.
CompanyRecord CompanyFromCells(const wxArrayString& cells) {
  CompanyRecord c;
  size_t i = 0;
  auto next = [&]() { return cells[i++]; };
  auto flag = [&]() { return cells[i++] == "1"; };
  c.dataOd = next();
  c.nazwa = next();
  c.nazwaPelna = next();
  c.nip = next();
  c.regon = next();
  c.ulica = next();
  c.kod = next();
  c.miejscowosc = next();
  c.wojewodztwo = next();
  c.kraj = next();
  c.naglowekDokumentow = next();
  c.stopkaDokumentow = next();
  c.telefon = next();
  c.email = next();
  c.www = next();
  c.platnikVat = flag();
  c.czynnyVat = flag();
  c.malyPodatnik = flag();
  c.vatKwartalny = flag();
  c.metodaKasowa = flag();
  c.aktywna = flag();
  c.domyslna = flag();
  c.uwagi = next();
  c.pokazujLogo = flag();
  c.informacjaDodatkowa = next();
  c.miejsceWystawienia = next();
  c.domyslnaPlatnosc = CellToInt(next(), 0);
  // The editor shows the term as stored; an unreadable cell keeps the default.
  c.domyslnyTermin = CellToInt(next(), 7);
  c.domyslnaWaluta = next();
  c.krs = next();
  c.bdo = next();
  c.eori = next();
  c.gln = next();
  c.ksefId = next();
  return c;
}

// "column=?,column=?" of the columns.
wxString Assignments(const wxArrayString& columns) {
  wxString text;
  for (const wxString& column : columns) text += (text.empty() ? "" : ",") + column + "=?";
  return text;
}

bool Has(const wxArrayString& columns, const char* column) { return columns.Index(column) != wxNOT_FOUND; }

const CompanyAccountRow* LoadedAccount(const CompanySnapshot& snapshot, long id) {
  for (const CompanyAccountRow& account : snapshot.accounts) {
    if (account.idRachunku == id) return &account;
  }
  return nullptr;
}

// What the logo columns hold after the update (the Base64 text; empty for none).
wxString LogoText(const CompanyLogoUpdate& logo) {
  return logo.action == CompanyLogoUpdate::Action::Store ? logo.base64 : wxString();
}

// Whether the save changes the company's default flag from the one loaded.
bool ChangesDefaultCompany(const CompanySaveRequest& request) {
  return request.company.domyslna != (request.loaded && request.loaded->company.domyslna);
}

// The rows' default account as DefaultRowsValue.
wxString DefaultAccounts(const std::vector<CompanyAccountRow>& rows) {
  wxArrayString ids;
  for (const CompanyAccountRow& account : rows) {
    if (!account.domyslny) continue;
    ids.Add(account.rodzaj == kAccountAdded ? wxString(kNewDefaultRow) : wxString::Format("%ld", account.idRachunku));
  }
  return DefaultRowsValue(ids);
}

// Whether the save compares the default company with the one loaded: it changes
// the default flag and knows which company was the default at the load.
bool ComparesDefaultCompany(const CompanySaveRequest& request) {
  return request.loadedDefaultCompanies && ChangesDefaultCompany(request);
}

// Whether another workstation made another company the default (or none) since the
// load, while this save changes it too; stored as DefaultRowsValue. companyId 0 is
// a new company.
bool DefaultCompanyConflict(const CompanySaveRequest& request, long companyId, const wxString& stored) {
  wxString mine;
  if (request.company.domyslna) mine = companyId > 0 ? wxString::Format("%ld", companyId) : wxString(kNewDefaultRow);
  return MergeValue(*request.loadedDefaultCompanies, mine, stored) == ValueMerge::Conflict;
}

// How a conflict names the default company.
wxString DefaultCompanyLabel() { return _("domyślna firma"); }

// Everything the request holds is written: a new company, or a save without the
// snapshot of its load.
void PlanWholeRequest(const CompanySaveRequest& request, CompanyWritePlan* plan) {
  plan->columns = CompanyColumnNames();
  plan->logo = request.logo.action != CompanyLogoUpdate::Action::Keep;
  plan->accountColumns.assign(request.accounts.size(), wxArrayString());
  for (size_t i = 0; i < request.accounts.size(); ++i) {
    if (request.accounts[i].rodzaj == kAccountChanged) plan->accountColumns[i] = AccountColumnNames();
  }
  plan->removedAccounts = request.removedAccountIds;
  plan->defaultCompany = request.company.domyslna;
}

}  // namespace

std::vector<SqlValue> CompanyBindValues(const CompanyRecord& c) {
  std::vector<SqlValue> values;
  for (const wxString& column : CompanyColumnNames()) values.push_back(CompanyColumnValue(c, column));
  return values;
}

bool VariantToBool(const wxVariant& value) {
  if (value.GetType() == "bool") return value.GetBool();
  const wxString text = value.GetString().Lower();
  return text == "1" || text == "true" || text == "t" || text == "yes" || text == "y";
}

int NumberingMonth(const wxDateTime& date) { return static_cast<int>(date.GetMonth()) + 1; }

wxString CompanySearchCondition(int column, const wxString& text) {
  wxString needle(text);
  needle.Trim(true).Trim(false);
  if (needle.empty()) return wxString();
  const wxString name = column == 1 ? "nip" : column == 2 ? "miejscowosc" : "nazwa";
  // PostgreSQL and MariaDB read a backslash in a pattern as an escape and SQLite
  // does not: named as the escape everywhere and doubled, it matches itself. "%"
  // and "_" stay wildcards.
  needle.Replace("\\", "\\\\");
  return "lower(coalesce(" + name + ",'')) like lower('%" + EscapeSqlText(needle) + "%') escape '\\'";
}

bool CompanyStore::HasDefaultCompany(bool* exists) {
  return db_.IsExistsData("select 1 from firma where domyslna=1", exists);
}

wxString CompanyStore::DefaultCompanies() {
  return DefaultRowsValue(db_.FrameData("select id_firmy from firma where domyslna=1"));
}

void CompanyStore::Fail(const wxString& message) {
  if (failure_.empty()) failure_ = message;
}

void CompanyStore::Refuse(const wxString& text) {
  if (!failure_.empty()) return;
  failure_ = text;
  refused_ = true;
}

bool CompanyStore::Run(const wxString& sql, const std::vector<SqlValue>& params, long long* newRowId) {
  try {
    const SqlExecResult result = db_.ExecPrepared(sql, params);
    if (db_.errorFlag) {
      Fail(db_.lastError);
      return false;
    }
    if (newRowId) *newRowId = result.newRowId;
    return true;
  } catch (const wxSQLite3Exception& e) {
    Fail(e.GetMessage());
    return false;
  }
}

bool CompanyStore::InTransaction(const std::function<bool()>& statements, const wxString& lead, wxString* error) {
  const bool ok = db_.RunTransaction([&] {
    failure_.clear();
    refused_ = false;
    return statements();
  });
  if (ok || !error) return ok;
  const wxString reason = failure_.empty() ? db_.lastError : failure_;
  *error = SaveFailureText(db_, refused_ ? reason : veldrix::FailureText(lead, reason));
  return ok;
}

bool CompanyStore::LockForDefault(const char* table) {
  if (db_.LockTableForWrite(table)) return true;
  Fail(db_.lastError);
  return false;
}

bool CompanyStore::Save(const CompanySaveRequest& request, CompanySaveOutcome* outcome, wxString* error) {
  CompanySaveOutcome result;
  // A deadlock runs the unit again: nothing the lost attempt noted may carry over.
  const auto unit = [&] {
    result = CompanySaveOutcome();
    conflict_ = false;
    return SaveInTransaction(request, &result);
  };
  if (!InTransaction(unit,
                     _("Firma nie została zapisana. Sprawdź wpisane dane i spróbuj ponownie; jeśli błąd się "
                       "powtarza, przekaż poniższy opis administratorowi."),
                     error)) {
    if (outcome) outcome->conflict = conflict_;
    return false;
  }
  if (outcome) *outcome = result;
  return true;
}

bool CompanyStore::ReadStoredAccount(long accountId, long companyId, CompanyAccountRow* account, bool* found) {
  const wxArrayString cells =
      db_.FrameData(LockedSelectStatement(db_.GetEngine(), kAccountRowColumns, "firma_rachunek",
                                          wxString::Format("id_rachunku=%ld and id_firmy=%ld", accountId, companyId)));
  if (db_.errorFlag) {
    Fail(db_.lastError);
    return false;
  }
  *found = cells.size() >= kAccountRowCells;
  if (!*found) return true;
  CompanyAccountRow a;
  a.domyslny = cells[0] == "1";
  a.nazwa = cells[1];
  a.numer = cells[2];
  a.nazwaBanku = cells[3];
  a.waluta = cells[4];
  a.swift = cells[5];
  a.iban = cells[6];
  a.aktywny = cells[7] == "1";
  a.opis = cells[8];
  a.rodzaj = kAccountLoaded;
  a.idRachunku = accountId;
  *account = a;
  return true;
}

bool CompanyStore::RefuseChangedElsewhere(const wxArrayString& changedElsewhere) {
  conflict_ = true;
  wxString named;
  for (const wxString& what : changedElsewhere) named += (named.empty() ? "" : ", ") + what;
  Refuse(_("Ta firma została zmieniona przez innego użytkownika. Odśwież listę i spróbuj ponownie.") + "\n" +
         wxString::Format(_("Na innym stanowisku zmieniono: %s."), named));
  return false;
}

bool CompanyStore::PlanUpdate(const CompanySaveRequest& request, long companyId, CompanyWritePlan* plan) {
  const CompanySnapshot* loaded = request.loaded ? &*request.loaded : nullptr;
  const CompanyLogoUpdate& logo = request.logo;
  // The stored logo is read only when this save would change it.
  const bool logoEdited = logo.action != CompanyLogoUpdate::Action::Keep &&
                          (!loaded || LogoText(logo) != loaded->logoBase64);
  wxString columns = kFirmaRowColumns;
  if (loaded && logoEdited) columns += ",coalesce(logo_base64,'')";
  // Locked until the save ends, so that no other workstation writes the row between
  // this comparison and the update. A save that compares the default company, or
  // takes the default from the others, reads the rows holding it in the same
  // statement, before any account is locked.
  const wxString idText = wxString::Format("%ld", companyId);
  const bool comparesDefault = ComparesDefaultCompany(request);
  const bool locksDefaults = comparesDefault || (ChangesDefaultCompany(request) && request.company.domyslna);
  int width = 0;
  const wxString condition = "id_firmy=" + idText + (locksDefaults ? " or domyslna=1" : "");
  const wxArrayString rows = db_.FrameData(LockedSelectStatement(db_.GetEngine(), columns, "firma", condition), &width);
  if (db_.errorFlag) {
    Fail(db_.lastError);
    return false;
  }
  wxArrayString cells;
  wxArrayString defaults;
  for (size_t start = 0; width > 0 && start + width <= rows.size(); start += width) {
    wxArrayString row;
    for (int i = 0; i < width; ++i) row.Add(rows[start + i]);
    if (row.size() < kFirmaRowCells) break;
    if (row[kFirmaRowCells - 1] == idText) cells = row;
    if (CompanyFromCells(row).domyslna) defaults.Add(row[kFirmaRowCells - 1]);
  }
  // A row deleted elsewhere since it was loaded: the update would change nothing and
  // the default switch would clear the other companies, yet the save would pass.
  if (cells.size() < kFirmaRowCells) {
    Refuse(_("Tej firmy nie ma już w bazie danych (mogła zostać usunięta na innym stanowisku). Zmiany nie zostały "
             "zapisane."));
    return false;
  }
  const CompanyRecord stored = CompanyFromCells(cells);
  wxArrayString changedElsewhere;
  if (comparesDefault && DefaultCompanyConflict(request, companyId, DefaultRowsValue(defaults))) {
    changedElsewhere.Add(DefaultCompanyLabel());
  }
  if (!loaded) {
    PlanWholeRequest(request, plan);
    return changedElsewhere.IsEmpty() || RefuseChangedElsewhere(changedElsewhere);
  }

  RowValues before = CompanyRowValues(loaded->company);
  RowValues edited = CompanyRowValues(request.company);
  RowValues now = CompanyRowValues(stored);
  if (logoEdited) {
    before[kLogoColumn] = loaded->logoBase64;
    edited[kLogoColumn] = LogoText(logo);
    now[kLogoColumn] = cells[kFirmaRowCells];
  }
  const RowMerge merge = MergeRow(before, edited, now);
  for (const wxString& column : merge.conflicts) {
    changedElsewhere.Add(column == kLogoColumn ? _("Logo") : CompanyColumnLabel(column));
  }
  for (const wxString& column : merge.written) {
    if (column == kLogoColumn) {
      plan->logo = true;
    } else {
      plan->columns.Add(column);
    }
  }
  plan->defaultCompany = merge.merged.at("domyslna") == "1";

  // The default account is one value of the merge, read once when this save
  // changes it; then one locked read per account this save changes or deletes.
  // The company's row, locked above, is the lock of its default account: every
  // save of the company's accounts takes it first, so no table lock is needed,
  // which on MySQL would be the lock of a default-company switch, taken there
  // before the company rows.
  const wxString loadedDefault = DefaultAccounts(loaded->accounts);
  const wxString myDefault = DefaultAccounts(request.accounts);
  if (myDefault != loadedDefault) {
    const wxString storedDefault = ReadLockedDefaultRows(db_, "id_rachunku", "firma_rachunek",
                                                         wxString::Format("id_firmy=%ld and domyslny=1", companyId));
    if (db_.errorFlag) {
      Fail(db_.lastError);
      return false;
    }
    if (MergeValue(loadedDefault, myDefault, storedDefault) == ValueMerge::Conflict) {
      changedElsewhere.Add(_("domyślny rachunek"));
    }
  }
  plan->accountColumns.assign(request.accounts.size(), wxArrayString());
  for (size_t i = 0; i < request.accounts.size(); ++i) {
    const CompanyAccountRow& account = request.accounts[i];
    if (account.rodzaj != kAccountChanged) continue;
    CompanyAccountRow storedAccount;
    bool found = false;
    if (!ReadStoredAccount(account.idRachunku, companyId, &storedAccount, &found)) return false;
    const CompanyAccountRow* was = LoadedAccount(*loaded, account.idRachunku);
    if (!found) {
      // Deleted elsewhere: in the way only of a change this user made to it.
      if (was && !DifferingColumns(AccountRowValues(*was), AccountRowValues(account)).IsEmpty()) {
        changedElsewhere.Add(wxString::Format(_("rachunek „%s” (usunięty)"), AccountTitle(*was)));
      }
      continue;
    }
    const RowValues now = AccountRowValues(storedAccount);
    const RowMerge accountMerge = MergeRow(was ? AccountRowValues(*was) : now, AccountRowValues(account), now);
    if (accountMerge.HasConflict()) changedElsewhere.Add(wxString::Format(_("rachunek „%s”"), AccountTitle(account)));
    plan->accountColumns[i] = accountMerge.written;
  }
  for (long id : request.removedAccountIds) {
    CompanyAccountRow storedAccount;
    bool found = false;
    if (!ReadStoredAccount(id, companyId, &storedAccount, &found)) return false;
    if (!found) continue;  // deleted on both workstations
    const CompanyAccountRow* was = LoadedAccount(*loaded, id);
    if (was && !DifferingColumns(AccountRowValues(*was), AccountRowValues(storedAccount)).IsEmpty()) {
      changedElsewhere.Add(wxString::Format(_("rachunek „%s”"), AccountTitle(storedAccount)));
      continue;
    }
    plan->removedAccounts.push_back(id);
  }
  return changedElsewhere.IsEmpty() || RefuseChangedElsewhere(changedElsewhere);
}

bool CompanyStore::SaveInTransaction(const CompanySaveRequest& request, CompanySaveOutcome* outcome) {
  const bool isNew = request.companyId == "0";
  long existingId = 0;
  if (!isNew && !ReadId(request.companyId, &existingId)) {
    Refuse(_("Nieprawidłowy identyfikator firmy."));
    return false;
  }
  const CompanyRecord& company = request.company;
  // One order of locks in every save, on every engine, so that two saves never
  // wait for each other: the lock of a default-company switch, then the company
  // rows, then the account rows. The first is taken before the row is read under
  // its lock (see LockedSelectStatement), and before the default is compared with
  // the one loaded.
  const bool switchesDefault =
      ChangesDefaultCompany(request) && (company.domyslna || request.loadedDefaultCompanies);
  if (switchesDefault && !LockForDefault("firma")) return false;
  CompanyWritePlan plan;
  if (isNew) {
    PlanWholeRequest(request, &plan);
    if (ComparesDefaultCompany(request)) {
      const wxString stored = ReadLockedDefaultRows(db_, "id_firmy", "firma", "domyslna=1");
      if (db_.errorFlag) {
        Fail(db_.lastError);
        return false;
      }
      if (DefaultCompanyConflict(request, 0, stored)) {
        wxArrayString named;
        named.Add(DefaultCompanyLabel());
        return RefuseChangedElsewhere(named);
      }
    }
  } else if (!PlanUpdate(request, existingId, &plan)) {
    return false;
  }
  outcome->defaultCompany = plan.defaultCompany;

  if (company.domyslna && Has(plan.columns, "domyslna") &&
      !Run("update firma set domyslna=0 where id_firmy<>?", {SqlValue(static_cast<int>(existingId))})) {
    return false;
  }

  long companyId = existingId;
  if (isNew) {
    long long newRowId = 0;
    if (!Run(kInsertFirma, CompanyBindValues(company), &newRowId)) return false;
    const std::int32_t newId = static_cast<std::int32_t>(newRowId);
    if (newId <= 0) {
      Refuse(_("Nie udało się dodać firmy."));
      return false;
    }
    companyId = newId;
    const wxDateTime today = wxDateTime::Today();
    const int year = today.GetYear();
    if (!Run(kInsertNumbering, {SqlValue(1), SqlValue(static_cast<int>(companyId)), SqlValue(true),
                                SqlValue("F/#####/$$"), SqlValue(0), SqlValue(year), SqlValue("R"), SqlValue(year),
                                SqlValue(NumberingMonth(today))})) {
      return false;
    }
    outcome->created = true;
  } else {
    wxDateTime validFrom;
    const bool dateChanged = !validFrom.ParseISODate(company.dataOd) || !request.loadedValidFrom.IsValid() ||
                             validFrom != request.loadedValidFrom;
    if (Has(plan.columns, "data_od") && dateChanged) {
      if (db_.InsertData(kCopyToHistory + wxString::Format("%ld", companyId)) < 0) {
        Fail(db_.lastError.empty() ? wxString("CopyCompanyToHistory | DB not open") : db_.lastError);
        return false;
      }
      outcome->historyWritten = true;
    }
    // Only the columns this user changed: the others keep what is stored.
    std::vector<SqlValue> values;
    for (const wxString& column : plan.columns) values.push_back(CompanyColumnValue(company, column));
    values.push_back(SqlValue(static_cast<int>(companyId)));
    const wxString assignments = Assignments(plan.columns);
    if (!Run("update firma set " + assignments + (assignments.empty() ? "" : ",") +
                 "data_modyfikacji=CURRENT_TIMESTAMP where id_firmy=?",
             values)) {
      return false;
    }
  }
  const SqlValue idValue(static_cast<int>(companyId));

  for (size_t i = 0; i < request.accounts.size(); ++i) {
    const CompanyAccountRow& account = request.accounts[i];
    const bool writesDefault =
        account.rodzaj == kAccountAdded || Has(plan.accountColumns[i], "domyslny");
    if (account.domyslny && writesDefault) {
      // Under the company row's lock (or of a company not yet committed).
      if (!Run("update firma_rachunek set domyslny=0 where id_firmy=?", {idValue})) return false;
      break;
    }
  }
  for (size_t i = 0; i < request.accounts.size(); ++i) {
    const CompanyAccountRow& account = request.accounts[i];
    if (account.rodzaj == kAccountAdded) {
      std::vector<SqlValue> params = {idValue};
      for (const wxString& column : AccountColumnNames()) params.push_back(AccountColumnValue(account, column));
      if (!Run("insert into firma_rachunek(id_firmy,nazwa,numer,nazwa_banku,waluta,swift,iban,aktywny,opis,"
               "domyslny) values(?,?,?,?,?,?,?,?,?,?)",
               params)) {
        return false;
      }
    } else if (account.rodzaj == kAccountChanged && !plan.accountColumns[i].IsEmpty()) {
      std::vector<SqlValue> params;
      for (const wxString& column : plan.accountColumns[i]) params.push_back(AccountColumnValue(account, column));
      params.push_back(SqlValue(static_cast<int>(account.idRachunku)));
      if (!Run("update firma_rachunek set " + Assignments(plan.accountColumns[i]) + " where id_rachunku=?",
               params)) {
        return false;
      }
    }
  }
  for (long removed : plan.removedAccounts) {
    if (!Run("delete from firma_rachunek where id_rachunku=?", {SqlValue(static_cast<int>(removed))})) return false;
  }
  const CompanyLogoUpdate& logo = request.logo;
  if (plan.logo && logo.action == CompanyLogoUpdate::Action::Clear &&
      !Run("update firma set logo_base64='',logo_format='png',logo_size=0 where id_firmy=?", {idValue})) {
    return false;
  }
  if (plan.logo && logo.action == CompanyLogoUpdate::Action::Store &&
      !Run("update firma set logo_base64=?,logo_format=?,logo_size=? where id_firmy=?",
           {logo.base64, logo.format, SqlValue(static_cast<int>(logo.size)), idValue})) {
    return false;
  }
  outcome->companyId = wxString::Format("%d", static_cast<int>(companyId));
  return true;
}

bool CompanyStore::Load(const wxString& companyId, CompanyRecord* company) {
  long id = 0;
  if (!ReadId(companyId, &id)) return false;
  const wxArrayString cells =
      db_.FrameData(wxString("select ") + kFirmaRowColumns + wxString::Format(" from firma where id_firmy=%ld", id));
  if (cells.size() < kFirmaRowCells) return false;
  *company = CompanyFromCells(cells);
  return true;
}

bool CompanyStore::Delete(const wxString& companyId, wxString* error) {
  long id = 0;
  if (!ReadId(companyId, &id)) {
    if (error) *error = _("Nieprawidłowy identyfikator firmy.");
    return false;
  }
  const SqlValue idValue(static_cast<int>(id));
  return InTransaction(
      [&] {
        return Run("delete from firma where id_firmy=?", {idValue}) &&
               Run("delete from firma_rachunek where id_firmy=?", {idValue});
      },
      _("Firma nie została usunięta. Odśwież listę i spróbuj ponownie; jeśli błąd się powtarza, przekaż poniższy "
        "opis administratorowi."),
      error);
}
