#include "appmenu/component_versions.h"

#include "app/common/i18n.h"
#include "db/libpq_api.h"

#include <curl/curl.h>
#include <mysql.h>
#include <nlohmann/json.hpp>
#include <openssl/crypto.h>
#include <sybdb.h>
#include <wx/utils.h>
#include <wx/versioninfo.h>
#include <wx/wxsqlite3.h>

#include <dlfcn.h>

namespace {

// The version of the libpq this process has loaded, empty when it has none: the
// driver loads it on the first PostgreSQL connection, and the about box must not.
wxString LoadedLibpqVersion() {
  for (const wxString& candidate : LibpqCandidatePaths()) {
    void* handle = dlopen(candidate.utf8_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!handle) continue;
    using VersionFn = int (*)();
    auto version = reinterpret_cast<VersionFn>(dlsym(handle, "PQlibVersion"));
    const int number = version ? version() : 0;
    dlclose(handle);
    if (number <= 0) return "?";
    // From version 10 on the number is major * 10000 + minor.
    if (number >= 100000) return wxString::Format("%d.%d", number / 10000, number % 10000);
    return wxString::Format("%d.%d.%d", number / 10000, number / 100 % 100, number % 100);
  }
  return wxString();
}

wxString FreeTdsVersion() {
  // "freetds v1.3.17"
  wxString text = wxString::FromUTF8(dbversion());
  const int v = text.Find(" v");
  return v == wxNOT_FOUND ? text : text.Mid(v + 2);
}

}  // namespace

std::vector<LinkedComponent> LinkedComponents() {
  std::vector<LinkedComponent> components;
  const wxVersionInfo wx = wxGetLibraryVersionInfo();
  components.push_back({"wxWidgets", wxString::Format("%d.%d.%d", wx.GetMajor(), wx.GetMinor(), wx.GetMicro()),
                        "wxWindows Library Licence"});
  components.push_back({"SQLite", wxSQLite3Database::GetVersion(), _("domena publiczna")});
  wxString wrapper = wxSQLite3Database::GetWrapperVersion();
  wrapper.Replace("wxSQLite3", wxString());
  components.push_back({"wxSQLite3", wrapper.Trim().Trim(false), "wxWindows Library Licence"});
  components.push_back({"FreeTDS", FreeTdsVersion(), "GNU LGPL 2.0"});
  components.push_back({"MariaDB Connector/C", wxString::FromUTF8(mysql_get_client_info()), "GNU LGPL 2.1"});
  const wxString libpq = LoadedLibpqVersion();
  if (!libpq.empty()) components.push_back({"libpq", libpq, "PostgreSQL License"});
  components.push_back({"OpenSSL", wxString::FromUTF8(OpenSSL_version(OPENSSL_VERSION_STRING)), "Apache License 2.0"});
  components.push_back({"libcurl", wxString::FromUTF8(curl_version_info(CURLVERSION_NOW)->version), "curl License"});
  components.push_back({"nlohmann-json",
                        wxString::Format("%d.%d.%d", NLOHMANN_JSON_VERSION_MAJOR, NLOHMANN_JSON_VERSION_MINOR,
                                         NLOHMANN_JSON_VERSION_PATCH),
                        "MIT License"});
  return components;
}

wxString DescribeComponents(const std::vector<LinkedComponent>& components) {
  wxString text;
  for (const LinkedComponent& component : components) {
    if (!text.empty()) text += "\n";
    text += component.name + " " + component.version + " - " + component.licence;
  }
  return text;
}
