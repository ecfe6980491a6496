// Starts Veldrix on its default database: "veldrix.db" in the program folder.
#include "app/common/paths.h"
#include "db/connection_info.h"
#include "db/db_connection.h"

#include <wx/init.h>

#include <cstdio>

int main(int argc, char** argv) {
  wxInitializer initializer(argc, argv);
  if (!initializer.IsOk()) return 1;
  const wxString path = veldrix::JoinPath(veldrix::ProgramFolder(), "veldrix.db");
  std::shared_ptr<IDbConnection> connection;
  DbConnectionInfo info;
  wxString error;
  if (!OpenConnection("Data Source=" + path + ";Version=3;", &connection, &info, &error)) {
    std::fprintf(stderr, "Veldrix: %s\n", static_cast<const char*>(error.utf8_str()));
    return 1;
  }
  std::printf("Veldrix: %s\n", static_cast<const char*>(ServerInputOf(info).utf8_str()));
  return 0;
}
