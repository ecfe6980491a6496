#include "pluginmanager/host_buffer.h"

#include <string>

namespace veldrix {

void CopyToWideBuffer(const wxString& text, wchar_t* buffer, unsigned capacity) {
  if (!buffer || capacity == 0) return;
  const std::wstring wide = text.ToStdWstring();
  const std::size_t length = wide.length();
  std::size_t copied = 0;
  while (copied + 1 < capacity && copied < length && wide[copied] != L'\0') {
    buffer[copied] = wide[copied];
    ++copied;
  }
  buffer[copied] = L'\0';
}

}  // namespace veldrix
