// The invocation record appended to the TAVIX_PGP_LOG file, one per run, lines ending in LF:
//   [pgp invocation]
//   command line=<the whole command line as received>
//   arguments=<the argument text: what follows the program name and one blank>
//   argument count=<n>
//   argument 1=<first argument as split by the C runtime rules>
//   ...
//   current directory=<directory>
//   PGPPATH=<value>           or the line "PGPPATH is not set"
//   <empty line>
#pragma once
#include <string>
#include <vector>

namespace standin {

struct InvocationRecord {
  std::string commandLine;
  std::string currentDirectory;
  bool pgpPathSet = false;
  std::string pgpPath;
};

std::string FormatInvocationRecord(const InvocationRecord& record);

}  // namespace standin
