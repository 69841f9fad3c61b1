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

// The length of the character at text[pos]: a UTF-8 body is walked byte by
// byte (its longer characters hold no ASCII byte to mistake).
std::size_t UnitLength(const std::string& text, std::size_t pos, bool utf8) {
  return utf8 ? 1 : ansi::UnitLength(text, pos);
}

// Where a key stands in the file: its section header, its own line and the
// last non-blank line of its section (-1 for what is not there).
struct Location {
  int section = -1;
  int entry = -1;
  int lastInSection = -1;
};

Location Find(const std::vector<std::string>& lines, const std::string& section,
              const std::string& key, bool utf8) {
  Location loc;
  bool inSection = false;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    Line line = ParseLine(lines[i], utf8);
    if (line.kind == LineKind::Section) {
      if (loc.section >= 0) break;  // the first matching section counts
      inSection = SameName(line.name, section, utf8);
      if (inSection) loc.section = loc.lastInSection = i;
      continue;
    }
    if (!inSection) continue;
    if (lines[i].find_first_not_of(" \t") != std::string::npos)
      loc.lastInSection = i;
    if (line.kind == LineKind::Entry && loc.entry < 0 &&
        SameName(line.name, key, utf8))
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

std::vector<std::string> SplitLines(const std::string& body) {
  return textfile::SplitLines(body);
}

bool SameName(const std::string& a, const std::string& b, bool utf8) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    std::size_t n = UnitLength(a, i, utf8);
    if (UnitLength(b, i, utf8) != n) return false;
    if (n == 1 ? FoldAscii(a[i]) != FoldAscii(b[i])
               : a.compare(i, n, b, i, n) != 0)
      return false;
    i += n;
  }
  return true;
}

Line ParseLine(const std::string& raw, bool utf8) {
  std::string text = Trim(raw);
  Line line;
  if (text.empty() || text[0] == ';') return line;
  if (text[0] == '[') {
    std::size_t close = 1;
    while (close < text.size() && text[close] != ']')
      close += UnitLength(text, close, utf8);
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

IniFile::IniFile(const std::string& fileBytes)
    : format_(textfile::Detect(fileBytes)) {
  const bool utf8 = textfile::StoresAnyCharacter(format_.encoding);
  Section* current = nullptr;
  for (const std::string& raw :
       SplitLines(textfile::Body(fileBytes, format_))) {
    Line line = ParseLine(raw, utf8);
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
  const bool utf8 = textfile::StoresAnyCharacter(format_.encoding);
  for (const Section& s : sections_) {
    if (!SameName(s.name, wantSection, utf8)) continue;
    for (const Entry& e : s.entries)
      if (SameName(e.name, wantKey, utf8)) return Unquote(e.value);
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
              const std::string& key, const std::string& value, bool utf8) {
  const Location loc = Find(lines, section, key, utf8);
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
              const std::string& key, bool utf8) {
  return Find(lines, section, key, utf8).entry >= 0;
}

std::string JoinLines(const std::vector<std::string>& lines,
                      const char* lineBreak) {
  std::string body;
  for (const std::string& line : lines) body += line + lineBreak;
  return body;
}

}  // namespace ini
