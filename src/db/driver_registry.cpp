#include "db/driver_registry.h"

#include <mutex>

DriverRegistry& DriverRegistry::instance() {
  static DriverRegistry registry;
  return registry;
}

void DriverRegistry::add(std::unique_ptr<IDatabaseDriver> driver) {
  if (!driver) return;
  const wxString name = driver->name();
  std::unique_lock<std::shared_mutex> guard(lock_);
  for (const auto& existing : drivers_) {
    if (existing->name().IsSameAs(name, false)) return;
  }
  drivers_.push_back(std::move(driver));
}

IDatabaseDriver* DriverRegistry::find(const wxString& name) const {
  std::shared_lock<std::shared_mutex> guard(lock_);
  for (const auto& driver : drivers_) {
    if (driver->name().IsSameAs(name, false)) return driver.get();
  }
  return nullptr;
}

std::vector<wxString> DriverRegistry::names() const {
  std::shared_lock<std::shared_mutex> guard(lock_);
  std::vector<wxString> result;
  result.reserve(drivers_.size());
  for (const auto& driver : drivers_) result.push_back(driver->name());
  return result;
}

void RegisterBuiltinDrivers() {
  static std::once_flag once;
  std::call_once(once, [] {
    DriverRegistry& registry = DriverRegistry::instance();
    registry.add(MakeFreeTdsDriver());
    registry.add(MakeMySqlDriver());
    registry.add(MakeOracleDriver());
    registry.add(MakePostgreSqlDriver());
    registry.add(MakeSqliteDriver());
  });
}
