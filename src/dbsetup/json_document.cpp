#include "dbsetup/json_document.h"

#include "app/common/json_literal.h"

#include <wx/file.h>
#include <wx/filename.h>

#include <set>
#include <vector>

using nlohmann::json;

namespace {

// Why the text cannot be a document of ours, found without parsing: a NUL byte,
// which the parser takes for the end of the input and so would ignore what
// follows, or nesting past kJsonMaxDepth. Empty when neither.
wxString RefusedBeforeParsing(const std::string& text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) return wxString::Format("NUL byte at offset %zu", nul);
  int depth = 0;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '"') {
      i = veldrix::SkipJsonStringLiteral(text, i);
      continue;
    }
    if (c == '{' || c == '[') {
      if (++depth > kJsonMaxDepth) return wxString::Format("nesting deeper than %d levels", kJsonMaxDepth);
    } else if (c == '}' || c == ']') {
      --depth;
    }
    ++i;
  }
  return wxString();
}

}  // namespace

bool ParseJsonText(const std::string& text, json* out, wxString* error) {
  const wxString refused = RefusedBeforeParsing(text);
  if (!refused.empty()) {
    if (error) *error = refused;
    return false;
  }
  // nlohmann keeps the last of repeated keys; the callback drops every later
  // occurrence instead. Keys are remembered per nesting depth: an object's
  // start clears the set its own keys will go into.
  std::vector<std::set<std::string>> keysByDepth;
  const json::parser_callback_t firstKeyWins = [&keysByDepth](int depth, json::parse_event_t event,
                                                              json& parsed) {
    if (event == json::parse_event_t::object_start) {
      const std::size_t inner = static_cast<std::size_t>(depth) + 1;
      if (keysByDepth.size() <= inner) keysByDepth.resize(inner + 1);
      keysByDepth[inner].clear();
      return true;
    }
    if (event == json::parse_event_t::key) {
      const std::size_t level = static_cast<std::size_t>(depth);
      if (keysByDepth.size() <= level) keysByDepth.resize(level + 1);
      return keysByDepth[level].insert(parsed.get<std::string>()).second;
    }
    return true;
  };
  try {
    json parsed = json::parse(text, firstKeyWins, /*allow_exceptions=*/true, /*ignore_comments=*/false);
    if (out) *out = std::move(parsed);
    return true;
  } catch (const json::exception& e) {
    if (error) *error = wxString::FromUTF8(e.what());
    return false;
  }
}

bool ReadJsonFile(const wxString& path, json* out, wxString* error) {
  wxFile file;
  if (!wxFileName::FileExists(path) || !file.Open(path, wxFile::read)) {
    if (error) *error = wxString::Format("cannot open file '%s'", path);
    return false;
  }
  const wxFileOffset length = file.Length();
  std::string bytes;
  if (length > 0) {
    bytes.resize(static_cast<std::size_t>(length));
    if (file.Read(&bytes[0], bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      if (error) *error = wxString::Format("cannot read file '%s'", path);
      return false;
    }
  }
  return ParseJsonText(bytes, out, error);
}

std::optional<std::string> FindJsonString(const json& object, const char* key) {
  if (!object.is_object()) return std::nullopt;
  const auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}
