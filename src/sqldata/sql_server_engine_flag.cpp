#include "sqldata/sql_server_engine_flag.h"

std::atomic<bool> SqlServerEngineFlag{false};
