// Turning a program path and an argument array into one Windows command line that the
// C runtime (and CommandLineToArgvW) splits back into exactly those arguments.
//
// Rules, for each argument:
//   - an argument without blank, tab, line feed, vertical tab or double quote, and not
//     empty, is written as it is;
//   - any other argument is enclosed in double quotes; inside, a double quote becomes \",
//     the backslashes just before a double quote are doubled (and one more is added for
//     the quote itself), and the backslashes just before the closing quote are doubled;
//     other backslashes stay single (so C:\dir\file needs no escaping).
// The program name is split by the system differently (up to the next quote, without
// backslash escapes), so it is enclosed in quotes when it holds a blank or a tab, and a
// program path holding a double quote is refused.
#pragma once
#include <string>
#include <vector>

namespace pgp2gpg {

std::string QuoteWindowsArgument(const std::string& argument);

// False with a message when the program path cannot be written on a command line.
bool BuildWindowsCommandLine(const std::string& program, const std::vector<std::string>& arguments,
                             std::string& commandLine, std::string& error);

}  // namespace pgp2gpg
