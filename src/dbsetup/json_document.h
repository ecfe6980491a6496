// Strict JSON reading for the program's data files (database scripts, store
// answers): standard JSON only, the whole text, no more than kJsonMaxDepth levels
// of nesting, and where an object repeats a key its first occurrence counts.
#pragma once

#include <nlohmann/json.hpp>
#include <wx/string.h>

#include <optional>
#include <string>

// Objects and arrays nested deeper than any of our documents needs are refused
// before parsing: the parser builds every level, so 8 MiB of "[" would cost
// hundreds of MiB.
constexpr int kJsonMaxDepth = 64;

// Parses UTF-8 text. On failure *error (when given) holds the reason.
bool ParseJsonText(const std::string& text, nlohmann::json* out, wxString* error = nullptr);

// Reads the whole file in byte mode and parses it as above.
bool ReadJsonFile(const wxString& path, nlohmann::json* out, wxString* error = nullptr);

// The member's string value; none when the value is absent or not a string, or
// when `object` is not an object.
std::optional<std::string> FindJsonString(const nlohmann::json& object, const char* key);
