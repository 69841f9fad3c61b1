// The settings dialog's first page on the headless forms: the button list,
// its paging and selection, registering and deleting, and the bar showing
// the result once the dialog has closed.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bar/frmStrell.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_forms.h"
#include "setup/frmSetup.h"
#include "test_support.h"

namespace {

namespace hl = platform::headless;
using namespace modPublic;
using platform::Color;
using Texts = std::vector<std::wstring>;

// n buttons as tag.txt holds them: button i is "B<i>" at top 400 * (i % 6),
// inside the bar.
std::string TagLines(int n) {
  std::string lines;
  for (int i = 0; i < n; ++i) {
    const std::string s = std::to_string(i);
    lines += s + ",0," + std::to_string(400 * (i % 6)) + ",1200,400,B" + s +
             ",<b" + s + ">,</b" + s + ">\r\n";
  }
  return lines;
}

class SetupButtonsTest : public testing_support::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    hl::ResetForms();
    BarClientWidth = 1200;
    BarClientHeight = 2400;
  }

  void Load(const std::string& tagFile) {
    TagTable.Resize(kButtonSlots, kTagColumns);
    WriteBytes("tag.txt", tagFile);
    LoadTagFile();
  }
  frmSetup& Open(int buttons) {
    Load(TagLines(buttons));
    return OpenLoaded();
  }
  frmSetup& OpenLoaded() {
    d_ = std::make_unique<frmSetup>();
    d_->Form_Load();
    return *d_;
  }

  Texts NoColumn() const {
    Texts t;
    for (platform::TextBox* cell : d_->txtListNo) t.push_back(cell->Text());
    return t;
  }
  // The grid row shown in the selection colours, or -1.
  int HighlightedRow() const {
    int found = -1;
    for (int k = 0; k <= 4; ++k) {
      for (auto* column : {&d_->txtListNo, &d_->txtListCaption,
                           &d_->txtListTagS, &d_->txtListTagE}) {
        const bool on = (*column)(k).BackColor() == Color::System(13) &&
                        (*column)(k).ForeColor() == Color::System(9);
        const bool off = (*column)(k).BackColor() == Color::System(5) &&
                         (*column)(k).ForeColor() == Color::System(8);
        EXPECT_TRUE(on || off) << k;
        if (on) found = k;
      }
    }
    return found;
  }
  Texts Form() const {
    return {d_->txtInputNo->Text(),    d_->txtInputCaption->Text(),
            d_->txtInputTagS->Text(),  d_->txtInputTagE->Text(),
            d_->txtInputWidth->Text(), d_->txtInputHeight->Text(),
            d_->txtInputTop->Text(),   d_->txtInputLeft->Text()};
  }
  Texts Row(int r) const {
    Texts t;
    for (int col = 0; col < kTagColumns; ++col)
      t.push_back(vb::CStr(TagTable(r, col)));
    return t;
  }
  // The blank row of the last page: the form for a new button.
  void SelectNewButton() {
    hl::DragThumb(*d_->vscList, d_->vscList->Max());
    hl::Focus(*d_->txtListNo[4]);
  }
  void FillNewButton() {
    SelectNewButton();
    hl::Retype(*d_->txtInputCaption, L"C");
    hl::Retype(*d_->txtInputTagS, L"<c>");
    hl::Retype(*d_->txtInputTagE, L"</c>");
  }

  std::unique_ptr<frmSetup> d_;
};

// A new button: the smallest size, at `top` and `left`.
Texts NewButton(const wchar_t* top, const wchar_t* left = L"0") {
  return {L"", L"", L"", L"", L"400", L"400", top, left};
}

// Up to four buttons never scroll; from five on, the last position shows the
// last four and the empty row after them, even with all 31 rows in use. A
// new button goes below the picture buttons (400 high) and every button,
// as far down as the bar reaches, beside what lies there already.
TEST_F(SetupButtonsTest, ListPagesFiveRowsAtATime) {
  const struct {
    int buttons, max;
    Texts lastPage;
    std::int16_t barHeight;
    const wchar_t *newTop, *newLeft;
  } cases[] = {
      {0, 0, {L"", L"", L"", L"", L""}, 2400, L"400", L"0"},
      {4, 0, {L"0", L"1", L"2", L"3", L""}, 2400, L"1600", L"0"},
      {5, 1, {L"1", L"2", L"3", L"4", L""}, 2400, L"2000", L"0"},
      {31, 27, {L"27", L"28", L"29", L"30", L""}, 1900, L"1900", L"1200"}};
  for (const auto& c : cases) {
    BarClientHeight = c.barHeight;
    frmSetup& d = Open(c.buttons);
    EXPECT_EQ(d.vscList->Max(), c.max) << c.buttons;
    EXPECT_EQ(HighlightedRow(), c.buttons ? 0 : -1);
    hl::DragThumb(*d.vscList, c.max);
    EXPECT_EQ(NoColumn(), c.lastPage) << c.buttons;
    hl::Focus(*d.txtListNo[4]);
    EXPECT_EQ(Form(), NewButton(c.newTop, c.newLeft)) << c.buttons;
    EXPECT_TRUE(hl::MsgBoxes().empty());
  }
  // A notch of the wheel over the grid or its scroll bar scrolls a row, as
  // an arrow does; parts of a notch add up.
  frmSetup& d = Open(12);
  hl::Scroll(*d.vscList, hl::ScrollAction::LineDown);
  EXPECT_EQ(d.txtListNo(0).Text(), L"1");
  hl::Scroll(*d.vscList, hl::ScrollAction::PageDown);
  EXPECT_EQ(d.txtListNo(0).Text(), L"5");
  hl::Wheel(d.txtListTagE(2), -hl::kWheelDelta);
  hl::Wheel(*d.txtListNo_Caption, -hl::kWheelDelta / 2);
  hl::Wheel(*d.txtListNo_Caption, -hl::kWheelDelta / 2);
  EXPECT_EQ(d.txtListNo(0).Text(), L"7");
  hl::Wheel(*d.vscList, 3 * hl::kWheelDelta);
  EXPECT_EQ(d.txtListNo(0).Text(), L"4");
  EXPECT_EQ(d.vscList->Value(), 4);
}

TEST_F(SetupButtonsTest, SelectionLoadsTheFormAndSurvivesScrolling) {
  Load(TagLines(8));
  TagTable(2, colCaption) = L"a\r\nb";
  TagTable(2, colTagS) = L"x\ny\r\nz";
  frmSetup& d = OpenLoaded();
  hl::Focus(d.txtListTagE(2));
  EXPECT_EQ(d.intNowRowNo, 2);
  EXPECT_EQ(Form(), (Texts{L"2", L"a\r\nb", L"x\ny\r\nz", L"</b2>", L"1200",
                           L"400", L"800", L"0"}));
  EXPECT_EQ(d.txtListCaption(2).Text(), L"ab");
  EXPECT_EQ(d.txtListTagS(2).Text(), L"x\nyz");
  EXPECT_EQ(HighlightedRow(), 2);
  hl::Retype(*d.txtInputCaption, L"unsaved");
  hl::Scroll(*d.vscList, hl::ScrollAction::LineDown);
  EXPECT_EQ(HighlightedRow(), 1);
  EXPECT_EQ(d.txtInputCaption->Text(), L"a\r\nb");
  hl::DragThumb(*d.vscList, 4);
  EXPECT_EQ(HighlightedRow(), -1);
  EXPECT_EQ(d.txtInputNo->Text(), L"2");
  hl::Focus(d.txtListNo(4));  // the blank row after the last button
  EXPECT_EQ(d.intNowRowNo, 9999);
  EXPECT_EQ(Form(), NewButton(L"2400"));
  EXPECT_EQ(HighlightedRow(), -1);
}

// A stored geometry the scroll bars can't take still loads, clamped, and
// the boxes show what "登録" would store.
TEST_F(SetupButtonsTest, OutOfRangeGeometryLoadsClamped) {
  Load("0,-5,25000,50,30000,A,<a>,\r\n");
  frmSetup& d = OpenLoaded();
  EXPECT_TRUE(hl::MsgBoxes().empty());
  EXPECT_EQ(Form(),
            (Texts{L"0", L"A", L"<a>", L"", L"100", L"20000", L"20000", L"0"}));
  EXPECT_EQ(d.vscInputWidth->Value(), 100);
  EXPECT_EQ(d.vscInputTop->Value(), 20000);
}

// Each case spoils one field of a valid new button: by its text (nullptr:
// 256 characters) or, with `drag`, by its scroll bar. A number's error
// focuses its scroll bar (the box is read-only).
TEST_F(SetupButtonsTest, ChecksRunInOrderAndStoreNothing) {
  using F = frmSetup;
  const struct {
    int buttons;
    platform::TextBox* F::*field;
    const wchar_t* text;
    int drag;
    std::wstring message;
  } cases[] = {
      {30, &F::txtInputCaption, L"", 0, L"登録できるボタン数は30までです。"},
      {3, &F::txtInputCaption, L"", 0, L"ボタン名が未入力です"},
      {3, &F::txtInputCaption, nullptr, 0,
       L"ボタン名の文字数が255以上です。255以内にしてください。"},
      {3, &F::txtInputTagS, L"", 0, L"開始タグが未入力です"},
      {3, &F::txtInputTagS, nullptr, 0,
       L"開始タグの文字数が255以上です。255以内にしてください。"},
      {3, &F::txtInputTagE, nullptr, 0,
       L"終了タグの文字数が255以上です。255以内にしてください。"},
      {3, &F::txtInputWidth, L"", 0, L"幅が未入力です"},
      {3, &F::txtInputWidth, L"4OO", 0, L"幅に数字以外が入力されています。"},
      {3, &F::txtInputWidth, L"", 300, L"幅は400～1200の範囲以内です。"},
      {3, &F::txtInputWidth, L"", 1300, L"幅は400～1200の範囲以内です。"},
      {3, &F::txtInputHeight, L"", 0, L"高さが未入力です"},
      {3, &F::txtInputHeight, L"x", 0, L"高さに数字以外が入力されています。"},
      {3, &F::txtInputHeight, L"", 2500, L"高さは400～2400の範囲以内です。"},
      {3, &F::txtInputTop, L"", 0, L"上位置が未入力です"},
      {3, &F::txtInputTop, L"-", 0, L"上位置に数字以外が入力されています。"},
      {3, &F::txtInputTop, L"", 2500, L"上位置は0～2400の範囲以内です。"},
      {3, &F::txtInputLeft, L"", 0, L"左位置が未入力です"},
      {3, &F::txtInputLeft, L"1e3", 0, L"左位置に数字以外が入力されています。"},
      {3, &F::txtInputLeft, L"", 1300, L"左位置は0～1200の範囲以内です。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.buttons << " " << c.drag);
    frmSetup& d = Open(c.buttons);
    FillNewButton();
    platform::TextBox& box = *(d.*c.field);
    platform::VScrollBar* bars[] = {d.vscInputWidth, d.vscInputHeight,
                                    d.vscInputTop, d.vscInputLeft};
    platform::TextBox* boxes[] = {d.txtInputWidth, d.txtInputHeight,
                                  d.txtInputTop, d.txtInputLeft};
    platform::Control* focus = &box;
    for (int i = 0; i < 4; ++i)
      if (boxes[i] == &box) focus = bars[i];
    if (c.drag)
      hl::DragThumb(*static_cast<platform::VScrollBar*>(focus), c.drag);
    else
      box.SetText(c.text ? c.text : std::wstring(256, L'x'));
    hl::PressCommandButton(*d.cmdSave);
    ASSERT_EQ(hl::MsgBoxes().size(), 1u);
    EXPECT_EQ(hl::MsgBoxes()[0].prompt, c.message);
    EXPECT_EQ(hl::MsgBoxes()[0].title, L"入力エラー");
    EXPECT_EQ(hl::MsgBoxes()[0].style, 16);
    EXPECT_EQ(hl::FocusedControl(d.form()), focus);
    EXPECT_EQ(TagCount, c.buttons);
    EXPECT_EQ(d.txtInputNo->Text(), L"");
    EXPECT_TRUE(TagTable(c.buttons, colLeft).IsEmpty());
    hl::MsgBoxes().clear();
  }
}

// Bounds are inclusive; a 30th button is taken, a 31st refused, and the 30
// can still be changed.
TEST_F(SetupButtonsTest, RegisteringUpToThirtyButtons) {
  frmSetup& d = Open(29);
  FillNewButton();
  const std::wstring caption(255, L'c');
  hl::Retype(*d.txtInputCaption, caption);
  hl::Retype(*d.txtInputTagE, L"");
  hl::DragThumb(*d.vscInputWidth, 1200);
  hl::DragThumb(*d.vscInputTop, 2400);
  hl::DragThumb(*d.vscInputLeft, 1200);  // reaches past the bar's edge
  hl::PressCommandButton(*d.cmdSave);
  EXPECT_TRUE(hl::MsgBoxes().empty());
  EXPECT_EQ(TagCount, 30);
  EXPECT_EQ(Row(29), (Texts{L"29", L"1200", L"2400", L"1200", L"400", caption,
                            L"<c>", L""}));
  EXPECT_TRUE(TagTable(29, colNo).IsText());
  EXPECT_EQ(d.txtInputNo->Text(), L"29");

  FillNewButton();
  hl::PressCommandButton(*d.cmdSave);
  ASSERT_EQ(hl::MsgBoxes().size(), 1u);
  EXPECT_EQ(hl::MsgBoxes()[0].prompt, L"登録できるボタン数は30までです。");
  hl::Focus(d.txtListNo(1));
  hl::Retype(*d.txtInputCaption, L"edited");
  hl::PressCommandButton(*d.cmdSave);
  EXPECT_EQ(hl::MsgBoxes().size(), 1u);
  EXPECT_EQ(TagTable(27, colCaption), vb::Variant(L"edited"));
}

// After registering, the grid shows the saved row's page and the list's
// thumb stands at the first row shown.
TEST_F(SetupButtonsTest, RegisteringNewAndExistingButtons) {
  frmSetup& d = Open(6);
  FillNewButton();
  hl::PressCommandButton(*d.cmdSave);
  EXPECT_EQ(TagCount, 7);
  EXPECT_EQ(Row(6), (Texts{L"6", L"0", L"2400", L"400", L"400", L"C", L"<c>",
                           L"</c>"}));
  EXPECT_EQ(d.intNowRowNo, 6);
  EXPECT_EQ(d.vscList->Max(), 3);
  EXPECT_EQ(d.vscList->Value(), 3);
  EXPECT_EQ(NoColumn(), (Texts{L"3", L"4", L"5", L"6", L""}));
  EXPECT_EQ(HighlightedRow(), 3);
  EXPECT_EQ(d.txtInputNo->Text(), L"6");
  hl::Scroll(*d.vscList, hl::ScrollAction::LineUp);
  EXPECT_EQ(NoColumn(), (Texts{L"2", L"3", L"4", L"5", L"6"}));
  hl::Retype(*d.txtInputTagE, L"</C>");  // "登録" again overwrites row 6
  hl::PressCommandButton(*d.cmdSave);
  EXPECT_EQ(TagCount, 7);
  EXPECT_EQ(TagTable(6, colTagE), vb::Variant(L"</C>"));

  hl::DragThumb(*d.vscList, 1);
  hl::Focus(d.txtListCaption(0));  // button 1, then scrolled out of view
  hl::DragThumb(*d.vscList, 3);
  hl::Retype(*d.txtInputCaption, L"one");
  hl::PressCommandButton(*d.cmdSave);
  EXPECT_TRUE(hl::MsgBoxes().empty());
  EXPECT_EQ(TagTable(1, colCaption), vb::Variant(L"one"));
  EXPECT_EQ(TagTable(1, colTop), vb::Variant(L"400"));
  EXPECT_EQ(d.vscList->Value(), 1);
  EXPECT_EQ(d.txtListCaption(0).Text(), L"one");
  EXPECT_EQ(HighlightedRow(), 0);
}

// An existing button passes a size or place it already has, even one the
// form would not take (the bar's keys make sizes down to 100); a changed
// value, and every value of a new button, is checked. A stored value
// outside the scroll bar's range shows clamped and counts as changed.
TEST_F(SetupButtonsTest, AnExistingButtonKeepsItsOwnSizeAndPlace) {
  const struct {
    const char* line;
    int width;  // 0: the width as loaded
    const wchar_t* message;
    const wchar_t* storedWidth;
  } cases[] = {
      {"0,1200,2500,100,100,A,<a>,\r\n", 0, nullptr, L"100"},
      {"0,0,0,100,400,A,<a>,\r\n", 300, L"幅は400～1200の範囲以内です。",
       L"100"},
      {"0,0,0,50,400,A,<a>,\r\n", 0, L"幅は400～1200の範囲以内です。", L"50"},
      {"0,-5,0,400,400,A,<a>,\r\n", 0, nullptr, L"400"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Load(c.line);
    frmSetup& d = OpenLoaded();
    if (c.width) hl::DragThumb(*d.vscInputWidth, c.width);
    hl::Retype(*d.txtInputCaption, L"renamed");
    hl::PressCommandButton(*d.cmdSave);
    ASSERT_EQ(hl::MsgBoxes().size(), c.message ? 1u : 0u);
    if (c.message) EXPECT_EQ(hl::MsgBoxes()[0].prompt, c.message);
    EXPECT_EQ(vb::CStr(TagTable(0, colWidth)), c.storedWidth);
    EXPECT_EQ(TagTable(0, colCaption),
              vb::Variant(c.message ? L"A" : L"renamed"));
    hl::MsgBoxes().clear();
  }
  EXPECT_EQ(TagTable(0, colLeft), vb::Variant(L"0"));
}

// A row that the form can't write (a No outside the table) is reported and
// left whole.
TEST_F(SetupButtonsTest, RegistrationStoresTheWholeRowOrNothing) {
  Load("0,0,0,400,400,A,<a>,\r\n");
  TagTable(0, colNo) = std::int16_t{40};
  frmSetup& d = OpenLoaded();
  hl::Retype(*d.txtInputCaption, L"Z");
  hl::PressCommandButton(*d.cmdSave);
  ASSERT_EQ(hl::MsgBoxes().size(), 1u);
  EXPECT_EQ(hl::MsgBoxes()[0].prompt.rfind(
                L"設定の｢登録｣ボタンのクリック時でエラーが発生しました。", 0),
            0u);
  EXPECT_EQ(Row(0),
            (Texts{L"40", L"0", L"0", L"400", L"400", L"A", L"<a>", L""}));
}

TEST_F(SetupButtonsTest, DeletingClosesTheGap) {
  frmSetup& d = Open(6);
  hl::Focus(d.txtListTagS(2));
  hl::DragThumb(*d.vscList, 2);
  hl::PressCommandButton(*d.cmdDelete);
  EXPECT_EQ(TagCount, 5);
  for (int r = 0; r < 5; ++r) {
    const int was = r < 2 ? r : r + 1;
    EXPECT_EQ(TagTable(r, colNo), vb::Variant(std::int16_t(r)));
    EXPECT_EQ(TagTable(r, colTop), vb::Variant(std::int16_t(400 * was)));
    EXPECT_EQ(TagTable(r, colCaption),
              vb::Variant(L"B" + std::to_wstring(was)));
  }
  EXPECT_TRUE(TagTable(5, colLeft).IsEmpty());
  EXPECT_EQ(d.txtInputNo->Text(), L"0");
  EXPECT_EQ(NoColumn(), (Texts{L"0", L"1", L"2", L"3", L"4"}));
  EXPECT_EQ(HighlightedRow(), 0);
  EXPECT_EQ(d.vscList->Max(), 1);
  hl::DragThumb(*d.vscList, 1);
  EXPECT_EQ(d.txtInputCaption->Text(), L"B0");

  SelectNewButton();  // nothing to delete in the new-button form
  hl::PressCommandButton(*d.cmdDelete);
  EXPECT_EQ(TagCount, 5);

  // A new button moves the grid; a deletion brings it, the thumb and the
  // highlight back to the first button.
  FillNewButton();
  hl::PressCommandButton(*d.cmdSave);
  EXPECT_EQ(d.vscList->Value(), 2);
  hl::AdvanceClock(1000);
  hl::PressCommandButton(*d.cmdDelete);
  EXPECT_EQ(TagCount, 5);
  EXPECT_EQ(d.vscList->Value(), 0);
  EXPECT_EQ(NoColumn(), (Texts{L"0", L"1", L"2", L"3", L"4"}));
  EXPECT_EQ(HighlightedRow(), 0);

  // The second click of a double click, or the key pressed again within the
  // double-click time, finds the next button in the form and does nothing.
  hl::PressCommandButton(*d.cmdDelete);
  EXPECT_EQ(TagCount, 5);
  hl::AdvanceClock(499);
  hl::PressCommandButton(*d.cmdDelete);
  EXPECT_EQ(TagCount, 5);
  hl::AdvanceClock(1);
  hl::PressCommandButton(*d.cmdDelete);
  EXPECT_EQ(TagCount, 4);
  hl::SetDoubleClickTime(0);
  hl::PressCommandButton(*d.cmdDelete);
  EXPECT_EQ(TagCount, 3);

  Open(1);
  hl::PressCommandButton(*d_->cmdDelete);
  EXPECT_EQ(TagCount, 0);
  EXPECT_TRUE(TagTable(0, colLeft).IsEmpty());
  EXPECT_EQ(Form(), NewButton(L"400"));
  EXPECT_EQ(NoColumn(), (Texts{L"", L"", L"", L"", L""}));
  EXPECT_TRUE(hl::MsgBoxes().empty());
}

// A tag.txt written by hand with all 31 rows: the last page and a delete
// work, and the 31st can't be registered again.
TEST_F(SetupButtonsTest, HandWrittenFullTableDeletesAndRefusesMore) {
  frmSetup& d = Open(31);
  FillNewButton();
  hl::PressCommandButton(*d.cmdSave);
  ASSERT_EQ(hl::MsgBoxes().size(), 1u);
  EXPECT_EQ(hl::MsgBoxes()[0].prompt, L"登録できるボタン数は30までです。");
  hl::Focus(d.txtListNo(3));  // button 30 on the last page
  hl::PressCommandButton(*d.cmdDelete);
  EXPECT_EQ(hl::MsgBoxes().size(), 1u);
  EXPECT_EQ(TagCount, 30);
  EXPECT_EQ(TagTable(29, colCaption), vb::Variant(L"B29"));
  EXPECT_TRUE(TagTable(30, colLeft).IsEmpty());
}

// The bar shows new, changed and deleted buttons once the dialog has closed.
TEST_F(SetupButtonsTest, BarShowsTheButtonsAfterTheDialogCloses) {
  frmStrell bar;
  bar.LoadAndShow();  // the five default buttons
  hl::QueueModalScript([](platform::Form& dialog) {
    // The opening loaded button 0 ("UL"): delete it.
    hl::PressCommandButton(*hl::FindCommandButton(dialog, L"削除"));
  });
  hl::PressPictureButton(*bar.cmdSetup);
  EXPECT_EQ(bar.Check[0]->Caption(), L"OL");
  EXPECT_FALSE(bar.Check[4]->Visible());

  frmSetup d;
  hl::QueueModalScript([&](platform::Form&) {
    hl::Focus(d.txtListCaption(1));
    hl::Retype(*d.txtInputCaption, L"li");
    hl::PressCommandButton(*d.cmdSave);
    hl::Focus(d.txtListNo(4));
    hl::Retype(*d.txtInputCaption, L"P");
    hl::Retype(*d.txtInputTagS, L"<p>");
    hl::PressCommandButton(*d.cmdSave);
  });
  d.ShowModal();
  EXPECT_TRUE(hl::MsgBoxes().empty());
  EXPECT_EQ(bar.Check[1]->Caption(), L"li");
  EXPECT_TRUE(bar.Check[4]->Visible());
  EXPECT_EQ(bar.Check[4]->Caption(), L"P");
  EXPECT_EQ(bar.Check[4]->Left(), 0);
  EXPECT_EQ(bar.Check[4]->Top(), 2400);  // below the other four
  const std::string file = ReadBytes("tag.txt");
  const std::string last = "4,0,2400,400,400,P,<p>,\r\n";
  EXPECT_EQ(file.substr(file.size() - last.size()), last);
}

}  // namespace
