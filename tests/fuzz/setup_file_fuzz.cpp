// Fuzz target for the settings-file reader and the key write, held to a
// model of the file's lines of its own (file_model.h for the encodings and
// line ends, the INI rules below). For any setup.ini (with a UTF-8 or
// UTF-16 mark, or mixed line ends):
//  - every key reads as the model reads it from the lines: the value of
//    the key's first line in the first section of that name, blanks around
//    it and one pair of enclosing quotation marks dropped; a text up to a
//    NUL, a number as its leading digits after a sign, held to 16 bits;
//    the load shows no message;
//  - one read of the file answers every key exactly as a read per key;
//  - writing key k with value v (any text without a line break, as the
//    dialog lets through) makes exactly the model's file: the old lines
//    with k's line set to "k=v", or, where k is missing, "k=v" added after
//    the last line of its section that is not blank (a missing section is
//    added at the end), in the file's encoding, mark and line ends; an
//    update of a key where present changes nothing where it is missing;
//  - after the write, every key reads as the model reads the new lines,
//    and k gives back v except for what the file format cannot keep:
//    blanks at its ends and one pair of enclosing quotation marks.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/file_model.h"
#include "fuzz/fuzz_support.h"

namespace {

using fuzz_support::Check;

struct Key {
  const char* section;
  const char* key;
  bool text;
};

const std::array<Key, 24> kKeys = {{
    {"MainForm", "Height", false},   {"MainForm", "Width", false},
    {"MainForm", "Top", false},      {"MainForm", "Left", false},
    {"MainForm", "PShiftKey", true}, {"MainForm", "PKey", true},
    {"MainForm", "GTime", false},    {"MainForm", "Delay0", false},
    {"MainForm", "Delay1", false},   {"Table", "quality", true},
    {"Table", "Visible", false},     {"Table", "Enter", false},
    {"Caption", "quality", true},    {"Caption", "Visible", false},
    {"Caption", "Enter", false},     {"TH", "quality", true},
    {"TH", "Visible", false},        {"TH", "Enter", false},
    {"TR", "quality", true},         {"TR", "Visible", false},
    {"TR", "Enter", false},          {"TD", "quality", true},
    {"TD", "Visible", false},        {"TD", "Enter", false},
}};

// ---- the model's INI rules ------------------------------------------------

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// A name of the file against one the program asks for (always ASCII):
// equal but for the case of ASCII letters. A byte of a longer character
// never equals an ASCII one, so bytes can be compared one by one.
bool SameName(const std::string& inFile, const std::string& asked) {
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
  return inFile.size() == asked.size() &&
         std::equal(inFile.begin(), inFile.end(), asked.begin(),
                    [&](char a, char b) { return fold(a) == fold(b); });
}

// A section header: "[" after any blanks, its name up to "]" or the end.
std::optional<std::string> SectionName(const std::string& line) {
  const std::string t = Trim(line);
  if (t.empty() || t[0] != '[') return std::nullopt;
  const std::size_t close = t.find(']');
  return Trim(close == std::string::npos ? t.substr(1)
                                         : t.substr(1, close - 1));
}

// An entry: a line with "=" that is neither a header nor a comment (";").
struct Entry {
  std::string name, value;
};
std::optional<Entry> EntryOf(const std::string& line) {
  const std::string t = Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '[') return std::nullopt;
  const std::size_t eq = t.find('=');
  if (eq == std::string::npos) return std::nullopt;
  return Entry{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

// Where a key stands: its first section's header, the end of that section
// (the next header), and the key's first line in it (-1: none).
struct Place {
  int header = -1, end = -1, entry = -1;
};
Place Find(const std::vector<std::string>& lines, const Key& k) {
  Place p;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    if (const auto name = SectionName(lines[i])) {
      if (p.header >= 0) {
        p.end = i;
        return p;
      }
      if (SameName(*name, k.section)) p.header = i;
    } else if (p.header >= 0 && p.entry < 0) {
      const auto entry = EntryOf(lines[i]);
      if (entry && SameName(entry->name, k.key)) p.entry = i;
    }
  }
  p.end = static_cast<int>(lines.size());
  return p;
}

// What a read keeps of a stored value: no blanks at its ends, and no pair
// of quotation marks around it.
std::string AsRead(const std::string& stored) {
  std::string v = Trim(stored);
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
    v = v.substr(1, v.size() - 2);
  return v;
}

std::optional<std::string> ValueOf(const std::vector<std::string>& lines,
                                   const Key& k) {
  const Place p = Find(lines, k);
  if (p.entry < 0) return std::nullopt;
  return AsRead(EntryOf(lines[p.entry])->value);
}

// An integer read: the leading digits after an optional sign, 0 where
// there are none or no key, the nearest end of 16 bits beyond them.
int IntegerOf(const std::optional<std::string>& value) {
  if (!value) return 0;
  std::size_t i = 0;
  const bool negative = !value->empty() && (*value)[0] == '-';
  if (!value->empty() && ((*value)[0] == '-' || (*value)[0] == '+')) ++i;
  long long n = 0;
  for (; i < value->size() && (*value)[i] >= '0' && (*value)[i] <= '9'; ++i)
    n = std::min(n * 10 + ((*value)[i] - '0'), 100000LL);
  return static_cast<int>(std::clamp(negative ? -n : n, -32768LL, 32767LL));
}

// The key write: k's line becomes "k=v"; a missing key goes after the last
// line of its section that is not blank; a missing section at the end.
void SetEntry(std::vector<std::string>& lines, const Key& k,
              const std::string& value, bool onlyWherePresent) {
  const Place p = Find(lines, k);
  const std::string line = std::string(k.key) + "=" + value;
  if (p.entry >= 0) {
    lines[p.entry] = line;
  } else if (onlyWherePresent) {
    return;
  } else if (p.header >= 0) {
    int last = p.header;
    for (int i = p.header + 1; i < p.end; ++i)
      if (lines[i].find_first_not_of(" \t") != std::string::npos) last = i;
    lines.insert(lines.begin() + last + 1, line);
  } else {
    lines.push_back("[" + std::string(k.section) + "]");
    lines.push_back(line);
  }
}

// ---- the program's reads --------------------------------------------------

// Every key as the program reads it, and as the model reads it from the
// lines of a file in the encoding.
struct Reads {
  std::vector<std::wstring> texts;
  std::vector<int> integers;
  bool operator==(const Reads& o) const {
    return texts == o.texts && integers == o.integers;
  }
};

// Each key read from `file`, or without one from a read of its own.
Reads ProgramReads(const ini::IniFile* file = nullptr) {
  Reads r;
  for (const Key& k : kKeys) {
    using namespace modPublic;
    r.texts.push_back(!k.text ? L""
                      : file  ? ReadIniString(*file, k.section, k.key)
                              : ReadIniString(k.section, k.key));
    r.integers.push_back(!k.text
                             ? (file ? ReadIniInteger16(*file, k.section, k.key)
                                     : ReadIniInteger16(k.section, k.key))
                             : 0);
  }
  return r;
}

Reads ModelReads(const file_model::Text& file) {
  const std::vector<std::string> lines = file_model::Lines(file.body);
  Reads r;
  for (const Key& k : kKeys) {
    const auto value = ValueOf(lines, k);
    const std::string text =
        value.value_or("").substr(0, value.value_or("").find('\0'));
    r.texts.push_back(
        k.text
            ? textfile::Decode(text, file_model::ProgramEncoding(file.encoding))
            : L"");
    r.integers.push_back(k.text ? 0 : IntegerOf(value));
  }
  return r;
}

// A value the program may write, taken from the input: one line with no
// NUL (no box of the dialog holds either), at most 300 bytes; in a UTF
// file, valid UTF-8 (its non-ASCII bytes are dropped where it is not).
std::string ValueFrom(const std::string& bytes, file_model::Encoding e) {
  std::string v;
  for (char c : bytes.substr(0, 300))
    if (c != '\r' && c != '\n' && c != '\0') v += c;
  if (e == file_model::Encoding::Cp932 || file_model::ValidUtf8(v)) return v;
  v.erase(std::remove_if(v.begin(), v.end(),
                         [](char c) { return (c & 0x80) != 0; }),
          v.end());
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace modPublic;
  const std::string file(reinterpret_cast<const char*>(data), size);
  fuzz_support::Reset();
  fuzz_support::WriteFile("setup.ini", file);
  const file_model::Text model = file_model::Read(file);

  const Reads before = ProgramReads();
  Check(before == ModelReads(model), "every key reads as the model reads it");
  {
    const ini::IniFile oneRead = ReadSetupFile();
    Check(ProgramReads(&oneRead) == before,
          "one read answers as a read per key");
    ReadSettings(oneRead, SetupSaver::kBarClose);
    ReadSettings(oneRead, SetupSaver::kDialogClose);
  }
  Check(platform::headless::MsgBoxes().empty(), "reads show no message");
  Check(!PasteKey.empty(), "the paste key is never empty");

  // Write one key, chosen and filled from the input.
  const std::size_t chosen = size ? data[0] % kKeys.size() : 0;
  const Key& k = kKeys[chosen];
  const bool onlyWherePresent = size > 1 && (data[1] & 1);
  const std::string value = ValueFrom(file.substr(size / 2), model.encoding);
  SetupSave save;
  const std::wstring text =
      textfile::Decode(value, file_model::ProgramEncoding(model.encoding));
  if (onlyWherePresent)
    save.Update(k.section, k.key, text);
  else
    save.Set(k.section, k.key, text);
  Check(save.Commit(), "the write succeeds");

  std::vector<std::string> lines = file_model::Lines(model.body);
  SetEntry(lines, k, value, onlyWherePresent);
  const std::string expected = file_model::Write(lines, model);
  Check(fuzz_support::ReadFile("setup.ini") == expected,
        "the write changes k's line alone, as the model says");

  const file_model::Text written = file_model::Read(expected);
  const Reads after = ProgramReads();
  Check(after == ModelReads(written), "after the write, keys read as modelled");
  if (written.encoding != model.encoding || !ValueOf(lines, k)) return 0;
  for (std::size_t i = 0; i < kKeys.size(); ++i) {
    if (i != chosen) {
      Check(after.texts[i] == before.texts[i] &&
                after.integers[i] == before.integers[i],
            "a write leaves the other keys");
    } else if (k.text) {
      Check(after.texts[i] ==
                textfile::Decode(AsRead(value),
                                 file_model::ProgramEncoding(model.encoding)),
            "a written text reads back but for blanks and quotation marks");
    } else {
      Check(after.integers[i] == IntegerOf(AsRead(value)),
            "a written number reads back");
    }
  }
  return 0;
}
