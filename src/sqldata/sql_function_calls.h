// The function-call rewrites of the SQL Server translation (cast to TEXT, substr,
// printf) on the wide text the pipeline works in. The wxString entry points are
// declared in sqldata/sql_translate.h.
#pragma once

#include "sqldata/sql_text_scan.h"

namespace sqlscan {

Text RewriteCastText(Text text);
Text RewriteSubstr(Text text);
Text RewritePrintf(Text text);

}  // namespace sqlscan
