// The lookup of a company's registry data by its NIP: the record it fills, its
// settings, LookupCompany over the DataPort and BIR providers, and the worker
// thread that runs one lookup and hands the outcome back to the window that asked.
#pragma once

#include <wx/string.h>

#include <functional>
#include <memory>
#include <mutex>

class wxEvtHandler;

// What a lookup found; every field empty in a new record.
struct CompanyData {
  wxString nip;
  wxString regon;
  wxString shortName;
  wxString name;
  wxString street;  // or the whole one-line address of DataPort's simple format
  wxString buildingNumber;
  wxString flatNumber;
  wxString postalCode;
  wxString city;
  wxString voivodeship;
};

enum CompanyLookupProvider { CompanyLookupDataPort = 0, CompanyLookupGusBir = 1 };

// The services' built-in addresses (scheme and host; the providers add the paths).
extern const char kDefaultDataPortUrl[];
extern const char kDefaultBirUrl[];
extern const char kDefaultBirTestUrl[];

struct CompanyLookupSettings {
  CompanyLookupSettings(int provider, const wxString& apiKey, bool fullFormat, const wxString& gusUserKey,
                        bool birTest, int resolveTimeoutMs, int connectTimeoutMs, int sendTimeoutMs,
                        int receiveTimeoutMs);

  int provider;         // CompanyLookupProvider
  wxString apiKey;      // DataPort, sent as "X-API-Key"
  bool fullFormat;      // DataPort "?format=full", else "?format=simple"
  wxString gusUserKey;  // BIR user key
  bool birTest;         // BIR test service instead of production
  int resolveTimeoutMs;
  int connectTimeoutMs;
  int sendTimeoutMs;
  int receiveTimeoutMs;
  // Where the services are; the configuration may move them (tests do).
  wxString dataPortUrl = kDefaultDataPortUrl;
  wxString birUrl = kDefaultBirUrl;
  wxString birTestUrl = kDefaultBirTestUrl;
};

// Configuration keys, read only: the services' addresses and the DataPort API key.
extern const char kDataPortUrlKey[];     // "/CompanyLookup/DataPortUrl"
extern const char kDataPortApiKeyKey[];  // "/CompanyLookup/DataPortApiKey"
extern const char kBirUrlKey[];          // "/CompanyLookup/BirUrl"
extern const char kBirTestUrlKey[];      // "/CompanyLookup/BirTestUrl"

// The settings of the editor's "Pobierz z GUS": DataPort, full format, the
// program's API key and addresses unless the configuration holds others.
CompanyLookupSettings EditorLookupSettings();

// Runs the provider of the settings on the calling thread. An unknown provider
// leaves out untouched. A failure of the service leads its error text with the
// Polish sentence the editor shows (veldrix::FailureText).
bool LookupCompany(const CompanyLookupSettings& settings, const wxString& nip, CompanyData& out, wxString& error);

// What both providers check before the network: the record is emptied, the NIP
// reduced to its digits (ten of them, into digits) and the key present; false with
// the Polish text otherwise.
bool PrepareLookup(const wxString& nip, const wxString& key, const wxString& missingKeyError, CompanyData& out,
                   wxString& digits, wxString& error);

using CompanyLookupCallback = std::function<void(bool ok, const CompanyData& data, const wxString& error)>;

// Ties lookups to the handler that asked for them. Once it is destroyed (or
// detached) the lookups still running drop their outcome, so a closed window is
// never called. GUI thread only, except Deliver.
class CompanyLookupTarget {
 public:
  explicit CompanyLookupTarget(wxEvtHandler* handler);
  ~CompanyLookupTarget();
  CompanyLookupTarget(const CompanyLookupTarget&) = delete;
  CompanyLookupTarget& operator=(const CompanyLookupTarget&) = delete;

  void Detach();

  // The link a worker keeps: it queues a call to the handler while one is attached.
  struct Link {
    std::mutex lock;
    wxEvtHandler* handler;
    // Queues `call` to the handler's thread; false when the handler is gone.
    bool Deliver(std::function<void()> call);
  };
  std::shared_ptr<Link> link() const { return link_; }

 private:
  std::shared_ptr<Link> link_;
};

// Starts one lookup on its own worker thread (registered with the worker registry)
// and returns at once. With a target the callback runs on the target's thread; with
// none it runs on the worker. Nothing is delivered while the program shuts down.
void LookupCompanyAsync(const CompanyLookupSettings& settings, const wxString& nip, CompanyLookupTarget* target,
                        CompanyLookupCallback callback);
