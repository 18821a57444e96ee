// Faults that tests ask the stand-in for through environment variables (see the usage text).
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace standin {

extern const char kEnvExit[];          // "TAVIX_PGP_EXIT"
extern const char kEnvNoResult[];      // "TAVIX_PGP_NO_RESULT"
extern const char kEnvShortResult[];   // "TAVIX_PGP_SHORT_RESULT"
extern const char kEnvDelayMs[];       // "TAVIX_PGP_DELAY_MS"
extern const char kEnvCrash[];         // "TAVIX_PGP_CRASH"
extern const char kEnvLog[];           // "TAVIX_PGP_LOG"

struct FaultSettings {
  bool forceExit = false;
  uint32_t exitCode = 0;
  bool noResult = false;
  bool shortResult = false;
  bool delay = false;
  uint32_t delayMs = 0;
  bool crash = false;
  std::string logFile;
};

// Gives the value of an environment variable; false when it is not set.
using EnvironmentReader = std::function<bool(const char* name, std::string& value)>;

// Reads every variable; an unset or empty one leaves its fault off. False with a message
// naming the variable when a value is not understood (the other settings are still read).
bool ReadFaultSettings(const EnvironmentReader& read, FaultSettings& settings, std::string& error);

// A 32-bit unsigned number, decimal or 0x hexadecimal, blanks around it allowed.
bool ParseNumber(const std::string& text, uint32_t& value);

// The bytes written instead of the result for TAVIX_PGP_SHORT_RESULT: its first two,
// padded with blanks when the result is shorter.
std::string ShortResult(const std::string& result);

}  // namespace standin
