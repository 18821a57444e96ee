// A host main window inside the test process, as the module definitions identify it: a
// top-level window of the chosen class whose instance is an identity module (a small DLL
// named like the host program, bin/identities/<folder>/, with one version resource).
#pragma once
#include <windows.h>
#include <string>
#include "test_support.h"

class FakeHost {
 public:
  explicit FakeHost(const std::string& folder, const char* className = "EudoraMainWindow") {
    const std::string directory = support::BesideProgram("identities\\" + folder + "\\");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*.exe").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FindClose(search);
    path_ = directory + found.cFileName;
    module_ = LoadLibraryA(path_.c_str());
    if (!module_) return;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = module_;
    windowClass.lpszClassName = className;
    className_ = className;
    if (!RegisterClassA(&windowClass)) return;
    window_ = CreateWindowExA(0, className, "Eudora", WS_POPUP, 0, 0, 200, 100, nullptr,
                              nullptr, module_, nullptr);
  }
  ~FakeHost() {
    if (window_) DestroyWindow(window_);
    if (module_) {
      UnregisterClassA(className_.c_str(), module_);
      FreeLibrary(module_);
    }
  }
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  HWND window() const { return window_; }
  // The identity module's full file name.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string className_;
  HMODULE module_ = nullptr;
  HWND window_ = nullptr;
};
