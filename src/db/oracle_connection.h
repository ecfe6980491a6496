// The Oracle engine on ODPI-C loaded at run time: the Easy Connect descriptor it
// builds from a DbConnectionInfo, the text form of fetched values, its connections.
#pragma once

#include "db/db_connection.h"

#include <cstdint>
#include <memory>

struct OdpiApi;
struct OdpiTimestamp;

// server, or server[:port]/database when a database (service name) is given and the
// server holds no "/" (an Easy Connect text or a net service name stays as typed).
wxString BuildOracleConnectDescriptor(const DbConnectionInfo& info);

// The descriptor with the connect bound the library honours: connect_timeout of an
// Easy Connect text, CONNECT_TIMEOUT of a full (DESCRIPTION=...); one that names its
// own bound, and a net service name, whose entry holds the bound, stay unchanged.
wxString WithOracleConnectBound(const wxString& descriptor, int seconds);

// Value texts, independent of the locale: numbers keep 15 significant digits,
// timestamps drop fractions and time zone.
wxString FormatOracleInt64(std::int64_t value);
wxString FormatOracleUint64(std::uint64_t value);
wxString FormatOracleDouble(double value);
wxString FormatOracleTimestamp(const OdpiTimestamp& value);

// A connection on the given ODPI-C (tests pass a stand-in library); the driver's
// connections use ProcessOdpi(). The api must outlive the connection.
std::shared_ptr<IDbConnection> MakeOracleConnection(OdpiApi* api);
