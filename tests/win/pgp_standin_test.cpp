// The PGP stand-in program as other tests meet it: pgp.exe started as a child process with
// its fault injections, exit codes, invocation log and delayed result.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

const char* const kStandinVariables[] = {"TAVIX_PGP_EXIT",    "TAVIX_PGP_NO_RESULT", "TAVIX_PGP_SHORT_RESULT",
                                         "TAVIX_PGP_DELAY_MS", "TAVIX_PGP_CRASH",     "TAVIX_PGP_LOG",
                                         "PGPPATH"};

std::string ProgramDirectory() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string dir(path, length < sizeof path ? length : 0);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  CloseHandle(file);
}

// The value after "name=" in the last record of the log, or "(missing)".
std::string LastField(const std::string& log, const std::string& name) {
  size_t record = log.rfind("[pgp invocation]\n");
  if (record == std::string::npos) return "(missing)";
  size_t at = log.find("\n" + name + "=", record);
  if (at == std::string::npos) return "(missing)";
  at += name.size() + 2;
  return log.substr(at, log.find('\n', at) - at);
}

class PgpStandinProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kStandinVariables) {
      char value[1024];
      DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
      saved_.push_back(length > 0 && length < sizeof value ? value : "");
      SetEnvironmentVariableA(name, nullptr);
    }
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    static int serial = 0;
    dir_ = std::string(temp) + "tavix-pgpstandin-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++serial);
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr)) << dir_;
    SetEnvironmentVariableA("PGPPATH", (dir_ + "\\").c_str());
    WriteBytes(Path("secring.txt"), "Alice <alice@example.org>\r\n");
    program_ = ProgramDirectory() + "pgp.exe";
    ASSERT_TRUE(FileExists(program_)) << program_;
  }

  void TearDown() override {
    for (size_t i = 0; i < saved_.size(); ++i) {
      SetEnvironmentVariableA(kStandinVariables[i], saved_[i].empty() ? nullptr : saved_[i].c_str());
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Path("*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do DeleteFileA(Path(found.cFileName).c_str());
      while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(dir_.c_str());
  }

  std::string Path(const std::string& name) const { return dir_ + "\\" + name; }

  // Runs pgp.exe with the argument text in the test directory and returns its exit code;
  // its console output goes to output.txt there.
  DWORD RunStandin(const std::string& argumentText) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(Path("output.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(output, INVALID_HANDLE_VALUE);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::string commandLine = "\"" + program_ + "\" " + argumentText;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    BOOL started = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  dir_.c_str(), &startup, &process);
    CloseHandle(output);
    EXPECT_TRUE(started) << GetLastError();
    if (!started) return 0xFFFFFFFF;
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    DWORD exitCode = 0xFFFFFFFF;
    EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &exitCode));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
  }

  std::string Output() const { return ReadBytes(Path("output.txt")); }

  std::vector<std::string> saved_;
  std::string dir_;
  std::string program_;
};

const char kText[] = "Meet me at noon.\r\n-- \r\nAlice\r\n";

}  // namespace

TEST_F(PgpStandinProgram, EncryptsDecodesAndLogsEachInvocation) {
  SetEnvironmentVariableA("TAVIX_PGP_LOG", Path("pgp.log").c_str());
  WriteBytes(Path("TAVIX"), kText);
  ASSERT_EQ(RunStandin("-aetw TAVIX bob alice@EXAMPLE.org"), 0u) << Output();
  EXPECT_EQ(ReadBytes(Path("TAVIX.asc")).rfind("-----BEGIN PGP MESSAGE-----\r\n", 0), 0u);
  EXPECT_FALSE(FileExists(Path("TAVIX"))) << "w wipes the plain text";

  ASSERT_EQ(RunStandin(" TAVIX.asc"), 0u) << Output();
  EXPECT_EQ(ReadBytes(Path("TAVIX")), kText);

  const std::string log = ReadBytes(Path("pgp.log"));
  EXPECT_NE(log.find("argument 4=alice@EXAMPLE.org\n"), std::string::npos) << "first record";
  EXPECT_EQ(LastField(log, "command line"), "\"" + program_ + "\"  TAVIX.asc");
  EXPECT_EQ(LastField(log, "arguments"), " TAVIX.asc");
  EXPECT_EQ(LastField(log, "argument count"), "1");
  EXPECT_EQ(LastField(log, "argument 1"), "TAVIX.asc");
  EXPECT_EQ(LastField(log, "current directory"), dir_);
  EXPECT_EQ(LastField(log, "PGPPATH"), dir_ + "\\");
}

TEST_F(PgpStandinProgram, ExitCodesForcedAfterTheWorkAndFromRealFailures) {
  WriteBytes(Path("TAVIX"), kText);
  SetEnvironmentVariableA("TAVIX_PGP_EXIT", "3");
  EXPECT_EQ(RunStandin("-aet TAVIX alice"), 3u);
  EXPECT_TRUE(FileExists(Path("TAVIX.asc"))) << "the work is done before the forced exit";
  SetEnvironmentVariableA("TAVIX_PGP_EXIT", "0x10000");
  EXPECT_EQ(RunStandin("-aet TAVIX alice"), 0x10000u);
  SetEnvironmentVariableA("TAVIX_PGP_EXIT", nullptr);

  ASSERT_EQ(RunStandin("-aet TAVIX someone-else"), 0u);
  DeleteFileA(Path("TAVIX").c_str());
  EXPECT_EQ(RunStandin("TAVIX.asc"), 31u) << "not addressed to a key in secring.txt";
  EXPECT_FALSE(FileExists(Path("TAVIX")));

  WriteBytes(Path("TAVIX"), kText);
  ASSERT_EQ(RunStandin("-ast +clearsig=on TAVIX -u alice"), 0u) << Output();
  std::string signedText = ReadBytes(Path("TAVIX.asc"));
  ASSERT_NE(signedText.find("noon"), std::string::npos);
  signedText.replace(signedText.find("noon"), 4, "nine");
  WriteBytes(Path("TAVIX.asc"), signedText);
  DeleteFileA(Path("TAVIX").c_str());
  EXPECT_EQ(RunStandin("TAVIX.asc"), 30u) << "bad signature";
  EXPECT_FALSE(FileExists(Path("TAVIX")));

  EXPECT_EQ(RunStandin("-aex TAVIX alice"), 5u);
  EXPECT_NE(Output().find("unknown option letter 'x'"), std::string::npos) << Output();
  EXPECT_EQ(RunStandin("GONE.asc"), 2u);
}

TEST_F(PgpStandinProgram, NoResultAndShortResult) {
  WriteBytes(Path("TAVIX"), kText);
  SetEnvironmentVariableA("TAVIX_PGP_NO_RESULT", "1");
  EXPECT_EQ(RunStandin("-aet TAVIX alice"), 0u);
  EXPECT_FALSE(FileExists(Path("TAVIX.asc")));
  SetEnvironmentVariableA("TAVIX_PGP_NO_RESULT", nullptr);

  SetEnvironmentVariableA("TAVIX_PGP_SHORT_RESULT", "1");
  EXPECT_EQ(RunStandin("-aet TAVIX alice"), 0u);
  EXPECT_EQ(ReadBytes(Path("TAVIX.asc")), "--");
}

TEST_F(PgpStandinProgram, DelayedResultAppearsOnlyAfterExit) {
  WriteBytes(Path("TAVIX"), kText);
  ASSERT_EQ(RunStandin("-aet TAVIX alice"), 0u);
  WriteBytes(Path("TAVIX"), "stale result of an earlier run");
  SetEnvironmentVariableA("TAVIX_PGP_DELAY_MS", "600");
  ASSERT_EQ(RunStandin("TAVIX.asc"), 0u) << Output();
  const DWORD exited = GetTickCount();
  EXPECT_FALSE(FileExists(Path("TAVIX"))) << "neither the old nor the new result is there yet";

  while (!FileExists(Path("TAVIX")) && GetTickCount() - exited < 10000) Sleep(20);
  const DWORD appeared = GetTickCount() - exited;
  ASSERT_TRUE(FileExists(Path("TAVIX"))) << "no result within 10 s";
  EXPECT_GE(appeared, 500u);  // 600 ms after exit, less the tick counter's granularity
  EXPECT_EQ(ReadBytes(Path("TAVIX")), kText);
  EXPECT_FALSE(FileExists(Path("TAVIX.delayed")));
}

TEST_F(PgpStandinProgram, CrashIsAnAccessViolationAfterTheLog) {
  WriteBytes(Path("TAVIX"), kText);
  SetEnvironmentVariableA("TAVIX_PGP_LOG", Path("pgp.log").c_str());
  SetEnvironmentVariableA("TAVIX_PGP_CRASH", "1");
  EXPECT_EQ(RunStandin("-aetw TAVIX alice"), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  EXPECT_FALSE(FileExists(Path("TAVIX.asc")));
  EXPECT_TRUE(FileExists(Path("TAVIX"))) << "nothing was wiped";
  EXPECT_EQ(LastField(ReadBytes(Path("pgp.log")), "arguments"), "-aetw TAVIX alice");
}

TEST_F(PgpStandinProgram, BadFaultValueIsRefusedBeforeAnyWork) {
  WriteBytes(Path("TAVIX"), kText);
  SetEnvironmentVariableA("TAVIX_PGP_DELAY_MS", "soon");
  EXPECT_EQ(RunStandin("-aet TAVIX alice"), 5u);
  EXPECT_NE(Output().find("TAVIX_PGP_DELAY_MS"), std::string::npos) << Output();
  EXPECT_FALSE(FileExists(Path("TAVIX.asc")));
}

TEST_F(PgpStandinProgram, AddKeyWritesThePublicKeyRing) {
  // A hand-made block: the Base64 of "User-ID: Carol <carol@example.org>\n\n", no checksum line.
  WriteBytes(Path("TAVIX.asc"),
             "-----BEGIN PGP PUBLIC KEY BLOCK-----\r\nVersion: test\r\n\r\n"
             "VXNlci1JRDogQ2Fyb2wgPGNhcm9sQGV4YW1wbGUub3JnPgoK\r\n"
             "-----END PGP PUBLIC KEY BLOCK-----\r\n");
  ASSERT_EQ(RunStandin("-ka TAVIX.asc"), 0u) << Output();
  EXPECT_EQ(ReadBytes(Path("pubring.txt")), "Carol <carol@example.org>\r\n");
  EXPECT_FALSE(FileExists(Path("TAVIX"))) << "adding keys leaves no result file";
}
