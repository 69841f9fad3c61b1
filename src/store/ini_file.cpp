// The INI reader shared by both platforms.
#include "store/ini_file.h"

#include <algorithm>

#include "store/ansi_text.h"

namespace ini {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

// Where a key stands in the file: its section header, its own line and the
// last non-blank line of its section (-1 for what is not there).
struct Location {
  int section = -1;
  int entry = -1;
  int lastInSection = -1;
};

Location Find(const std::vector<std::string>& lines, const std::string& section,
              const std::string& key) {
  Location loc;
  bool inSection = false;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    Line line = ParseLine(lines[i]);
    if (line.kind == LineKind::Section) {
      if (loc.section >= 0) break;  // the first matching section counts
      inSection = SameName(line.name, section);
      if (inSection) loc.section = loc.lastInSection = i;
      continue;
    }
    if (!inSection) continue;
    if (lines[i].find_first_not_of(" \t") != std::string::npos)
      loc.lastInSection = i;
    if (line.kind == LineKind::Entry && loc.entry < 0 &&
        SameName(line.name, key))
      loc.entry = i;
  }
  return loc;
}

std::string Unquote(const std::string& v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') &&
      v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

}  // namespace

std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t lf = bytes.find('\n', pos);
    std::size_t end = lf == std::string::npos ? bytes.size() : lf;
    std::string line = bytes.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    pos = end + 1;
  }
  return lines;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    std::size_t n = ansi::UnitLength(a, i);
    if (ansi::UnitLength(b, i) != n) return false;
    if (n == 1 ? FoldAscii(a[i]) != FoldAscii(b[i])
               : a.compare(i, n, b, i, n) != 0)
      return false;
    i += n;
  }
  return true;
}

Line ParseLine(const std::string& raw) {
  std::string text = Trim(raw);
  Line line;
  if (text.empty() || text[0] == ';') return line;
  if (text[0] == '[') {
    std::size_t close = 1;
    while (close < text.size() && text[close] != ']')
      close += ansi::UnitLength(text, close);
    line.kind = LineKind::Section;
    line.name = Trim(text.substr(1, close - 1));
    return line;
  }
  // "=" (0x3D) is never a trail byte.
  std::size_t eq = text.find('=');
  if (eq == std::string::npos) return line;
  line.kind = LineKind::Entry;
  line.name = Trim(text.substr(0, eq));
  line.value = Trim(text.substr(eq + 1));
  return line;
}

IniFile::IniFile(const std::string& bytes) {
  Section* current = nullptr;
  for (const std::string& raw : SplitLines(bytes)) {
    Line line = ParseLine(raw);
    if (line.kind == LineKind::Section) {
      sections_.push_back({std::move(line.name), {}});
      current = &sections_.back();
    } else if (line.kind == LineKind::Entry && current) {
      current->entries.push_back({std::move(line.name), std::move(line.value)});
    }
  }
}

std::optional<std::string> IniFile::Value(const std::string& section,
                                          const std::string& key) const {
  const std::string wantSection = Trim(section), wantKey = Trim(key);
  for (const Section& s : sections_) {
    if (!SameName(s.name, wantSection)) continue;
    for (const Entry& e : s.entries)
      if (SameName(e.name, wantKey)) return Unquote(e.value);
    return std::nullopt;  // only the first section of a name counts
  }
  return std::nullopt;
}

std::string IniFile::GetString(const std::string& section,
                               const std::string& key, const std::string& def,
                               unsigned size) const {
  if (size == 0) return std::string();
  std::string value = Value(section, key).value_or(def);
  std::string buffer(size, '\0');
  std::copy_n(value.begin(), std::min<std::size_t>(value.size(), size - 1),
              buffer.begin());
  return buffer;
}

std::int32_t IniFile::GetInt(const std::string& section, const std::string& key,
                             std::int32_t def) const {
  auto value = Value(section, key);
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

}  // namespace ini

namespace ini {

void SetEntry(std::vector<std::string>& lines, const std::string& section,
              const std::string& key, const std::string& value) {
  const Location loc = Find(lines, section, key);
  std::string entry = key + "=" + value;
  if (loc.entry >= 0) {
    lines[loc.entry] = std::move(entry);
  } else if (loc.section >= 0) {
    lines.insert(lines.begin() + loc.lastInSection + 1, std::move(entry));
  } else {
    lines.push_back("[" + section + "]");
    lines.push_back(std::move(entry));
  }
}

bool HasEntry(const std::vector<std::string>& lines, const std::string& section,
              const std::string& key) {
  return Find(lines, section, key).entry >= 0;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

}  // namespace ini
