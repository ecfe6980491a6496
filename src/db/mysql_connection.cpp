// The MySQL and MariaDB engine behind IDbConnection, on MariaDB Connector/C: TCP,
// utf8mb4, several statements per text, optional SSL without certificate checks.
#include "db/driver_registry.h"
#include "db/idle_socket.h"
#include "db/locked_connection.h"

#include <errmsg.h>
#include <mysql.h>
#include <mysqld_error.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

// The program writes SQL in the SQLite dialect: "||" concatenates and a backslash in
// a literal is an ordinary character (EscapeSqlText only doubles "'"). A value too
// long for its column must be refused, never stored cut short, whatever the server's
// own mode. Every session therefore adds these modes to whatever the server sets.
constexpr const char* kSessionSqlMode =
    "SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), 'PIPES_AS_CONCAT', "
    "'NO_BACKSLASH_ESCAPES', 'STRICT_ALL_TABLES')";

// Connector/C and the server count these waits in whole seconds.
unsigned int WholeSeconds(int milliseconds) { return static_cast<unsigned int>((milliseconds + 999) / 1000); }

// The session settings of every open: the SQL modes, and the bound of a lock wait,
// a row's (InnoDB's) and a table's metadata lock (an ALTER or LOCK TABLES behind
// another session's open transaction), which InnoDB's bound does not cover.
std::string SessionSettings(const ServerWaits& waits) {
  std::string settings = kSessionSqlMode;
  if (waits.rowLockMs > 0) {
    const std::string seconds = std::to_string(WholeSeconds(waits.rowLockMs));
    settings += ", SESSION innodb_lock_wait_timeout = " + seconds + ", SESSION lock_wait_timeout = " + seconds;
  }
  return settings;
}

// mysql_init initialises the library on its first call, which is not thread-safe.
MYSQL* InitHandle() {
  static std::once_flag once;
  std::call_once(once, [] { mysql_library_init(0, nullptr, nullptr); });
  return mysql_init(nullptr);
}

wxString MySqlError(MYSQL* handle) { return wxString::FromUTF8(mysql_error(handle)); }

// Errors after which the connection is gone: the server went away or dropped it
// during a query, ended the session (KILL, shutdown) or timed it out as idle.
bool EndsConnection(unsigned int code) {
  constexpr unsigned int kClientInteractionTimeout = 4031;  // MySQL 8's idle time-out notice
  return code == CR_SERVER_GONE_ERROR || code == CR_SERVER_LOST || code == CR_SERVER_LOST_EXTENDED ||
         code == ER_CONNECTION_KILLED || code == ER_SERVER_SHUTDOWN || code == kClientInteractionTimeout;
}

void ApplyMySqlOptions(bool ssl, const ServerWaits& waits, MYSQL* handle) {
  const unsigned int timeout = static_cast<unsigned int>(waits.connectSeconds);
  mysql_options(handle, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
  if (waits.answerMs > 0) {
    // A read that gets nothing for this long fails and closes the connection.
    const unsigned int answer = WholeSeconds(waits.answerMs);
    mysql_options(handle, MYSQL_OPT_READ_TIMEOUT, &answer);
    mysql_options(handle, MYSQL_OPT_WRITE_TIMEOUT, &answer);
  }
  mysql_options(handle, MYSQL_SET_CHARSET_NAME, "utf8mb4");
  const unsigned int protocol = MYSQL_PROTOCOL_TCP;
  mysql_options(handle, MYSQL_OPT_PROTOCOL, &protocol);
  const my_bool noVerify = 0;
  mysql_options(handle, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &noVerify);
  if (ssl) {
    mysql_ssl_set(handle, nullptr, nullptr, nullptr, nullptr, nullptr);
    const my_bool enforce = 1;
    mysql_options(handle, MYSQL_OPT_SSL_ENFORCE, &enforce);
  } else {
    handle->options.client_flag &= ~static_cast<unsigned long>(CLIENT_SSL);
    handle->options.use_ssl = 0;
    const my_bool enforce = 0;
    mysql_options(handle, MYSQL_OPT_SSL_ENFORCE, &enforce);
  }
}

std::string Utf8(const wxString& text) {
  const wxScopedCharBuffer buffer = text.utf8_str();
  return std::string(buffer.data(), buffer.length());
}

struct ConnectValues {
  std::string host;
  std::string user;
  std::string password;
  std::string database;  // empty: no default database
  unsigned int port = 3306;

  const char* databaseOrNull() const { return database.empty() ? nullptr : database.c_str(); }
};

MYSQL* TryMySqlConnect(const ConnectValues& values, const char* host, bool ssl, const ServerWaits& waits,
                       wxString* error) {
  MYSQL* handle = InitHandle();
  if (!handle) return nullptr;
  ApplyMySqlOptions(ssl, waits, handle);
  if (mysql_real_connect(handle, host, values.user.c_str(), values.password.c_str(), values.databaseOrNull(),
                         values.port, nullptr, 0)) {
    return handle;
  }
  *error = MySqlError(handle);
  mysql_close(handle);
  return nullptr;
}

class MySqlConnection : public LockedConnection<MYSQL> {
 public:
  ~MySqlConnection() override {
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
  }

  bool open(const DbConnectionInfo& info, wxString* error) override {
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
    ConnectValues values;
    values.host = info.server.empty() ? std::string("localhost") : Utf8(info.server);
    values.user = Utf8(info.user);
    values.password = Utf8(info.password);
    values.database = Utf8(info.database);
    values.port = info.port > 0 ? static_cast<unsigned int>(info.port) : 3306u;

    MYSQL* handle = InitHandle();
    if (!handle) {
      if (error) *error = "MySQL init failed.";
      return false;
    }
    ApplyMySqlOptions(info.ssl, info.waits, handle);
    if (mysql_real_connect(handle, values.host.c_str(), values.user.c_str(), values.password.c_str(),
                           values.databaseOrNull(), values.port, nullptr, CLIENT_MULTI_STATEMENTS)) {
      return startSession(handle, values, info, error);
    }
    wxString reason = MySqlError(handle);
    if (reason.Lower().Contains("ssl is required")) {
      mysql_close(handle);
      handle = nullptr;
      std::vector<std::string> hosts = {values.host};
      if (values.host != "localhost") hosts.push_back("localhost");
      if (values.host != "127.0.0.1") hosts.push_back("127.0.0.1");
      for (const std::string& candidate : hosts) {
        if (MYSQL* retried = TryMySqlConnect(values, candidate.c_str(), info.ssl, info.waits, &reason)) {
          ConnectValues used = values;
          used.host = candidate;
          return startSession(retried, used, info, error);
        }
      }
    }
    if (error) {
      const char* client = mysql_get_client_info();
      if (client && *client) reason += wxString("\nClient library: ") + wxString::FromUTF8(client);
      if (handle) reason += SslOptionsLine(handle);
      *error = reason;
    }
    if (handle) mysql_close(handle);
    return false;
  }

  bool execute(const wxString& sql, DbQueryResult* result, wxString* error) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (!startExecute(result, "MySQL is not connected.", error)) return false;
    const wxScopedCharBuffer utf8 = sql.utf8_str();
    const char* text = utf8.data() ? utf8.data() : "";
    started_ = std::chrono::steady_clock::now();
    if (mysql_real_query(handle_, text, static_cast<unsigned long>(std::strlen(text))) != 0) return fail(result, error);
    for (;;) {
      if (MYSQL_RES* stored = mysql_store_result(handle_)) {
        const bool ok = readSet(stored, result, error);
        mysql_free_result(stored);
        if (!ok) {
          drainResults();
          return false;
        }
      } else if (mysql_field_count(handle_) != 0) {
        return fail(result, error);
      } else {
        result->rowsAffected = static_cast<int>(mysql_affected_rows(handle_));
      }
      const int next = mysql_next_result(handle_);
      if (next > 0) return fail(result, error);
      if (next < 0) return true;
    }
  }

  // A running statement of this engine cannot be interrupted from its connection.
  void cancel() override {}

  bool lost(wxString* reason) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (!handle_) return false;
    if (lostReason_.empty()) {
      // Nothing comes unasked on an idle connection of this protocol. Over SSL the
      // bytes may be the encryption's own, so there only the end itself counts.
      const IdleSocket socket = ProbeIdleSocket(static_cast<int>(mysql_get_socket(handle_)));
      if (socket == IdleSocket::Closed || (socket == IdleSocket::Unread && !mysql_get_ssl_cipher(handle_))) {
        lostReason_ = "MySQL server has gone away: it closed the idle connection.";
      }
    }
    if (!lostReason_.empty() && reason) *reason = lostReason_;
    return !lostReason_.empty();
  }

 private:
  bool startSession(MYSQL* handle, const ConnectValues& values, const DbConnectionInfo& info, wxString* error) {
    // Connector/C connects in plain text to a server that offers no encryption,
    // even with SSL enforced; a connection that must be encrypted is refused here.
    if (info.ssl && !mysql_get_ssl_cipher(handle)) {
      if (error) *error = "MySQL connection is not encrypted: the server does not offer SSL.";
      mysql_close(handle);
      return false;
    }
    const std::string settings = SessionSettings(info.waits);
    if (mysql_real_query(handle, settings.c_str(), static_cast<unsigned long>(settings.size())) != 0) {
      if (error) *error = MySqlError(handle);
      mysql_close(handle);
      return false;
    }
    handle_ = handle;
    answerMs_ = info.waits.answerMs;
    values_ = values;
    ssl_ = info.ssl;
    return true;
  }

  // A statement the answer bound cut goes on running on a server that is only slow,
  // holding its locks: a short-lived second connection asks the server to stop it.
  // Its connect and its answer wait CutCancelMs each, so that a silent server adds
  // little to the bound.
  void killOnServer() {
    const std::string kill = "KILL QUERY " + std::to_string(mysql_thread_id(handle_));
    ServerWaits waits;
    waits.answerMs = CutCancelMs(answerMs_);
    waits.connectSeconds = static_cast<int>(WholeSeconds(waits.answerMs));
    wxString ignored;
    if (MYSQL* killer = TryMySqlConnect(values_, values_.host.c_str(), ssl_, waits, &ignored)) {
      mysql_real_query(killer, kill.c_str(), static_cast<unsigned long>(kill.size()));
      mysql_close(killer);
    }
  }

  static wxString SslOptionsLine(MYSQL* handle) {
    my_bool verify = 0;
    my_bool enforce = 0;
    mysql_get_optionv(handle, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &verify);
    mysql_get_optionv(handle, MYSQL_OPT_SSL_ENFORCE, &enforce);
    return wxString::Format("\nSSL options: verify=%d enforce=%d use_ssl=%d client_flag_ssl=%d", verify ? 1 : 0,
                            enforce ? 1 : 0, handle->options.use_ssl ? 1 : 0,
                            (handle->options.client_flag & CLIENT_SSL) ? 1 : 0);
  }

  bool readSet(MYSQL_RES* stored, DbQueryResult* result, wxString* error) {
    DbResultSet set;
    const unsigned int count = mysql_num_fields(stored);
    const MYSQL_FIELD* fields = mysql_fetch_fields(stored);
    set.columns.reserve(count);
    for (unsigned int f = 0; f < count; ++f) {
      DbColumn column;
      const char* name = fields ? fields[f].name : nullptr;
      column.name = name && *name ? wxString::FromUTF8(name) : wxString::Format("col_%u", f + 1);
      const unsigned int type = fields ? static_cast<unsigned int>(fields[f].type) : 0u;
      column.type = type == 0 ? wxString("TEXT") : wxString::Format("%u", type);
      set.columns.push_back(std::move(column));
    }
    while (MYSQL_ROW row = mysql_fetch_row(stored)) {
      ++set.rowCount;
      const unsigned long* lengths = mysql_fetch_lengths(stored);
      for (unsigned int f = 0; f < count; ++f) {
        if (!row[f]) {
          set.appendNull();
          continue;
        }
        const std::size_t length = lengths ? lengths[f] : std::strlen(row[f]);
        set.appendCell(row[f], static_cast<int>(length));
      }
      if (set.overLimit("MySQL", error)) return false;
    }
    result->resultSets.push_back(std::move(set));
    return true;
  }

  // Leaves the connection ready for the next query after an abandoned result.
  void drainResults() {
    while (mysql_next_result(handle_) == 0) {
      if (MYSQL_RES* stored = mysql_store_result(handle_)) mysql_free_result(stored);
    }
  }

  bool fail(DbQueryResult* result, wxString* error) {
    const unsigned int code = mysql_errno(handle_);
    result->deadlock = code == ER_LOCK_DEADLOCK;
    result->lockTimeout = code == ER_LOCK_WAIT_TIMEOUT;
    if (EndsConnection(code)) {
      result->connectionLost = true;
      lostReason_ = MySqlError(handle_);
      // Connector/C tells a read that timed out only by the time it took.
      const auto waited = std::chrono::steady_clock::now() - started_;
      result->answerTimedOut = answerMs_ > 0 && waited >= std::chrono::milliseconds(WholeSeconds(answerMs_) * 1000);
    }
    if (error) *error = MySqlError(handle_);
    // Dropped at once, so that the server ends the session and its transaction
    // with its locks as soon as it hears of it.
    if (result->answerTimedOut) {
      killOnServer();
      closeLocked();
    }
    return false;
  }

  void closeLocked() override {
    if (handle_) {
      mysql_close(handle_);
      handle_ = nullptr;
    }
    lostReason_.clear();
  }

  // Why the connection is known to be gone; empty while it is not.
  wxString lostReason_;
  int answerMs_ = 0;  // the open's answer bound; 0: none
  ConnectValues values_;  // of the open, for the connection that stops a cut statement
  bool ssl_ = false;
  std::chrono::steady_clock::time_point started_;  // of the running execute
};

class MySqlDriver : public IDatabaseDriver {
 public:
  wxString name() const override { return "MySQL (MariaDB Connector/C)"; }
  std::shared_ptr<IDbConnection> createConnection() override { return std::make_shared<MySqlConnection>(); }
};

}  // namespace

std::unique_ptr<IDatabaseDriver> MakeMySqlDriver() { return std::make_unique<MySqlDriver>(); }
