// What a module's worker thread reads of the application through the host table
// (the working company and the active connection) while the GUI thread changes
// them: always one whole value that was set, never a torn or freed one.
#include "app/application_state.h"
#include "pluginmanager/host_application.h"
#include "pluginmanager/plugin_manager.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>

namespace {

TEST(ModuleThreads, ReadTheWorkingCompanyAndConnectionWhileTheyChange) {
  veldrix::test::IsolatedFolders folders;
  ApplicationState state;
  veldrix::InstallHostApplication(&state);
  const wxString first = "first.db";
  const wxString second = veldrix::test::TempDir().file(wxString('x', 300) + ".db");
  state.SetActiveConnection(first);
  state.SetWorkingCompanyId("12");
  {
    veldrix::PluginManager host(nullptr, nullptr, nullptr);
    const HostApi& table = host.GetHostApi();
    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    std::set<int> companies;
    std::set<std::wstring> connections;
    std::thread module([&] {
      std::wstring buffer(512, L'\0');
      while (!done.load()) {
        companies.insert(table.getCurrentCompanyId(table.context));
        table.getConnectionString(table.context, &buffer[0], 512);
        connections.insert(buffer.c_str());
        ++reads;
      }
    });
    for (int i = 0; i < 3000 || reads.load() < 3000; ++i) {
      state.SetWorkingCompanyId(i % 2 ? wxString("345678") : wxString("12"));
      state.SetActiveConnection(i % 2 ? second : first);
    }
    done.store(true);
    module.join();
    for (int company : companies) EXPECT_TRUE(company == 12 || company == 345678) << company;
    EXPECT_FALSE(connections.empty());
    for (const std::wstring& text : connections) {
      EXPECT_TRUE(wxString(text).Contains("first.db") || wxString(text).Contains(wxString('x', 300))) << text;
    }
  }
  veldrix::InstallHostApplication(nullptr);
}

}  // namespace
