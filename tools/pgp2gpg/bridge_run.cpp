#include "bridge_run.h"

#include <cstdio>

#include "bridge_exit_codes.h"
#include "bridge_request.h"
#include "bridge_usage.h"
#include "gpg_command.h"
#include "gpg_status.h"
#include "process_runner.h"
#include "standin_arguments.h"
#include "standin_files.h"

namespace pgp2gpg {

namespace {

int Refuse(int code, const std::string& message) {
  std::fprintf(stderr, "pgp2gpg: %s\n", message.c_str());
  return code;
}

// Overwrites a text that may be plaintext before its memory is given back.
void Forget(std::string& text) {
  volatile char* bytes = text.empty() ? nullptr : &text[0];
  for (size_t i = 0; i < text.size(); ++i) bytes[i] = '\0';
  text.clear();
}

// Hands the decoded text back: to the result file, or only to the console when it is for
// the eyes only.
int DeliverDecodedText(const BridgeRequest& request, const Verdict& verdict, std::string& text) {
  if (request.eyesOnly || verdict.eyesOnlyText) {
    if (!StandardOutputIsConsole()) {
      return Refuse(kExitNoConsole,
                    "the text is for your eyes only and there is no console to show it on;"
                    " nothing was written");
    }
    std::printf("Plaintext message follows (for your eyes only):\n");
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::printf("\n");
    return kExitOk;
  }
  if (!standin::WriteFileBytes(request.resultFile, text)) {
    standin::WipeAndRemoveFile(request.resultFile);
    return Refuse(kExitFileError, "cannot write the result file \"" + request.resultFile + "\"");
  }
  return kExitOk;
}

int Deliver(const BridgeRequest& request, const Verdict& verdict, std::string& output) {
  if (request.operation == BridgeOperation::AddKey) return kExitOk;
  if (request.operation == BridgeOperation::Decode)
    return DeliverDecodedText(request, verdict, output);
  if (!IsRegularFile(request.resultFile)) {
    return Refuse(kExitFileError, "gpg wrote no result file \"" + request.resultFile + "\"");
  }
  if (request.wipeInput && !standin::WipeAndRemoveFile(request.inputFile)) {
    return Refuse(kExitFileError, "cannot wipe the input file \"" + request.inputFile + "\"");
  }
  return kExitOk;
}

// What gpg may have left of a result before it failed.
void RemoveResult(const BridgeRequest& request) {
  if (!request.resultFile.empty() && IsRegularFile(request.resultFile))
    standin::WipeAndRemoveFile(request.resultFile);
}

// Finds gpg and runs it for the request; kExitOk with the outcome of a run that ended.
int RunGpg(const BridgeRequest& request, const EnvironmentReader& environment,
           const HostConventions& host, ProcessOutcome& outcome) {
  unsigned timeoutSeconds = 0;
  std::string error;
  if (!ReadGpgTimeout(environment, timeoutSeconds, error))
    return Refuse(kExitBadCommandLine, error);
  std::string program, tried;
  if (!FindGpgProgram(environment, IsRegularFile, host, program, tried)) {
    return Refuse(kExitGpgNotFound,
                  "gpg not found; tried " + tried + " (set TAVIX_GPG to the gpg program)");
  }
  GpgInvocation invocation =
      MakeGpgInvocation(request, ChooseGnupgHome(environment, IsRegularFile, host));
  ProcessRequest run;
  run.program = program;
  run.arguments = invocation.arguments;
  run.statusChannelArgument = invocation.statusChannelArgument;
  run.captureOutput = request.operation == BridgeOperation::Decode;
  run.timeoutMs = timeoutSeconds * 1000u;
  outcome = RunProcess(run);
  if (!outcome.started) {
    return Refuse(kExitGpgNotFound, "cannot start \"" + program + "\": " + outcome.startError);
  }
  if (outcome.timedOut) {
    Forget(outcome.output);
    RemoveResult(request);
    return Refuse(kExitGpgTimedOut, "gpg did not end within " + std::to_string(timeoutSeconds) +
                                        " seconds (TAVIX_GPG_TIMEOUT) and was stopped");
  }
  return kExitOk;
}

}  // namespace

int RunBridge(const std::vector<std::string>& arguments, const EnvironmentReader& environment,
              const HostConventions& host) {
  if (arguments.empty()) {
    std::fputs(BridgeUsageText(), stdout);
    return kExitBadCommandLine;
  }
  standin::StandinArguments parsed;
  BridgeRequest request;
  std::string error;
  if (!standin::ParseStandinArguments(arguments, parsed, error)) {
    return Refuse(kExitBadCommandLine, error + " (pgp2gpg -h shows the usage)");
  }
  if (parsed.help) {
    std::fputs(BridgeUsageText(), stdout);
    return kExitOk;
  }
  if (!MakeBridgeRequest(parsed, request, error)) {
    return Refuse(kExitBadCommandLine, error + " (pgp2gpg -h shows the usage)");
  }
  // A result of an earlier run must not pass for this run's, whatever fails below.
  if (!request.resultFile.empty() && IsRegularFile(request.resultFile) &&
      !standin::WipeAndRemoveFile(request.resultFile)) {
    return Refuse(kExitFileError,
                  "cannot remove the old result file \"" + request.resultFile + "\"");
  }
  if (!IsRegularFile(request.inputFile)) {
    return Refuse(kExitFileNotFound, "file not found: \"" + request.inputFile + "\"");
  }
  ProcessOutcome outcome;
  int code = RunGpg(request, environment, host, outcome);
  if (code != kExitOk) return code;
  Verdict verdict = JudgeGpgRun(request, ParseStatusLines(outcome.status), outcome.exitCode);
  if (verdict.exitCode != kExitOk) {
    Forget(outcome.output);
    RemoveResult(request);
    return Refuse(verdict.exitCode, verdict.message);
  }
  code = Deliver(request, verdict, outcome.output);
  Forget(outcome.output);
  if (code != kExitOk) return code;
  for (const std::string& note : verdict.notes) std::printf("%s\n", note.c_str());
  if (!request.resultFile.empty() && IsRegularFile(request.resultFile)) {
    std::printf("Result file: %s\n", request.resultFile.c_str());
  }
  return kExitOk;
}

}  // namespace pgp2gpg
