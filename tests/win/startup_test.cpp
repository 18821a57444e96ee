#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "config/settings.h"
#include "plugin/startup.h"
#include "test_support.h"

// Start-up finds the plug-in folder from its own module and the INI path from the host's
// configuration directory: beside a "Plugins" folder that does not exist (the host's
// default), and none at all for a directory too long to hold, while start-up still succeeds.
TEST(StartUp, FindsPluginFolderAndIniPathFromTheHostsDirectory) {
  const std::string mail = support::MakeScratchDirectory("tavix-startup-");
  const std::string deep = "C:\\" + std::string(300, 'd');
  const struct { std::string configDir, iniPath; } cases[] = {{mail + "\\Plugins", mail + "\\TAVIX.INI"}, {deep, ""}};
  for (const auto& c : cases) {
    ASSERT_TRUE(StartUp(c.configDir.c_str()));
    EXPECT_EQ(std::string(hostConfigDirectory), c.configDir.substr(0, MAX_PATH - 1));
    EXPECT_EQ(std::string(pluginFolder), support::ProgramDirectory());
    EXPECT_EQ(std::string(iniPath), c.iniPath);
  }
  support::RemoveTree(mail);
}
