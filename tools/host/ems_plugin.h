// The host's side of the EMS API: one loaded plug-in and the calls Eudora makes into it.
// Every call is reported; every block a plug-in hands over is given back with its ems_free.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "host_options.h"
#include "plugin/ems_types.h"
#include "report.h"

struct EmsPlugin {
  std::string path;  // full file name
  std::string name;  // file name part; starts each of its report lines
  HMODULE module = nullptr;
  ems_plugin_version_t pluginVersion = nullptr;
  ems_plugin_init_t pluginInit = nullptr;
  ems_translator_info_t translatorInfo = nullptr;
  ems_can_translate_t canTranslate = nullptr;
  ems_translate_file_t translateFile = nullptr;
  ems_plugin_finish_t pluginFinish = nullptr;
  ems_free_t freeBlock = nullptr;
  ems_plugin_config_t pluginConfig = nullptr;  // optional: not every plug-in has settings
  // The plug-in's instance pointer; init receives its address, the other calls its value.
  void* globals = nullptr;
  short translatorCount = 0;
  bool finished = false;
  int blocksReceived = 0;
  int blocksFreed = 0;
};

// What the host tells its plug-ins about itself and its user.
struct HostUser {
  std::string configDir;
  std::string name;
  std::string address;
};

struct TranslationRequest {
  long context = EMSF_ON_REQUEST;
  short translatorId = 1;
  std::string inFile;
  std::string outFile;
  const std::vector<AddressOption>* addresses = nullptr;  // null: no record array at all
  bool evenIfDeclined = false;  // ask ems_translate_file whatever ems_can_translate says
};

// Loads every "*.dll" of `folder` (in name order) that exports the EMS entries; a DLL that
// cannot be loaded or lacks an entry is reported and left out.
void LoadPluginsFolder(const std::string& folder, std::vector<EmsPlugin>& plugins,
                       Report& report);
// Frees the modules; call after FinishPlugin.
void UnloadPlugins(std::vector<EmsPlugin>& plugins, Report& report);

// Eudora's start-up order: ems_plugin_version, ems_plugin_init, ems_translator_info for
// every translator the plug-in announced.
void StartPlugin(EmsPlugin& plugin, const HostUser& user, Report& report);
// ems_can_translate, then ems_translate_file when the plug-in answered that it translates
// now. Returns the translation's result, or -1 when it was not asked (or could not be).
long RequestTranslation(EmsPlugin& plugin, const TranslationRequest& request, Report& report);
// ems_plugin_config; returns its result, or -1 when the plug-in has no settings.
long OpenPluginSettings(EmsPlugin& plugin, const HostUser& user, Report& report);
// ems_plugin_finish (once) and the count of blocks received and freed.
void FinishPlugin(EmsPlugin& plugin, Report& report);
