// The settings dialog under seeded random use on the headless forms: rows
// selected, the list scrolled, texts typed and pasted, sizes changed,
// buttons registered and deleted (double clicks too), the dialog closed and
// opened again, the bar's tag and table buttons pressed into an editor, the
// bar closed and started again. A simple model of the table says what each
// action must do; a press must paste the tag the model's row holds; after
// every close tag.txt must load and equal the model, no run-time error box
// may have shown and no key the pastes pressed may be left down.
//
// 10,000 actions by default; PINROW_DIALOG_ACTIONS=1000000 runs a million,
// PINROW_DIALOG_SEED another seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <random>
#include <sstream>
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

constexpr int kNew = -1;  // the model's selection of the new-button form
constexpr int kDoubleClickMs = 500;
constexpr platform::WindowHandle kEditor = 0x777;  // where presses paste

unsigned long EnvNumber(const char* name, unsigned long fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

std::wstring WithCrLf(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\r' && text[i] != L'\n') {
      out += text[i];
      continue;
    }
    out += L"\r\n";
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
  }
  return out;
}

// A button as the model keeps it.
struct Row {
  int left, top, width, height;
  std::wstring caption, tagS, tagE;
};

class SetupRandomTest : public testing_support::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    hl::ResetForms();
    hl::SetDoubleClickTime(kDoubleClickMs);
    StartBar();
    firstWidth_ = BarClientWidth;
    firstHeight_ = BarClientHeight;
    for (int r = 0; r < TagCount; ++r)
      model_.push_back(
          {vb::CInt(TagTable(r, colLeft)), vb::CInt(TagTable(r, colTop)),
           vb::CInt(TagTable(r, colWidth)), vb::CInt(TagTable(r, colHeight)),
           vb::CStr(TagTable(r, colCaption)), vb::CStr(TagTable(r, colTagS)),
           vb::CStr(TagTable(r, colTagE))});
    hl::AddWindow(kEditor);
    OpenDialog();
  }

  // ---- the program ---------------------------------------------------------

  void StartBar() {
    bar_ = std::make_unique<frmStrell>();
    bar_->LoadAndShow();
  }
  void OpenDialog() {
    d_ = std::make_unique<frmSetup>();
    d_->Form_Load();
    sel_ = model_.empty() ? kNew : 0;
    top_ = 0;
    loaded_ = true;
    deletedAt_ = -1;  // each opening starts afresh
  }
  void CloseDialog() {
    d_->form().Close();
    d_.reset();
    CheckAfterClose();
  }
  void CloseBar() {
    CloseDialog();
    bar_->form().Close();
    bar_.reset();
    CheckAfterClose();
    StartBar();
    OpenDialog();
  }

  // ---- the model -----------------------------------------------------------

  int Count() const { return static_cast<int>(model_.size()); }
  int MaxTop() const { return std::max(0, Count() - 4); }
  int FirstRow(int start) const {
    return Count() <= 4 ? 0 : std::min(start, Count() - 4);
  }
  bool JustDeleted() const {
    return deletedAt_ >= 0 && now_ - deletedAt_ < kDoubleClickMs;
  }
  // Whether a new button at left, top would cover the picture buttons or a
  // button of the model.
  bool Covered(int left, int top) const {
    const auto over = [&](int l, int t, int w, int h) {
      return left < l + w && l < left + 400 && top < t + h && t < top + 400;
    };
    if (over(0, 0, 800, 400)) return true;
    for (const Row& r : model_)
      if (over(r.left, r.top, r.width, r.height)) return true;
    return false;
  }

  // Whether "登録" takes the form, as the checks in their order say.
  bool Takes() const {
    const bool isNew = sel_ == kNew;
    if (isNew && Count() >= 30) return false;
    for (platform::TextBox* box : {d_->txtInputCaption, d_->txtInputTagS}) {
      if (box->Text().empty() || box->Text().size() > 255) return false;
    }
    if (d_->txtInputTagE->Text().size() > 255) return false;
    const Row* stored = isNew ? nullptr : &model_[sel_];
    const struct {
      platform::TextBox* box;
      int low, high, stored;
    } numbers[] = {
        {d_->txtInputWidth, 400, BarClientWidth, stored ? stored->width : 0},
        {d_->txtInputHeight, 400, BarClientHeight, stored ? stored->height : 0},
        {d_->txtInputTop, 0, BarClientHeight, stored ? stored->top : 0},
        {d_->txtInputLeft, 0, BarClientWidth, stored ? stored->left : 0},
    };
    for (const auto& n : numbers) {
      const int value = std::stoi(n.box->Text());
      if (stored && value == n.stored) continue;
      if (value < n.low || value > n.high) return false;
    }
    return true;
  }

  Row FormRow() const {
    return {std::stoi(d_->txtInputLeft->Text()),
            std::stoi(d_->txtInputTop->Text()),
            std::stoi(d_->txtInputWidth->Text()),
            std::stoi(d_->txtInputHeight->Text()),
            d_->txtInputCaption->Text(),
            d_->txtInputTagS->Text(),
            d_->txtInputTagE->Text()};
  }

  // ---- checks --------------------------------------------------------------

  // The grid shows the model's rows from its first row, the thumb stands
  // there, and the form holds the selected button (or a new one, in the
  // new-button place when it was just loaded).
  void CheckDialog(bool loaded) {
    ASSERT_EQ(d_->vscList->Value(), top_);
    ASSERT_EQ(d_->vscList->Max(), MaxTop());
    for (int k = 0; k < 5; ++k) {
      const int r = top_ + k;
      ASSERT_EQ(d_->txtListNo(k).Text(),
                r < Count() ? std::to_wstring(r) : std::wstring());
      ASSERT_EQ(d_->txtListNo(k).BackColor(),
                platform::Color::System(r == sel_ ? platform::kColorHighlight
                                                  : platform::kColorWindow));
    }
    if (sel_ == kNew) {
      ASSERT_EQ(d_->txtInputNo->Text(), L"");
      if (loaded) CheckNewPlace();
    } else {
      ASSERT_EQ(d_->txtInputNo->Text(), std::to_wstring(sel_));
    }
  }

  // A new button is proposed on the grid, where the form takes it, and
  // over no button while any such place is free.
  void CheckNewPlace() {
    const int left = std::stoi(d_->txtInputLeft->Text());
    const int top = std::stoi(d_->txtInputTop->Text());
    const int maxLeft = std::min<int>(BarClientWidth, 20000);
    const int maxTop = std::min<int>(BarClientHeight, 20000);
    ASSERT_EQ(left % 100, 0);
    ASSERT_EQ(top % 100, 0);
    ASSERT_TRUE(left >= 0 && left <= std::max(0, maxLeft)) << left;
    ASSERT_TRUE(top >= 0 && top <= std::max(0, maxTop)) << top;
    if (!Covered(left, top)) return;
    for (int t = 0; t <= maxTop; t += 100)
      for (int l = 0; l <= maxLeft; l += 100)
        ASSERT_TRUE(Covered(l, t)) << "free at " << l << "," << t;
  }

  // What is in the boxes: caption and tags read back from tag.txt as they
  // are, an attribute fits setup.ini on one line.
  void CheckBoxes() {
    for (platform::TextBox* box :
         {d_->txtInputCaption, d_->txtInputTagS, d_->txtInputTagE}) {
      ASSERT_EQ(WithCrLf(UnescapeField(EscapeField(box->Text()))),
                WithCrLf(box->Text()));
    }
    for (platform::TextBox* box : d_->txtQuality) {
      ASSERT_LE(platform::ToAnsi(box->Text()).size(), 255u);
      ASSERT_EQ(box->Text().find_first_of(L"\r\n"), std::wstring::npos);
    }
  }

  void CheckAfterClose() {
    for (const hl::MsgBoxCall& box : hl::MsgBoxes())
      ASSERT_EQ(box.title, L"入力エラー") << box.prompt;
    hl::MsgBoxes().clear();
    ASSERT_EQ(hl::LiveForms().size(), bar_ ? 1u : 0u);
    ASSERT_EQ(EntryCount(), 2);  // tag.txt and setup.ini, no temporary file
    std::map<std::wstring, int> down;
    for (const std::wstring& line : hl::Log()) {
      std::wistringstream in(line);
      std::wstring what, vk, direction;
      if (!(in >> what) || what != L"SendKeys") continue;
      while (in >> vk >> direction) down[vk] += direction == L"up" ? -1 : 1;
    }
    for (const auto& [vk, n] : down) ASSERT_EQ(n, 0) << vk;
    hl::Log().clear();

    // tag.txt loads and equals the model; the table in memory stays.
    const CellTable kept = TagTable;
    const std::int16_t keptCount = TagCount;
    TagTable.Resize(kButtonSlots, kTagColumns);
    try {
      LoadTagFile();
    } catch (const hl::ProcessEnded&) {
      FAIL() << "tag.txt does not load";
    }
    ASSERT_EQ(TagCount, Count());
    for (int r = 0; r < Count(); ++r) {
      const Row& m = model_[r];
      ASSERT_EQ(vb::CInt(TagTable(r, colNo)), r);
      ASSERT_EQ(vb::CInt(TagTable(r, colLeft)), m.left);
      ASSERT_EQ(vb::CInt(TagTable(r, colTop)), m.top);
      ASSERT_EQ(vb::CInt(TagTable(r, colWidth)), m.width);
      ASSERT_EQ(vb::CInt(TagTable(r, colHeight)), m.height);
      ASSERT_EQ(vb::CStr(TagTable(r, colCaption)), WithCrLf(m.caption));
      ASSERT_EQ(vb::CStr(TagTable(r, colTagS)), WithCrLf(m.tagS));
      ASSERT_EQ(vb::CStr(TagTable(r, colTagE)), WithCrLf(m.tagE));
    }
    TagTable = kept;
    TagCount = keptCount;
    ++closes_;
  }

  // ---- random input --------------------------------------------------------

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  // Text from pieces that try the escapes, the code page, the limits and,
  // but for the caption, line breaks (the caption's box, single-line in the
  // window system, takes none from the keyboard or the clipboard).
  std::wstring SomeText(bool multiLine) {
    static const wchar_t* const pieces[] = {
        L"%",  L"c",  L"m",   L"r",      L",",  L"a",    L"<",  L">", L" ",
        L"\"", L"日", L"%cm", L"\u00e9", L"r%", L"\r\n", L"\r", L"\n"};
    if (Pick(40) == 0) return std::wstring(200 + Pick(120), L"x表"[Pick(2)]);
    const int kinds = static_cast<int>(std::size(pieces)) - (multiLine ? 0 : 3);
    std::wstring text;
    for (int n = Pick(9); n > 0; --n) text += pieces[Pick(kinds)];
    return text;
  }

  platform::TextBox& SomeGridCell(int k) {
    platform::ControlArray<platform::TextBox>* columns[] = {
        &d_->txtListNo, &d_->txtListCaption, &d_->txtListTagS,
        &d_->txtListTagE};
    return (*columns[Pick(4)])(k);
  }

  // ---- the actions ---------------------------------------------------------

  // A click on a cell that has the focus already selects nothing anew. A
  // half of the time the blank row after the last button: a new one.
  void SelectRow() {
    const bool blank = Pick(2) == 0;
    if (blank && top_ != MaxTop()) {
      hl::DragThumb(*d_->vscList, MaxTop());
      top_ = MaxTop();
    }
    const int k = blank ? 4 : Pick(5);
    platform::TextBox& cell = SomeGridCell(k);
    if (hl::FocusedControl(d_->form()) == &cell) return;
    hl::Focus(cell);
    sel_ = top_ + k < Count() ? top_ + k : kNew;
    loaded_ = true;
  }

  // Arrows, the track, the thumb, or the wheel (up is the up arrow) over
  // the grid or its scroll bar.
  void ScrollList() {
    using A = hl::ScrollAction;
    int want = top_;
    const int notches = Pick(7) - 3;
    switch (Pick(4)) {
      case 0: {
        const auto a = static_cast<A>(Pick(4));
        hl::Scroll(*d_->vscList, a);
        const int step = a == A::LineUp || a == A::LineDown ? 1 : 4;
        want += a == A::LineDown || a == A::PageDown ? step : -step;
        break;
      }
      case 1:
        want = Pick(MaxTop() + 1);
        hl::DragThumb(*d_->vscList, want);
        break;
      case 2:
        hl::Wheel(SomeGridCell(Pick(5)), notches * hl::kWheelDelta);
        want -= notches;
        break;
      default:
        hl::Wheel(*d_->vscList, notches * hl::kWheelDelta);
        want -= notches;
    }
    want = std::clamp(want, 0, MaxTop());
    loaded_ = want != top_;  // a moved list loads the form again
    top_ = want;
  }

  void EditText() {
    platform::TextBox* boxes[] = {d_->txtInputCaption, d_->txtInputTagS,
                                  d_->txtInputTagE};
    platform::TextBox& box = *boxes[Pick(3)];
    const std::wstring text = SomeText(&box != d_->txtInputCaption);
    switch (Pick(3)) {
      case 0:
        hl::Type(box, text);
        break;
      case 1:
        hl::Paste(box, text);
        break;
      default:
        hl::Retype(box, text);
    }
  }

  void EditAttribute() {
    hl::ClickTab(*d_->SSTab1, 1);
    platform::TextBox& box = d_->txtQuality(Pick(5));
    if (Pick(4) == 0) box.SetText(L"");
    (Pick(2) ? hl::Paste : hl::Type)(box, SomeText(true));
    hl::ClickTab(*d_->SSTab1, 0);
  }

  void ChangeGeometry() {
    platform::VScrollBar* bars[] = {d_->vscInputWidth, d_->vscInputHeight,
                                    d_->vscInputTop, d_->vscInputLeft};
    platform::TextBox* boxes[] = {d_->txtInputWidth, d_->txtInputHeight,
                                  d_->txtInputTop, d_->txtInputLeft};
    const int i = Pick(4);
    // About the bar's first size, where the bounds are: buttons further
    // down or right would grow the bar at every start, without end.
    const int near = i == 0 || i == 3 ? firstWidth_ : firstHeight_;
    switch (Pick(3)) {
      case 0:
        hl::DragThumb(*bars[i], Pick(near + 300));
        break;
      case 1:
        hl::Wheel(*boxes[i], (Pick(9) - 4) * hl::kWheelDelta);
        break;
      default:
        hl::Scroll(*bars[i], static_cast<hl::ScrollAction>(Pick(4)));
    }
  }

  // Half the time with a caption and a start tag, as a user would.
  void Register() {
    for (platform::TextBox* box : {d_->txtInputCaption, d_->txtInputTagS})
      if (box->Text().empty() && Pick(2)) hl::Type(*box, L"<b>");
    const bool takes = Takes();
    const Row row = FormRow();
    const std::size_t boxes = hl::MsgBoxes().size();
    hl::PressCommandButton(*d_->cmdSave);
    ASSERT_EQ(hl::MsgBoxes().size(), boxes + (takes ? 0 : 1));
    ++(takes ? tally_.registered : tally_.refused);
    if (!takes) return;
    if (sel_ == kNew) {
      model_.push_back(row);
      sel_ = Count() - 1;
    } else {
      model_[sel_] = row;
    }
    top_ = FirstRow(sel_);
  }

  void Delete() {
    const bool deletes = !JustDeleted() && sel_ != kNew;
    if (JustDeleted() && sel_ != kNew) ++tally_.doubleClicks;
    hl::PressCommandButton(*d_->cmdDelete);
    if (!deletes) return;
    loaded_ = true;
    ++tally_.deleted;
    model_.erase(model_.begin() + sel_);
    sel_ = model_.empty() ? kNew : 0;
    top_ = 0;
    deletedAt_ = now_;
  }

  // The dialog closed and the bar active again, the editor in front and
  // recorded as the target: a few presses of tag buttons and of the table
  // button, then the dialog opens again.
  void PressBar() {
    CloseDialog();
    if (HasFatalFailure()) return;
    hl::Activate(bar_->form());
    hl::SetForegroundWindow(kEditor);
    hl::Tick(*bar_->Timer1);
    for (int n = 1 + Pick(3); n > 0 && !HasFatalFailure(); --n) {
      if (Count() == 0 || Pick(5) == 0)
        PressTable();
      else
        PressTag(Pick(Count()));
    }
    OpenDialog();
  }

  // A button up pastes its start tag, one down its end tag; one without an
  // end tag always its start tag.
  void PressTag(int r) {
    platform::ToggleButton& button = *bar_->Check[r];
    const Row& m = model_[r];
    const std::wstring& want =
        button.Value() == 0 || m.tagE.empty() ? m.tagS : m.tagE;
    hl::Press(button);
    ASSERT_EQ(WithCrLf(hl::ClipboardText()), WithCrLf(want)) << "button " << r;
    ++tally_.presses;
  }

  // Columns and rows answered, or the rows' box cancelled: nothing pasted.
  void PressTable() {
    const std::wstring before = hl::ClipboardText();
    const bool cancel = Pick(4) == 0;
    hl::QueueInputBoxAnswer(std::to_wstring(1 + Pick(3)));
    hl::QueueInputBoxAnswer(cancel ? L"" : std::to_wstring(1 + Pick(3)));
    hl::PressPictureButton(*bar_->cmdTableSet);
    if (cancel)
      ASSERT_EQ(hl::ClipboardText(), before);
    else
      ASSERT_EQ(hl::ClipboardText().rfind(L"<table", 0), 0u);
    ++tally_.tables;
  }

  void Wait(int ms) {
    hl::AdvanceClock(ms);
    now_ += ms;
  }

  void Act(int action) {
    loaded_ = false;
    Wait(Pick(4) ? Pick(1200) : Pick(30));
    switch (action) {
      case 0:
        return SelectRow();
      case 1:
        return ScrollList();
      case 2:
        return EditText();
      case 3:
        return EditAttribute();
      case 4:
        return ChangeGeometry();
      case 5:
        return Register();
      case 6:  // a click, or a double click
        Delete();
        if (Pick(2)) Wait(Pick(kDoubleClickMs)), Delete();
        return;
      case 7:
        return CloseDialog(), OpenDialog();
      case 8:
        return PressBar();
      default:
        return CloseBar();
    }
  }

  // Weights of the actions above, the last (bar close) the rarest.
  int SomeAction() {
    static const int weights[] = {12, 10, 14, 3, 8, 18, 4, 1, 1, 1};
    std::discrete_distribution<int> pick(std::begin(weights),
                                         std::end(weights));
    return pick(rng_);
  }

  std::unique_ptr<frmStrell> bar_;
  std::unique_ptr<frmSetup> d_;
  std::vector<Row> model_;
  int sel_ = 0, top_ = 0;
  bool loaded_ = false;  // the last action loaded the form
  int firstWidth_ = 0, firstHeight_ = 0;
  long long now_ = 0, deletedAt_ = -1;
  int closes_ = 0;
  struct {
    int registered = 0, refused = 0, deleted = 0, doubleClicks = 0;
    int presses = 0, tables = 0, most = 0;
  } tally_;
  std::mt19937 rng_{static_cast<std::mt19937::result_type>(
      EnvNumber("PINROW_DIALOG_SEED", 20261209))};
};

const char* const kActionNames[] = {"select",   "scroll",   "text",   "attr",
                                    "geometry", "register", "delete", "reopen",
                                    "press",    "bar close"};

TEST_F(SetupRandomTest, RandomUseKeepsTheTableAndHoldsNothing) {
  const unsigned long actions = EnvNumber("PINROW_DIALOG_ACTIONS", 10000);
  std::deque<std::string> recent;  // the last actions, for a failure
  for (unsigned long i = 0; i < actions; ++i) {
    const int action = SomeAction();
    recent.push_back(std::to_string(i) + " " + kActionNames[action]);
    if (recent.size() > 12) recent.pop_front();
    Act(action);
    tally_.most = std::max(tally_.most, Count());
    if (!HasFatalFailure()) {
      CheckBoxes();
      if (!HasFatalFailure()) CheckDialog(loaded_);
    }
    if (HasFatalFailure()) {
      std::string trail;
      for (const std::string& a : recent) trail += a + "; ";
      FAIL() << "after actions " << trail;
    }
  }
  CloseDialog();
  // What the run went through, so a change that starves an action shows.
  EXPECT_GT(closes_, 0);
  EXPECT_GT(tally_.registered, 0);
  EXPECT_GT(tally_.doubleClicks, 0);
  EXPECT_GT(tally_.presses, 0);
  EXPECT_GT(tally_.tables, 0);
  std::printf(
      "%lu actions: %d closes, %d registered, %d refused, %d deleted, "
      "%d second clicks ignored, %d tag presses, %d table presses, up to %d "
      "buttons\n",
      actions, closes_, tally_.registered, tally_.refused, tally_.deleted,
      tally_.doubleClicks, tally_.presses, tally_.tables, tally_.most);
}

}  // namespace
