// The private-profile write through the system's own call, with the wide
// path: the folder's name may hold characters outside the ANSI code page.
// The system keeps the file's content in the ANSI code page.
#include "platform/win32/win32_internal.h"

namespace platform {

bool WriteIniEntry(const std::string& section, const std::string& key,
                   const std::string& value, const std::wstring& path) {
  return ::WritePrivateProfileStringW(
             FromAnsi(section).c_str(), FromAnsi(key).c_str(),
             FromAnsi(value).c_str(), path.c_str()) != FALSE;
}

}  // namespace platform
