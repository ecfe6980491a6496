// The module catalogue that the store service offers for this platform: the
// request, the strict reading of its JSON answer into entries, and the member
// readers it uses. The store tab keeps the entries and builds a card for each.
#pragma once

#include "store/store_client.h"

#include <nlohmann/json_fwd.hpp>
#include <wx/string.h>

#include <cstdint>
#include <string>
#include <vector>

namespace veldrix {

// The package of a module's latest release.
struct StoreModuleFile {
  std::int32_t id = 0;
  wxString platform;
  wxString architecture;
  wxString filename;
  wxString download_url;  // absolute; used as it stands
  wxString sha256;        // hex; an install is refused without one
  wxString signature;
  wxString min_app_version;  // takes precedence over the entry's
  std::int64_t size_bytes = 0;
};

struct StoreModuleEntry {
  wxString code;  // the module's folder name and its key; never empty in a catalogue
  wxString name;
  wxString description;
  wxString details_url;
  wxString min_app_version;
  wxString latest_version;
  wxString release_notes;
  bool has_file = false;
  StoreModuleFile file;
};

// What the store tab asks for.
extern const char* const kStorePlatform;
extern const char* const kStoreArchitecture;

// GET {base}/catalog?platform=..&architecture=.. and ReadCatalogue of the answer.
// The entries are emptied first, so a failure leaves none. The progress, called
// while the answer is awaited, may cancel the request.
bool FetchCatalogue(const wxString& baseUrl, const wxString& platform, const wxString& architecture,
                    std::vector<StoreModuleEntry>* entries, wxString* error,
                    const StoreProgress& progress = StoreProgress());

// Reads a catalogue body: {"data": {"modules": [...]}}; members of another type
// than expected read as missing; elements without a code are skipped.
bool ReadCatalogue(const std::string& body, std::vector<StoreModuleEntry>* entries, wxString* error);

// The member's string decoded from UTF-8; empty when `value` is null or not an
// object, or the member is missing or not a string.
wxString JsonMemberString(const nlohmann::json* value, const char* name);

// The member's integer (its low 32 bits); 0 for a real number; the default when
// `value` is null or not an object, or the member is missing or not a number.
std::int32_t JsonMemberInt(const nlohmann::json* value, const char* name, std::int32_t fallback);

}  // namespace veldrix
