// The tag file tag.txt: one comma-separated line per button row; line breaks
// and commas inside a field are escaped as "%cr%" and "%cm%". The program
// writes it in code page 932 with CR LF; a file another program saved in
// UTF-8 or UTF-16 keeps its encoding, mark and line ends
// (store/text_format.h). A line ends at CR LF, CR or LF alike: the program
// never writes a lone CR or LF into a field, so one there is a hand edit's
// line break. Bytes that code page 932 does not define are carried through
// memory unchanged (store/ansi_text.h), so a save writes back every byte
// that the load read.
//
// Another program may change the file while the bar runs: the bar notes the
// file's stamp and the table's bytes at each load and save, so neither a
// hand edit nor the bar's own change is written over unasked.

#include "platform/files.h"
#include "platform/system.h"
#include "store/modPublic.h"

namespace modPublic {
namespace {

const wchar_t kCrLf[] = L"\r\n";
const wchar_t kPhrase[] = L"データを読み込んだ時";
const wchar_t kEnding[] = L"強制終了します。";
const wchar_t kBesideName[] = L"tag.pinrow.txt";

const wchar_t* const kDefaultTagLines[] = {
    L"0,0,400,1200,400,UL,<ul style='list-style-type:square;'>,</ul>",
    L"1,0,800,1200,400,OL,<ol style='list-style-type:upper-alpha; '>,</ol>",
    L"2,0,1200,1200,400,LI,<li>,</li>",
    L"3,0,1600,1200,400,HR,<hr size='1'>,",
    L"4,0,2000,1200,400,IMG,<img src=''>,",
};

// The names of the number fields, for the messages.
const wchar_t* const kNumberNames[] = {L"番号", L"左位置", L"上位置", L"幅",
                                       L"高さ"};

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

// The rows a file holds, or the first line that does not load and why.
struct ParsedTags {
  CellTable table;
  std::int16_t count = 0;
  std::wstring problem;  // "3 行目: ボタン名が空です。"; empty: loaded
};

// Stores one line in row n; what is wrong with it in plain words, or the
// empty text. The No field must be a number, but the row's number is its
// place in the file (NumberRows).
std::wstring StoreRow(CellTable& table, int n, const std::wstring& line) {
  if (n >= table.Rows())
    return L"ボタンは " + std::to_wstring(table.Rows()) + L" 個までです。";
  if (line.empty()) return L"空の行です。";
  const std::vector<std::wstring> fields = SplitFields(line);
  if (fields.size() < kTagColumns)
    return L"項目が足りません（カンマで区切って 8 項目が必要です）。";
  for (int k = colNo; k <= colHeight; ++k) {
    const auto number = vb::ParseNumber(fields[k]);
    if (!number)
      return std::wstring(kNumberNames[k]) + L"が数値ではありません。";
    const double whole = vb::RoundHalfEven(*number);
    if (whole < -32768 || whole > 32767)
      return std::wstring(kNumberNames[k]) +
             L"が -32768～32767 の範囲を超えています。";
    table(n, k) = vb::ToInt16(whole);
  }
  if (fields[colCaption].empty()) return L"ボタン名が空です。";
  if (fields[colTagS].empty()) return L"開始タグが空です。";
  for (int k = colCaption; k <= colTagE; ++k)
    table(n, k) = UnescapeField(fields[k]);
  return L"";
}

ParsedTags ParseTags(const std::string& bytes, const textfile::Format& format) {
  ParsedTags parsed;
  parsed.table.Resize(kButtonSlots, kTagColumns);
  const auto lines = textfile::SplitLines(textfile::Body(bytes, format));
  for (const std::string& line : lines) {
    const std::wstring problem = StoreRow(
        parsed.table, parsed.count, textfile::Decode(line, format.encoding));
    if (!problem.empty()) {
      parsed.problem = std::to_wstring(parsed.count + 1) + L" 行目: " + problem;
      return parsed;
    }
    ++parsed.count;
  }
  NumberRows(parsed.table, parsed.count);
  return parsed;
}

std::wstring RowLine(int row) {
  std::wstring line;
  for (int col = 0; col < kTagColumns; ++col) {
    if (col > 0) line += L',';
    line += EscapeField(TagTable(row, col));
  }
  return line;
}

// The table as a file of tag.txt's format (a cell that has no text raises).
std::string TableBytes() {
  const textfile::Format& format = TagFileNoted.format;
  std::string body;
  for (int row = 0; row < TagCount; ++row)
    body += textfile::Encode(RowLine(row), format.encoding) +
            textfile::LineBreak(format);
  return textfile::FileBytes(body, format);
}

// The table now matches tag.txt as it is on disk.
void NoteTagFile(const textfile::Format& format, std::string tableBytes) {
  TagFileNoted.format = format;
  TagFileNoted.stamp = platform::StampOf(TagPath());
  TagFileNoted.tableBytes = std::move(tableBytes);
  TagFileNoted.reported.reset();
}

void Adopt(ParsedTags& parsed, const textfile::Format& format) {
  TagTable = std::move(parsed.table);
  TagCount = parsed.count;
  TagTableLoaded = true;
  TagFileNoted.format = format;
  NoteTagFile(format, TableBytes());
}

const std::wstring& TagSaveFailure() {
  static const std::wstring text =
      std::wstring(L"データの書き込みに失敗しました。") + kCrLf +
      L"再試行で保存し直します。キャンセルで強制終了します。";
  return text;
}

// Both the bar and another program changed tag.txt: the user decides
// whether the bar's table replaces the file; where no one can be asked, it
// is kept beside the file.
bool OverwriteChangedFile() {
  if (platform::SessionEnding()) return false;
  return platform::MsgBox(
             L"tag.txt はほかのプログラムで変更されています。上書きしますか？",
             platform::kYesNo | platform::kExclamation,
             L"Pinrow") == platform::kIdYes;
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
    const std::string bytes = platform::ReadAllBytes(path);
    const textfile::Format format = textfile::Detect(bytes);
    ParsedTags parsed = ParseTags(bytes, format);
    if (!parsed.problem.empty()) {
      platform::MsgBox(std::wstring(L"データの読み込みに失敗しました。") +
                           kCrLf + kEnding + kCrLf + parsed.problem,
                       platform::kCritical, kErrorTitle);
      platform::EndProcess();
    }
    Adopt(parsed, format);
  });
}

bool ReloadTagFile() {
  std::string bytes;
  try {
    bytes = platform::ReadAllBytes(TagPath());
  } catch (const vb::RuntimeError&) {
    return false;  // gone or held: the next look tries again
  }
  const textfile::Format format = textfile::Detect(bytes);
  ParsedTags parsed = ParseTags(bytes, format);
  if (parsed.problem.empty()) {
    Adopt(parsed, format);
    return true;
  }
  const auto stamp = platform::StampOf(TagPath());
  if (TagFileNoted.reported == stamp) return false;
  TagFileNoted.reported = stamp;
  platform::MsgBox(
      std::wstring(L"ほかのプログラムで変更された tag.txt を読み込めません。"
                   L"いまのボタンをそのまま使います。") +
          kCrLf + parsed.problem,
      platform::kExclamation, kErrorTitle);
  return false;
}

bool TagFileChangedOutside() {
  const auto now = platform::StampOf(TagPath());
  return now && now != TagFileNoted.stamp;
}

bool TagTableChanged() {
  std::string bytes;
  CatchRuntimeError([&] { bytes = TableBytes(); },
                    [](std::int32_t, const std::wstring&) {});
  return bytes != TagFileNoted.tableBytes;
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
  RunOrEnd(stage, [&] { bytes = TableBytes(); });
  std::wstring path = TagPath();
  if (TagFileChangedOutside()) {
    if (bytes == TagFileNoted.tableBytes) return;  // only the file changed
    if (!OverwriteChangedFile()) path = DataFolder() + L"\\" + kBesideName;
  }
  const bool saved = SaveFile(
      path, [&bytes] { return bytes; }, TagSaveFailure());
  if (!saved && !platform::SessionEnding()) platform::EndProcess();
  if (!saved) return;
  if (path == TagPath())
    NoteTagFile(TagFileNoted.format, bytes);
  else
    TagFileNoted.tableBytes = bytes;  // kept beside: nothing left to save
}

}  // namespace modPublic
