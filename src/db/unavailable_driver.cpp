#include "db/unavailable_driver.h"

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

std::unique_ptr<IDatabaseDriver> MakeUnavailableDriver(const wxString& name, const wxString& engine) {
  return std::make_unique<UnavailableDriver>(name, engine);
}
