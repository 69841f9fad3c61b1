// The program's own version number and texts, read from the version
// resource of the exe, the one place they are kept.
#include <vector>

#include "platform/system.h"
#include "platform/win32/base_win32.h"

namespace platform {
namespace {

using VerQueryValueFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

// version.dll is loaded when the About page first asks, not at start-up.
VerQueryValueFn VerQuery() {
  static const auto query = platform::win32::SystemFunction<VerQueryValueFn>(
      L"version.dll", "VerQueryValueW");
  return query;
}

// The resource block, copied: the query may write into what it is given.
std::vector<BYTE> VersionBlock() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO),
                              MAKEINTRESOURCEW(16));  // RT_VERSION
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  const BYTE* data = static_cast<const BYTE*>(LockResource(loaded));
  if (!data) return {};
  return std::vector<BYTE>(data, data + SizeofResource(nullptr, found));
}

std::wstring StringValue(VerQueryValueFn query, const std::vector<BYTE>& block,
                         const std::wstring& table, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  std::wstring path = L"\\StringFileInfo\\" + table + L"\\" + name;
  if (!query(block.data(), path.c_str(), &value, &length) || length == 0)
    return {};
  return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

}  // namespace

VersionInfo AppVersionInfo() {
  VersionInfo info;
  VerQueryValueFn query = VerQuery();
  std::vector<BYTE> block = VersionBlock();
  if (!query || block.empty()) return info;
  void* value = nullptr;
  UINT length = 0;
  if (query(block.data(), L"\\", &value, &length) &&
      length >= sizeof(VS_FIXEDFILEINFO)) {
    auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    info.major = HIWORD(fixed->dwFileVersionMS);
    info.minor = LOWORD(fixed->dwFileVersionMS);
    info.revision = HIWORD(fixed->dwFileVersionLS);
  }
  std::wstring table = L"041104B0";
  if (query(block.data(), L"\\VarFileInfo\\Translation", &value, &length) &&
      length >= 4) {
    auto* pair = static_cast<const WORD*>(value);
    wchar_t name[9];
    wsprintfW(name, L"%04X%04X", pair[0], pair[1]);
    table = name;
  }
  info.company = StringValue(query, block, table, L"CompanyName");
  info.copyright = StringValue(query, block, table, L"LegalCopyright");
  return info;
}

}  // namespace platform
