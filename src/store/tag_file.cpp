// The tag file tag.txt: one comma-separated line per button row, in code
// page 932 with CR LF line ends; line breaks and commas inside a field are
// escaped as "%cr%" and "%cm%". The file is split into lines on its bytes
// before any decoding, and bytes that the code page does not define are
// carried through memory unchanged (store/ansi_text.h), so a save writes
// back every byte that the load read.

#include "platform/files.h"
#include "platform/system.h"
#include "store/ansi_text.h"
#include "store/modPublic.h"

namespace modPublic {
namespace {

const wchar_t kCrLf[] = L"\r\n";
const wchar_t kPhrase[] = L"データを読み込んだ時";
const wchar_t kEnding[] = L"強制終了します。";

const wchar_t* const kDefaultTagLines[] = {
    L"0,0,400,1200,400,UL,<ul style='list-style-type:square;'>,</ul>",
    L"1,0,800,1200,400,OL,<ol style='list-style-type:upper-alpha; '>,</ol>",
    L"2,0,1200,1200,400,LI,<li>,</li>",
    L"3,0,1600,1200,400,HR,<hr size='1'>,",
    L"4,0,2000,1200,400,IMG,<img src=''>,",
};

// The step a file procedure is in, which decides the message of a failure:
// a fixed message for the stage's main work, the reporter for the rest.
struct Stage {
  const wchar_t* fixedLine1 = nullptr;  // nullptr: report with kPhrase
};

std::wstring ReplaceAll(std::wstring text, const std::wstring& from,
                        const std::wstring& to) {
  for (std::size_t pos = text.find(from); pos != std::wstring::npos;
       pos = text.find(from, pos + to.size()))
    text.replace(pos, from.size(), to);
  return text;
}

[[noreturn]] void FailAndEnd(const Stage& stage, std::int32_t number,
                             const std::wstring& description) {
  if (stage.fixedLine1)
    ReportFixed(stage.fixedLine1, kEnding);
  else
    ReportError(kPhrase, number, description);
  platform::EndProcess();
}

// Runs body; any run-time error reports by the current stage and ends the
// process.
template <class Body>
void RunOrEnd(Stage& stage, Body&& body) {
  CatchRuntimeError(
      body, [&stage](std::int32_t number, const std::wstring& description) {
        FailAndEnd(stage, number, description);
      });
}

void WriteDefaultTagFile(const std::wstring& path, Stage& stage) {
  std::string bytes;
  for (const wchar_t* line : kDefaultTagLines)
    bytes += platform::ToAnsi(std::wstring(line) + kCrLf);
  RetryWhileBusy([&] {
    stage.fixedLine1 = nullptr;
    auto out = platform::OpenOutputFile(path);
    stage.fixedLine1 = L"｢tag.txt｣の作成に失敗しました。";
    out->Write(bytes);
    stage.fixedLine1 = nullptr;
    out->Commit();
  });
}

std::vector<std::wstring> SplitFields(const std::wstring& line) {
  std::vector<std::wstring> fields;
  std::size_t start = 0;
  for (std::size_t comma; (comma = line.find(L',', start)) != line.npos;
       start = comma + 1)
    fields.push_back(line.substr(start, comma - start));
  fields.push_back(line.substr(start));
  return fields;
}

const std::wstring& Field(const std::vector<std::wstring>& fields, int k) {
  if (k >= static_cast<int>(fields.size())) vb::Raise(vb::kSubscript);
  return fields[k];
}

// The No field must be a number, but the row's number is its place in the
// file: the list of the settings dialog and its deletion find a button by
// its No, so a hand-edited file with numbers that do not match their rows
// would select, highlight and delete the wrong buttons.
void StoreRow(int n, const std::wstring& line) {
  std::vector<std::wstring> fields = SplitFields(line);
  for (int k = colNo; k <= colHeight; ++k) {
    auto number = vb::ParseNumber(Field(fields, k));
    if (!number) vb::Raise(vb::kTypeMismatch);
    TagTable(n, k) = vb::ToInt16(*number);
  }
  TagTable(n, colNo) = static_cast<std::int16_t>(n);
  for (int k = colCaption; k <= colTagS; ++k) {
    if (Field(fields, k).empty()) vb::Raise(vb::kInvalidCall);
    TagTable(n, k) = UnescapeField(fields[k]);
  }
  TagTable(n, colTagE) = UnescapeField(Field(fields, colTagE));
}

// Reads line by line on the file's bytes: a line ends at CR, and a LF right
// after it belongs to the line break; a lone LF stays part of the line. A
// file with no CR at all but with LF bytes (saved by an editor that ends
// lines with LF alone) ends its lines at LF instead.
std::int16_t StoreRows(const std::string& bytes) {
  const char lineEnd =
      bytes.find('\r') == bytes.npos && bytes.find('\n') != bytes.npos ? '\n'
                                                                       : '\r';
  std::int16_t n = 0;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t cut = bytes.find(lineEnd, pos);
    std::size_t end = cut == bytes.npos ? bytes.size() : cut;
    StoreRow(n, ansi::Decode(bytes.substr(pos, end - pos)));
    pos = end + 1;
    if (lineEnd == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
    n = vb::Add16(n, 1);
  }
  return n;
}

std::wstring RowLine(int row) {
  std::wstring line;
  for (int col = 0; col < kTagColumns; ++col) {
    if (col > 0) line += L',';
    line += EscapeField(TagTable(row, col));
  }
  return line;
}

}  // namespace

std::wstring UnescapeField(const vb::Variant& value) {
  std::wstring text = ReplaceAll(vb::CStr(value), L"%cr%", kCrLf);
  return ReplaceAll(text, L"%cm%", L",");
}

std::wstring EscapeField(const vb::Variant& value) {
  std::wstring text = ReplaceAll(vb::CStr(value), kCrLf, L"%cr%");
  text = ReplaceAll(text, L"\r", L"%cr%");
  text = ReplaceAll(text, L"\n", L"%cr%");
  return ReplaceAll(text, L",", L"%cm%");
}

void LoadTagFile() {
  Stage stage;
  RunOrEnd(stage, [&] {
    std::wstring path = TagPath();
    if (!platform::FileExists(path)) WriteDefaultTagFile(path, stage);
    std::string bytes = platform::ReadAllBytes(path);
    stage.fixedLine1 = L"データの読み込みに失敗しました。";
    std::int16_t n = StoreRows(bytes);
    stage.fixedLine1 = nullptr;
    TagCount = n;
    TagTableLoaded = true;
  });
}

// The lines are made first (a cell that has no text reports with the
// phrase and ends); the file is then replaced in one step, so a failure
// leaves the previous file as it was, and the user may make the file
// writable again and retry. Cancelling ends the program without any closing
// step; while the session ends there is no one to ask, and the save is given
// up so the other closing saves still run. A table whose load never
// completed is not written at all: it would replace the user's buttons with
// nothing.
void SaveTagFile() {
  if (!TagTableLoaded) return;
  std::string bytes;
  Stage stage;
  RunOrEnd(stage, [&] {
    for (int row = 0; row < TagCount; ++row)
      bytes += ansi::Encode(RowLine(row) + kCrLf);
  });
  const bool saved = SaveFile(
      TagPath(), [&bytes] { return bytes; },
      std::wstring(L"データの書き込みに失敗しました。") + kCrLf +
          L"再試行で保存し直します。キャンセルで強制終了します。");
  if (!saved && !platform::SessionEnding()) platform::EndProcess();
}

}  // namespace modPublic
