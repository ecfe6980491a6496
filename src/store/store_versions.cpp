#include "store/store_versions.h"

#include <algorithm>
#include <limits>

namespace veldrix {

std::vector<std::int32_t> ParseVersionNumbers(const wxString& text) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  std::vector<std::int32_t> numbers;
  bool inRun = false;
  std::int64_t value = 0;
  const auto endRun = [&] {
    if (inRun) numbers.push_back(static_cast<std::int32_t>(value));
    inRun = false;
    value = 0;
  };
  for (wxString::const_iterator it = text.begin(); it != text.end(); ++it) {
    const wxUniChar c = *it;
    if (c >= '0' && c <= '9') {
      inRun = true;
      value = std::min(kMax, value * 10 + (static_cast<int>(c.GetValue()) - '0'));
    } else {
      endRun();
    }
  }
  endRun();
  return numbers;
}

int CompareVersions(const wxString& a, const wxString& b) {
  const std::vector<std::int32_t> x = ParseVersionNumbers(a);
  const std::vector<std::int32_t> y = ParseVersionNumbers(b);
  const std::size_t count = std::max(x.size(), y.size());
  for (std::size_t i = 0; i < count; ++i) {
    const std::int32_t left = i < x.size() ? x[i] : 0;
    const std::int32_t right = i < y.size() ? y[i] : 0;
    if (left < right) return -1;
    if (left > right) return 1;
  }
  return 0;
}

}  // namespace veldrix
