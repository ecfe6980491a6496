// The process-wide note of whether the most recently constructed SQLData works on
// SQL Server. SQLData writes it at every construction; Querys reads it to pick the
// date syntax of its texts.
#pragma once

#include <atomic>

// Atomic because Querys may be called from any thread while a screen builds a SQLData.
extern std::atomic<bool> SqlServerEngineFlag;
