// The server engines whose native connections are not part of this build yet:
// they are registered under their display names, and opening one fails with an
// error of that connection only.
#include "db/driver_registry.h"

namespace {

class UnavailableConnection : public IDbConnection {
 public:
  explicit UnavailableConnection(wxString engine) : engine_(std::move(engine)) {}
  bool open(const DbConnectionInfo&, wxString* error) override {
    if (error) *error = wxString::Format("%s connections are not supported by this build.", engine_);
    return false;
  }
  void close() override {}
  bool isConnected() const override { return false; }
  bool execute(const wxString&, DbQueryResult*, wxString* error) override {
    if (error) *error = wxString::Format("%s is not connected.", engine_);
    return false;
  }
  void cancel() override {}

 private:
  wxString engine_;
};

class UnavailableDriver : public IDatabaseDriver {
 public:
  UnavailableDriver(wxString name, wxString engine) : name_(std::move(name)), engine_(std::move(engine)) {}
  wxString name() const override { return name_; }
  std::shared_ptr<IDbConnection> createConnection() override {
    return std::make_shared<UnavailableConnection>(engine_);
  }

 private:
  wxString name_;
  wxString engine_;
};

}  // namespace

std::unique_ptr<IDatabaseDriver> MakeFreeTdsDriver() {
  return std::make_unique<UnavailableDriver>("SQL Server (FreeTDS)", "SQL Server");
}
std::unique_ptr<IDatabaseDriver> MakeMySqlDriver() {
  return std::make_unique<UnavailableDriver>("MySQL (MariaDB Connector/C)", "MySQL");
}
std::unique_ptr<IDatabaseDriver> MakeOracleDriver() {
  return std::make_unique<UnavailableDriver>("Oracle (ODPI-C)", "Oracle");
}
std::unique_ptr<IDatabaseDriver> MakePostgreSqlDriver() {
  return std::make_unique<UnavailableDriver>("PostgreSQL (libpq)", "PostgreSQL");
}
