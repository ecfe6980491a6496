// A driver registered under its display name whose connections cannot open in this
// build: opening one fails with an error of that connection only.
#pragma once

#include "db/db_connection.h"

#include <memory>

std::unique_ptr<IDatabaseDriver> MakeUnavailableDriver(const wxString& name, const wxString& engine);
