#include "app/common/config_access.h"

#include <gtest/gtest.h>
#include <wx/config.h>
#include <wx/fileconf.h>

#include <thread>

TEST(ConfigAccess, UninstalledConfigurationIsNeverCreatedOnDemand) {
  auto* config = new wxFileConfig(wxEmptyString, wxEmptyString, wxEmptyString, wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
  delete veldrix::InstallConfig(config);
  {
    veldrix::ConfigAccess access;
    EXPECT_EQ(access.get(), config);
  }
  EXPECT_EQ(veldrix::InstallConfig(nullptr), config);
  delete config;
  EXPECT_EQ(wxConfigBase::Get(), nullptr);  // would build a default "~/.veldrix" file otherwise
  veldrix::ConfigAccess access;
  EXPECT_FALSE(access);
}

TEST(ConfigAccess, LockIsHeldWhileAccessLivesAndMayBeTakenAgain) {
  veldrix::ConfigAccess outer;
  veldrix::ConfigAccess inner;  // recursive: helpers may nest
  bool taken = true;
  std::thread other([&] { taken = veldrix::ConfigLock().try_lock(); if (taken) veldrix::ConfigLock().unlock(); });
  other.join();
  EXPECT_FALSE(taken);
}
