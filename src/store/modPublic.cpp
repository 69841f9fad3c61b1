// The shared module's start values, its table type and the readings of its
// flags, paths and the error reporter.
#include "store/modPublic.h"

#include <optional>

#include "platform/files.h"
#include "platform/system.h"

namespace modPublic {

namespace {
const wchar_t kCrLf[] = L"\r\n";
}  // namespace

const std::array<const char*, 5> kTableSections = {"Table", "Caption", "TH",
                                                   "TR", "TD"};

// A flag is set only when its value, as a whole number, is -1. A text that
// is no number at all counts as not set rather than stopping the press.
bool MarkupFlagSet(const vb::Variant& cell) {
  if (cell.IsNumber()) return cell.Number() == -1;
  if (!cell.IsText()) return false;
  const std::optional<double> value = vb::ParseNumber(cell.Text());
  return value && vb::RoundHalfEven(*value) == -1;
}

// A flag is set only when its cell holds -1, as a number (read from the
// file) or as the text the dialog stores.
bool DialogFlagSet(const vb::Variant& cell) {
  return (cell.IsNumber() && cell.Number() == -1) ||
         (cell.IsText() && cell.Text() == L"-1");
}

void ResetSharedState() {
  TagTable.Resize(kButtonSlots, kTagColumns);
  TagCount = 0;
  TagTableLoaded = false;
  BarClientWidth = BarClientHeight = 0;
  MaxButtonRight = MaxButtonBottom = 0;
  PasteShiftKey = 0;
  PasteKey.clear();
  GetWindowTime = 0;
  Delay[0] = Delay[1] = 0;
  BarTopMost = WrapSelection = RestoreClipboard = HotKeys = false;
  TableMarkupSettings.Resize(kTableSections.size(), 3);
  DataFolderPath.clear();
  TagFileNoted = TagFileNote();
  SetupFileFormat = textfile::Format();
}

void CellTable::Resize(int rows, int cols) {
  rows_ = rows;
  cols_ = cols;
  cells_.assign(static_cast<std::size_t>(rows) * cols, vb::Variant());
}

vb::Variant& CellTable::operator()(int row, int col) {
  const CellTable& self = *this;
  return const_cast<vb::Variant&>(self(row, col));
}

const vb::Variant& CellTable::operator()(int row, int col) const {
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_)
    vb::Raise(vb::kSubscript);
  return cells_[static_cast<std::size_t>(row) * cols_ + col];
}

std::wstring DataFolder() {
  return DataFolderPath.empty() ? platform::AppPath() : DataFolderPath;
}
std::wstring TagPath() { return DataFolder() + L"\\tag.txt"; }
std::wstring IniPath() { return DataFolder() + L"\\setup.ini"; }

void ReportError(const std::wstring& phrase, std::int32_t number,
                 const std::wstring& description) {
  std::wstring text = phrase + L"でエラーが発生しました。" + kCrLf +
                      description + L"(No." + std::to_wstring(number) + L")" +
                      kCrLf;
  platform::MsgBox(text, platform::kCritical, kErrorTitle);
}

void ReportFixed(const std::wstring& line1, const std::wstring& line2) {
  platform::MsgBox(line1 + kCrLf + line2, platform::kCritical, kErrorTitle);
}

}  // namespace modPublic
