// One engine (IDatabaseDriver) and one connection to a database (IDbConnection).
// Connections are held by shared ownership; each serialises its native handle with
// a lock of its own. Every driver returns values as UTF-8 text and reports failures
// as false plus one English error text.
#pragma once

#include "db/connection_info.h"
#include "db/query_result.h"

#include <wx/string.h>

#include <memory>

class IDbConnection {
 public:
  virtual ~IDbConnection() = default;
  // Releases any native connection first, then connects; on failure nothing stays open.
  virtual bool open(const DbConnectionInfo& info, wxString* error) = 0;
  virtual void close() = 0;
  virtual bool isConnected() const = 0;
  // Runs the whole text (several statements where the engine accepts them). On an
  // error the sets of the statements completed before it stay in the result.
  virtual bool execute(const wxString& sql, DbQueryResult* result, wxString* error) = 0;
  virtual void cancel() = 0;
  // Whether the server or the network has ended the connection since it was opened,
  // told from what the connection already holds: nothing is sent, so it may be
  // asked before every statement. *reason gets the engine's text. A connection that
  // was closed, or whose end shows only when a statement is sent, is not lost.
  virtual bool lost(wxString* reason) {
    (void)reason;
    return false;
  }
};

class IDatabaseDriver {
 public:
  virtual ~IDatabaseDriver() = default;
  virtual wxString name() const = 0;
  virtual std::shared_ptr<IDbConnection> createConnection() = 0;
};
