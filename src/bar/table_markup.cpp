// The table button: asks for the number of columns and rows and pastes an
// empty HTML table skeleton shaped by the table markup settings.
#include "bar/table_markup.h"

#include <string>

#include "bar/frmStrell.h"
#include "store/ansi_text.h"

namespace {

constexpr std::int16_t kMinCount = 1;
constexpr std::int16_t kMaxCount = 100;
const wchar_t kCrLf[] = L"\r\n";
const wchar_t kCellText[] = L"&nbsp;";

struct ElementStyle {
  std::wstring quality;
  bool visible;
  bool enter;
};

ElementStyle StyleOf(const modPublic::CellTable& settings, int element) {
  return {vb::CStr(settings(element, modPublic::propQuality)),
          modPublic::MarkupFlagSet(settings(element, modPublic::propVisible)),
          modPublic::MarkupFlagSet(settings(element, modPublic::propEnter))};
}

std::wstring LineBreakIf(bool enter) { return enter ? kCrLf : L""; }

std::wstring StartTag(const wchar_t* name, const ElementStyle& style) {
  return L"<" + std::wstring(name) + L" " + style.quality + L">";
}

// "<name quality>", the entity and "</name>", each followed by a line
// break when the element's Enter flag is set.
std::wstring Cell(const wchar_t* name, const ElementStyle& style) {
  const std::wstring br = LineBreakIf(style.enter);
  return StartTag(name, style) + br + kCellText + br + L"</" + name + L">" + br;
}

// One row of `cols` cells, wrapped in row tags when TR is visible.
std::wstring Row(const std::wstring& cell, std::int16_t cols,
                 const ElementStyle& tr) {
  std::wstring row;
  const std::wstring br = LineBreakIf(tr.enter);
  const std::wstring start = tr.visible ? StartTag(L"tr", tr) + br : L"";
  const std::wstring end = tr.visible ? L"</tr>" + br : L"";
  row.reserve(start.size() + cell.size() * cols + end.size());
  row += start;
  for (int c = 0; c < cols; ++c) row += cell;
  row += end;
  return row;
}

// A Japanese input method types full-width digits and the ideographic
// space by default; they count as their ASCII forms.
std::wstring NarrowDigitsAndSpaces(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'\uFF10' && c <= L'\uFF19')
      c = static_cast<wchar_t>(L'0' + (c - L'\uFF10'));
    else if (c == L'\u3000')
      c = L' ';
  }
  return text;
}

}  // namespace

std::optional<std::int16_t> AcceptCount(const std::wstring& answer) {
  const std::optional<double> value =
      vb::ParseNumber(NarrowDigitsAndSpaces(answer));
  if (!value) return std::nullopt;
  const double count = vb::RoundHalfEven(*value);
  if (!(count >= kMinCount && count <= kMaxCount)) return std::nullopt;
  return static_cast<std::int16_t>(count);
}

std::wstring BuildTableMarkup(std::int16_t cols, std::int16_t rows,
                              const modPublic::CellTable& settings) {
  const ElementStyle table = StyleOf(settings, modPublic::elTable);
  const ElementStyle caption = StyleOf(settings, modPublic::elCaption);
  const ElementStyle th = StyleOf(settings, modPublic::elTH);
  const ElementStyle tr = StyleOf(settings, modPublic::elTR);
  const ElementStyle td = StyleOf(settings, modPublic::elTD);

  const std::wstring header = th.visible ? Row(Cell(L"th", th), cols, tr) : L"";
  const std::wstring dataRow = Row(Cell(L"td", td), cols, tr);
  const std::wstring tableBreak = LineBreakIf(table.enter);

  std::wstring markup;
  markup.reserve(header.size() + dataRow.size() * (rows > 0 ? rows : 0) + 256 +
                 table.quality.size() + caption.quality.size());
  if (table.visible) markup += StartTag(L"table", table) + tableBreak;
  if (caption.visible) markup += Cell(L"caption", caption);
  markup += header;
  for (int r = 0; r < rows; ++r) markup += dataRow;
  if (table.visible) markup += L"</table>" + tableBreak;
  return markup;
}

// The timer may record an open input box as the target window; the window
// that was in front before the box is put back as soon as it closes.
std::wstring frmStrell::AskKeepingTarget(const std::wstring& prompt,
                                         const std::wstring& title) {
  struct Restore {
    platform::WindowHandle& target;
    platform::WindowHandle saved;
    ~Restore() { target = saved; }
  } restore{TargetWindow, TargetWindow};
  return platform::InputBox(prompt, title);
}

// Asks until the answer is an acceptable count; nothing when the user gave
// an empty answer (or cancelled) in any box.
std::optional<std::int16_t> frmStrell::AskCount(const std::wstring& prompt,
                                                const std::wstring& retryPrompt,
                                                const std::wstring& title) {
  std::wstring answer = AskKeepingTarget(prompt, title);
  while (!answer.empty()) {
    if (const auto count = AcceptCount(answer)) return count;
    answer = AskKeepingTarget(retryPrompt, title);
  }
  return std::nullopt;
}

void frmStrell::cmdTableSet_Click() {
  const Busy busy(*this);
  modPublic::ErrorTrap(L"｢テーブル｣ボタンをクリックした時", [&] {
    const std::wstring range = std::to_wstring(kMinCount) + L"～" +
                               std::to_wstring(kMaxCount) +
                               L"の数字を入力してください。" + kCrLf;
    const std::wstring colsPrompt = L"列の数を入力してください。";
    const std::wstring rowsPrompt = L"行の数を入力してください。";
    const auto cols = AskCount(colsPrompt, range + colsPrompt, L"列数");
    if (!cols) return;
    const auto rows = AskCount(
        rowsPrompt + kCrLf + kCrLf + L"注：｢CAPTION｣｢TH｣は1行に含まれません",
        range + rowsPrompt, L"行数");
    if (!rows) return;
    platform::DoEvents();
    keeper_.BeforePaste(modPublic::RestoreClipboard);
    keeper_.Put(ansi::Readable(
        BuildTableMarkup(*cols, *rows, modPublic::TableMarkupSettings)));
    PasteToTarget();
  });
}
