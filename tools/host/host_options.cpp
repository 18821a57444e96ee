#include "host_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>

const char hostUsage[] =
    "EUDORA.EXE - Eudora stand-in that loads EMS plug-ins\r\n"
    "Builds: bin\\EUDORA.EXE is Eudora Pro 3.0.5; bin\\hosts\\<folder>\\EUDORA.EXE is one per\r\n"
    "identity: light-301, pro-301, pro-305, pro-40b4 (4.0 Beta 4 (build 205)), pro-3012\r\n"
    "(3.0.1.2), unknown (Eudora Web 7.1), no-product-name (its version resource has none).\r\n"
    "Options (a leading '-' works as well as '/'):\r\n"
    "  /plugins <dir>         folder whose DLLs are loaded (default: Plugins beside EUDORA.EXE)\r\n"
    "  /config <dir>          configuration folder passed to ems_plugin_init (default: plugins)\r\n"
    "  /report <file>         also write the report of every EMS call to this file\r\n"
    "  /main-window-after <ms> create the main window this long after the plug-ins started;\r\n"
    "                         the message loop (and the plug-ins' timers) runs meanwhile\r\n"
    "  /answer <caption>=<button>  answer the first unanswered message box of a plug-in with\r\n"
    "                         this caption (* any) without showing it (repeatable, in order);\r\n"
    "                         buttons: ok cancel abort retry ignore yes no try continue, a\r\n"
    "                         number, or show (show the real box and record its answer)\r\n"
    "  /answer-fallback <button>  for a box no /answer entry takes (default show)\r\n"
    "  /dialog <caption>|<action>|...  wait for this dialog (class #32770) of the process,\r\n"
    "                         act, and wait until it closes (repeatable, in order); actions:\r\n"
    "                         pick=<line text> or pick=#<index> (first list box, with\r\n"
    "                         LBN_SELCHANGE), set=<id>:<text>, press=<button name or id> (last);\r\n"
    "                         \\t in a text stands for a tab\r\n"
    "  /dialog-timeout <ms>   bound for each dialog to appear and to close (default 10000)\r\n"
    "Scripted steps, run in the order given once the main window exists:\r\n"
    "  /translate <in> <out>  ask each plug-in to translate file <in> into <out>\r\n"
    "  /config-dialog         open each plug-in's settings (ems_plugin_config)\r\n"
    "  /report-menu           report the menu bar\r\n"
    "  /wait-for <what> <ms>  wait (message loop running) until: subclass (the main window's\r\n"
    "                         procedure is replaced), command=<hex id> (posted or sent to it),\r\n"
    "                         msgboxes=<n> (answered so far), dialogs (all /dialog done)\r\n"
    "  /close                 close the main window now\r\n"
    "  /addr <a>[|<b>[|<c>]]  one address record for translations: address and two optional\r\n"
    "                         texts; repeat in message order, the sender first\r\n"
    "  /no-addresses          hand no address records at all to translations\r\n"
    "  /context <n>           translation context (default 4, on request)\r\n"
    "  /translator <id>       translator id to ask (default 1)\r\n"
    "  /always-translate      ask ems_translate_file even when ems_can_translate declines\r\n"
    "  /wait <ms>             wait this long in the message loop before the scripted steps\r\n"
    "  /exit-after <ms>       close the main window this long after the scripted steps\r\n"
    "  /?                     show this text\r\n"
    "Report lines besides the EMS calls (<t> is milliseconds since the start):\r\n"
    "  host: main window created at +<t> ms\r\n"
    "  host: window procedure replaced at +<t> ms | host: window procedure own again at +<t> ms\r\n"
    "  host: window procedure after step <n>: own|replaced  (also: at destroy)\r\n"
    "  command: posted|sent id 0x<id> lParam 0x<v> at +<t> ms: reached the own procedure|\r\n"
    "           kept from the own procedure\r\n"
    "  menu at step <n>|destroy: <i> \"<title>\" first id 0x<id>, then\r\n"
    "  menu at ...: <i>.<j> \"<text>\"|separator id 0x<id> state 0x<MFS_ flags>\r\n"
    "  msgbox <n>: owner <window class in quotes>|none caption \"...\" text \"...\" flags 0x<v>\r\n"
    "  msgbox <n>: answered <button> (<id>) by script|by fallback|on the shown box\r\n"
    "  dialog <n>: found \"<caption>\" | list line <i> \"<text>\" [selected] |\r\n"
    "  dialog <n>: picked line <i> \"<text>\" | set item <id> \"<text>\" |\r\n"
    "  dialog <n>: item <id> <class> \"<text>\" | pressed <id> | closed\r\n"
    "  script: wait-for <what> met at +<t> ms\r\n"
    "Exit code: 0 done, 1 an error was reported (\"error: \" lines), 2 wrong command line.\r\n";

namespace {

bool IsOption(const char* argument, const char* name) {
  return (argument[0] == '/' || argument[0] == '-') && strcasecmp(argument + 1, name) == 0;
}

// A whole decimal number within [minimum, maximum].
bool ParseNumber(const char* text, long minimum, long maximum, long& value) {
  if (*text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  long number = strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || number < minimum || number > maximum) return false;
  value = number;
  return true;
}

struct ButtonNameEntry {
  const char* name;
  int id;
};
const ButtonNameEntry buttonNames[] = {
    {"show", kShowTheBox}, {"ok", 1}, {"cancel", 2}, {"abort", 3}, {"retry", 4},
    {"ignore", 5}, {"yes", 6}, {"no", 7}, {"try", 10}, {"continue", 11},
};

// A button name, or a control id from 1 to 65535 in decimal.
bool ParseButton(const std::string& text, int& button) {
  for (const ButtonNameEntry& entry : buttonNames) {
    if (strcasecmp(text.c_str(), entry.name) == 0) {
      button = entry.id;
      return true;
    }
  }
  long number = 0;
  if (!ParseNumber(text.c_str(), 1, 65535, number)) return false;
  button = static_cast<int>(number);
  return true;
}

// "<caption>=<button>"; the caption may itself hold '=', the button never does.
std::string ParseAnswer(const std::string& text, MessageBoxAnswer& answer) {
  size_t equals = text.rfind('=');
  if (equals == std::string::npos || equals == 0)
    return "/answer needs <caption>=<button>, not \"" + text + "\"";
  answer.caption = text.substr(0, equals);
  if (!ParseButton(text.substr(equals + 1), answer.button))
    return "/answer: unknown button \"" + text.substr(equals + 1) + "\"";
  return std::string();
}

// The two characters \t stand for a tab (list lines hold tabs; command lines rarely can).
std::string WithTabs(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 't') {
      result += '\t';
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

std::string ParseDialogAction(const std::string& text, DialogAction& action) {
  size_t equals = text.find('=');
  std::string kind = text.substr(0, equals);
  std::string value = equals == std::string::npos ? std::string() : text.substr(equals + 1);
  if (equals != std::string::npos && kind == "pick") {
    action.kind = DialogAction::PickLine;
    if (value.size() > 1 && value[0] == '#')
      return ParseNumber(value.c_str() + 1, 0, 32767, action.index)
                 ? std::string()
                 : "/dialog: pick=#<index> needs a line number, not \"" + value + "\"";
    action.text = WithTabs(value);
    return std::string();
  }
  if (equals != std::string::npos && kind == "set") {
    action.kind = DialogAction::SetItem;
    size_t colon = value.find(':');
    if (colon == std::string::npos ||
        !ParseNumber(value.substr(0, colon).c_str(), 0, 65535, action.id))
      return "/dialog: set needs <id>:<text>, not \"" + value + "\"";
    action.text = WithTabs(value.substr(colon + 1));
    return std::string();
  }
  if (equals != std::string::npos && kind == "press") {
    action.kind = DialogAction::Press;
    int button = 0;
    if (!ParseButton(value, button) || button == kShowTheBox)
      return "/dialog: press needs a button name or id, not \"" + value + "\"";
    action.id = button;
    return std::string();
  }
  return "/dialog: unknown action \"" + text + "\" (pick=, set= or press=)";
}

// "<caption>|<action>|...|press=<button>".
std::string ParseDialog(const std::string& text, DialogScript& dialog) {
  size_t start = text.find('|');
  dialog.caption = text.substr(0, start);
  if (dialog.caption.empty()) return "/dialog needs a caption before the first '|'";
  while (start != std::string::npos) {
    size_t end = text.find('|', start + 1);
    DialogAction action;
    std::string error = ParseDialogAction(
        text.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1),
        action);
    if (!error.empty()) return error;
    if (!dialog.actions.empty() && dialog.actions.back().kind == DialogAction::Press)
      return "/dialog: press= must be the last action";
    dialog.actions.push_back(action);
    start = end;
  }
  if (dialog.actions.empty() || dialog.actions.back().kind != DialogAction::Press)
    return "/dialog \"" + dialog.caption + "\" needs press=<button> as its last action";
  return std::string();
}

std::string ParseWaitCondition(const std::string& text, ScriptStep& step) {
  if (text == "subclass") {
    step.condition = WaitCondition::Subclass;
  } else if (text == "dialogs") {
    step.condition = WaitCondition::Dialogs;
  } else if (text.compare(0, 8, "command=") == 0) {
    step.condition = WaitCondition::Command;
    char* end = nullptr;
    step.number = strtol(text.c_str() + 8, &end, 16);
    if (text.size() == 8 || *end != '\0' || step.number <= 0 || step.number > 0xFFFF)
      return "/wait-for command=<id> needs a hexadecimal id, not \"" + text + "\"";
  } else if (text.compare(0, 9, "msgboxes=") == 0) {
    step.condition = WaitCondition::MessageBoxes;
    if (!ParseNumber(text.c_str() + 9, 1, 1000, step.number))
      return "/wait-for msgboxes=<n> needs a count from 1 to 1000, not \"" + text + "\"";
  } else {
    return "/wait-for: unknown condition \"" + text +
           "\" (subclass, command=<id>, msgboxes=<n>, dialogs)";
  }
  return std::string();
}

AddressOption SplitAddress(const std::string& text) {
  AddressOption record;
  size_t first = text.find('|');
  record.address = text.substr(0, first);
  if (first == std::string::npos) return record;
  size_t second = text.find('|', first + 1);
  record.hasSecond = true;
  record.second = text.substr(first + 1, second == std::string::npos ? std::string::npos
                                                                     : second - first - 1);
  if (second == std::string::npos) return record;
  record.hasThird = true;
  record.third = text.substr(second + 1);
  return record;
}

}  // namespace

std::string ButtonName(int button) {
  for (const ButtonNameEntry& entry : buttonNames)
    if (entry.id == button) return entry.name;
  return std::to_string(button);
}

std::string ParseHostOptions(int argc, const char* const* argv, HostOptions& options) {
  for (int i = 0; i < argc; ++i) {
    const char* argument = argv[i];
    int remaining = argc - i - 1;
    auto needs = [&](int count, const char* what) -> std::string {
      if (remaining >= count) return std::string();
      return std::string(argument) + " needs " + what;
    };
    std::string error;
    if (IsOption(argument, "?") || IsOption(argument, "help")) {
      options.help = true;
    } else if (IsOption(argument, "plugins")) {
      if (!(error = needs(1, "a folder")).empty()) return error;
      options.pluginsDir = argv[++i];
    } else if (IsOption(argument, "config")) {
      if (!(error = needs(1, "a folder")).empty()) return error;
      options.configDir = argv[++i];
    } else if (IsOption(argument, "report")) {
      if (!(error = needs(1, "a file name")).empty()) return error;
      options.reportPath = argv[++i];
    } else if (IsOption(argument, "translate")) {
      if (!(error = needs(2, "an input and an output file name")).empty()) return error;
      options.steps.push_back({ScriptAction::Translate, argv[i + 1], argv[i + 2]});
      i += 2;
    } else if (IsOption(argument, "addr")) {
      if (!(error = needs(1, "an address")).empty()) return error;
      AddressOption record = SplitAddress(argv[++i]);
      // An empty address would end the host's record array early.
      if (record.address.empty()) return "/addr needs a non-empty address before any '|'";
      options.addresses.push_back(record);
    } else if (IsOption(argument, "no-addresses")) {
      options.nullAddresses = true;
    } else if (IsOption(argument, "always-translate")) {
      options.alwaysTranslate = true;
    } else if (IsOption(argument, "context")) {
      if (!(error = needs(1, "a number")).empty()) return error;
      if (!ParseNumber(argv[++i], -2147483647L - 1, 2147483647L, options.context))
        return std::string("/context needs a whole number, not \"") + argv[i] + "\"";
    } else if (IsOption(argument, "translator")) {
      if (!(error = needs(1, "a number")).empty()) return error;
      if (!ParseNumber(argv[++i], -32768, 32767, options.translatorId))
        return std::string("/translator needs a number from -32768 to 32767, not \"") +
               argv[i] + "\"";
    } else if (IsOption(argument, "config-dialog")) {
      options.steps.push_back({ScriptAction::PluginSettings, std::string(), std::string()});
    } else if (IsOption(argument, "wait")) {
      if (!(error = needs(1, "milliseconds")).empty()) return error;
      if (!ParseNumber(argv[++i], 0, 600000, options.waitMs))
        return std::string("/wait needs milliseconds from 0 to 600000, not \"") + argv[i] + "\"";
    } else if (IsOption(argument, "exit-after")) {
      if (!(error = needs(1, "milliseconds")).empty()) return error;
      if (!ParseNumber(argv[++i], 0, 600000, options.exitAfterMs))
        return std::string("/exit-after needs milliseconds from 0 to 600000, not \"") +
               argv[i] + "\"";
    } else if (IsOption(argument, "main-window-after")) {
      if (!(error = needs(1, "milliseconds")).empty()) return error;
      if (!ParseNumber(argv[++i], 0, 600000, options.mainWindowAfterMs))
        return std::string("/main-window-after needs milliseconds from 0 to 600000, not \"") +
               argv[i] + "\"";
    } else if (IsOption(argument, "answer")) {
      if (!(error = needs(1, "<caption>=<button>")).empty()) return error;
      MessageBoxAnswer answer;
      if (!(error = ParseAnswer(argv[++i], answer)).empty()) return error;
      options.answers.push_back(answer);
    } else if (IsOption(argument, "answer-fallback")) {
      if (!(error = needs(1, "a button")).empty()) return error;
      if (!ParseButton(argv[++i], options.answerFallback))
        return std::string("/answer-fallback: unknown button \"") + argv[i] + "\"";
    } else if (IsOption(argument, "dialog")) {
      if (!(error = needs(1, "<caption>|<action>|...")).empty()) return error;
      DialogScript dialog;
      if (!(error = ParseDialog(argv[++i], dialog)).empty()) return error;
      options.dialogs.push_back(dialog);
    } else if (IsOption(argument, "dialog-timeout")) {
      if (!(error = needs(1, "milliseconds")).empty()) return error;
      if (!ParseNumber(argv[++i], 1, 600000, options.dialogTimeoutMs))
        return std::string("/dialog-timeout needs milliseconds from 1 to 600000, not \"") +
               argv[i] + "\"";
    } else if (IsOption(argument, "report-menu")) {
      options.steps.push_back({ScriptAction::ReportMenu, std::string(), std::string()});
    } else if (IsOption(argument, "close")) {
      options.steps.push_back({ScriptAction::Close, std::string(), std::string()});
    } else if (IsOption(argument, "wait-for")) {
      if (!(error = needs(2, "a condition and milliseconds")).empty()) return error;
      ScriptStep step = {ScriptAction::WaitFor, std::string(), std::string()};
      if (!(error = ParseWaitCondition(argv[i + 1], step)).empty()) return error;
      if (!ParseNumber(argv[i + 2], 0, 600000, step.timeoutMs))
        return std::string("/wait-for needs milliseconds from 0 to 600000, not \"") +
               argv[i + 2] + "\"";
      options.steps.push_back(step);
      i += 2;
    } else {
      return std::string("unknown option \"") + argument + "\"";
    }
  }
  if (options.nullAddresses && !options.addresses.empty())
    return "/no-addresses and /addr exclude each other";
  return std::string();
}
