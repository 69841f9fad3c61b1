// Private-profile (INI) files through the system's own calls.
#include <vector>

#include "platform/win32/win32_internal.h"

namespace platform {

std::string GetPrivateProfileStringA(const std::string& section,
                                     const std::string& key,
                                     const std::string& def, unsigned size,
                                     const std::string& path) {
  std::vector<char> buffer(size, '\0');
  if (size > 0)
    ::GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(),
                               buffer.data(), size, path.c_str());
  return std::string(buffer.begin(), buffer.end());
}

std::int32_t GetPrivateProfileIntA(const std::string& section,
                                   const std::string& key, std::int32_t def,
                                   const std::string& path) {
  return static_cast<std::int32_t>(
      ::GetPrivateProfileIntA(section.c_str(), key.c_str(), def, path.c_str()));
}

bool WritePrivateProfileStringA(const std::string& section,
                                const std::string& key,
                                const std::string& value,
                                const std::string& path) {
  return ::WritePrivateProfileStringA(section.c_str(), key.c_str(),
                                      value.c_str(), path.c_str()) != FALSE;
}

}  // namespace platform
