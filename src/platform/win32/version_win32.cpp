// The program's own version number and texts, read from the version
// resource of the exe, the one place they are kept. The resource lies in
// the exe's own image, so it is walked here instead of loading version.dll
// for it, and read once: the settings dialog shows it at every opening.
#include <cstring>
#include <string>

#include "platform/system.h"
#include "platform/win32/base_win32.h"

namespace platform {
namespace {

// One block of the version resource: a header (its length in bytes, the
// length of its value, whether the value is text), a name, the value and
// the blocks it holds, each part starting on a 4-byte boundary.
struct Block {
  const BYTE* at = nullptr;
  std::size_t size = 0;  // bytes, with the blocks it holds
  std::wstring name;
  const BYTE* value = nullptr;
  std::size_t valueBytes = 0;
  const BYTE* children = nullptr;
};

std::size_t Aligned(std::size_t offset) {
  return (offset + 3) & ~std::size_t{3};
}

WORD WordAt(const BYTE* p) {
  WORD w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

// The block at `at`, when it lies whole within `end`.
bool ReadBlock(const BYTE* at, const BYTE* end, Block& b) {
  if (end - at < 6) return false;
  b.at = at;
  b.size = WordAt(at);
  if (b.size < 6 || b.size > static_cast<std::size_t>(end - at)) return false;
  const std::size_t valueLength = WordAt(at + 2);
  const bool text = WordAt(at + 4) == 1;
  std::size_t offset = 6;
  b.name.clear();
  for (; offset + 2 <= b.size && WordAt(at + offset) != 0; offset += 2)
    b.name += static_cast<wchar_t>(WordAt(at + offset));
  offset = Aligned(offset + 2);
  b.valueBytes = text ? valueLength * 2 : valueLength;
  if (offset + b.valueBytes > b.size) b.valueBytes = 0;
  b.value = at + offset;
  b.children = at + Aligned(offset + b.valueBytes);
  return true;
}

// The block named `name` among those `parent` holds.
bool Child(const Block& parent, const std::wstring& name, Block& found) {
  const BYTE* end = parent.at + parent.size;
  for (const BYTE* p = parent.children; p < end; p += Aligned(found.size)) {
    if (!ReadBlock(p, end, found)) return false;
    if (found.name == name) return true;
  }
  return false;
}

// A text value, without its terminating NUL.
std::wstring TextOf(const Block& b) {
  std::wstring text(b.valueBytes / 2, L'\0');
  std::memcpy(text.data(), b.value, text.size() * 2);
  return text.substr(0, text.find(L'\0'));
}

VersionInfo ReadVersionInfo() {
  VersionInfo info;
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO),
                              MAKEINTRESOURCEW(16));  // RT_VERSION
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const BYTE* data = static_cast<const BYTE*>(LockResource(loaded));
  Block root;
  if (!data || !ReadBlock(data, data + SizeofResource(nullptr, found), root))
    return info;
  if (root.valueBytes >= sizeof(VS_FIXEDFILEINFO)) {
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, root.value, sizeof fixed);
    info.major = HIWORD(fixed.dwFileVersionMS);
    info.minor = LOWORD(fixed.dwFileVersionMS);
    info.revision = HIWORD(fixed.dwFileVersionLS);
  }
  Block strings, table, text;
  if (!Child(root, L"StringFileInfo", strings)) return info;
  // The first table of texts (the one language the resource has).
  if (!ReadBlock(strings.children, strings.at + strings.size, table))
    return info;
  if (Child(table, L"CompanyName", text)) info.company = TextOf(text);
  if (Child(table, L"LegalCopyright", text)) info.copyright = TextOf(text);
  return info;
}

}  // namespace

VersionInfo AppVersionInfo() {
  static const VersionInfo info = ReadVersionInfo();
  return info;
}

}  // namespace platform
