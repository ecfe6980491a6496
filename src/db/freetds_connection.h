// The SQL Server engine on FreeTDS db-lib: the connection behind the registered
// driver "SQL Server (FreeTDS)". Declared here so tests can point the instance and
// alias lookups of a connection at their own registry and Browser.
#pragma once

#include "db/db_connection.h"
#include "db/sql_server_resolution.h"

#include <memory>

std::shared_ptr<IDbConnection> MakeTdsConnection(const SqlServerLookup& lookup = SqlServerLookup());
