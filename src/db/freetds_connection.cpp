// The SQL Server engine behind IDbConnection, on FreeTDS db-lib. db-lib reports
// server messages and library errors through two process-wide callbacks; a map from
// connection handle to TdsConnection lets them file each text with its connection.
#include "db/freetds_connection.h"

#include "db/driver_registry.h"
#include "db/idle_socket.h"
#include "db/sql_server_address.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include <sybfront.h>
#include <sybdb.h>

namespace {

class TdsConnection;

// Serialises starting and stopping the library, opening and closing server
// connections and dbcancel.
std::recursive_mutex& TdsGlobalMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

// The handle map has a lock of its own, held only around lookups and changes, so
// the callbacks never wait for a connection that is opening or closing elsewhere and
// never miss a server error because of it.
std::mutex& TdsSessionLock() {
  static std::mutex mutex;
  return mutex;
}

std::unordered_map<DBPROCESS*, TdsConnection*>& TdsSessionMap() {
  static std::unordered_map<DBPROCESS*, TdsConnection*> map;
  return map;
}

int TdsLibraryUseCount = 0;  // guarded by TdsGlobalMutex

// Set for the duration of tdsdbopen, when messages arrive before the handle exists.
thread_local TdsConnection* TdsOpeningConnection = nullptr;

wxString DecodeDbLibText(const char* text) {
  if (!text) return wxString();
  wxString decoded = wxString::FromUTF8(text);
  if (decoded.empty() && *text) decoded = wxString(text, wxConvISO8859_1);
  return decoded;
}

wxString NormalizeTdsMessage(const wxString& text) {
  wxString result(text);
  result.Replace("\r\n", "\n");
  result.Replace("\r", "\n");
  while (result.EndsWith("\n")) result.RemoveLast();
  return result;
}

wxString TdsTypeName(int type) {
  switch (type) {
    case 34: return "IMAGE";
    case 35: return "TEXT";
    case 37: return "VARBINARY";
    case 39: return "VARCHAR";
    case 40: return "DATE";
    case 41: return "TIME";
    case 42: return "DATETIME2";
    case 43: return "DATETIMEOFFSET";
    case 45: return "BINARY";
    case 47: return "CHAR";
    case 48: return "TINYINT";
    case 50: return "BIT";
    case 52: return "SMALLINT";
    case 56: return "INT";
    case 58: return "SMALLDATETIME";
    case 59: return "REAL";
    case 60: return "MONEY";
    case 61: return "DATETIME";
    case 62: return "FLOAT";
    case 99: return "NTEXT";
    case 103: return "NVARCHAR";
    case 106: return "DECIMAL";
    case 108: return "NUMERIC";
    case 122: return "SMALLMONEY";
    case 127: return "BIGINT";
    default: return wxString::Format("TDS_%d", type);
  }
}

// The db-lib code of a protocol version text, or -1 when it is not one.
int TdsVersionCode(const wxString& text) {
  wxString version(text);
  version.Trim(true).Trim(false);
  version.MakeLower();
  if (version.empty() || version == "auto") return DBVERSION_UNKNOWN;
  if (version == "4.2") return DBVERSION_42;
  if (version == "7.0") return DBVERSION_70;
  if (version == "7.1") return DBVERSION_71;
  if (version == "7.2") return DBVERSION_72;
  if (version == "7.3") return DBVERSION_73;
  if (version == "7.4") return DBVERSION_74;
  return -1;
}

// One cell of the current row as text.
void AppendTdsCell(DBPROCESS* proc, int column, DbResultSet* set) {
  const BYTE* data = dbdata(proc, column);
  if (!data) {
    set->appendNull();
    return;
  }
  const int type = dbcoltype(proc, column);
  const int length = dbdatlen(proc, column);
  char buffer[1024];
  int written = 0;
  int limit = 63;  // numbers and fallback texts: at most 63 characters
  switch (type) {
    case SYBCHAR:
    case SYBVARCHAR:
    case SYBTEXT:
    case SYBNVARCHAR:
    case SYBNTEXT:
      set->appendCell(reinterpret_cast<const char*>(data), length > 0 ? length : 0);
      return;
    case SYBINT1:
      written = std::snprintf(buffer, 64, "%u", static_cast<unsigned>(data[0]));
      break;
    case SYBINT2: {
      int16_t value;
      std::memcpy(&value, data, sizeof(value));
      written = std::snprintf(buffer, 64, "%d", static_cast<int>(value));
      break;
    }
    case SYBINT4: {
      int32_t value;
      std::memcpy(&value, data, sizeof(value));
      written = std::snprintf(buffer, 64, "%d", static_cast<int>(value));
      break;
    }
    case SYBINT8: {
      int64_t value;
      std::memcpy(&value, data, sizeof(value));
      written = std::snprintf(buffer, 64, "%lld", static_cast<long long>(value));
      break;
    }
    case SYBBIT:
      written = std::snprintf(buffer, 64, "%s", data[0] ? "1" : "0");
      break;
    case SYBREAL: {
      float value;
      std::memcpy(&value, data, sizeof(value));
      written = std::snprintf(buffer, 64, "%.15g", static_cast<double>(value));
      break;
    }
    case SYBFLT8: {
      double value;
      std::memcpy(&value, data, sizeof(value));
      written = std::snprintf(buffer, 64, "%.15g", value);
      break;
    }
    case SYBDECIMAL:
    case SYBNUMERIC:
      std::memset(buffer, 0, 256);
      limit = 255;
      written = dbconvert(proc, type, data, length, SYBCHAR, reinterpret_cast<BYTE*>(buffer), 255);
      break;
    default:
      // Dates, money, binary and the rest take the library's own text form.
      std::memset(buffer, 0, sizeof(buffer));
      written = dbconvert(proc, type, data, length, SYBCHAR, reinterpret_cast<BYTE*>(buffer), sizeof(buffer) - 1);
      if (written > 0) {
        limit = sizeof(buffer) - 1;
      } else {
        written = std::snprintf(buffer, 64, "<type %d, %d bytes>", type, length);
      }
      break;
  }
  // snprintf reports what it would have written; keep what its buffer holds.
  written = std::max(0, std::min(written, limit));
  set->appendCell(buffer, written);
}

int TdsErrorHandler(DBPROCESS* proc, int severity, int dberr, int oserr, char* dberrstr, char* oserrstr);
int TdsMessageHandler(DBPROCESS* proc, DBINT msgno, int msgstate, int severity, char* msgtext, char* srvname,
                      char* procname, int line);

class TdsConnection : public IDbConnection {
 public:
  explicit TdsConnection(const SqlServerLookup& lookup) : lookup_(lookup) {}
  ~TdsConnection() override { close(); }

  bool open(const DbConnectionInfo& info, wxString* error) override;
  void close() override;
  bool isConnected() const override;
  bool execute(const wxString& sql, DbQueryResult* result, wxString* error) override;
  void cancel() override;
  bool lost(wxString* reason) override;

  void appendMessage(const wxString& text);
  void markServerError(bool deadlock, bool lockTimeout) {
    std::lock_guard<std::mutex> guard(messageLock_);
    serverError_ = true;
    if (deadlock) deadlock_ = true;
    if (lockTimeout) lockTimeout_ = true;
  }
  // db-lib gave up on the server's answer (the query time-out): the connection is
  // in an unknown state and is not used again.
  void markAnswerTimedOut() { answerTimedOut_ = true; }

 private:
  wxString collectedMessages() {
    std::lock_guard<std::mutex> guard(messageLock_);
    return messages_;
  }
  void clearMessages() {
    std::lock_guard<std::mutex> guard(messageLock_);
    messages_.clear();
    serverError_ = false;
    deadlock_ = false;
    lockTimeout_ = false;
  }
  bool serverErrorSeen() {
    std::lock_guard<std::mutex> guard(messageLock_);
    return serverError_;
  }
  bool deadlockSeen() {
    std::lock_guard<std::mutex> guard(messageLock_);
    return deadlock_;
  }
  void endCall() {
    std::lock_guard<std::mutex> guard(stateLock_);
    if (activeCalls_ > 0) --activeCalls_;
    if (activeCalls_ == 0) idle_.notify_all();
  }
  // The result's message becomes the collected messages; the error is that text or
  // `fallback`.
  bool failWithMessages(DbQueryResult* result, wxString* error, const char* fallback) {
    result->message = collectedMessages();
    result->deadlock = deadlockSeen();
    {
      std::lock_guard<std::mutex> guard(messageLock_);
      result->lockTimeout = lockTimeout_;
    }
    result->answerTimedOut = answerTimedOut_;
    result->connectionLost = answerTimedOut_ || dbdead(dbproc_) != 0;
    if (error) *error = result->message.empty() ? wxString(fallback) : result->message;
    return false;
  }

  DBPROCESS* dbproc_ = nullptr;
  LOGINREC* login_ = nullptr;
  mutable std::mutex stateLock_;
  std::condition_variable idle_;
  int activeCalls_ = 0;
  bool closing_ = false;
  std::mutex messageLock_;
  wxString messages_;
  bool serverError_ = false;
  bool deadlock_ = false;
  bool lockTimeout_ = false;
  std::atomic<bool> answerTimedOut_{false};
  const SqlServerLookup lookup_;
};

void ReleaseLibraryUnit() {
  if (TdsLibraryUseCount > 0) --TdsLibraryUseCount;
  if (TdsLibraryUseCount == 0) dbexit();
}

bool TdsConnection::open(const DbConnectionInfo& info, wxString* error) {
  std::lock_guard<std::recursive_mutex> global(TdsGlobalMutex());
  bool held;
  {
    std::lock_guard<std::mutex> state(stateLock_);
    held = dbproc_ || login_;
  }
  if (held) close();
  {
    std::lock_guard<std::mutex> state(stateLock_);
    closing_ = false;
  }
  auto fail = [&](const wxString& text) {
    if (error) *error = text;
    return false;
  };

  if (TdsLibraryUseCount == 0) {
    if (dbinit() == FAIL) return fail("FreeTDS: dbinit() failed");
    dberrhandle(TdsErrorHandler);
    dbmsghandle(TdsMessageHandler);
  }
  ++TdsLibraryUseCount;

  // The login stays local until the server connection exists; every failure before
  // that frees it here.
  LOGINREC* login = dblogin();
  auto giveUp = [&](const wxString& text) {
    if (login) dbloginfree(login);
    ReleaseLibraryUnit();
    return fail(text);
  };
  if (!login) return giveUp("FreeTDS: dblogin() failed");
  const bool windowsAuth = GetConnectionOption(info.options, "authentication").IsSameAs("windows", false);
  wxString application = GetConnectionOption(info.options, "application_name");
  if (application.empty()) application = "Veldrix";
  if (windowsAuth) {
    if (dbsetlbool(login, 1, DBSETNETWORKAUTH) == FAIL) {
      return giveUp("FreeTDS build does not support Windows Authentication (network/SSPI auth).");
    }
  } else {
    dbsetlname(login, info.user.utf8_str(), DBSETUSER);
    dbsetlname(login, info.password.utf8_str(), DBSETPWD);
  }
  dbsetlname(login, application.utf8_str(), DBSETAPP);

  wxString versionText = GetConnectionOption(info.options, "tds_version");
  if (versionText.empty()) versionText = "auto";
  const int version = TdsVersionCode(versionText);
  if (version < 0 || dbsetlversion(login, static_cast<BYTE>(version)) == FAIL) {
    return giveUp(wxString::Format("Unsupported FreeTDS protocol version '%s'. Use auto, 4.2, or 7.0-7.4.", versionText));
  }
  wxString charset = GetConnectionOption(info.options, "charset");
  if (charset.empty()) charset = "UTF-8";
  dbsetlname(login, charset.utf8_str(), DBSETCHARSET);
  dbsetlogintime(info.waits.connectSeconds);

  // Where to connect: the server text, then a client alias, then the instance's port.
  wxString host = info.server;
  wxString instance = GetConnectionOption(info.options, "server_instance");
  int parsedPort = 0;
  const wxString serverInput = GetConnectionOption(info.options, "server_input");
  if (!serverInput.empty()) {
    ParseSqlServerInput(serverInput, &host, &instance, &parsedPort);
  } else if (!info.server.empty()) {
    ParseSqlServerInput(info.server, &host, &instance, &parsedPort);
  }
  int port = parsedPort > 0 ? parsedPort : info.port;
  if (parsedPort <= 0 && instance.empty()) {
    wxString aliasHost;
    int aliasPort = 0;
    wxString aliasError;
    if (ResolveSqlServerAlias(host, &aliasHost, &aliasPort, &aliasError, lookup_)) {
      if (!aliasError.empty()) {
        return giveUp(aliasError);
      }
      if (!aliasHost.empty()) host = aliasHost;
      if (aliasPort > 0) port = aliasPort;
    }
  }
  if (port <= 0 && !instance.empty()) {
    wxString resolveError;
    if (!ResolveSqlServerEndpoint(host, instance, &port, &resolveError, lookup_)) {
      return giveUp(resolveError);
    }
  }
  // This FreeTDS ignores a port set on the login record; the port travels in the
  // server name instead ("host:port").
  host = NormalizeSqlHost(host);
  const wxString serverName = TdsServerName(host, port);

  {
    std::lock_guard<std::mutex> guard(messageLock_);
    messages_.clear();
  }
  TdsOpeningConnection = this;
  DBPROCESS* proc = tdsdbopen(login, serverName.utf8_str(), 0);
  TdsOpeningConnection = nullptr;
  if (!proc) {
    const wxString target = port > 0 ? wxString::Format("%s,%d", host, port) : host;
    wxString text = wxString::Format("FreeTDS: connection to '%s' failed (TDS %s).", target, versionText);
    const wxString collected = collectedMessages();
    if (!collected.empty()) {
      text << "\n\n" << collected;
    } else {
      text << "\nCheck the server name, TCP port, SQL Server network configuration, and protocol version.";
    }
    return giveUp(text);
  }
  {
    std::lock_guard<std::mutex> sessions(TdsSessionLock());
    TdsSessionMap()[proc] = this;
  }
  {
    std::lock_guard<std::mutex> state(stateLock_);
    dbproc_ = proc;
    login_ = login;
  }
  if (dbsetopt(proc, DBTEXTSIZE, "2147483647", 0) == FAIL) {
    close();
    return fail("FreeTDS: cannot set TEXTSIZE.");
  }
  answerTimedOut_ = false;
  // The query time-out of this connection alone, in whole seconds.
  const int answerSeconds = (info.waits.answerMs + 999) / 1000;
  if (answerSeconds > 0 && dbsetopt(proc, DBSETTIME, std::to_string(answerSeconds).c_str(), 0) == FAIL) {
    close();
    return fail("FreeTDS: cannot set the query time-out.");
  }
  if (!info.database.empty()) {
    {
      std::lock_guard<std::mutex> guard(messageLock_);
      messages_.clear();
    }
    if (dbuse(proc, info.database.utf8_str()) == FAIL) {
      wxString text = collectedMessages();
      if (text.empty()) {
        text = wxString::Format(
            "Cannot open database '%s'. The database does not exist on this server or the login does not have "
            "access to it.",
            info.database);
      }
      close();
      return fail(text);
    }
  }
  return true;
}

void TdsConnection::close() {
  DBPROCESS* proc = nullptr;
  LOGINREC* login = nullptr;
  {
    std::unique_lock<std::mutex> state(stateLock_);
    closing_ = true;
    idle_.wait(state, [this] { return activeCalls_ == 0; });
    proc = dbproc_;
    login = login_;
    dbproc_ = nullptr;
    login_ = nullptr;
  }
  std::lock_guard<std::recursive_mutex> global(TdsGlobalMutex());
  if (proc) {
    {
      std::lock_guard<std::mutex> sessions(TdsSessionLock());
      TdsSessionMap().erase(proc);
    }
    dbclose(proc);
  }
  if (login) dbloginfree(login);
  if (proc || login) ReleaseLibraryUnit();
  std::lock_guard<std::mutex> state(stateLock_);
  closing_ = false;
}

bool TdsConnection::isConnected() const {
  std::lock_guard<std::mutex> state(stateLock_);
  return dbproc_ && !dbdead(dbproc_);
}

bool TdsConnection::lost(wxString* reason) {
  std::lock_guard<std::mutex> state(stateLock_);
  if (!dbproc_ || activeCalls_ > 0) return false;
  if (answerTimedOut_) {
    if (reason) *reason = "SQL Server sent no answer within the query time-out.";
    return true;
  }
  // The server sends nothing unasked; its connection's end shows on the socket
  // before db-lib, which notices only on its next call, marks it dead.
  if (!dbdead(dbproc_) && ProbeIdleSocket(dbiordesc(dbproc_)) != IdleSocket::Closed) return false;
  if (reason) *reason = "SQL Server connection was lost.";
  return true;
}

void TdsConnection::cancel() {
  // The handle is read and cancelled under the global lock, which close needs
  // before it can free the handle: a concurrent close waits until dbcancel returns.
  std::lock_guard<std::recursive_mutex> global(TdsGlobalMutex());
  DBPROCESS* proc;
  {
    std::lock_guard<std::mutex> state(stateLock_);
    proc = dbproc_;
  }
  if (proc) dbcancel(proc);
}

bool TdsConnection::execute(const wxString& sql, DbQueryResult* result, wxString* error) {
  DBPROCESS* proc;
  {
    std::lock_guard<std::mutex> state(stateLock_);
    if (!dbproc_ || closing_) {
      if (error) *error = "Not connected";
      return false;
    }
    if (dbdead(dbproc_)) {
      if (result) result->connectionLost = true;
      if (error) *error = "SQL Server connection was lost.";
      return false;
    }
    proc = dbproc_;
    ++activeCalls_;
  }
  struct CallGuard {
    TdsConnection* connection;
    ~CallGuard() { connection->endCall(); }
  } callGuard{this};

  if (!result) {
    if (error) *error = "Internal error: null output";
    return false;
  }
  result->clear();
  clearMessages();

  if (dbcmd(proc, sql.utf8_str()) == FAIL) return failWithMessages(result, error, "Failed to prepare the SQL command.");
  if (dbsqlexec(proc) == FAIL) return failWithMessages(result, error, "Failed to execute the SQL batch.");
  if (serverErrorSeen()) return failWithMessages(result, error, "SQL Server rejected the batch.");

  while (true) {
    const RETCODE rc = dbresults(proc);
    if (rc == NO_MORE_RESULTS) break;
    if (rc == FAIL || serverErrorSeen()) {
      return failWithMessages(result, error, "Failed while processing SQL Server results.");
    }
    DbResultSet set;
    const int columns = dbnumcols(proc);
    set.columns.reserve(static_cast<std::size_t>(columns > 0 ? columns : 0));
    for (int c = 1; c <= columns; ++c) {
      DbColumn column;
      column.name = DecodeDbLibText(dbcolname(proc, c));
      column.type = TdsTypeName(dbcoltype(proc, c));
      set.columns.push_back(std::move(column));
    }
    if (columns > 0) {
      while (true) {
        const STATUS row = dbnextrow(proc);
        if (row == FAIL || serverErrorSeen()) {
          return failWithMessages(result, error, "Failed while reading rows from SQL Server.");
        }
        if (row == NO_MORE_ROWS) break;
        for (int c = 1; c <= columns; ++c) AppendTdsCell(proc, c, &set);
        ++set.rowCount;
        if (set.overLimit("SQL Server", error)) {
          dbcancel(proc);
          result->message = collectedMessages();
          return false;
        }
      }
      result->resultSets.push_back(std::move(set));
    }
    const DBINT count = dbcount(proc);
    result->rowsAffected = count;
    if (count >= 0) appendMessage(wxString::Format("(%d row%s affected)", static_cast<int>(count), count == 1 ? "" : "s"));
  }
  if (serverErrorSeen()) return failWithMessages(result, error, "SQL Server reported an error.");
  result->message = collectedMessages();
  return true;
}

void TdsConnection::appendMessage(const wxString& raw) {
  const wxString text = NormalizeTdsMessage(raw);
  if (text.empty()) return;
  std::lock_guard<std::mutex> guard(messageLock_);
  if (text.StartsWith("DB-Lib error 20002") && messages_.Contains("Msg ")) return;
  if (("\n\n" + messages_ + "\n\n").Contains("\n\n" + text + "\n\n")) return;
  if (!messages_.empty()) messages_ << "\n\n";
  messages_ << text;
}

// The connection a callback speaks for: the one holding the handle, else the one
// opening on this thread.
TdsConnection* ConnectionOf(DBPROCESS* proc) {
  if (proc) {
    std::lock_guard<std::mutex> sessions(TdsSessionLock());
    auto found = TdsSessionMap().find(proc);
    if (found != TdsSessionMap().end()) return found->second;
  }
  return TdsOpeningConnection;
}

int TdsErrorHandler(DBPROCESS* proc, int, int dberr, int oserr, char* dberrstr, char* oserrstr) {
  if (dberr == 20018) return INT_CANCEL;  // "server messages follow": they come through the message handler
  TdsConnection* connection = ConnectionOf(proc);
  if (!connection) return INT_CANCEL;
  if (dberr == SYBETIME) connection->markAnswerTimedOut();
  wxString text = wxString::Format("DB-Lib error %d", dberr);
  const wxString library = DecodeDbLibText(dberrstr);
  if (!library.empty()) text << "\n" << library;
  const wxString system = DecodeDbLibText(oserrstr);
  if (oserr != 0 && !system.empty()) text << "\nOS error " << oserr << ": " << system;
  connection->appendMessage(text);
  return INT_CANCEL;
}

int TdsMessageHandler(DBPROCESS* proc, DBINT msgno, int msgstate, int severity, char* msgtext, char*,
                      char* procname, int line) {
  TdsConnection* connection = ConnectionOf(proc);
  if (!connection) return 0;
  const wxString body = NormalizeTdsMessage(DecodeDbLibText(msgtext));
  wxString text;
  if (msgno > 0) {
    text = wxString::Format("Msg %d, Level %d, State %d", static_cast<int>(msgno), severity, msgstate);
    const unsigned short lineNumber = static_cast<unsigned short>(line);
    if (lineNumber != 0) text << ", Line " << static_cast<int>(lineNumber);
    if (!body.empty()) text << "\n" << body;
  } else {
    text = body;
  }
  if (text.empty()) return 0;
  const wxString procedure = DecodeDbLibText(procname);
  if (!procedure.empty()) text << "\nProcedure: " << procedure;
  connection->appendMessage(text);
  // Msg 1205: chosen as the deadlock victim, the transaction rolled back; Msg 1222:
  // a lock wait cut by SET LOCK_TIMEOUT.
  if (severity >= 11 || msgno == 3606) connection->markServerError(msgno == 1205, msgno == 1222);
  return 0;
}

class FreeTdsDriver : public IDatabaseDriver {
 public:
  wxString name() const override { return "SQL Server (FreeTDS)"; }
  std::shared_ptr<IDbConnection> createConnection() override { return MakeTdsConnection(); }
};

}  // namespace

std::shared_ptr<IDbConnection> MakeTdsConnection(const SqlServerLookup& lookup) {
  return std::make_shared<TdsConnection>(lookup);
}

std::unique_ptr<IDatabaseDriver> MakeFreeTdsDriver() { return std::make_unique<FreeTdsDriver>(); }
