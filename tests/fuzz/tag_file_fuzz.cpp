// Fuzz target for the tag-file reader and writer. For any tag.txt:
//  - a file that does not load ends the process after exactly the read
//    failure message, and stays as it was;
//  - a file that loads saves to exactly the bytes that a model working on
//    the file's bytes alone predicts: each row numbered by its place, the
//    other numbers in their decimal form, every
//    line break inside a field as "%cr%", a comma as "%cm%", and every other
//    byte (those the code page lacks included) unchanged;
//  - the saved file loads again and saves to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"

namespace {

using fuzz_support::Check;

const wchar_t kReadFailed[] =
    L"データの読み込みに失敗しました。\r\n強制終了します。";

std::string ReplaceAll(std::string text, const std::string& from,
                       const std::string& to) {
  for (std::size_t pos = text.find(from); pos != std::string::npos;
       pos = text.find(from, pos + to.size()))
    text.replace(pos, from.size(), to);
  return text;
}

std::vector<std::string> Split(const std::string& text, char at) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t cut; (cut = text.find(at, start)) != text.npos;
       start = cut + 1)
    parts.push_back(text.substr(start, cut - start));
  parts.push_back(text.substr(start));
  return parts;
}

// The file's lines: at CR (with a LF after it), or at LF in a file without
// any CR.
std::vector<std::string> Lines(const std::string& bytes) {
  bool lfOnly = bytes.find('\r') == bytes.npos;
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t cut = bytes.find(lfOnly ? '\n' : '\r', pos);
    std::size_t end = cut == bytes.npos ? bytes.size() : cut;
    lines.push_back(bytes.substr(pos, end - pos));
    pos = end + 1;
    if (!lfOnly && pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  return lines;
}

std::string Expected(const std::string& bytes) {
  std::string out;
  int row = 0;
  for (const std::string& line : Lines(bytes)) {
    std::vector<std::string> fields = Split(line, ',');
    Check(fields.size() >= 8, "a loaded line has eight fields");
    for (int k = 0; k < 8; ++k) {
      std::string field = fields[k];
      if (k == 0) {
        Check(vb::ParseNumber(std::wstring(field.begin(), field.end()))
                  .has_value(),
              "a loaded No field is a number");
        field = std::to_string(row++);
      } else if (k < 5) {
        auto n = vb::ParseNumber(std::wstring(field.begin(), field.end()));
        Check(n.has_value(), "a loaded number field is a number");
        field = std::to_string(static_cast<int>(vb::RoundHalfEven(*n)));
      } else {
        field = ReplaceAll(ReplaceAll(field, "%cr%", "\r\n"), "%cm%", ",");
        field = ReplaceAll(ReplaceAll(field, "\r\n", "%cr%"), "\r", "%cr%");
        field = ReplaceAll(ReplaceAll(field, "\n", "%cr%"), ",", "%cm%");
      }
      out += field + (k < 7 ? "," : "\r\n");
    }
  }
  return out;
}

// Loads tag.txt; false when the load ended the process.
bool Load() {
  try {
    modPublic::LoadTagFile();
    return true;
  } catch (const platform::headless::ProcessEnded&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace platform::headless;
  const std::string file(reinterpret_cast<const char*>(data), size);
  fuzz_support::Reset();
  fuzz_support::WriteFile("tag.txt", file);
  if (!Load()) {
    Check(MsgBoxes().size() == 1 && MsgBoxes()[0].prompt == kReadFailed,
          "a refused file ends after the read failure message");
    Check(fuzz_support::ReadFile("tag.txt") == file,
          "a refused file stays as it was");
    return 0;
  }
  Check(MsgBoxes().empty(), "a loaded file shows no message");
  modPublic::SaveTagFile();
  const std::string saved = fuzz_support::ReadFile("tag.txt");
  Check(saved == Expected(file), "the save writes back every byte it read");

  fuzz_support::Reset();
  fuzz_support::WriteFile("tag.txt", saved);
  Check(Load(), "a saved file loads");
  modPublic::SaveTagFile();
  Check(fuzz_support::ReadFile("tag.txt") == saved,
        "a saved file saves to the same bytes");
  return 0;
}
