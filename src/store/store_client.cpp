#include "store/store_client.h"

#include "app/common/config_access.h"
#include "app/common/i18n.h"
#include "dbsetup/json_document.h"

#include <wx/confbase.h>
#include <wx/filefn.h>

#include <nlohmann/json.hpp>

namespace veldrix {

wxString DefaultStoreBaseUrl() { return "https://sklep.veldrix.pl/api/v1"; }

void NormalizeStoreBaseUrl(wxString& target, const wxString& source) {
  target = source;
  while (target.EndsWith("/")) target.RemoveLast();
}

wxString ConfiguredStoreBaseUrl() {
  wxString base;
  NormalizeStoreBaseUrl(base, DefaultStoreBaseUrl());
  ConfigAccess config;
  if (config) {
    const wxString configured = config->Read("/store/api_base_url", base);
    if (!configured.empty()) NormalizeStoreBaseUrl(base, configured);
  }
  return base;
}

wxString JoinStoreUrl(const wxString& base, const wxString& path) {
  return path.StartsWith("/") ? base + path : base + "/" + path;
}

wxString ExtractStoreErrorMessage(const StoreResponse& response, const wxString& fallback) {
  nlohmann::json document;
  if (!ParseJsonText(response.body, &document) || !document.is_object()) return fallback;
  const auto error = document.find("error");
  if (error == document.end() || !error->is_object()) return fallback;
  const auto message = error->find("message");
  if (message == error->end() || !message->is_string()) return fallback;
  const wxString text = wxString::FromUTF8(message->get_ref<const std::string&>());
  return text.empty() ? fallback : text;
}

bool DownloadPackage(const wxString& url, const wxString& path, wxString* error, const StoreProgress& progress) {
  StoreResponse response;
  if (!StoreRequest("GET", url, std::string(), &response, error, path, progress)) return false;
  if (response.status >= 200 && response.status <= 299) return true;
  if (wxFileExists(path)) wxRemoveFile(path);
  if (error) {
    *error = ExtractStoreErrorMessage(
        response, wxString::Format(_("Pobieranie paczki zakończyło się błędem HTTP %lu."),
                                   static_cast<unsigned long>(response.status)));
  }
  return false;
}

}  // namespace veldrix
