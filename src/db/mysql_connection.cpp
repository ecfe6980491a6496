// The MySQL engine: not part of this build yet.
#include "db/driver_registry.h"
#include "db/unavailable_driver.h"

std::unique_ptr<IDatabaseDriver> MakeMySqlDriver() { return MakeUnavailableDriver("MySQL (MariaDB Connector/C)", "MySQL"); }
