#include "pluginmanager/host_session.h"

#include <algorithm>
#include <deque>
#include <mutex>

namespace veldrix {
namespace {

struct HostSession {
  HostApi table{};
  PluginManager* manager = nullptr;
  std::vector<wxString> activeIds;
};

// Created at first use and never destroyed, like the sessions in it: a module
// thread may still call in while static objects are torn down at exit. A deque
// keeps every session at its address as others are added.
struct Sessions {
  std::mutex lock;
  std::deque<HostSession> list;
};

Sessions& All() {
  static Sessions* sessions = new Sessions();
  return *sessions;
}

// The session whose context this is; the context is compared, never dereferenced,
// since a module may hand back anything. Caller holds the lock.
HostSession* Find(Sessions& all, const void* context) {
  if (!context) return nullptr;
  for (HostSession& session : all.list) {
    if (&session == context) return &session;
  }
  return nullptr;
}

}  // namespace

HostApi* OpenHostSession(PluginManager* manager) {
  Sessions& all = All();
  std::lock_guard<std::mutex> guard(all.lock);
  all.list.emplace_back();
  HostSession& session = all.list.back();
  session.manager = manager;
  FillHostCallbacks(session.table);
  session.table.version = VELDRIX_PLUGIN_API_VERSION;
  session.table.context = &session;
  return &session.table;
}

void CloseHostSession(const HostApi* table) {
  if (!table) return;
  Sessions& all = All();
  std::lock_guard<std::mutex> guard(all.lock);
  if (HostSession* session = Find(all, table->context)) {
    session->manager = nullptr;
    session->activeIds.clear();
  }
}

PluginManager* HostSessionManager(void* context) {
  Sessions& all = All();
  std::lock_guard<std::mutex> guard(all.lock);
  HostSession* session = Find(all, context);
  return session ? session->manager : nullptr;
}

std::vector<PluginManager*> LiveHostManagers() {
  Sessions& all = All();
  std::lock_guard<std::mutex> guard(all.lock);
  std::vector<PluginManager*> managers;
  for (const HostSession& session : all.list) {
    if (session.manager) managers.push_back(session.manager);
  }
  return managers;
}

void PublishActiveModules(const HostApi* table, std::vector<wxString> lowerCaseIds) {
  if (!table) return;
  Sessions& all = All();
  std::lock_guard<std::mutex> guard(all.lock);
  HostSession* session = Find(all, table->context);
  if (session && session->manager) session->activeIds = std::move(lowerCaseIds);
}

bool IsModuleActiveInSession(void* context, const wxString& id) {
  const wxString lower = id.Lower();
  Sessions& all = All();
  std::lock_guard<std::mutex> guard(all.lock);
  const HostSession* session = Find(all, context);
  if (!session) return false;
  return std::find(session->activeIds.begin(), session->activeIds.end(), lower) != session->activeIds.end();
}

}  // namespace veldrix
