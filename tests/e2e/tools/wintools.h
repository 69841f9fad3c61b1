// Text and window helpers shared by the end-to-end test tools.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace wintools {

inline std::string ToUtf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), &s[0], n, nullptr,
                      nullptr);
  return s;
}

inline std::wstring FromUtf8(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), &w[0], n);
  return w;
}

// "hex:e3818b" -> the UTF-8 text it encodes; anything else as given. Wine's
// command line carries any text this way.
inline std::wstring DecodeArg(const std::wstring& arg) {
  if (arg.compare(0, 4, L"hex:") != 0) return arg;
  std::string bytes;
  for (size_t i = 4; i + 1 < arg.size(); i += 2) {
    std::wstring pair = arg.substr(i, 2);
    bytes.push_back(char(std::wcstoul(pair.c_str(), nullptr, 16)));
  }
  return FromUtf8(bytes);
}

inline std::wstring ClassOf(HWND h) {
  wchar_t buf[256] = {};
  GetClassNameW(h, buf, 256);
  return buf;
}

inline std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> out;
  EnumChildWindows(
      parent,
      [](HWND h, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&out));
  return out;
}

}  // namespace wintools
