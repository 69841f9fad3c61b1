// Text in the system ANSI code page.
#include "platform/win32/win32_internal.h"

namespace platform {

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  int n =
      WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                          nullptr, 0, nullptr, nullptr);
  std::string bytes(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                      bytes.data(), n, nullptr, nullptr);
  return bytes;
}

std::wstring FromAnsi(const std::string& bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(),
                              static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                      text.data(), n);
  return text;
}

}  // namespace platform
