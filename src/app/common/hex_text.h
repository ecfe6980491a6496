// Hexadecimal text of byte strings: password records and package checksums.
#pragma once

#include <wx/string.h>

#include <vector>

// Lower-case hexadecimal, high nibble first.
wxString EncodeHex(const unsigned char* bytes, std::size_t count);
wxString EncodeHex(const std::vector<unsigned char>& bytes);
// Either case; false for an odd length or a pair that is not hexadecimal.
bool DecodeHex(const wxString& text, std::vector<unsigned char>* out);
