// Runs a check once under the "C" locale and once under Polish (pl_PL.UTF-8), the
// two locales the program meets. Without the Polish locale the second run is
// skipped, except in CI, which must have it.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "test_support.h"

namespace veldrix::test {

inline void ForEachTestLocale(const std::function<void()>& check) {
  for (const char* name : {"C", "pl_PL.UTF-8"}) {
    ScopedLocale locale(name);
    if (!locale.ok()) {
      if (RunningInCi()) ADD_FAILURE() << "locale " << name << " is missing";
      continue;
    }
    SCOPED_TRACE(name);
    check();
  }
}

}  // namespace veldrix::test
