// Shared set-up of the fuzz targets: one application folder for the run
// (in memory where /dev/shm exists), the headless backend reset to it, and
// the shared state as the bar finds it at start.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/headless/headless.h"
#include "store/modPublic.h"

namespace fuzz_support {

inline std::string& Folder() {
  static std::string folder;
  return folder;
}

// Makes the application folder once per process.
inline void Init() {
  if (!Folder().empty()) return;
  std::string templ = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
  templ += "/pinrow-fuzz-XXXXXX";
  if (!mkdtemp(templ.data())) std::abort();
  Folder() = templ;
  std::atexit([] {
    std::remove((Folder() + "/tag.txt").c_str());
    std::remove((Folder() + "/setup.ini").c_str());
    rmdir(Folder().c_str());
  });
}

// A fresh start for one input: no files, no messages, an empty table.
inline void Reset() {
  Init();
  std::remove((Folder() + "/tag.txt").c_str());
  std::remove((Folder() + "/setup.ini").c_str());
  platform::headless::Reset(std::wstring(Folder().begin(), Folder().end()));
  modPublic::ResetSharedState();
}

inline void WriteFile(const char* name, const std::string& bytes) {
  std::ofstream out(Folder() + "/" + name, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline std::string ReadFile(const char* name) {
  std::ifstream in(Folder() + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A broken property: say which and stop, so libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

inline void Check(bool holds, const char* what) {
  if (!holds) Fail(what);
}

}  // namespace fuzz_support
