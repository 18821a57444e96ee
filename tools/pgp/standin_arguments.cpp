#include "standin_arguments.h"

#include "standin_text.h"

namespace standin {

const char kOptionLetters[] = "kaestwmd";

static bool TakeSwitchValue(const std::vector<std::string>& args, size_t& i, bool& seen,
                            std::string& value, std::string& error) {
  const std::string& name = args[i];
  if (seen) {
    error = "the switch " + name + " is given twice";
    return false;
  }
  if (i + 1 >= args.size() || args[i + 1].empty()) {
    error = "the switch " + name + " needs a value";
    return false;
  }
  seen = true;
  value = args[++i];
  return true;
}

static bool TakeOption(const std::string& arg, StandinArguments& parsed, std::string& error) {
  size_t equals = arg.find('=');
  std::string name = arg.substr(1, equals == std::string::npos ? std::string::npos : equals - 1);
  std::string value = equals == std::string::npos ? std::string() : arg.substr(equals + 1);
  if (!EqualIgnoringCase(name, "clearsig")) {
    error = "unknown option \"" + arg + "\" (only +clearsig=on and +clearsig=off are known)";
    return false;
  }
  if (EqualIgnoringCase(value, "on")) {
    parsed.clearsig = true;
  } else if (EqualIgnoringCase(value, "off")) {
    parsed.clearsig = false;
  } else {
    error = "the option +clearsig takes on or off, not \"" + value + "\"";
    return false;
  }
  return true;
}

static bool TakeLetters(const std::string& arg, StandinArguments& parsed, std::string& error) {
  if (arg.size() == 1) {
    error = "a lone '-' (standard input) is not supported";
    return false;
  }
  for (size_t k = 1; k < arg.size(); ++k) {
    char letter = arg[k];
    if (std::string(kOptionLetters).find(letter) == std::string::npos) {
      error = "unknown option letter '" + std::string(1, letter) + "' in \"" + arg +
              "\" (known: " + kOptionLetters + ", -u, -o, -h)";
      return false;
    }
    if (!parsed.Has(letter)) parsed.letters += letter;
  }
  return true;
}

bool ParseStandinArguments(const std::vector<std::string>& args, StandinArguments& parsed,
                           std::string& error) {
  parsed = StandinArguments();
  error.clear();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "-?" || arg == "--help") {
      parsed.help = true;
    } else if (arg == "-u") {
      if (!TakeSwitchValue(args, i, parsed.hasSignUser, parsed.signUser, error)) return false;
    } else if (arg == "-o") {
      if (!TakeSwitchValue(args, i, parsed.hasOutputFile, parsed.outputFile, error)) return false;
    } else if (arg.empty()) {
      error = "an empty argument";
      return false;
    } else if (arg[0] == '-') {
      if (!TakeLetters(arg, parsed, error)) return false;
    } else if (arg[0] == '+') {
      if (!TakeOption(arg, parsed, error)) return false;
    } else if (parsed.inputFile.empty()) {
      parsed.inputFile = arg;
    } else {
      parsed.recipients.push_back(arg);
    }
  }
  return true;
}

bool ResultPath(const StandinArguments& arguments, StandinMode mode, std::string& path,
                std::string& error) {
  if (arguments.hasOutputFile) {
    path = arguments.outputFile;
  } else if (mode == StandinMode::Encode) {
    path = arguments.inputFile + (arguments.Has('a') ? ".asc" : ".pgp");
  } else if (EndsWithIgnoringCase(arguments.inputFile, ".asc") ||
             EndsWithIgnoringCase(arguments.inputFile, ".pgp")) {
    path = arguments.inputFile.substr(0, arguments.inputFile.size() - 4);
  } else {
    error = "cannot name the result for \"" + arguments.inputFile +
            "\" (no .asc or .pgp to take away); give it with -o";
    return false;
  }
  if (path.empty() || EqualIgnoringCase(path, arguments.inputFile)) {
    error = "the result file would replace the input file \"" + arguments.inputFile + "\"";
    return false;
  }
  return true;
}

bool DetermineMode(const StandinArguments& parsed, StandinMode& mode, std::string& error) {
  error.clear();
  if (parsed.inputFile.empty()) {
    error = "no input file given";
    return false;
  }
  if (parsed.Has('k')) {
    for (char letter : parsed.letters) {
      if (letter != 'k' && letter != 'a') {
        error = "only -ka (add keys) is supported with k, not the letter '" + std::string(1, letter) + "'";
        return false;
      }
    }
    if (!parsed.Has('a')) {
      error = "k needs a: only -ka (add keys) is supported";
      return false;
    }
    if (!parsed.recipients.empty() || parsed.hasOutputFile) {
      error = "-ka takes the key file only";
      return false;
    }
    mode = StandinMode::AddKey;
    return true;
  }
  bool encode = parsed.Has('e') || parsed.Has('s');
  if (encode && parsed.Has('d')) {
    error = "d (decode) cannot be combined with e or s";
    return false;
  }
  if (parsed.Has('e') && parsed.recipients.empty()) {
    error = "e needs at least one recipient after the input file";
    return false;
  }
  if (!parsed.Has('e') && !parsed.recipients.empty()) {
    error = "recipients are only taken with e; unexpected \"" + parsed.recipients.front() + "\"";
    return false;
  }
  mode = encode ? StandinMode::Encode : StandinMode::Decode;
  return true;
}

}  // namespace standin
