#include "pluginmanager/host_sql.h"

#include "app/common/i18n.h"
#include "sqldata/save_failure_text.h"
#include "sqldata/sql_data.h"

#include <wx/log.h>

#include <memory>
#include <vector>

namespace veldrix {
namespace {

std::unique_ptr<SQLData> OpenSession(const wxString& connection, wxString* error) {
  auto session = std::make_unique<SQLData>(connection);
  // A module's own query may rightly run long; a row another workstation holds is
  // waited for as on the screens.
  ServerWaits waits = SQLData::ScreenWaits();
  waits.answerMs = 0;
  session->SetServerWaits(waits);
  if (session->IniciujBazeDanych()) return session;
  *error = session->lastError.empty() ? _("Nie udało się otworzyć bazy danych.") : session->lastError;
  return nullptr;
}

}  // namespace

bool ExecuteModuleSql(const wxString& connection, const wchar_t* sql, wxString* error) {
  wxString reason;
  bool ok = false;
  if (!sql || sql[0] == L'\0') {
    reason = _("Brak zapytania SQL.");
  } else if (std::unique_ptr<SQLData> session = OpenSession(connection, &reason)) {
    if (session->DeleteData(wxString(sql)) < 0) {
      reason = session->lastError.empty() ? _("Nie udało się wykonać zapytania SQL.")
                                          : SaveFailureText(*session, session->lastError);
    } else {
      ok = true;
    }
  }
  if (error) *error = reason;
  return ok;
}

int QueryModuleSql(const wxString& connection, const wchar_t* sql, unsigned columns, PluginRowCallback callback,
                   void* userData, wxString* error) {
  auto fail = [error](const wxString& reason) {
    if (error) *error = reason;
    return -1;
  };
  if (!sql || sql[0] == L'\0' || columns == 0 || columns > kMaxModuleQueryColumns || !callback) {
    return fail(_("Niepelne parametry odczytu SQL."));
  }

  wxArrayString cells;
  std::size_t queryColumns = 0;
  {
    wxString reason;
    std::unique_ptr<SQLData> session = OpenSession(connection, &reason);
    if (!session) return fail(reason);
    int count = 0;
    cells = session->FrameData(wxString(sql), &count);
    if (session->errorFlag) {
      return fail(session->lastError.empty() ? _("Nie udało się odczytać danych SQL.") : session->lastError);
    }
    queryColumns = count > 0 ? static_cast<std::size_t>(count) : 0;
  }
  if (error) error->clear();
  if (cells.empty() || queryColumns == 0) return 0;
  if (queryColumns > columns) return fail(_("Niepelne parametry odczytu SQL."));

  static const wchar_t kEmpty[] = L"";
  std::vector<const wchar_t*> row(columns, kEmpty);
  const std::size_t rowCount = cells.size() / queryColumns;
  int delivered = 0;
  for (std::size_t r = 0; r < rowCount; ++r) {
    const std::size_t base = r * queryColumns;
    for (std::size_t c = 0; c < queryColumns; ++c) row[c] = cells[base + c].wc_str();
    int answer = 0;
    try {
      answer = callback(userData, row.data(), columns);
    } catch (...) {
      wxLogError("A module's row callback threw while reading a query result");
      return fail(_("Nie udało się odczytać danych SQL."));
    }
    if (answer == 0) break;
    ++delivered;
  }
  return delivered;
}

}  // namespace veldrix
