// Pulls single values out of a JSON text by key, without parsing the whole
// document: the first occurrence of a key at any depth wins. The DataPort lookup
// reads its answers with it.
#pragma once

#include <wx/string.h>

#include <cstddef>

// Advances over space, tab, carriage return and line feed.
void SkipJsonWhitespace(const wxString& text, std::size_t& position);

// Reads the string literal starting at position (which must hold '"') with its
// escapes decoded and leaves position behind the closing quote. False for a
// literal cut off by the end of the text, with what was read so far in out.
bool ReadJsonString(const wxString& text, std::size_t& position, wxString& out);

// The first string literal equal to key and followed by a colon; position is left
// behind the key's closing quote. Text inside string values is never taken for a key.
bool FindJsonKey(const wxString& text, const wxString& key, std::size_t& position);

// The string value of the first occurrence of key; false for a value of another kind.
bool GetJsonStringField(const wxString& text, const wxString& key, wxString& out);

// The object value of the first occurrence of key, braces included.
bool GetJsonObjectField(const wxString& text, const wxString& key, wxString& out);
