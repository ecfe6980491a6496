// Functions every SQLite connection of the program gets on top of SQLite's own:
// a lower() that folds every Unicode capital, as PostgreSQL and MySQL do, so that
// a search for "ślusar" finds "Ślusarstwo" whatever the engine. The SQLite driver
// and SQLData (through wxSQLite3) install it on each connection they open.
#pragma once

#include <cstddef>
#include <string>

struct sqlite3;

// The UTF-8 text with every capital folded to lower case; a malformed byte is kept.
std::string LowerUtf8(const char* text, std::size_t bytes);

// Replaces lower() on the connection; false when SQLite refused the function.
bool RegisterSqliteFunctions(sqlite3* db);
