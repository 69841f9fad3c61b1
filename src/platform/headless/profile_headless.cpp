// The private-profile write of the headless backend, with the system's
// rules: the key's line in its section is replaced, a missing key is added
// after the last non-blank line of its section and a missing section at the
// end of the file; every other line is written back byte for byte. Lines are
// recognised by the same line reader as the reads (store/ini_file.h), so a
// write always changes the line that a read finds.
#include <cstdio>
#include <fstream>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "runtime/vb.h"
#include "store/ini_file.h"

namespace platform {
namespace {

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
    ini::Line line = ini::ParseLine(lines[i]);
    if (line.kind == ini::LineKind::Section) {
      if (loc.section >= 0) break;  // the first matching section counts
      inSection = ini::SameName(line.name, section);
      if (inSection) loc.section = loc.lastInSection = i;
      continue;
    }
    if (!inSection) continue;
    if (lines[i].find_first_not_of(" \t") != std::string::npos)
      loc.lastInSection = i;
    if (line.kind == ini::LineKind::Entry && loc.entry < 0 &&
        ini::SameName(line.name, key))
      loc.entry = i;
  }
  return loc;
}

// Writes the whole file beside the old one and then replaces it, so a
// failed write never leaves a truncated file.
bool WriteLines(const std::string& target,
                const std::vector<std::string>& lines) {
  std::string temp = target + ".tmp";
  std::ofstream out(temp, std::ios::binary | std::ios::trunc);
  for (const auto& line : lines) out << line << "\r\n";
  out.close();
  if (!out.fail() && std::rename(temp.c_str(), target.c_str()) == 0)
    return true;
  std::remove(temp.c_str());
  return false;
}

}  // namespace

bool WriteIniEntry(const std::string& section, const std::string& key,
                   const std::string& value, const std::wstring& path) {
  std::string target = headless::NativePath(path);
  if (headless::IsReadOnly(target)) return false;
  std::vector<std::string> lines;
  if (FileExists(path)) {
    try {
      lines = ini::SplitLines(ReadAllBytes(path));
    } catch (const vb::RuntimeError&) {
      return false;
    }
  }
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
  return WriteLines(target, lines);
}

}  // namespace platform
