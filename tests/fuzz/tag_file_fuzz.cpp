// Fuzz target for the tag-file reader and writer, held to a model of the
// file of its own (file_model.h for the encodings and line ends, the rows'
// rules below, none of the program's parsing). For any tag.txt (with a
// UTF-8 or UTF-16 mark, or mixed line ends), the model decides whether it
// loads, and:
//  - a file the model refuses does not load: the process ends after the
//    read failure message and a line naming the model's first bad line and
//    what is wrong with it, and the file stays as it was;
//  - a file the model takes loads, shows nothing, and saves to exactly the
//    bytes the model predicts: in the encoding it was taken for, each row
//    numbered by its place, the other numbers rounded to whole numbers,
//    every line break inside a field as "%cr%", a comma as "%cm%", every
//    other byte (those code page 932 lacks included) unchanged, the lines
//    ended as the file ended them (CR LF for code page 932 and where they
//    were mixed), and the mark put back;
//  - the saved file loads again and saves as the model says: to the same
//    bytes, unless the save left nothing that tells its encoding.
//
// A row is "No,Left,Top,Width,Height,Caption,Start tag,End tag"; more
// fields are dropped, fewer refused; at most 31 rows; no empty line, no
// empty caption or start tag. A number is blanks (space or tab), an
// optional sign, digits with an optional fraction (".5" and "1." too),
// blanks; it is read as a double and rounded half to even, so
// "0.50000000000000001", which is 0.5 as a double, rounds to 0; it must
// then lie within 16 bits.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/file_model.h"
#include "fuzz/fuzz_support.h"

namespace {

using fuzz_support::Check;

const wchar_t kReadFailed[] =
    L"データの読み込みに失敗しました。\r\n強制終了します。\r\n";
const int kRows = 31;
const wchar_t* const kNumberNames[] = {L"番号", L"左位置", L"上位置", L"幅",
                                       L"高さ"};

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

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number field's value as a whole number, or nothing where the field is
// not a number. Every character of the grammar is ASCII, and no byte of a
// longer character is, so the field's bytes are read as they are.
std::optional<double> WholeNumber(const std::string& field) {
  std::size_t b = 0, e = field.size();
  while (b < e && IsBlank(field[b])) ++b;
  while (e > b && IsBlank(field[e - 1])) --e;
  const std::string core = field.substr(b, e - b);
  std::size_t i = 0, digits = 0;
  if (i < core.size() && (core[i] == '+' || core[i] == '-')) ++i;
  for (; i < core.size() && IsDigit(core[i]); ++i) ++digits;
  if (i < core.size() && core[i] == '.')
    for (++i; i < core.size() && IsDigit(core[i]); ++i) ++digits;
  if (digits == 0 || i != core.size()) return std::nullopt;
  // nearbyint rounds half to even in the default rounding mode.
  return std::nearbyint(std::strtod(core.c_str(), nullptr));
}

// What is wrong with a line as row n, or nothing; the row's fields
// rewritten as a save writes them into `row`.
std::optional<std::wstring> Row(int n, const std::string& line,
                                std::string& row) {
  if (n >= kRows) return L"ボタンは 31 個までです。";
  if (line.empty()) return L"空の行です。";
  const std::vector<std::string> fields = Split(line, ',');
  if (fields.size() < 8)
    return L"項目が足りません（カンマで区切って 8 項目が必要です）。";
  row = std::to_string(n);
  for (int k = 0; k < 5; ++k) {
    const auto whole = WholeNumber(fields[k]);
    if (!whole)
      return std::wstring(kNumberNames[k]) + L"が数値ではありません。";
    if (!(*whole >= -32768 && *whole <= 32767))
      return std::wstring(kNumberNames[k]) +
             L"が -32768～32767 の範囲を超えています。";
    if (k > 0) row += "," + std::to_string(static_cast<int>(*whole));
  }
  if (fields[5].empty()) return L"ボタン名が空です。";
  if (fields[6].empty()) return L"開始タグが空です。";
  for (int k = 5; k < 8; ++k) {
    std::string f =
        ReplaceAll(ReplaceAll(fields[k], "%cr%", "\r\n"), "%cm%", ",");
    f = ReplaceAll(ReplaceAll(f, "\r\n", "%cr%"), "\r", "%cr%");
    row += "," + ReplaceAll(ReplaceAll(f, "\n", "%cr%"), ",", "%cm%");
  }
  return std::nullopt;
}

// The model's verdict on a file: the saved file, or the message's last
// line ("3 行目: ボタン名が空です。").
struct Verdict {
  bool loads = true;
  std::string saved;
  std::wstring problem;
};

Verdict Judge(const std::string& file) {
  const file_model::Text text = file_model::Read(file);
  const std::vector<std::string> lines = file_model::Lines(text.body);
  std::vector<std::string> rows(lines.size());
  for (std::size_t n = 0; n < lines.size(); ++n) {
    if (const auto problem = Row(static_cast<int>(n), lines[n], rows[n]))
      return {false, "", std::to_wstring(n + 1) + L" 行目: " + *problem};
  }
  return {true, file_model::Write(rows, text), L""};
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
  const Verdict verdict = Judge(file);
  fuzz_support::Reset();
  fuzz_support::WriteFile("tag.txt", file);
  if (!verdict.loads) {
    Check(!Load(), "a file the model refuses does not load");
    Check(MsgBoxes().size() == 1 &&
              MsgBoxes()[0].prompt == kReadFailed + verdict.problem,
          "a refused file ends after the read failure message and the "
          "model's line");
    Check(fuzz_support::ReadFile("tag.txt") == file,
          "a refused file stays as it was");
    return 0;
  }
  Check(Load(), "a file the model takes loads");
  Check(MsgBoxes().empty(), "a loaded file shows no message");
  modPublic::SaveTagFile();
  const std::string saved = fuzz_support::ReadFile("tag.txt");
  Check(saved == verdict.saved, "the save writes back every byte it read");

  const Verdict again = Judge(saved);
  Check(again.loads, "the model takes a saved file");
  fuzz_support::Reset();
  fuzz_support::WriteFile("tag.txt", saved);
  Check(Load(), "a saved file loads");
  modPublic::SaveTagFile();
  const std::string resaved = fuzz_support::ReadFile("tag.txt");
  Check(resaved == again.saved, "a saved file saves as the model says");
  // A UTF-8 file without a mark whose only long sequences were in fields
  // the load drops is plain code page 932 the next time.
  if (file_model::Read(saved).encoding == file_model::Read(file).encoding)
    Check(resaved == saved, "a saved file saves to the same bytes");
  return 0;
}
