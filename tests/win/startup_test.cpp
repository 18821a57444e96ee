#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "config/settings.h"
#include "plugin/startup.h"

// Start-up derives where the plug-in's files live from its own module and from the
// configuration directory the host hands over.
TEST(StartUp, FindsPluginFolderAndIniPathFromTheHostsDirectory) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string folder(exe);
  folder.erase(folder.rfind('\\') + 1);

  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string mail = std::string(temp) + "tavix_startup_mail";
  CreateDirectoryA(mail.c_str(), nullptr);

  // A "Plugins" directory that does not exist is the host's default: the INI file then
  // sits one level up.
  ASSERT_TRUE(StartUp((mail + "\\Plugins").c_str()));
  EXPECT_EQ(std::string(hostConfigDirectory), mail + "\\Plugins");
  EXPECT_EQ(std::string(pluginFolder), folder);
  EXPECT_EQ(std::string(iniPath), mail + "\\TAVIX.INI");

  // A directory too long for any path leaves the INI path empty instead of cutting it,
  // and start-up still succeeds.
  std::string deep(300, 'd');
  ASSERT_TRUE(StartUp(("C:\\" + deep).c_str()));
  EXPECT_STREQ(iniPath, "");
  RemoveDirectoryA(mail.c_str());
}
