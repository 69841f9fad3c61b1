// Fuzz target for the settings-file reader and the key write. For any
// setup.ini (with a UTF-8 or UTF-16 mark, or mixed line ends):
//  - the load's reads never fail: no message, no error, every narrowed
//    integer within 16 bits, and a text read, in the file's encoding, is
//    bytes that stand in the file's body;
//  - one read of the file answers every key exactly as a read of the file
//    for each key does;
//  - writing one key (a value taken from the input) keeps a file's mark,
//    reads back as written and leaves every other key of the load as it
//    read before (where the file is still taken for the same encoding).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "store/text_format.h"

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

// Every key as the load reads it, texts as their bytes in the encoding.
std::vector<std::string> ReadAll(textfile::Encoding encoding) {
  std::vector<std::string> values;
  for (const Key& k : kKeys) {
    if (k.text) {
      values.push_back(textfile::Encode(
          modPublic::ReadIniString(k.section, k.key), encoding));
    } else {
      values.push_back(
          std::to_string(modPublic::ReadIniInteger16(k.section, k.key)));
    }
  }
  return values;
}

// A value that a write stores and a read gives back unchanged: one line, no
// NUL, no blanks at its ends, not in a pair of quotation marks, short.
std::string WritableValue(std::string v) {
  std::string out;
  for (char c : v)
    if (c != '\r' && c != '\n' && c != '\0') out += c;
  out = out.substr(0, 200);
  while (!out.empty() && (out.back() == ' ' || out.back() == '\t'))
    out.pop_back();
  while (!out.empty() && (out.front() == ' ' || out.front() == '\t'))
    out.erase(0, 1);
  if (out.size() >= 2 && (out[0] == '"' || out[0] == '\'') &&
      out.back() == out[0])
    out += 'x';  // a pair of quotation marks is dropped by design
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace modPublic;
  const std::string file(reinterpret_cast<const char*>(data), size);
  fuzz_support::Reset();
  fuzz_support::WriteFile("setup.ini", file);
  const textfile::Format format = textfile::Detect(file);
  const std::string body = textfile::Body(file, format);

  std::vector<std::string> perKey = ReadAll(format.encoding);
  for (std::size_t i = 0; i < kKeys.size(); ++i)
    if (kKeys[i].text && !perKey[i].empty())
      Check(body.find(perKey[i]) != std::string::npos,
            "a text read stands in the file");
  {
    SetupSnapshot oneRead;
    Check(ReadAll(format.encoding) == perKey,
          "one read answers as a read per key");
    ReadPasteSettings();
    ReadTableSettings();
  }
  Check(platform::headless::MsgBoxes().empty(), "reads show no message");
  Check(!PasteKey.empty(), "the paste key is never empty");

  // Write one key, chosen and filled from the input.
  const std::size_t chosen = size ? data[0] % kKeys.size() : 0;
  const std::wstring value =
      textfile::Decode(WritableValue(file.substr(size / 2)), format.encoding);
  WriteIniString(kKeys[chosen].section, kKeys[chosen].key, value);
  const textfile::Format written =
      textfile::Detect(fuzz_support::ReadFile("setup.ini"));
  if (format.encoding == textfile::Encoding::Utf8Bom ||
      format.encoding == textfile::Encoding::Utf16Le)
    Check(written.encoding == format.encoding, "a write keeps the mark");
  if (written.encoding != format.encoding) return 0;
  std::vector<std::string> after = ReadAll(format.encoding);
  for (std::size_t i = 0; i < kKeys.size(); ++i) {
    if (i != chosen) {
      Check(after[i] == perKey[i], "a write leaves the other keys");
    } else if (kKeys[i].text) {
      Check(after[i] == textfile::Encode(value, format.encoding),
            "a written text reads back");
    }
  }
  return 0;
}
