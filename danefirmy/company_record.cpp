#include "danefirmy/company_record.h"

#include "app/common/i18n.h"
#include "sqldata/save_failure_text.h"
#include "sqldata/sql_data.h"
#include "sqldata/sql_literals.h"
#include "sqldata/sql_value.h"

#include <wx/variant.h>
#include <wx/wxsqlite3.h>

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

const char kUpdateFirma[] =
    "update firma set nazwa=?,nazwa_pelna=?,nip=?,regon=?,telefon=?,email=?,www=?,ulica=?,kod=?,miejscowosc=?,"
    "wojewodztwo=?,kraj=?,naglowek_dokumentow=?,stopka_dokumentow=?,data_od=?,platnik_vat=?,czynny_vat=?,"
    "maly_podatnik=?,vat_kwartalny=?,metoda_kasowa=?,aktywna=?,domyslna=?,uwagi=?,pokazuj_logo=?,"
    "informacja_dodatkowa=?,miejsce_wystawienia=?,domyslna_platnosc=?,domyslny_termin=?,domyslna_waluta=?,"
    "krs=?,bdo=?,eori=?,gln=?,ksef_id=?,data_modyfikacji=CURRENT_TIMESTAMP where id_firmy=?";

const char kInsertNumbering[] =
    "insert into dokument_numeracja(id_dok_rodzaj,id_firmy,num_auto,num_format,num_ostatni,num_rok,okres,rok,"
    "miesiac) values(?,?,?,?,?,?,?,?,?)";

const char kCopyToHistory[] =
    "insert into firma_historia(id_firmy,nazwa,nazwa_pelna,nip,regon,ulica,kod,miejscowosc,wojewodztwo,kraj,"
    "data_od) select id_firmy,nazwa,nazwa_pelna,nip,regon,ulica,kod,miejscowosc,wojewodztwo,kraj,data_od "
    "from firma where id_firmy=";

const char kSelectFirmaRow[] =
    "select data_od,nazwa,nazwa_pelna,nip,regon,ulica,kod,miejscowosc,wojewodztwo,kraj,naglowek_dokumentow,"
    "stopka_dokumentow,coalesce(telefon,''),coalesce(email,''),coalesce(www,''),coalesce(platnik_vat,1),"
    "coalesce(czynny_vat,1),coalesce(maly_podatnik,0),coalesce(vat_kwartalny,0),coalesce(metoda_kasowa,0),"
    "coalesce(aktywna,1),coalesce(domyslna,0),coalesce(uwagi,''),coalesce(pokazuj_logo,1),"
    "coalesce(informacja_dodatkowa,''),coalesce(miejsce_wystawienia,''),coalesce(domyslna_platnosc,0),"
    "coalesce(domyslny_termin,7),coalesce(domyslna_waluta,'PLN'),coalesce(krs,''),coalesce(bdo,''),"
    "coalesce(eori,''),coalesce(gln,''),coalesce(ksef_id,''),id_firmy from firma where id_firmy=";
const size_t kFirmaRowCells = 35;

const char kAccountFields[] = "nazwa=?,numer=?,nazwa_banku=?,waluta=?,swift=?,iban=?,aktywny=?,opis=?,domyslny=?";

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

}  // namespace

std::vector<SqlValue> CompanyBindValues(const CompanyRecord& c) {
  return {c.nazwa,
          c.nazwaPelna,
          c.nip,
          c.regon,
          c.telefon,
          c.email,
          c.www,
          c.ulica,
          c.kod,
          c.miejscowosc,
          c.wojewodztwo,
          c.kraj,
          c.naglowekDokumentow,
          c.stopkaDokumentow,
          c.dataOd,
          c.platnikVat,
          c.czynnyVat,
          c.malyPodatnik,
          c.vatKwartalny,
          c.metodaKasowa,
          c.aktywna,
          c.domyslna,
          c.uwagi,
          c.pokazujLogo,
          c.informacjaDodatkowa,
          c.miejsceWystawienia,
          c.domyslnaPlatnosc,
          c.domyslnyTermin,
          c.domyslnaWaluta,
          c.krs,
          c.bdo,
          c.eori,
          c.gln,
          c.ksefId};
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

bool CompanyStore::HasDefaultCompany() { return db_.IsExistsData("select 1 from firma where domyslna=1"); }

void CompanyStore::Fail(const wxString& message) {
  if (failure_.empty()) failure_ = message;
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

bool CompanyStore::InTransaction(const std::function<bool()>& statements, wxString* error) {
  const bool ok = db_.RunTransaction([&] {
    failure_.clear();
    return statements();
  });
  if (!ok && error) *error = SaveFailureText(db_, failure_.empty() ? db_.lastError : failure_);
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
    return SaveInTransaction(request, &result);
  };
  if (!InTransaction(unit, error)) return false;
  if (outcome) *outcome = result;
  return true;
}

bool CompanyStore::SaveInTransaction(const CompanySaveRequest& request, CompanySaveOutcome* outcome) {
  const bool isNew = request.companyId == "0";
  long existingId = 0;
  if (!isNew && !ReadId(request.companyId, &existingId)) {
    Fail(_("Nieprawidłowy identyfikator firmy."));
    return false;
  }
  // A row deleted elsewhere since it was loaded: the update would change nothing and
  // the default switch would clear the other companies, yet the save would pass.
  if (!isNew) {
    const bool exists = db_.IsExistsData(wxString::Format("select 1 from firma where id_firmy=%ld", existingId));
    if (db_.errorFlag) {
      Fail(db_.lastError);
      return false;
    }
    if (!exists) {
      Fail(_("Tej firmy nie ma już w bazie danych (mogła zostać usunięta na innym stanowisku). Zmiany nie zostały "
             "zapisane."));
      return false;
    }
  }
  const CompanyRecord& company = request.company;
  outcome->defaultCompany = company.domyslna;

  if (company.domyslna &&
      (!LockForDefault("firma") ||
       !Run("update firma set domyslna=0 where id_firmy<>?", {SqlValue(static_cast<int>(existingId))}))) {
    return false;
  }

  long companyId = existingId;
  std::vector<SqlValue> values = CompanyBindValues(company);
  if (isNew) {
    long long newRowId = 0;
    if (!Run(kInsertFirma, values, &newRowId)) return false;
    const std::int32_t newId = static_cast<std::int32_t>(newRowId);
    if (newId <= 0) {
      Fail(_("Nie udało się dodać firmy."));
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
    if (dateChanged) {
      if (db_.InsertData(kCopyToHistory + wxString::Format("%ld", companyId)) < 0) {
        Fail(db_.lastError.empty() ? wxString("CopyCompanyToHistory | DB not open") : db_.lastError);
        return false;
      }
      outcome->historyWritten = true;
    }
    values.push_back(SqlValue(static_cast<int>(companyId)));
    if (!Run(kUpdateFirma, values)) return false;
  }
  const SqlValue idValue(static_cast<int>(companyId));

  for (const CompanyAccountRow& account : request.accounts) {
    if (account.domyslny && account.rodzaj != kAccountLoaded) {
      if (!LockForDefault("firma_rachunek") ||
          !Run("update firma_rachunek set domyslny=0 where id_firmy=?", {idValue})) {
        return false;
      }
      break;
    }
  }
  for (const CompanyAccountRow& account : request.accounts) {
    const std::vector<SqlValue> fields = {account.nazwa, account.numer, account.nazwaBanku, account.waluta,
                                          account.swift, account.iban,  account.aktywny,    account.opis,
                                          account.domyslny};
    if (account.rodzaj == kAccountAdded) {
      std::vector<SqlValue> params = {idValue};
      params.insert(params.end(), fields.begin(), fields.end());
      if (!Run("insert into firma_rachunek(id_firmy,nazwa,numer,nazwa_banku,waluta,swift,iban,aktywny,opis,"
               "domyslny) values(?,?,?,?,?,?,?,?,?,?)",
               params)) {
        return false;
      }
    } else if (account.rodzaj == kAccountChanged) {
      std::vector<SqlValue> params = fields;
      params.push_back(SqlValue(static_cast<int>(account.idRachunku)));
      if (!Run(wxString("update firma_rachunek set ") + kAccountFields + " where id_rachunku=?", params)) {
        return false;
      }
    }
  }
  for (long removed : request.removedAccountIds) {
    if (!Run("delete from firma_rachunek where id_rachunku=?", {SqlValue(static_cast<int>(removed))})) return false;
  }
  const CompanyLogoUpdate& logo = request.logo;
  if (logo.action == CompanyLogoUpdate::Action::Clear &&
      !Run("update firma set logo_base64='',logo_format='png',logo_size=0 where id_firmy=?", {idValue})) {
    return false;
  }
  if (logo.action == CompanyLogoUpdate::Action::Store &&
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
  const wxArrayString cells = db_.FrameData(kSelectFirmaRow + wxString::Format("%ld", id));
  if (cells.size() < kFirmaRowCells) return false;
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
  *company = c;
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
      error);
}
