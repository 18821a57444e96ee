// The EMS calls the host makes into a loaded plug-in, each reported with its results.
#include <cstdio>
#include <cstring>
#include "ems_plugin.h"

namespace {

constexpr size_t kTextSize = 1024;
constexpr int kMaxMimeParams = 64;  // a longer (or circular) parameter list is cut

// Gives one block back to the plug-in that made it and reports it.
void GiveBack(EmsPlugin& plugin, const char* what, void* block, Report& report) {
  if (block == nullptr) return;
  char address[32];
  FormatBlock(address, sizeof address, block);
  long result = plugin.freeBlock(block);
  ++plugin.blocksFreed;
  report.Line("%s: ems_free(%s block %s) -> %ld", plugin.name.c_str(), what, address, result);
}

// "<what> block 0x... <quoted text>" for a text handed over by the plug-in.
void DescribeText(char* dest, size_t size, const char* what, const char* text) {
  if (text == nullptr) {
    snprintf(dest, size, "%s null", what);
    return;
  }
  char address[32];
  char quoted[kTextSize];
  FormatBlock(address, sizeof address, text);
  QuoteForReport(quoted, sizeof quoted, text);
  snprintf(dest, size, "%s block %s %s", what, address, quoted);
}

// "<what> block 0x... holds icon 0x... (valid)" for an icon block.
void DescribeIcon(char* dest, size_t size, const char* what, HICON* block) {
  if (block == nullptr) {
    snprintf(dest, size, "%s null", what);
    return;
  }
  char address[32];
  char handle[32];
  FormatBlock(address, sizeof address, block);
  FormatBlock(handle, sizeof handle, *block);
  ICONINFO info;
  bool valid = *block != nullptr && GetIconInfo(*block, &info);
  if (valid) {
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
  }
  snprintf(dest, size, "%s block %s holds icon %s (%s)", what, address, handle,
           valid ? "valid" : "not an icon");
}

void CountReceived(EmsPlugin& plugin, const void* block) {
  if (block != nullptr) ++plugin.blocksReceived;
}

// The address records as they are handed to the plug-in, up to the one whose address is
// null: {"address", "second", "third"} ...
std::string DescribeAddresses(const emsAddressRecord* records) {
  if (records == nullptr) return "addresses none";
  size_t count = 0;
  std::string list;
  char quoted[kTextSize];
  for (const emsAddressRecord* record = records; record->address != nullptr; ++record, ++count) {
    const char* const parts[] = {record->address, record->second, record->third};
    for (size_t i = 0; i < 3; ++i) {
      QuoteForReport(quoted, sizeof quoted, parts[i]);
      list += (i == 0 ? " {" : ", ") + std::string(quoted);
    }
    list += "}";
  }
  return "addresses " + std::to_string(count) + list;
}

bool FileExists(const std::string& path, DWORD* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if (size != nullptr) *size = data.nFileSizeLow;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Reports the output MIME record and gives back its texts, its parameter nodes and then the
// record itself: ems_free releases exactly the block it is given.
void ReportAndFreeMime(EmsPlugin& plugin, emsMIMEtypeP mime, Report& report) {
  if (mime == nullptr) {
    report.Line("%s:   outMime null", plugin.name.c_str());
    return;
  }
  char address[32];
  char version[kTextSize + 64], type[kTextSize + 64], subtype[kTextSize + 64];
  FormatBlock(address, sizeof address, mime);
  DescribeText(version, sizeof version, "version", mime->version);
  DescribeText(type, sizeof type, "type", mime->type);
  DescribeText(subtype, sizeof subtype, "subtype", mime->subtype);
  std::string params;
  int count = 0;
  for (emsMIMEparam* node = mime->params; node != nullptr && count < kMaxMimeParams;
       node = node->next, ++count) {
    char nodeAddress[32], name[kTextSize + 64], value[kTextSize + 64];
    FormatBlock(nodeAddress, sizeof nodeAddress, node);
    DescribeText(name, sizeof name, "name", node->name);
    DescribeText(value, sizeof value, "value", node->value);
    params += std::string(count ? ", " : "") + "{node block " + nodeAddress + " " + name + " " +
              value + "}";
  }
  report.Line("%s:   outMime block %s %s %s %s params %s", plugin.name.c_str(), address,
              version, type, subtype, params.empty() ? "none" : params.c_str());
  CountReceived(plugin, mime);
  CountReceived(plugin, mime->version);
  CountReceived(plugin, mime->type);
  CountReceived(plugin, mime->subtype);
  emsMIMEparam* node = mime->params;
  for (int i = 0; node != nullptr && i < kMaxMimeParams; ++i) {
    emsMIMEparam* next = node->next;
    CountReceived(plugin, node);
    CountReceived(plugin, node->name);
    CountReceived(plugin, node->value);
    GiveBack(plugin, "outMime parameter name", node->name, report);
    GiveBack(plugin, "outMime parameter value", node->value, report);
    GiveBack(plugin, "outMime parameter", node, report);
    node = next;
  }
  GiveBack(plugin, "outMime version", mime->version, report);
  GiveBack(plugin, "outMime type", mime->type, report);
  GiveBack(plugin, "outMime subtype", mime->subtype, report);
  GiveBack(plugin, "outMime", mime, report);
}

// A text out-value that the plug-in may set (error or result text): reported and freed.
void ReportAndFreeText(EmsPlugin& plugin, const char* what, char* text, Report& report) {
  if (text == nullptr) return;
  char line[kTextSize + 64];
  DescribeText(line, sizeof line, what, text);
  CountReceived(plugin, text);
  report.Line("%s:   %s", plugin.name.c_str(), line);
  GiveBack(plugin, what, text, report);
}

void ReportAndFreeIcon(EmsPlugin& plugin, const char* what, HICON* icon, Report& report) {
  if (icon == nullptr) return;
  char line[256];
  DescribeIcon(line, sizeof line, what, icon);
  CountReceived(plugin, icon);
  report.Line("%s:   %s", plugin.name.c_str(), line);
  GiveBack(plugin, what, icon, report);
}

// The plug-in receives char* arguments; it gets its own copies, never the host's strings.
std::vector<char> MutableCopy(const std::string& text) {
  return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1);
}

void ReportTranslatorInfo(EmsPlugin& plugin, short id, Report& report) {
  long type = 0, subtype = 0;
  unsigned long flags = 0;
  char* description = nullptr;
  HICON* icon = nullptr;
  long result = plugin.translatorInfo(plugin.globals, id, &type, &subtype, &flags,
                                      &description, &icon);
  char descriptionText[kTextSize + 64], iconText[256];
  DescribeText(descriptionText, sizeof descriptionText, "description", description);
  DescribeIcon(iconText, sizeof iconText, "icon", icon);
  CountReceived(plugin, description);
  CountReceived(plugin, icon);
  report.Line("%s: ems_translator_info(translator %d) -> %ld; type %ld; subtype %ld; "
              "flags %lu; %s; %s",
              plugin.name.c_str(), id, result, type, subtype, flags, descriptionText, iconText);
  GiveBack(plugin, "description", description, report);
  GiveBack(plugin, "icon", icon, report);
}

}  // namespace

void StartPlugin(EmsPlugin& plugin, const HostUser& user, Report& report) {
  const char* name = plugin.name.c_str();
  short apiVersion = 0;
  long result = plugin.pluginVersion(&apiVersion);
  report.Line("%s: ems_plugin_version -> %ld; apiVersion %d", name, result, apiVersion);
  if (apiVersion != EMS_VERSION)
    report.Line("%s: speaks EMS version %d, this host version %d", name, apiVersion,
                EMS_VERSION);

  std::vector<char> configDir = MutableCopy(user.configDir);
  std::vector<char> userName = MutableCopy(user.name);
  std::vector<char> userAddress = MutableCopy(user.address);
  short translatorCount = 0;
  short pluginId = 0;
  char* description = nullptr;
  HICON* icon = nullptr;
  result = plugin.pluginInit(&plugin.globals, configDir.data(), userName.data(),
                             userAddress.data(), &translatorCount, &description, &pluginId,
                             &icon);
  char quotedDir[kTextSize], descriptionText[kTextSize + 64], iconText[256];
  QuoteForReport(quotedDir, sizeof quotedDir, user.configDir.c_str());
  DescribeText(descriptionText, sizeof descriptionText, "description", description);
  DescribeIcon(iconText, sizeof iconText, "icon", icon);
  CountReceived(plugin, description);
  CountReceived(plugin, icon);
  report.Line("%s: ems_plugin_init(configDir %s) -> %ld; numTrans %d; %s; id %d; %s", name,
              quotedDir, result, translatorCount, descriptionText, pluginId, iconText);
  GiveBack(plugin, "description", description, report);
  GiveBack(plugin, "icon", icon, report);

  plugin.translatorCount = translatorCount;
  for (short id = 1; id <= translatorCount && id > 0; ++id)
    ReportTranslatorInfo(plugin, id, report);
}

long RequestTranslation(EmsPlugin& plugin, const TranslationRequest& request,
                        Report& report) {
  const char* name = plugin.name.c_str();
  if (plugin.finished) {
    report.Error("%s: already finished; no translation asked", name);
    return -1;
  }
  if (!FileExists(request.inFile, nullptr)) {
    report.Error("%s: input file \"%s\" not found; no translation asked", name,
                 request.inFile.c_str());
    return -1;
  }
  // Eudora hands over a fresh output name; an existing file here belongs to someone else.
  if (FileExists(request.outFile, nullptr)) {
    report.Error("%s: output file \"%s\" already exists and is left alone; "
                 "no translation asked", name, request.outFile.c_str());
    return -1;
  }

  // The records: three text pointers each, ended by a record whose first pointer is null.
  std::vector<std::vector<char>> texts;
  std::vector<emsAddressRecord> records;
  std::vector<char*> addressList;  // the address texts alone, for ems_can_translate
  if (request.addresses != nullptr) {
    texts.reserve(request.addresses->size() * 3);
    for (const AddressOption& option : *request.addresses) {
      emsAddressRecord record = {nullptr, nullptr, nullptr};
      texts.push_back(MutableCopy(option.address));
      record.address = texts.back().data();
      if (option.hasSecond) {
        texts.push_back(MutableCopy(option.second));
        record.second = texts.back().data();
      }
      if (option.hasThird) {
        texts.push_back(MutableCopy(option.third));
        record.third = texts.back().data();
      }
      records.push_back(record);
      addressList.push_back(record.address);
    }
    records.push_back({nullptr, nullptr, nullptr});
  }
  addressList.push_back(nullptr);

  char mimeVersion[] = "1.0", mimeType[] = "text", mimeSubtype[] = "plain";
  emsMIMEtype inMime = {mimeVersion, mimeType, mimeSubtype, nullptr};
  short id = request.translatorId;

  char* canError = nullptr;
  long canErrorCode = 0;
  long canResult = plugin.canTranslate(plugin.globals, request.context, id, &inMime,
                                       addressList.data(), nullptr, &canError, &canErrorCode);
  report.Line("%s: ems_can_translate(context %ld, translator %d) -> %ld", name,
              request.context, id, canResult);
  ReportAndFreeText(plugin, "error", canError, report);
  if (canResult != EMSR_NOW && !request.evenIfDeclined) {
    report.Line("%s: declined (ems_can_translate did not answer %d); translation not asked",
                name, EMSR_NOW);
    return -1;
  }

  std::vector<char> inFile = MutableCopy(request.inFile);
  std::vector<char> outFile = MutableCopy(request.outFile);
  char* properties = nullptr;
  emsMIMEtypeP outMime = nullptr;
  HICON* icon = nullptr;
  char* resultText = nullptr;
  char* errorText = nullptr;
  long errorCode = 0;
  // Described before the call: the plug-in gets writable records.
  const std::string addressText = DescribeAddresses(records.empty() ? nullptr : records.data());
  long result = plugin.translateFile(
      plugin.globals, request.context, id, &inMime, inFile.data(),
      records.empty() ? nullptr : records.data(), nullptr, &properties, &outMime,
      outFile.data(), &icon, &resultText, &errorText, &errorCode);
  char quotedIn[kTextSize], quotedOut[kTextSize];
  QuoteForReport(quotedIn, sizeof quotedIn, request.inFile.c_str());
  QuoteForReport(quotedOut, sizeof quotedOut, request.outFile.c_str());
  report.Line("%s: ems_translate_file(context %ld, translator %d, in %s, out %s, %s) -> %ld",
              name, request.context, id, quotedIn, quotedOut,
              addressText.c_str(), result);
  DWORD outSize = 0;
  if (FileExists(request.outFile, &outSize))
    report.Line("%s:   output file written, %lu bytes", name, static_cast<unsigned long>(outSize));
  else
    report.Line("%s:   output file not written", name);
  ReportAndFreeMime(plugin, outMime, report);
  ReportAndFreeText(plugin, "properties", properties, report);
  ReportAndFreeIcon(plugin, "icon", icon, report);
  ReportAndFreeText(plugin, "result", resultText, report);
  ReportAndFreeText(plugin, "error", errorText, report);
  if (errorCode != 0) report.Line("%s:   errorCode %ld", name, errorCode);
  return result;
}

long OpenPluginSettings(EmsPlugin& plugin, const HostUser& user, Report& report) {
  if (plugin.pluginConfig == nullptr) {
    report.Line("%s: has no settings (no ems_plugin_config)", plugin.name.c_str());
    return -1;
  }
  if (plugin.finished) {
    report.Error("%s: already finished; settings not opened", plugin.name.c_str());
    return -1;
  }
  std::vector<char> configDir = MutableCopy(user.configDir);
  std::vector<char> userName = MutableCopy(user.name);
  std::vector<char> userAddress = MutableCopy(user.address);
  report.Line("%s: opening its settings with ems_plugin_config", plugin.name.c_str());
  long result = plugin.pluginConfig(plugin.globals, configDir.data(), userName.data(),
                                    userAddress.data());
  report.Line("%s: ems_plugin_config -> %ld", plugin.name.c_str(), result);
  return result;
}

void FinishPlugin(EmsPlugin& plugin, Report& report) {
  if (plugin.finished) return;
  plugin.finished = true;
  long result = plugin.pluginFinish(plugin.globals);
  report.Line("%s: ems_plugin_finish -> %ld", plugin.name.c_str(), result);
  report.Line("%s: blocks received %d, freed %d", plugin.name.c_str(), plugin.blocksReceived,
              plugin.blocksFreed);
}
