// Splitting a Windows command line the way the C runtime does, so that the stand-in sees
// exactly the arguments a real program would, and can log the argument text as sent.
#pragma once
#include <string>
#include <vector>

namespace standin {

// The argument text: what follows the program name and the one blank after it. For
// "pgp.exe  TAVIX.asc" this is " TAVIX.asc".
std::string ArgumentText(const std::string& commandLine);

// Blanks and tabs separate arguments; double quotes group; 2n backslashes before a quote
// give n backslashes, 2n+1 give n and a literal quote; other backslashes stay.
std::vector<std::string> SplitArguments(const std::string& argumentText);

}  // namespace standin
