#include "app/common/crash_point.h"

#include <atomic>

namespace veldrix {
namespace {

std::atomic<CrashPointHandler> g_handler{nullptr};

}  // namespace

void SetCrashPointHandler(CrashPointHandler handler) { g_handler = handler; }

void CrashPoint(const char* point) {
  if (const CrashPointHandler handler = g_handler) handler(point);
}

}  // namespace veldrix
