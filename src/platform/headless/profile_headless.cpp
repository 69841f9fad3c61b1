// Private-profile (INI) files for the headless backend, with the rules of
// the system's own calls: names match without regard to case, blanks around
// names and values are ignored, a pair of quotation marks around a value is
// dropped, and a missing file, section or key gives the caller's default.
// A write changes one line (or appends one) and keeps every other line.
//
// Lines are parsed in their decoded form, so that a trail byte of a
// double-byte character is never taken for "[", "]" or "=", while lines that
// are not changed are written back byte for byte.
#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/headless/headless.h"
#include "platform/platform.h"

namespace platform {
namespace {

enum class LineKind { Section, Entry, Other };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::wstring name;
  std::wstring value;
};

std::wstring Trim(const std::wstring& s) {
  auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  std::size_t b = 0, e = s.size();
  while (b < e && blank(s[b])) ++b;
  while (e > b && blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
           return std::towlower(x) == std::towlower(y);
         });
}

ParsedLine Parse(const std::string& raw) {
  std::wstring text = Trim(FromAnsi(raw));
  ParsedLine line;
  if (!text.empty() && text[0] == L'[') {
    line.kind = LineKind::Section;
    line.name = Trim(text.substr(1, text.find(L']') - 1));
  } else if (!text.empty() && text[0] != L';') {
    std::size_t eq = text.find(L'=');
    if (eq == std::wstring::npos) return line;
    line.kind = LineKind::Entry;
    line.name = Trim(text.substr(0, eq));
    line.value = Trim(text.substr(eq + 1));
  }
  return line;
}

std::string NativeOf(const std::string& ansiPath) {
  return headless::NativePath(FromAnsi(ansiPath));
}

// The file's lines without their line breaks (LF or CR LF).
std::vector<std::string> ReadLines(const std::string& ansiPath) {
  std::ifstream in(NativeOf(ansiPath), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t lf = bytes.find('\n', pos);
    std::size_t end = lf == std::string::npos ? bytes.size() : lf;
    std::string line = bytes.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    pos = end + 1;
  }
  return lines;
}

// Where a key stands in the file: its section header, its own line and the
// last non-blank line of its section (-1 for what is not there).
struct Location {
  int section = -1;
  int entry = -1;
  int lastInSection = -1;
  std::wstring value;
};

Location Find(const std::vector<std::string>& lines, const std::string& section,
              const std::string& key) {
  std::wstring wantSection = Trim(FromAnsi(section));
  std::wstring wantKey = Trim(FromAnsi(key));
  Location loc;
  bool inSection = false;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    ParsedLine line = Parse(lines[i]);
    if (line.kind == LineKind::Section) {
      if (loc.section >= 0) break;  // the first matching section counts
      inSection = SameName(line.name, wantSection);
      if (inSection) loc.section = loc.lastInSection = i;
      continue;
    }
    if (!inSection) continue;
    if (!Trim(FromAnsi(lines[i])).empty()) loc.lastInSection = i;
    if (line.kind == LineKind::Entry && loc.entry < 0 &&
        SameName(line.name, wantKey)) {
      loc.entry = i;
      loc.value = line.value;
    }
  }
  return loc;
}

std::wstring Unquote(const std::wstring& v) {
  if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') &&
      v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// The stored value of the key, or nothing when file, section or key is
// missing.
std::optional<std::string> Lookup(const std::string& section,
                                  const std::string& key,
                                  const std::string& path) {
  Location loc = Find(ReadLines(path), section, key);
  if (loc.entry < 0) return std::nullopt;
  return ToAnsi(Unquote(loc.value));
}

// Writes the whole file beside the old one and then replaces it, so a
// failed write never leaves a truncated file.
bool WriteLines(const std::string& ansiPath,
                const std::vector<std::string>& lines) {
  std::string target = NativeOf(ansiPath), temp = target + ".tmp";
  std::ofstream out(temp, std::ios::binary | std::ios::trunc);
  for (const auto& line : lines) out << line << "\r\n";
  out.close();
  if (!out.fail() && std::rename(temp.c_str(), target.c_str()) == 0)
    return true;
  std::remove(temp.c_str());
  return false;
}

}  // namespace

std::string GetPrivateProfileStringA(const std::string& section,
                                     const std::string& key,
                                     const std::string& def, unsigned size,
                                     const std::string& path) {
  if (size == 0) return std::string();
  std::string value = Lookup(section, key, path).value_or(def);
  std::string buffer(size, '\0');
  std::copy_n(value.begin(), std::min<std::size_t>(value.size(), size - 1),
              buffer.begin());
  return buffer;
}

std::int32_t GetPrivateProfileIntA(const std::string& section,
                                   const std::string& key, std::int32_t def,
                                   const std::string& path) {
  auto value = Lookup(section, key, path);
  if (!value) return def;
  std::size_t i = 0;
  bool negative = false;
  if (i < value->size() && ((*value)[i] == '-' || (*value)[i] == '+'))
    negative = (*value)[i++] == '-';
  std::int64_t n = 0;
  for (; i < value->size() && (*value)[i] >= '0' && (*value)[i] <= '9'; ++i)
    n = std::min<std::int64_t>(n * 10 + ((*value)[i] - '0'), 1LL << 32);
  n = negative ? -n : n;
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(n, INT32_MIN, INT32_MAX));
}

bool WritePrivateProfileStringA(const std::string& section,
                                const std::string& key,
                                const std::string& value,
                                const std::string& path) {
  std::vector<std::string> lines = ReadLines(path);
  Location loc = Find(lines, section, key);
  std::string entry = key + "=" + value;
  if (loc.entry >= 0) {
    lines[loc.entry] = entry;
  } else if (loc.section >= 0) {
    lines.insert(lines.begin() + loc.lastInSection + 1, entry);
  } else {
    lines.push_back("[" + section + "]");
    lines.push_back(entry);
  }
  return WriteLines(path, lines);
}

}  // namespace platform
