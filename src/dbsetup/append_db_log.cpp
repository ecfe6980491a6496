#include "dbsetup/append_db_log.h"

#include "sqldata/db_log.h"

void AppendDbLog(const wxString& message) { LogDbMessage(message); }
