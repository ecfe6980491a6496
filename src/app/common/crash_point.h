// Named instants between two steps of a change on disk, where a process killed
// right then leaves a state that the next start has to finish or clear. Tests
// install a handler that stops the process at one of them; the program never does,
// and then a point does nothing.
#pragma once

namespace veldrix {

using CrashPointHandler = void (*)(const char* point);

// Null removes the handler.
void SetCrashPointHandler(CrashPointHandler handler);

void CrashPoint(const char* point);

}  // namespace veldrix
