// The module store's HTTP client: one synchronous request at a time on the GUI
// thread, HTTPS to any host (plain HTTP only to this machine), in-memory bodies
// capped at 8 MiB, and package downloads streamed to a file. The catalogue and
// the store tab are its callers.
#pragma once

#include <wx/string.h>

#include <cstdint>
#include <functional>
#include <string>

namespace veldrix {

struct StoreResponse {
  std::uint32_t status = 0;  // 0 when no status could be read
  std::string body;          // empty when the body went to a file
};

// Told the bytes received so far and the expected total (0 when unknown); false
// cancels the transfer.
using StoreProgress = std::function<bool(std::uint64_t received, std::uint64_t total)>;

// The largest body StoreRequest keeps in memory; exactly this much is accepted.
constexpr std::size_t kStoreMemoryBodyLimit = 8388608;

// The built-in store root, an HTTPS URL ending in "/api/v1".
wxString DefaultStoreBaseUrl();

// The source without its trailing "/" characters.
void NormalizeStoreBaseUrl(wxString& target, const wxString& source);

// The default, replaced by the configuration's "/store/api_base_url" when that is
// not empty; both normalised. The key is only read.
wxString ConfiguredStoreBaseUrl();

// base + path, with exactly the one "/" the path lacks.
wxString JoinStoreUrl(const wxString& base, const wxString& path);

// Whether an address the store names may be used or opened: an absolute https URL,
// or http to this machine (a store on loopback).
bool IsStoreUrlAllowed(const wxString& url);

// True when the exchange completed, whatever the HTTP status: the caller tests
// 200-299 itself. With a download path a 2xx body goes to that file (created or
// replaced, any size); every other body is kept in memory. A read that fails
// midway deletes the file; earlier failures never touch it.
bool StoreRequest(const wxString& method, const wxString& url, const std::string& body, StoreResponse* response,
                  wxString* error, const wxString& downloadPath = wxString(),
                  const StoreProgress& progress = StoreProgress());

// The body's "error"."message" when it is a non-empty string, else the fallback.
wxString ExtractStoreErrorMessage(const StoreResponse& response, const wxString& fallback);

// GET of the package URL as it stands into the file; true for a 2xx answer. Any
// other answer removes the file and reports the server's message or the status.
bool DownloadPackage(const wxString& url, const wxString& path, wxString* error,
                     const StoreProgress& progress = StoreProgress());

}  // namespace veldrix
