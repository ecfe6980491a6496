// The SQL Server engine: not part of this build yet.
#include "db/driver_registry.h"
#include "db/unavailable_driver.h"

std::unique_ptr<IDatabaseDriver> MakeFreeTdsDriver() { return MakeUnavailableDriver("SQL Server (FreeTDS)", "SQL Server"); }
