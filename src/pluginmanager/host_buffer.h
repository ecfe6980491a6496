// Copying host texts into buffers that a module owns.
#pragma once

#include <wx/string.h>

namespace veldrix {

// At most capacity - 1 units of the text (stopping at a zero unit), then a zero.
// Nothing happens for a null buffer or a capacity of 0; truncation is silent.
void CopyToWideBuffer(const wxString& text, wchar_t* buffer, unsigned capacity);

}  // namespace veldrix
