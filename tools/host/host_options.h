// The stand-in's command line: which folders it uses and what it does on its own.
#pragma once
#include <string>
#include <vector>

// One address record handed to a translation: the address and two optional texts.
struct AddressOption {
  std::string address;
  std::string second;
  std::string third;
  bool hasSecond = false;
  bool hasThird = false;
};

enum class ScriptAction { Translate, PluginSettings, ReportMenu, WaitFor, Close };

// What a /wait-for step waits for.
enum class WaitCondition {
  Subclass,      // the main window's procedure is not the stand-in's own
  Command,       // a WM_COMMAND with `number` as its id was posted or sent to the main window
  MessageBoxes,  // `number` message boxes of plug-ins have been recorded
  Dialogs,       // the dialog answerer has done all its entries
};

struct ScriptStep {
  ScriptAction action;
  std::string inFile;   // Translate only
  std::string outFile;  // Translate only
  WaitCondition condition = WaitCondition::Subclass;  // WaitFor only, with:
  long number = 0;
  long timeoutMs = 0;
};

// The answer to a plug-in's message box: for the first box with this caption ("*": any)
// that no earlier entry answered.
constexpr int kShowTheBox = 0;  // as a button: show the real box and record its answer
struct MessageBoxAnswer {
  std::string caption;
  int button = kShowTheBox;
};

// One action of the dialog answerer on a dialog it has found.
struct DialogAction {
  enum Kind { PickLine, SetItem, Press } kind = Press;
  std::string text;  // PickLine: the line's text; SetItem: the new text
  long index = -1;   // PickLine by position (text unused)
  long id = 0;       // SetItem: the control; Press: the button
};

// A dialog to wait for (visible, of this process, class "#32770", exact caption) and what
// to do with it; the last action is the press that closes it.
struct DialogScript {
  std::string caption;
  std::vector<DialogAction> actions;
};

struct HostOptions {
  std::string pluginsDir;  // empty: the Plugins folder beside EUDORA.EXE
  std::string configDir;   // empty: the plug-ins folder, as Eudora does
  std::string reportPath;  // empty: the report goes to standard output only
  std::vector<ScriptStep> steps;
  std::vector<AddressOption> addresses;
  bool nullAddresses = false;  // hand no address records at all instead of an empty array
  bool alwaysTranslate = false;  // ask ems_translate_file even when ems_can_translate declines
  long context = 4;            // the on-request context
  long translatorId = 1;
  long waitMs = 0;             // before the scripted steps run
  long exitAfterMs = -1;       // after the scripted steps; -1 keeps the window open
  long mainWindowAfterMs = 0;  // the main window is created this long after start-up
  std::vector<MessageBoxAnswer> answers;
  int answerFallback = kShowTheBox;  // for a box that no entry answers
  std::vector<DialogScript> dialogs;
  long dialogTimeoutMs = 10000;  // for each dialog to appear, and to close after the press
  bool help = false;
};

// The usage text shown for /? and after a wrong command line.
extern const char hostUsage[];

// The name of a message-box answer for the report ("yes", "show", or the number).
std::string ButtonName(int button);

// Fills `options` from the arguments after the program name. Returns an empty text on
// success, else what is wrong with the command line.
std::string ParseHostOptions(int argc, const char* const* argv, HostOptions& options);
