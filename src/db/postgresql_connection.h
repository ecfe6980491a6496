// The PostgreSQL engine on libpq loaded at run time: the connection text it builds
// from a DbConnectionInfo, the type texts of its columns, and its connections.
#pragma once

#include "db/db_connection.h"

#include <memory>

struct LibpqApi;

// One conninfo value between single quotes, with "\" and "'" escaped by "\".
wxString QuotePgConnValue(const wxString& value);
// host, port, dbname, user, password, sslmode, application_name, the waits and the
// session settings (client_encoding, options); the options of the record are not used.
wxString BuildPgConnInfo(const DbConnectionInfo& info);
// The type text of a column type OID ("integer", "varchar", else "oid:<n>").
wxString PgTypeName(unsigned int oid);

// A connection on the given libpq (tests pass one that cannot load); the driver's
// connections use ProcessLibpq(). The api must outlive the connection.
std::shared_ptr<IDbConnection> MakePostgreSqlConnection(LibpqApi* api);
