#include "standin_faults.h"

#include "standin_text.h"

namespace standin {

const char kEnvExit[] = "TAVIX_PGP_EXIT";
const char kEnvNoResult[] = "TAVIX_PGP_NO_RESULT";
const char kEnvShortResult[] = "TAVIX_PGP_SHORT_RESULT";
const char kEnvDelayMs[] = "TAVIX_PGP_DELAY_MS";
const char kEnvCrash[] = "TAVIX_PGP_CRASH";
const char kEnvLog[] = "TAVIX_PGP_LOG";

bool ParseNumber(const std::string& text, uint32_t& value) {
  std::string trimmed = TrimBlanks(text);
  unsigned base = 10;
  size_t pos = 0;
  if (trimmed.size() > 2 && trimmed[0] == '0' && (trimmed[1] == 'x' || trimmed[1] == 'X')) {
    base = 16;
    pos = 2;
  }
  if (pos >= trimmed.size()) return false;
  uint64_t number = 0;
  for (; pos < trimmed.size(); ++pos) {
    char c = trimmed[pos];
    unsigned digit;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    else return false;
    number = number * base + digit;
    if (number > 0xFFFFFFFFull) return false;
  }
  value = static_cast<uint32_t>(number);
  return true;
}

static bool ParseSwitch(const std::string& text, bool& on) {
  std::string value = TrimBlanks(text);
  for (const char* yes : {"1", "yes", "on", "true"}) {
    if (EqualIgnoringCase(value, yes)) {
      on = true;
      return true;
    }
  }
  for (const char* no : {"0", "no", "off", "false"}) {
    if (EqualIgnoringCase(value, no)) {
      on = false;
      return true;
    }
  }
  return false;
}

bool ReadFaultSettings(const EnvironmentReader& read, FaultSettings& settings, std::string& error) {
  settings = FaultSettings();
  error.clear();
  auto note = [&error](const char* name, const std::string& value, const char* expected) {
    if (error.empty()) error = std::string(name) + "=\"" + value + "\" is not " + expected;
  };
  std::string value;
  if (read(kEnvExit, value) && !value.empty()) {
    settings.forceExit = ParseNumber(value, settings.exitCode);
    if (!settings.forceExit) note(kEnvExit, value, "a number (decimal or 0x hex)");
  }
  if (read(kEnvDelayMs, value) && !value.empty()) {
    settings.delay = ParseNumber(value, settings.delayMs);
    if (!settings.delay) note(kEnvDelayMs, value, "a number of milliseconds");
  }
  const struct {
    const char* name;
    bool* flag;
  } switches[] = {{kEnvNoResult, &settings.noResult},
                  {kEnvShortResult, &settings.shortResult},
                  {kEnvCrash, &settings.crash}};
  for (const auto& s : switches) {
    if (read(s.name, value) && !value.empty() && !ParseSwitch(value, *s.flag)) {
      note(s.name, value, "1 or 0");
    }
  }
  if (read(kEnvLog, value)) settings.logFile = value;
  return error.empty();
}

std::string ShortResult(const std::string& result) {
  std::string bytes = result.substr(0, 2);
  bytes.resize(2, ' ');
  return bytes;
}

}  // namespace standin
