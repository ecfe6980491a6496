// The server text of a SQL Server connection as users type it: a host, "." or
// "(local)", a TCP port after "," or ":", a named instance after "\", and IPv6
// addresses bare or in brackets. Read by the SQL Server driver before it connects.
#pragma once

#include <wx/string.h>

// Host, instance and port (0 when none) of the text; each output may be null, and
// the text may be the same object as the host output.
void ParseSqlServerInput(const wxString& text, wxString* host, wxString* instance, int* port);
// A port after the last "," or ":" of the text. A ":" counts only after a name
// without colons or after a bracketed address ("[::1]:1500"), so that a bare IPv6
// address keeps its colons. True when a valid port (1 to 65535) was found.
bool SplitHostPort(const wxString& text, wxString* host, int* port);
// Trimmed; empty, "." and "(local)" become "localhost"; "[addr]" becomes addr.
wxString NormalizeSqlHost(const wxString& host);
// This computer: localhost, 127.0.0.1, ::1 or its own host name.
bool IsLocalSqlHost(const wxString& host);
// The first run of digits in the text as a port of 1 to 65535 (registry values such
// as "1433,1434" give 1433).
bool ParsePortText(const wxString& text, int* port);
// The whole trimmed text is a decimal number of 1 to 65535.
bool ParsePortNumber(const wxString& text, int* port);
// The server name handed to FreeTDS: "host:port", with an IPv6 address in brackets;
// the host alone when port is 0.
wxString TdsServerName(const wxString& host, int port);
