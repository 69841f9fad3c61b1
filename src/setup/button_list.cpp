// The button list of the first page: five rows of the tag table at a time,
// paged by vscList; a click on a row's cell selects the row and loads its
// button into the input form above. Also the geometry scroll bars, which
// show their value in their number boxes.
#include <algorithm>
#include <string>
#include <vector>

#include "setup/frmSetup.h"
#include "setup/new_button_place.h"
#include "store/modPublic.h"

using namespace modPublic;

namespace {

// The No cell of a blank row reads as this number.
constexpr std::int16_t kNoRow = 9999;
// A new button's width and height, twips: the smallest the form takes.
constexpr std::int16_t kNewButtonSize = 400;

// The grid shows each text on one line: CR LF pairs go, a lone CR or LF
// stays.
std::wstring OnOneLine(const vb::Variant& cell) {
  std::wstring text = vb::CStr(cell);
  for (std::size_t pos = text.find(L"\r\n"); pos != std::wstring::npos;
       pos = text.find(L"\r\n", pos))
    text.erase(pos, 2);
  return text;
}

// Puts a stored size or position on its scroll bar. A value outside the
// bar's range (a hand-edited tag.txt) goes to the nearest end, and its box
// shows what the bar holds, so the user sees the value that "登録" stores.
void ShowGeometry(platform::VScrollBar& bar, platform::TextBox& box,
                  const vb::Variant& cell) {
  const std::int16_t stored = vb::CInt(cell);
  const int shown = std::clamp<int>(stored, std::min(bar.Min(), bar.Max()),
                                    std::max(bar.Min(), bar.Max()));
  bar.SetValue(shown);
  if (shown != stored) box.SetText(std::to_wstring(shown));
}

// The two picture buttons at the bar's top left and every button in use,
// as far as their cells hold numbers.
std::vector<BarBox> TakenOnBar() {
  std::vector<BarBox> taken{{0, 0, 800, 400}};
  for (int r = 0; r < TagCount && RowInUse(r); ++r) {
    try {
      const int left = vb::CInt(TagTable(r, colLeft));
      const int top = vb::CInt(TagTable(r, colTop));
      taken.push_back({left, top, left + vb::CInt(TagTable(r, colWidth)),
                       top + vb::CInt(TagTable(r, colHeight))});
    } catch (const vb::RuntimeError&) {
      // a hand-edited row without numbers covers nothing the form knows
    }
  }
  return taken;
}

// The highest value a scroll bar and the form accept for a place.
int HighestPlace(const platform::VScrollBar& bar, std::int16_t barSize) {
  return std::min<int>({std::max(bar.Min(), bar.Max()), barSize});
}

void ShowValue(platform::TextBox& box, const platform::VScrollBar& bar) {
  box.SetText(std::to_wstring(bar.Value()));
}

}  // namespace

// Max lets the last page show the last four buttons over the empty row
// after them; with up to four buttons the list does not scroll. A lower Max
// moves the thumb up to it, which runs the list's change event.
void frmSetup::SetUpListScrollBar() {
  const std::int16_t pages = vb::Sub16(TagCount, intListCount);
  vscList->SetMax(pages > 0 ? pages : 0);
}

// The paging rule: the row the grid shows first when asked to start at
// `start`.
std::int16_t frmSetup::FirstListRow(std::int16_t start) const {
  if (TagCount <= intListCount) return 0;
  const std::int16_t last = vb::Sub16(TagCount, intListCount);
  return start > last ? last : start;
}

// Shows the list from `start` with the thumb at the first row shown and
// the selected row highlighted. A thumb that moves runs the list's change
// event, which fills the grid and loads the selected button into the form
// again: the callers have it there already.
void frmSetup::ShowListFrom(std::int16_t start) {
  const std::int16_t top = FirstListRow(start);
  if (vscList->Value() != top)
    vscList->SetValue(top);
  else
    FillButtonList(top);
  HighlightListRow(intNowRowNo);
}

void frmSetup::FillButtonList(std::int16_t start) {
  const std::int16_t top = FirstListRow(start);
  for (std::int16_t k = 0; k <= intListCount; ++k) {
    const std::int16_t r = vb::Add16(top, k);
    if (!RowInUse(r)) {
      txtListNo(k).SetText(L"");
      txtListCaption(k).SetText(L"");
      txtListTagS(k).SetText(L"");
      txtListTagE(k).SetText(L"");
    } else {
      txtListNo(k).SetText(vb::CStr(TagTable(r, colNo)));
      txtListCaption(k).SetText(OnOneLine(TagTable(r, colCaption)));
      txtListTagS(k).SetText(OnOneLine(TagTable(r, colTagS)));
      txtListTagE(k).SetText(OnOneLine(TagTable(r, colTagE)));
    }
  }
}

// Loads a button into the input form, or the new-button defaults when there
// is no such row: the smallest size, at a place that covers no other button
// (NewButtonPlace). The number boxes follow their scroll bars.
void frmSetup::LoadInputFields(std::int16_t row) {
  if (row < TagCount) {
    txtInputNo->SetText(vb::CStr(TagTable(row, colNo)));
    txtInputCaption->SetText(vb::CStr(TagTable(row, colCaption)));
    txtInputTagS->SetText(vb::CStr(TagTable(row, colTagS)));
    txtInputTagE->SetText(vb::CStr(TagTable(row, colTagE)));
    txtInputWidth->SetText(vb::CStr(TagTable(row, colWidth)));
    txtInputHeight->SetText(vb::CStr(TagTable(row, colHeight)));
    txtInputTop->SetText(vb::CStr(TagTable(row, colTop)));
    txtInputLeft->SetText(vb::CStr(TagTable(row, colLeft)));
    ShowGeometry(*vscInputWidth, *txtInputWidth, TagTable(row, colWidth));
    ShowGeometry(*vscInputHeight, *txtInputHeight, TagTable(row, colHeight));
    ShowGeometry(*vscInputLeft, *txtInputLeft, TagTable(row, colLeft));
    ShowGeometry(*vscInputTop, *txtInputTop, TagTable(row, colTop));
  } else {
    const BarPlace at =
        NewButtonPlace(TakenOnBar(), kNewButtonSize,
                       HighestPlace(*vscInputLeft, BarClientWidth),
                       HighestPlace(*vscInputTop, BarClientHeight),
                       BarClientWidth, BarClientHeight);
    txtInputNo->SetText(L"");
    txtInputCaption->SetText(L"");
    txtInputTagS->SetText(L"");
    txtInputTagE->SetText(L"");
    txtInputWidth->SetText(std::to_wstring(kNewButtonSize));
    txtInputHeight->SetText(std::to_wstring(kNewButtonSize));
    txtInputTop->SetText(std::to_wstring(at.top));
    txtInputLeft->SetText(std::to_wstring(at.left));
    vscInputWidth->SetValue(kNewButtonSize);
    vscInputHeight->SetValue(kNewButtonSize);
    vscInputLeft->SetValue(at.left);
    vscInputTop->SetValue(at.top);
  }
}

// The row whose No reads `no` shows in the selection colours of the user's
// scheme, every other row in the window colours.
void frmSetup::HighlightListRow(std::int16_t no) {
  using platform::Color;
  const std::wstring text = std::to_wstring(no);
  for (std::int16_t k = 0; k <= intListCount; ++k) {
    const bool selected = txtListNo(k).Text() == text;
    const Color back = Color::System(selected ? platform::kColorHighlight
                                              : platform::kColorWindow);
    const Color fore = Color::System(selected ? platform::kColorCaptionText
                                              : platform::kColorWindowText);
    for (auto* column :
         {&txtListNo, &txtListCaption, &txtListTagS, &txtListTagE}) {
      (*column)(k).SetBackColor(back);
      (*column)(k).SetForeColor(fore);
    }
  }
}

std::int16_t frmSetup::ListRowNo(std::int16_t k) {
  const std::wstring text = txtListNo(k).Text();
  return text.empty() ? kNoRow : vb::CInt(vb::Variant(text));
}

// Selecting a row reloads the form from the table (unsaved edits go) and
// leaves the grid where it is.
void frmSetup::SelectListRow(std::int16_t k) {
  intNowRowNo = ListRowNo(k);
  LoadInputFields(intNowRowNo);
  HighlightListRow(intNowRowNo);
}

// Scrolling keeps the selection: the form shows the selected button even
// when its row is out of view.
void frmSetup::vscList_Change() {
  ErrorTrap(L"リストのスクロールバーを変更した時", [&] {
    FillButtonList(vb::ToInt16(vscList->Value()));
    LoadInputFields(intNowRowNo);
    HighlightListRow(intNowRowNo);
  });
}

void frmSetup::txtListNo_GotFocus(std::int16_t Index) {
  ErrorTrap(L"設定の｢No｣を選択した時", [&] { SelectListRow(Index); });
}

void frmSetup::txtListCaption_GotFocus(std::int16_t Index) {
  ErrorTrap(L"設定の｢ボタン名｣を選択した時", [&] { SelectListRow(Index); });
}

void frmSetup::txtListTagS_GotFocus(std::int16_t Index) {
  ErrorTrap(L"設定の｢開始タグ｣を選択した時", [&] { SelectListRow(Index); });
}

void frmSetup::txtListTagE_GotFocus(std::int16_t Index) {
  ErrorTrap(L"設定の｢終了タグ｣を選択した時", [&] { SelectListRow(Index); });
}

void frmSetup::vscInputWidth_Change() {
  ErrorTrap(L"設定の｢幅｣のスクロールバーを変更した時",
            [&] { ShowValue(*txtInputWidth, *vscInputWidth); });
}

void frmSetup::vscInputHeight_Change() {
  ErrorTrap(L"設定の｢高さ｣のスクロールバーを変更した時",
            [&] { ShowValue(*txtInputHeight, *vscInputHeight); });
}

void frmSetup::vscInputTop_Change() {
  ErrorTrap(L"設定の｢上｣のスクロールバーを変更した時",
            [&] { ShowValue(*txtInputTop, *vscInputTop); });
}

void frmSetup::vscInputLeft_Change() {
  ErrorTrap(L"設定の｢左｣のスクロールバーを変更した時",
            [&] { ShowValue(*txtInputLeft, *vscInputLeft); });
}
