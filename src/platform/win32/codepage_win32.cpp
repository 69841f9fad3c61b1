// Text in code page 932. Both files are code page 932 whatever the system
// is set to: on another ANSI code page, or with the UTF-8 option that
// Japanese users do turn on, the system's own conversion would turn every
// Japanese caption and tag into "・".
#include "platform/files.h"
#include "platform/win32/base_win32.h"

namespace platform {
namespace {
constexpr UINT kCodePage = 932;
}  // namespace

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(kCodePage, 0, text.data(),
                              static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string bytes(n, '\0');
  WideCharToMultiByte(kCodePage, 0, text.data(), static_cast<int>(text.size()),
                      bytes.data(), n, nullptr, nullptr);
  return bytes;
}

std::wstring FromAnsi(const std::string& bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(kCodePage, 0, bytes.data(),
                              static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(n, L'\0');
  MultiByteToWideChar(kCodePage, 0, bytes.data(),
                      static_cast<int>(bytes.size()), text.data(), n);
  return text;
}

}  // namespace platform
