#include "company/company_lookup.h"

#include "app/common/config_access.h"
#include "app/common/failure_notice.h"
#include "app/common/i18n.h"
#include "app/common/worker_registry.h"
#include "company/bir_lookup.h"
#include "company/dataport_lookup.h"
#include "company/lookup_http.h"

#include <wx/config.h>
#include <wx/event.h>
#include <wx/thread.h>

#include <utility>

const char kDefaultDataPortUrl[] = "https://dataport.veldrix.pl";
const char kDefaultBirUrl[] = "https://wyszukiwarkaregon.stat.gov.pl";
const char kDefaultBirTestUrl[] = "https://wyszukiwarkaregontest.stat.gov.pl";

const char kDataPortUrlKey[] = "/CompanyLookup/DataPortUrl";
const char kDataPortApiKeyKey[] = "/CompanyLookup/DataPortApiKey";
const char kBirUrlKey[] = "/CompanyLookup/BirUrl";
const char kBirTestUrlKey[] = "/CompanyLookup/BirTestUrl";

namespace {

// The program's own DataPort key.
const char kBuiltInDataPortApiKey[] = "Vx7kQ2mT9pLr4nWs8dHc3fJb6gYa1eKu5zNq0oRiTv2XyMwBsDpLh7jCf4nGt9aE";

wxString ConfiguredText(const char* key, const wxString& fallback) {
  veldrix::ConfigAccess config;
  if (!config) return fallback;
  const wxString value = config->Read(key, wxString());
  return value.empty() ? fallback : value;
}

class CompanyLookupWorker : public veldrix::WorkerThread {
 public:
  CompanyLookupWorker(const CompanyLookupSettings& settings, const wxString& nip,
                      std::shared_ptr<CompanyLookupTarget::Link> target, CompanyLookupCallback callback)
      : settings_(settings), nip_(nip), target_(std::move(target)), callback_(std::move(callback)) {}

  // Hands the outcome to the target's thread, or calls the callback here without one.
  static void Deliver(const std::shared_ptr<CompanyLookupTarget::Link>& target, const CompanyLookupCallback& callback,
                      bool ok, const CompanyData& data, const wxString& error) {
    if (veldrix::Workers().IsShuttingDown()) return;
    if (!target) {
      if (callback) callback(ok, data, error);
      return;
    }
    target->Deliver([callback, ok, data, error] {
      if (callback) callback(ok, data, error);
    });
  }

 protected:
  ExitCode Entry() override {
    CompanyData data;
    wxString error;
    const bool ok = LookupCompany(settings_, nip_, data, error);
    Deliver(target_, callback_, ok, data, error);
    return static_cast<ExitCode>(nullptr);
  }

 private:
  const CompanyLookupSettings settings_;
  const wxString nip_;
  const std::shared_ptr<CompanyLookupTarget::Link> target_;
  const CompanyLookupCallback callback_;
};

}  // namespace

CompanyLookupSettings::CompanyLookupSettings(int provider, const wxString& apiKey, bool fullFormat,
                                             const wxString& gusUserKey, bool birTest, int resolveTimeoutMs,
                                             int connectTimeoutMs, int sendTimeoutMs, int receiveTimeoutMs)
    : provider(provider),
      apiKey(apiKey),
      fullFormat(fullFormat),
      gusUserKey(gusUserKey),
      birTest(birTest),
      resolveTimeoutMs(resolveTimeoutMs),
      connectTimeoutMs(connectTimeoutMs),
      sendTimeoutMs(sendTimeoutMs),
      receiveTimeoutMs(receiveTimeoutMs) {}

CompanyLookupSettings EditorLookupSettings() {
  CompanyLookupSettings settings(CompanyLookupDataPort, ConfiguredText(kDataPortApiKeyKey, kBuiltInDataPortApiKey),
                                 true, wxString(), false, 4000, 4000, 6000, 6000);
  settings.dataPortUrl = ConfiguredText(kDataPortUrlKey, kDefaultDataPortUrl);
  settings.birUrl = ConfiguredText(kBirUrlKey, kDefaultBirUrl);
  settings.birTestUrl = ConfiguredText(kBirTestUrlKey, kDefaultBirTestUrl);
  return settings;
}

bool LookupCompany(const CompanyLookupSettings& settings, const wxString& nip, CompanyData& out, wxString& error) {
  bool found = false;
  switch (settings.provider) {
    case CompanyLookupDataPort:
      found = LookupCompanyDataPort(settings, nip, out, error);
      break;
    case CompanyLookupGusBir:
      found = LookupCompanyGusBir(settings, nip, out, error);
      break;
    default:
      error = _("Nieznany provider.");
      return false;
  }
  if (found) return true;
  // A NIP or key refused before the service is asked is told as it is; what the
  // service (or the way to it) answered follows what did not happen.
  const wxString& key = settings.provider == CompanyLookupGusBir ? settings.gusUserKey : settings.apiKey;
  CompanyData unused;
  wxString digits;
  wxString refusal;
  if (PrepareLookup(nip, key, wxString(), unused, digits, refusal)) {
    error = veldrix::FailureText(_("Nie udało się pobrać danych firmy z rejestru. Sprawdź połączenie z internetem i "
                                   "spróbuj ponownie za chwilę."),
                                 error);
  }
  return false;
}

bool PrepareLookup(const wxString& nip, const wxString& key, const wxString& missingKeyError, CompanyData& out,
                   wxString& digits, wxString& error) {
  error.clear();
  out = CompanyData();
  digits = DigitsOnly(nip);
  if (digits.length() != 10) {
    error = _("Podaj poprawny NIP (10 cyfr).");
    return false;
  }
  if (key.empty()) {
    error = missingKeyError;
    return false;
  }
  return true;
}

CompanyLookupTarget::CompanyLookupTarget(wxEvtHandler* handler) : link_(std::make_shared<Link>()) {
  link_->handler = handler;
}

CompanyLookupTarget::~CompanyLookupTarget() { Detach(); }

void CompanyLookupTarget::Detach() {
  // Waits for a worker that is queueing its call right now; a call already queued
  // is dropped with the handler's pending events.
  std::lock_guard<std::mutex> guard(link_->lock);
  link_->handler = nullptr;
}

bool CompanyLookupTarget::Link::Deliver(std::function<void()> call) {
  std::lock_guard<std::mutex> guard(lock);
  if (!handler) return false;
  handler->CallAfter(std::move(call));
  return true;
}

void LookupCompanyAsync(const CompanyLookupSettings& settings, const wxString& nip, CompanyLookupTarget* target,
                        CompanyLookupCallback callback) {
  std::shared_ptr<CompanyLookupTarget::Link> link = target ? target->link() : nullptr;
  if (veldrix::StartWorker(new CompanyLookupWorker(settings, nip, link, callback)) != wxTHREAD_NO_ERROR) {
    CompanyLookupWorker::Deliver(link, callback, false, CompanyData(),
                                 _("Nie udało się uruchomić wyszukiwania danych firmy."));
  }
}
