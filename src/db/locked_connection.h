// Base of the connections whose operations each hold one lock of their own for
// their whole duration (SQLite, PostgreSQL, MySQL, Oracle): the native handle, the
// lock, and the close, is-connected and execute start that follow from them.
#pragma once

#include "db/db_connection.h"

#include <mutex>

template <typename Handle>
class LockedConnection : public IDbConnection {
 public:
  void close() override {
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
  }

  bool isConnected() const override {
    std::lock_guard<std::mutex> guard(lock_);
    return handle_ != nullptr;
  }

 protected:
  // Releases the native connection, with the lock held. Each derived destructor
  // calls it as well: the base destructor can no longer reach the override.
  virtual void closeLocked() = 0;

  // The start of every execute, with the lock held: false with the engine's "not
  // connected" text when there is no handle or no result, else the result emptied.
  bool startExecute(DbQueryResult* result, const char* notConnected, wxString* error) const {
    if (!handle_ || !result) {
      if (error) *error = notConnected;
      return false;
    }
    result->clear();
    return true;
  }

  Handle* handle_ = nullptr;
  mutable std::mutex lock_;
};
