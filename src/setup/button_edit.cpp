// Registering and deleting buttons from the input form of the first page.
// Both change the tag table in memory only; closing the dialog saves it.
#include <algorithm>
#include <optional>
#include <string>

#include "setup/frmSetup.h"
#include "store/modPublic.h"

using namespace modPublic;

namespace {

// The longest caption or tag a button takes, in characters.
constexpr std::size_t kMaxTextLength = 255;
// The smallest width and height of a button, twips.
constexpr std::int16_t kMinButtonSize = 400;

// The size or place stored for the button numbered `no`, when its row is in
// use and the cell holds a number.
std::optional<std::int16_t> StoredValue(const std::wstring& no, int column) {
  const std::optional<double> row = vb::ParseNumber(no);
  if (!row || *row < 0 || *row >= TagCount) return std::nullopt;
  const vb::Variant& cell = TagTable(static_cast<int>(*row), column);
  if (cell.IsEmpty()) return std::nullopt;
  try {
    return vb::CInt(cell);
  } catch (const vb::RuntimeError&) {
    return std::nullopt;  // no number, or none a 16-bit cell holds
  }
}

}  // namespace

void frmSetup::ShowInputError(platform::Control& field,
                              const std::wstring& text) {
  platform::MsgBox(text, platform::kCritical, L"入力エラー");
  field.SetFocus();
}

// Runs the checks in order; the first that fails tells the user and puts
// the focus on its field.
bool frmSetup::InputIsValid() {
  if (txtInputNo->Text().empty() && TagCount >= MaxButtonIndex) {
    ShowInputError(*txtInputCaption, L"登録できるボタン数は" +
                                         std::to_wstring(MaxButtonIndex) +
                                         L"までです。");
    return false;
  }

  const std::wstring limit = std::to_wstring(kMaxTextLength);
  struct TextField {
    platform::TextBox* box;
    const wchar_t* name;
    bool required;
  } const texts[] = {
      {txtInputCaption, L"ボタン名", true},
      {txtInputTagS, L"開始タグ", true},
      {txtInputTagE, L"終了タグ", false},
  };
  for (const TextField& f : texts) {
    const std::wstring text = f.box->Text();
    if (f.required && text.empty()) {
      ShowInputError(*f.box, f.name + std::wstring(L"が未入力です"));
      return false;
    }
    if (text.size() > kMaxTextLength) {
      ShowInputError(*f.box, f.name + std::wstring(L"の文字数が") + limit +
                                 L"以上です。" + limit +
                                 L"以内にしてください。");
      return false;
    }
  }

  // Bounds are inclusive. Left and width are checked apart, so a button may
  // reach past the bar's edge. The keyboard reaches a value through its
  // scroll bar (the number box is read-only), so an error focuses that.
  struct NumberField {
    platform::TextBox* box;
    platform::VScrollBar* bar;
    int column;
    const wchar_t* name;
    std::int16_t low, high;
  } const numbers[] = {
      {txtInputWidth, vscInputWidth, colWidth, L"幅", kMinButtonSize,
       BarClientWidth},
      {txtInputHeight, vscInputHeight, colHeight, L"高さ", kMinButtonSize,
       BarClientHeight},
      {txtInputTop, vscInputTop, colTop, L"上位置", 0, BarClientHeight},
      {txtInputLeft, vscInputLeft, colLeft, L"左位置", 0, BarClientWidth},
  };
  const std::wstring no = txtInputNo->Text();
  for (const NumberField& f : numbers) {
    const std::wstring text = f.box->Text();
    if (text.empty()) {
      ShowInputError(*f.bar, f.name + std::wstring(L"が未入力です"));
      return false;
    }
    if (!vb::ParseNumber(text)) {
      ShowInputError(*f.bar,
                     f.name + std::wstring(L"に数字以外が入力されています。"));
      return false;
    }
    const std::int16_t value = vb::CInt(vb::Variant(text));
    // An existing button keeps a size or place it has, such as a size the
    // bar's keys made smaller than the form offers.
    if (!no.empty() && StoredValue(no, f.column) == value) continue;
    if (value > f.high || value < f.low) {
      ShowInputError(*f.bar, f.name + std::wstring(L"は") +
                                 std::to_wstring(f.low) + L"～" +
                                 std::to_wstring(f.high) + L"の範囲以内です。");
      return false;
    }
  }
  return true;
}

// Whether a deletion ended within the double-click time: the second click
// of a double click on "削除" (or the key pressed again at once) would
// delete the button the form shows next.
bool frmSetup::JustDeleted() const {
  if (!deletedAt_) return false;
  const std::uint64_t since = platform::TickCount() - *deletedAt_;
  return since <
         static_cast<std::uint64_t>(std::max(0, platform::DoubleClickTime()));
}

// Adds a new button after the last one, or overwrites the button in the
// form (StoreTagRow stores the whole row or nothing).
void frmSetup::cmdSave_Click() {
  ErrorTrap(L"設定の｢登録｣ボタンのクリック時", [&] {
    if (!InputIsValid()) return;
    const bool isNew = txtInputNo->Text().empty();
    const std::int16_t row = StoreTagRow({
        txtInputNo->Text(),
        txtInputLeft->Text(),
        txtInputTop->Text(),
        txtInputWidth->Text(),
        txtInputHeight->Text(),
        txtInputCaption->Text(),
        txtInputTagS->Text(),
        txtInputTagE->Text(),
    });
    if (isNew) txtInputNo->SetText(vb::CStr(TagTable(row, colNo)));
    intNowRowNo = row;
    // The list shows the saved button's row first, thumb and grid alike.
    if (isNew) SetUpListScrollBar();
    ShowListFrom(intNowRowNo);
  });
}

// Removes the button in the form (DeleteTagRow closes the gap). There is no
// question first.
void frmSetup::cmdDelete_Click() {
  ErrorTrap(L"設定の｢削除｣ボタンのクリック時", [&] {
    if (JustDeleted() || txtInputNo->Text().empty()) return;
    DeleteTagRow(vb::CInt(vb::Variant(txtInputNo->Text())));

    // The first button goes into the form and the list shows it from the
    // top, highlighted; the thumb goes there too.
    intNowRowNo = 0;
    vscList->SetMin(0);
    SetUpListScrollBar();
    LoadInputFields(intNowRowNo);
    ShowListFrom(intNowRowNo);
    deletedAt_ = platform::TickCount();
  });
}
