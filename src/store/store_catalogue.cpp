#include "store/store_catalogue.h"

#include "app/common/i18n.h"
#include "dbsetup/json_document.h"
#include "store/store_client.h"

#include <nlohmann/json.hpp>

namespace veldrix {

using nlohmann::json;

const char* const kStorePlatform = "linux";
const char* const kStoreArchitecture = "x86_64";

namespace {

// The member, or null when `value` is not an object or has no such member.
const json* Member(const json* value, const char* name) {
  if (!value || !value->is_object()) return nullptr;
  const auto it = value->find(name);
  return it == value->end() ? nullptr : &*it;
}

std::int64_t SizeMember(const json* file) {
  const json* size = Member(file, "size_bytes");
  if (!size) return 0;
  if (size->is_number_unsigned()) return static_cast<std::int64_t>(size->get<std::uint64_t>());
  if (size->is_number_integer()) return size->get<std::int64_t>();
  return 0;
}

StoreModuleFile ReadFile(const json* file) {
  StoreModuleFile out;
  out.id = JsonMemberInt(file, "id", 0);
  out.platform = JsonMemberString(file, "platform");
  out.architecture = JsonMemberString(file, "architecture");
  out.filename = JsonMemberString(file, "filename");
  out.download_url = JsonMemberString(file, "download_url");
  out.sha256 = JsonMemberString(file, "sha256");
  out.signature = JsonMemberString(file, "signature");
  out.min_app_version = JsonMemberString(file, "min_app_version");
  out.size_bytes = SizeMember(file);
  return out;
}

StoreModuleEntry ReadEntry(const json& module) {
  StoreModuleEntry entry;
  entry.code = JsonMemberString(&module, "code");
  entry.name = JsonMemberString(&module, "name");
  entry.description = JsonMemberString(&module, "description");
  entry.details_url = JsonMemberString(&module, "details_url");
  entry.min_app_version = JsonMemberString(&module, "min_app_version");
  const json* release = Member(&module, "latest_release");
  if (release && release->is_object()) {
    entry.latest_version = JsonMemberString(release, "version");
    entry.release_notes = JsonMemberString(release, "notes");
    const json* files = Member(release, "files");
    if (files && files->is_array() && !files->empty()) {
      entry.has_file = true;
      entry.file = ReadFile(&files->front());
    }
  }
  return entry;
}

}  // namespace

wxString JsonMemberString(const json* value, const char* name) {
  const json* member = Member(value, name);
  if (!member || !member->is_string()) return wxString();
  return wxString::FromUTF8(member->get_ref<const std::string&>());
}

std::int32_t JsonMemberInt(const json* value, const char* name, std::int32_t fallback) {
  const json* member = Member(value, name);
  if (!member || !member->is_number()) return fallback;
  if (member->is_number_float()) return 0;
  const std::uint64_t bits = member->is_number_unsigned() ? member->get<std::uint64_t>()
                                                          : static_cast<std::uint64_t>(member->get<std::int64_t>());
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits & 0xffffffffu));
}

bool ReadCatalogue(const std::string& body, std::vector<StoreModuleEntry>* entries, wxString* error) {
  entries->clear();
  json document;
  if (!ParseJsonText(body, &document)) {
    if (error) *error = _("Serwer zwrócił nieprawidłowy katalog modułów.");
    return false;
  }
  const json* data = Member(&document, "data");
  const json* modules = data && data->is_object() ? Member(data, "modules") : nullptr;
  if (!modules || !modules->is_array()) {
    if (error) *error = _("Odpowiedź nie zawiera katalogu modułów.");
    return false;
  }
  for (const json& module : *modules) {
    StoreModuleEntry entry = ReadEntry(module);
    if (!entry.code.empty()) entries->push_back(std::move(entry));
  }
  return true;
}

bool FetchCatalogue(const wxString& baseUrl, const wxString& platform, const wxString& architecture,
                    std::vector<StoreModuleEntry>* entries, wxString* error, const StoreProgress& progress) {
  entries->clear();
  if (error) error->clear();
  const wxString path = "/catalog?platform=" + platform + "&architecture=" + architecture;
  StoreResponse response;
  wxString failure;
  if (!StoreRequest("GET", JoinStoreUrl(baseUrl, path), std::string(), &response, &failure, wxString(), progress)) {
    if (error) *error = failure;
    return false;
  }
  if (response.status < 200 || response.status > 299) {
    if (error) {
      *error = ExtractStoreErrorMessage(
          response, wxString::Format(_("Sklep zwrócił błąd HTTP %lu."), static_cast<unsigned long>(response.status)));
    }
    return false;
  }
  return ReadCatalogue(response.body, entries, error);
}

}  // namespace veldrix
