// The PostgreSQL engine behind IDbConnection, on libpq loaded at run time.
#include "db/postgresql_connection.h"

#include "db/driver_registry.h"
#include "db/idle_socket.h"
#include "db/libpq_api.h"
#include "db/locked_connection.h"

#include <poll.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

wxString QuotePgConnValue(const wxString& value) {
  wxString quoted;
  quoted.reserve(value.length() + 2);
  quoted += '\'';
  for (const wxUniChar c : value) {
    if (c == '\\') {
      quoted += "\\\\";
    } else if (c == '\'') {
      quoted += "\\'";
    } else {
      quoted += c;
    }
  }
  quoted += '\'';
  return quoted;
}

wxString BuildPgConnInfo(const DbConnectionInfo& info) {
  wxString text = "host=" + QuotePgConnValue(info.server.empty() ? wxString("localhost") : info.server);
  text += wxString::Format(" port=%d", info.port > 0 ? info.port : 5432);
  text += " dbname=" + QuotePgConnValue(info.database.empty() ? wxString("postgres") : info.database);
  if (!info.user.empty()) text += " user=" + QuotePgConnValue(info.user);
  if (!info.password.empty()) text += " password=" + QuotePgConnValue(info.password);
  text += info.ssl ? " sslmode=require" : " sslmode=prefer";
  text += " application_name=" + QuotePgConnValue("Veldrix");
  // Without it libpq waits for good on a port that accepts but never answers.
  text += wxString::Format(" connect_timeout=%d", info.waits.connectSeconds);
  // An idle connection whose network has gone shows as lost within a minute, not
  // the system's two hours, and unacknowledged data gives up with the answer bound
  // rather than after a quarter of an hour of retries.
  text += " keepalives=1 keepalives_idle=30 keepalives_interval=10 keepalives_count=3";
  if (info.waits.answerMs > 0) text += wxString::Format(" tcp_user_timeout=%d", info.waits.answerMs);
  // The session settings travel in the start-up packet, so they are in force once
  // the login is, under its connect bound and without a round trip of their own.
  // The program writes literals in the SQLite dialect, where a backslash is an
  // ordinary character (EscapeSqlText only doubles "'"): a server or database whose
  // default reads it as an escape would let a quoted value end its literal early.
  // A lock another session holds is waited for rowLockMs at most.
  wxString options = "-c standard_conforming_strings=on";
  if (info.waits.rowLockMs > 0) options += wxString::Format(" -c lock_timeout=%d", info.waits.rowLockMs);
  text += " client_encoding='UTF8' options=" + QuotePgConnValue(options);
  return text;
}

wxString PgTypeName(unsigned int oid) {
  switch (oid) {
    case 16: return "boolean";
    case 17: return "bytea";
    case 20: return "bigint";
    case 21: return "smallint";
    case 23: return "integer";
    case 25: return "text";
    case 700: return "real";
    case 701: return "double precision";
    case 1042: return "char";
    case 1043: return "varchar";
    case 1082: return "date";
    case 1083: return "time";
    case 1114: return "timestamp";
    case 1184: return "timestamp with time zone";
    case 1700: return "numeric";
    case 2950: return "uuid";
    default: return wxString::Format("oid:%u", oid);
  }
}

namespace {

wxString FromLibpqText(const char* text) { return text ? wxString::FromUTF8(text).Trim(true) : wxString(); }

class PostgreSqlConnection : public LockedConnection<LibpqConn> {
 public:
  explicit PostgreSqlConnection(LibpqApi* api) : api_(api) {}

  ~PostgreSqlConnection() override {
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
  }

  bool open(const DbConnectionInfo& info, wxString* error) override {
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
    if (!api_->load(error)) return false;
    LibpqConn* conn = api_->PQconnectdb(BuildPgConnInfo(info).utf8_str());
    if (conn && api_->PQstatus(conn) == kLibpqConnectionOk) {
      answerMs_ = info.waits.answerMs;
      previousReceiver_ = api_->PQsetNoticeReceiver(conn, &PostgreSqlConnection::OnNotice, this);
      std::lock_guard<std::mutex> cancelGuard(cancelLock_);
      handle_ = conn;
      cancel_ = api_->PQgetCancel(conn);
      return true;
    }
    if (error) *error = conn ? FromLibpqText(api_->PQerrorMessage(conn)) : wxString("PostgreSQL connection failed.");
    if (conn) api_->PQfinish(conn);
    return false;
  }

  bool execute(const wxString& sql, DbQueryResult* result, wxString* error) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (!startExecute(result, "PostgreSQL is not connected.", error)) return false;
    if (!api_->PQsendQuery(handle_, sql.utf8_str())) {
      result->connectionLost = !connectionOk();
      if (error) *error = result->connectionLost ? endReason() : FromLibpqText(api_->PQerrorMessage(handle_));
      return false;
    }
    running_ = true;
    bool ok = true;
    // Every result must be fetched, also after a failure, or the next query is refused.
    while (awaitAnswer()) {
      LibpqResult* pgResult = api_->PQgetResult(handle_);
      if (!pgResult) {
        running_ = false;
        if (!ok && !connectionOk()) result->connectionLost = true;
        return ok;
      }
      if (ok) ok = readResult(pgResult, result, error);
      api_->PQclear(pgResult);
    }
    // The server has gone silent: the connection is dropped, so that its session
    // ends (and its transaction with its locks) as soon as the server hears of it.
    // A server that is only slow would go on running the statement until it ends,
    // so it is asked to cancel it first.
    running_ = false;
    cancelOnServer();
    closeLocked();
    result->connectionLost = true;
    result->answerTimedOut = true;
    if (error) {
      *error = wxString::Format("PostgreSQL server sent no answer for %d ms; the connection was closed.", answerMs_);
    }
    return false;
  }

  bool lost(wxString* reason) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (!handle_ || !endedLocked()) return false;
    if (reason) *reason = endReason();
    return true;
  }

  // Interrupts a running execute: the cancel request goes over a connection of its
  // own, so it does not need the lock that the running execute holds.
  void cancel() override {
    std::lock_guard<std::mutex> cancelGuard(cancelLock_);
    if (!cancel_ || !running_) return;
    char buffer[256];
    std::memset(buffer, 0, sizeof buffer);
    api_->PQcancel(cancel_, buffer, static_cast<int>(sizeof buffer));
  }

 private:
  // libpq's cancel request waits for the server to close the request's socket,
  // with no bound of its own; it runs on a thread that owns the connection's cancel
  // key, and the cut waits for it CutCancelMs at most. On a silent server that
  // thread waits on until the server or the network ends its socket.
  void cancelOnServer() {
    LibpqCancel* request = nullptr;
    {
      std::lock_guard<std::mutex> cancelGuard(cancelLock_);
      std::swap(request, cancel_);
    }
    if (!request) return;
    struct Outcome {
      std::mutex lock;
      std::condition_variable changed;
      bool sent = false;
    };
    auto outcome = std::make_shared<Outcome>();
    LibpqApi* api = api_;
    std::thread([api, request, outcome] {
      char buffer[256] = {};
      api->PQcancel(request, buffer, static_cast<int>(sizeof buffer));
      api->PQfreeCancel(request);
      std::lock_guard<std::mutex> guard(outcome->lock);
      outcome->sent = true;
      outcome->changed.notify_all();
    }).detach();
    std::unique_lock<std::mutex> guard(outcome->lock);
    outcome->changed.wait_for(guard, std::chrono::milliseconds(CutCancelMs(answerMs_)), [&] { return outcome->sent; });
  }

  bool readResult(LibpqResult* pgResult, DbQueryResult* result, wxString* error) {
    const int status = api_->PQresultStatus(pgResult);
    if (status == kLibpqTuplesOk) return readSet(pgResult, result, error);
    if (status == kLibpqCommandOk || status == kLibpqEmptyQuery) {
      const char* tuples = api_->PQcmdTuples(pgResult);
      if (tuples && *tuples) result->rowsAffected = static_cast<int>(std::strtol(tuples, nullptr, 10));
      return true;
    }
    // 40P01: deadlock_detected, whatever language the server's messages are in;
    // class 08 (connection exception) and 57P01-57P03 (the server shutting down or
    // the session ended by an administrator) leave no session behind.
    // 55P03: lock_not_available, a lock wait cut by lock_timeout.
    const char* state = api_->PQresultErrorField(pgResult, kLibpqDiagSqlState);
    result->deadlock = state && std::strcmp(state, "40P01") == 0;
    result->lockTimeout = state && std::strcmp(state, "55P03") == 0;
    if (state && (std::strncmp(state, "08", 2) == 0 || std::strncmp(state, "57P0", 4) == 0)) {
      result->connectionLost = true;
    }
    if (error) {
      wxString message = FromLibpqText(api_->PQresultErrorMessage(pgResult));
      if (message.empty()) message = FromLibpqText(api_->PQerrorMessage(handle_));
      *error = message.empty() ? wxString("PostgreSQL query failed.") : message;
    }
    return false;
  }

  bool readSet(LibpqResult* pgResult, DbQueryResult* result, wxString* error) {
    DbResultSet set;
    const int fields = api_->PQnfields(pgResult);
    const int rows = api_->PQntuples(pgResult);
    set.columns.reserve(static_cast<std::size_t>(fields > 0 ? fields : 0));
    for (int f = 0; f < fields; ++f) {
      const char* name = api_->PQfname(pgResult, f);
      DbColumn column;
      column.name = name ? wxString::FromUTF8(name) : wxString::Format("col_%d", f + 1);
      column.type = PgTypeName(api_->PQftype(pgResult, f));
      set.columns.push_back(std::move(column));
    }
    if (rows > 0 && fields > 0) set.cells.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(fields));
    for (int r = 0; r < rows; ++r) {
      ++set.rowCount;
      for (int f = 0; f < fields; ++f) {
        if (api_->PQgetisnull(pgResult, r, f)) {
          set.appendNull();
          continue;
        }
        const char* value = api_->PQgetvalue(pgResult, r, f);
        const int length = api_->PQgetlength(pgResult, r, f);
        set.appendCell(value ? value : "", value && length > 0 ? length : 0);
      }
      if (set.overLimit("PostgreSQL", error)) return false;
    }
    result->resultSets.push_back(std::move(set));
    return true;
  }

  bool connectionOk() const { return api_->PQstatus(handle_) == kLibpqConnectionOk; }

  // Until libpq holds a whole result (or knows the connection failed): false when
  // the server sent nothing for the answer bound. Without a bound PQgetResult
  // itself waits as long as it takes.
  bool awaitAnswer() {
    if (answerMs_ <= 0) return true;
    while (api_->PQisBusy(handle_)) {
      pollfd socket{api_->PQsocket(handle_), POLLIN, 0};
      const int ready = poll(&socket, 1, answerMs_);
      if (ready == 0) return false;
      if (ready < 0 && errno == EINTR) continue;
      // A failed socket or read is left to PQgetResult, which reports it.
      if (ready < 0 || !api_->PQconsumeInput(handle_)) return true;
    }
    return true;
  }

  // With the lock held. An idle session is sent nothing but notices, so whatever its
  // socket holds is read without waiting: that brings the end of a session the
  // server closed to light, and its last word to the notice receiver. That word
  // alone ends it: the server closes the socket right after it.
  bool endedLocked() {
    for (int round = 0; round < 8 && connectionOk() && farewell_.empty(); ++round) {
      if (ProbeIdleSocket(api_->PQsocket(handle_)) == IdleSocket::Quiet) break;
      api_->PQconsumeInput(handle_);
      api_->PQisBusy(handle_);  // parses what came: an error outside a query goes to OnNotice
    }
    return !connectionOk() || !farewell_.empty();
  }

  // Why the session ended: the server's last word when it gave one ("terminating
  // connection due to administrator command"), else libpq's.
  wxString endReason() const {
    if (!farewell_.empty()) return farewell_;
    const wxString message = FromLibpqText(api_->PQerrorMessage(handle_));
    return message.empty() ? wxString("PostgreSQL server closed the connection.") : message;
  }

  // Keeps a FATAL or PANIC message, which the server sends before it closes the
  // session; every other notice goes to the receiver libpq had (its default ignores
  // the argument and prints the notice as before).
  static void OnNotice(void* arg, const LibpqResult* notice) {
    auto* self = static_cast<PostgreSqlConnection*>(arg);
    const LibpqApi* api = self->api_;
    const char* severity = api->PQresultErrorField(notice, kLibpqDiagSeverity);
    if (!severity) severity = api->PQresultErrorField(notice, kLibpqDiagLocalizedSeverity);
    if (severity && (std::strcmp(severity, "FATAL") == 0 || std::strcmp(severity, "PANIC") == 0)) {
      self->farewell_ = FromLibpqText(api->PQresultErrorMessage(notice));
      return;
    }
    if (self->previousReceiver_) self->previousReceiver_(nullptr, notice);
  }

  void closeLocked() override {
    farewell_.clear();
    std::lock_guard<std::mutex> cancelGuard(cancelLock_);
    if (cancel_) {
      api_->PQfreeCancel(cancel_);
      cancel_ = nullptr;
    }
    if (handle_) {
      api_->PQfinish(handle_);
      handle_ = nullptr;
    }
  }

  LibpqApi* api_;
  // Guards cancel_ against close while cancel() uses it; never held during a query.
  std::mutex cancelLock_;
  LibpqCancel* cancel_ = nullptr;
  std::atomic<bool> running_{false};
  int answerMs_ = 0;  // the open's answer bound; 0: none
  LibpqNoticeReceiver previousReceiver_ = nullptr;
  wxString farewell_;  // the server's FATAL message before it closed the session
};

class PostgreSqlDriver : public IDatabaseDriver {
 public:
  wxString name() const override { return "PostgreSQL (libpq)"; }
  std::shared_ptr<IDbConnection> createConnection() override { return MakePostgreSqlConnection(&ProcessLibpq()); }
};

}  // namespace

std::shared_ptr<IDbConnection> MakePostgreSqlConnection(LibpqApi* api) {
  return std::make_shared<PostgreSqlConnection>(api);
}

std::unique_ptr<IDatabaseDriver> MakePostgreSqlDriver() { return std::make_unique<PostgreSqlDriver>(); }
