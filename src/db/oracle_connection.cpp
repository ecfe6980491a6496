// The Oracle engine: not part of this build yet.
#include "db/driver_registry.h"
#include "db/unavailable_driver.h"

std::unique_ptr<IDatabaseDriver> MakeOracleDriver() { return MakeUnavailableDriver("Oracle (ODPI-C)", "Oracle"); }
