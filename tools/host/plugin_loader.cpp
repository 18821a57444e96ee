// Finding and loading the EMS plug-ins of a folder, as Eudora does at start-up.
#include <algorithm>
#include "ems_plugin.h"

namespace {

template <typename Entry>
bool FindEntry(HMODULE module, const char* name, Entry& entry) {
  entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return entry != nullptr;
}

bool LoadEmsPlugin(const std::string& path, const std::string& name, EmsPlugin& plugin,
                   Report& report) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    report.Error("%s: cannot be loaded (Windows error %lu)", name.c_str(), GetLastError());
    return false;
  }
  plugin.path = path;
  plugin.name = name;
  plugin.module = module;
  std::string missing;
  if (!FindEntry(module, "ems_plugin_version", plugin.pluginVersion)) missing += " ems_plugin_version";
  if (!FindEntry(module, "ems_plugin_init", plugin.pluginInit)) missing += " ems_plugin_init";
  if (!FindEntry(module, "ems_translator_info", plugin.translatorInfo)) missing += " ems_translator_info";
  if (!FindEntry(module, "ems_can_translate", plugin.canTranslate)) missing += " ems_can_translate";
  if (!FindEntry(module, "ems_translate_file", plugin.translateFile)) missing += " ems_translate_file";
  if (!FindEntry(module, "ems_plugin_finish", plugin.pluginFinish)) missing += " ems_plugin_finish";
  if (!FindEntry(module, "ems_free", plugin.freeBlock)) missing += " ems_free";
  FindEntry(module, "ems_plugin_config", plugin.pluginConfig);
  if (!missing.empty()) {
    report.Line("%s: not an EMS plug-in, missing:%s; unloaded", name.c_str(), missing.c_str());
    FreeLibrary(module);
    return false;
  }
  report.Line("%s: loaded from \"%s\"%s", name.c_str(), path.c_str(),
              plugin.pluginConfig != nullptr ? "" : " (no ems_plugin_config)");
  return true;
}

}  // namespace

void LoadPluginsFolder(const std::string& folder, std::vector<EmsPlugin>& plugins,
                       Report& report) {
  std::string pattern = folder + "\\*.dll";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    report.Line("plugins folder \"%s\" holds no DLL", folder.c_str());
    return;
  }
  std::vector<std::string> names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    EmsPlugin plugin;
    if (LoadEmsPlugin(folder + "\\" + name, name, plugin, report)) plugins.push_back(plugin);
  }
}

void UnloadPlugins(std::vector<EmsPlugin>& plugins, Report& report) {
  for (EmsPlugin& plugin : plugins) {
    if (plugin.module == nullptr) continue;
    BOOL freed = FreeLibrary(plugin.module);
    plugin.module = nullptr;
    report.Line("%s: unloaded%s", plugin.name.c_str(), freed ? "" : " (FreeLibrary failed)");
  }
}
