// A private-profile (INI) file parsed from its bytes, with the read rules of
// the system's own calls, the same on every platform: section and key names
// match without regard to case, blanks around names and values are ignored,
// a value in a pair of quotation marks loses them, and a missing file,
// section or key gives the caller's default.
//
// The rest is this reader's own choice: lines end at CR LF, CR or LF; a
// line that starts with ";" is a comment; a line without "=" in a section
// is ignored; of sections or keys with the same name the first one counts.
// Letter case is folded for ASCII letters only. Names and values are bytes
// of the file's body (store/text_format.h): code page 932, walked unit by
// unit so a trail byte is never taken for "]" and never changes case, or
// UTF-8, whose longer characters hold no ASCII byte.
//
// One object answers any number of reads from a single read of the file.
// SetEntry applies the system's write rule to the file's lines in memory, so
// one save can set many keys and write the file once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/text_format.h"

namespace ini {

class IniFile {
 public:
  IniFile() = default;  // an empty or missing file
  // The file's bytes, in whichever encoding it has.
  explicit IniFile(const std::string& fileBytes);

  // The file's encoding and line ends; values are bytes of its body.
  const textfile::Format& format() const { return format_; }

  // The key's value, blanks and one pair of quotation marks removed;
  // nothing when the section or the key is missing.
  std::optional<std::string> Value(const std::string& section,
                                   const std::string& key) const;

  // A string read into a buffer of `size` bytes, as the system leaves it:
  // the value (or `def`) cut to size - 1 bytes, then NUL fill.
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& def, unsigned size) const;

  // Leading decimal digits after an optional sign, as a 32-bit value
  // (clamped, never wrapped; no other number forms); `def` when the key is
  // missing, 0 when the value does not start with a number.
  std::int32_t GetInt(const std::string& section, const std::string& key,
                      std::int32_t def) const;

 private:
  struct Entry {
    std::string name, value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  textfile::Format format_;
  std::vector<Section> sections_;
};

// One line of an INI file as the reader sees it.
enum class LineKind { Section, Entry, Other };
struct Line {
  LineKind kind = LineKind::Other;
  std::string name;   // section or key name, trimmed
  std::string value;  // an entry's value, trimmed (quotes kept)
};
// `utf8`: the line is UTF-8 rather than code page 932.
Line ParseLine(const std::string& raw, bool utf8 = false);

// A body's lines without their line breaks.
std::vector<std::string> SplitLines(const std::string& body);

// Names compare equal without regard to the case of ASCII letters.
bool SameName(const std::string& a, const std::string& b, bool utf8 = false);

// Sets one key with the system's write rule: the key's line in the first
// section of that name becomes KEY=VALUE; a missing key is added after the
// last non-blank line of its section, a missing section at the end. Every
// other line stays byte for byte. A later read finds what was set, since
// lines are recognised by the reader's own ParseLine.
void SetEntry(std::vector<std::string>& lines, const std::string& section,
              const std::string& key, const std::string& value,
              bool utf8 = false);

// Whether the lines hold the key in the first section of that name.
bool HasEntry(const std::vector<std::string>& lines, const std::string& section,
              const std::string& key, bool utf8 = false);

// The lines as a body: each followed by the line break.
std::string JoinLines(const std::vector<std::string>& lines,
                      const char* lineBreak = "\r\n");

}  // namespace ini
