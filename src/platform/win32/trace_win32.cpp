// The time stamps of a trace build (platform/trace.h).
#include <cstdio>

#include "platform/trace.h"
#include "platform/win32/base_win32.h"

#ifdef PINROW_TRACE
namespace platform {

void TraceMark(const char* name) {
  static FILE* out = [] {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file(path, n);
    file = file.substr(0, file.find_last_of(L'\\') + 1) + L"pinrow-trace.txt";
    return _wfopen(file.c_str(), L"ab");
  }();
  if (!out) return;
  LARGE_INTEGER now, freq;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&freq);
  std::fprintf(out, "%s\t%.3f\n", name,
               static_cast<double>(now.QuadPart) * 1000.0 /
                   static_cast<double>(freq.QuadPart));
  std::fflush(out);
}

}  // namespace platform
#endif
