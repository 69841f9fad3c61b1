// The settings dialog on the headless forms: its pages as laid out, the
// opening that shows the options, and the closing that takes them back and
// writes setup.ini and tag.txt.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/headless/headless_forms.h"
#include "setup/frmSetup.h"
#include "test_support.h"

namespace {

namespace hl = platform::headless;
using namespace modPublic;
using platform::Color;
using platform::Container;
using platform::Control;

class SetupDialogTest : public testing_support::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    hl::ResetForms();
    PasteShiftKey = 162;
    PasteKey = L"V";
    GetWindowTime = 100;
    Delay[0] = Delay[1] = 200;
    WriteBytes("tag.txt", "0,0,400,1200,400,UL,<ul>,</ul>\r\n");
    LoadTagFile();
  }

  frmSetup& Open() {
    dialog_ = std::make_unique<frmSetup>();
    dialog_->Form_Load();
    return *dialog_;
  }
  void Close() { dialog_->form().Close(); }

  std::unique_ptr<frmSetup> dialog_;
};

// Where a slip would show: one control of each kind and role per page.
TEST_F(SetupDialogTest, ControlsSitInTheirContainersWhereDesigned) {
  frmSetup& d = Open();
  EXPECT_EQ(d.form().ScaleWidth(), 6660);
  EXPECT_EQ(d.form().ScaleHeight(), 6840);
  const Container* form = &d.form();
  const Container* general = &d.SSTab1->Page(0);
  const Container* table = &d.SSTab1->Page(1);
  const Container* settings = &d.SSTab1->Page(2);
  const Container* about = &d.SSTab1->Page(3);
  const Container* td = d.Frame1[4];
  const struct {
    const Control* control;
    const Container* in;
    float left, top, width, height;  // size < 0: sized to the text
  } places[] = {
      {d.SSTab1, form, 120, 120, 6405, 6135},
      {d.cmdClose, form, 5280, 6360, 1215, 375},
      {d.Shape1, general, 240, 780, 5895, 3495},
      {d.txtInputCaption, general, 1440, 900, 3015, 270},
      {d.txtInputTagE, general, 1440, 2340, 3000, 990},
      {d.Label16, general, 4560, 2400, 1530, 615},
      {d.txtInputHeight, general, 3360, 3540, 880, 270},
      {d.vscInputTop, general, 2550, 3915, 255, 255},
      {d.cmdDelete, general, 4680, 1380, 1215, 375},
      {d.Text9, general, 240, 4350, 5940, 1580},
      {d.txtListTagS_Caption, general, 1935, 4380, 2000, 270},
      {d.txtListNo[4], general, 270, 5640, 280, 270},
      {d.txtListTagE[2], general, 3920, 5130, 2000, 270},
      {d.vscList, general, 5910, 4620, 255, 1290},
      {d.Frame1[4], table, 120, 4800, 6135, 975},
      {d.txtQuality[4], table, 1560, 4990, 3375, 270},
      {d.Label18[4], td, 4920, 240, -1, -1},
      {d.chkVisiblechk[4], td, 3240, 600, -1, -1},
      {d.cmbPasteKey, settings, 4680, 600, 855, -1},
      {d.vscGetWindowTime, settings, 2655, 960, 255, 255},
      {d.Label20, settings, 360, 1350, -1, -1},
      {d.txtDelay[1], settings, 4680, 2040, 855, 270},
      {d.Image1, about, (6405 - 960) / 2.0f, 720, 960, 960},
      {d.lblVersion, about, 2460, 2400, -1, -1},
  };
  for (const auto& p : places) {
    SCOPED_TRACE(testing::Message() << p.left << ", " << p.top);
    EXPECT_EQ(&hl::ContainerOf(*p.control), p.in);
    EXPECT_EQ(p.control->Left(), p.left);
    EXPECT_EQ(p.control->Top(), p.top);
    if (p.width >= 0) EXPECT_EQ(p.control->Width(), p.width);
    if (p.height >= 0) EXPECT_EQ(p.control->Height(), p.height);
  }
  // Each markup opening ends where its attribute box begins.
  for (int e = 0; e < 5; ++e)
    EXPECT_LE(d.Frame1(e).Left() + d.Label17(e).Left() + d.Label17(e).Width(),
              d.txtQuality(e).Left())
        << e;
  // The unplaced About lines are centred on the page.
  for (const platform::Label* l : {d.Label15, d.lblURL, d.Label14})
    EXPECT_FLOAT_EQ(l->Left() * 2 + l->Width(), 6405) << l->Caption();
}

TEST_F(SetupDialogTest, CaptionsFontsColoursAndStates) {
  frmSetup& d = Open();
  EXPECT_TRUE(hl::CommandButtonArgsOf(*d.cmdClose).isCancel);
  EXPECT_EQ(d.SSTab1->Tab(), 0);
  EXPECT_EQ(d.Label17(0).Caption(), L"<table ");
  for (int e = 0; e < 5; ++e) {
    EXPECT_EQ(d.chkVisiblechk(e).Enabled(), e == 1 || e == 2) << e;
    EXPECT_TRUE(hl::TextBoxArgsOf(d.txtQuality(e)).ansiOnly);
  }
  for (platform::TextBox* box :
       {d.txtInputWidth, d.txtInputLeft, d.txtGetWindowTime, d.txtDelay[0]}) {
    EXPECT_TRUE(box->Locked());
    EXPECT_EQ(box->BackColor(), Color::System(platform::kColorButtonFace));
    EXPECT_EQ(hl::AlignmentOf(*box), platform::Align::Center);
  }
  for (platform::TextBox* header :
       {d.txtListNo_Caption, d.txtListTagE_Caption}) {
    EXPECT_FALSE(header->Enabled());
    EXPECT_EQ(header->BackColor(), Color::Rgb(224, 224, 224));
    EXPECT_EQ(hl::AlignmentOf(*header), platform::Align::Center);
    EXPECT_TRUE(hl::FontOf(*header).bold);
  }
  EXPECT_EQ(hl::AlignmentOf(*d.txtListNo[3]), platform::Align::Center);
  EXPECT_TRUE(d.txtListTagS[3]->Locked());
  EXPECT_TRUE(hl::TextBoxArgsOf(*d.txtInputTagS).ansiOnly);
  EXPECT_TRUE(hl::TextBoxArgsOf(*d.txtInputTagS).multiLine);
  EXPECT_EQ(hl::FontOf(*d.Label11).points, 12);
  const platform::FontSpec name = hl::FontOf(*d.Label13);
  EXPECT_EQ(name.name, L"Bookman Old Style");
  EXPECT_EQ(name.points, 18);
  EXPECT_EQ(name.weight, 600);
  EXPECT_EQ(name.charset, 0);

  // About: every text from the version resource.
  const platform::VersionInfo v = platform::AppVersionInfo();
  EXPECT_EQ(d.lblVersion->Caption(), L"Ver. " + std::to_wstring(v.major) +
                                         L"." + std::to_wstring(v.minor) +
                                         L"." + std::to_wstring(v.revision));
  EXPECT_EQ(d.Label15->Caption(), v.company);
  EXPECT_EQ(d.Label14->Caption(), v.copyright);
}

// The About page names the guide: a link that opens it when it lies beside
// the program, plain text that does nothing on a click when it does not.
TEST_F(SetupDialogTest, AboutPageLinksTheGuideOnlyWhenItIsThere) {
  const std::wstring name = L"はじめにお読みください.txt";
  for (bool there : {true, false}) {
    SCOPED_TRACE(there);
    const std::wstring guide = platform::AppPath() + L"\\" + name;
    const std::string file = "はじめにお読みください.txt";  // UTF-8 on disk
    if (there)
      WriteBytes(file, "guide\r\n");
    else
      std::filesystem::remove(PathOf(file));
    frmSetup& d = Open();
    EXPECT_EQ(d.lblURL->Caption(), name);
    const platform::LabelArgs& args = hl::LabelArgsOf(*d.lblURL);
    EXPECT_EQ(args.foreColor == Color::Rgb(0, 0, 255), there);
    EXPECT_EQ(args.handCursor, there);
    EXPECT_EQ(hl::FontOf(*d.lblURL).underline, there);
    hl::ClickTab(*d.SSTab1, 3);
    hl::Log().clear();
    hl::ClickLabel(*d.lblURL);
    const std::vector<std::wstring> opened = {
        L"ShellOpen " + std::to_wstring(d.form().hWnd()) + L" " + guide + L" " +
        platform::AppPath()};
    EXPECT_EQ(hl::Log(), there ? opened : std::vector<std::wstring>{});
    Close();
  }
}

// Each code shows its choice; codes without one show "(なし)" and stay as
// they are unless another item is chosen (-1: none chosen).
TEST_F(SetupDialogTest, ModifierCodesMapBothWays) {
  const struct {
    std::int32_t stored;
    const wchar_t* shown;
    int chosen;
    std::int32_t closed;
  } cases[] = {{162, L"Ctrl", -1, 162},   {163, L"Alt", -1, 163},
               {246, L"Shift", -1, 246},  {0, L"(なし)", -1, 0},
               {160, L"(なし)", -1, 160}, {17, L"(なし)", 0, 17},
               {17, L"(なし)", 2, 162},   {162, L"Ctrl", 0, 0}};
  for (const auto& c : cases) {
    PasteShiftKey = c.stored;
    frmSetup& d = Open();
    EXPECT_EQ(d.cmbPasteShift->Text(), c.shown) << c.stored;
    hl::ClickTab(*d.SSTab1, 2);
    if (c.chosen >= 0) hl::Choose(*d.cmbPasteShift, c.chosen);
    Close();
    EXPECT_EQ(PasteShiftKey, c.closed) << c.stored << " " << c.chosen;
  }
  frmSetup& d = Open();
  ASSERT_EQ(d.cmbPasteShift->ListCount(), 4);
  ASSERT_EQ(d.cmbPasteKey->ListCount(), 26);
  EXPECT_EQ(d.cmbPasteKey->List(25), L"Z");
  hl::ClickTab(*d.SSTab1, 2);
  hl::Choose(*d.cmbPasteShift, 3);  // "Alt"
  hl::Choose(*d.cmbPasteKey, 2);    // "C"
  Close();
  EXPECT_EQ(PasteShiftKey, 163);
  EXPECT_EQ(PasteKey, L"C");
}

// The options lie below the delay box, one a line, aligned with it, and
// each shows and takes back its own setting.
TEST_F(SetupDialogTest, OptionCheckBoxesShowAndTakeBackTheirOptions) {
  const struct {
    platform::CheckBox* frmSetup::*box;
    bool* setting;
    const wchar_t* caption;
  } options[] = {
      {&frmSetup::chkTopMost, &BarTopMost, L"バーを常に手前に表示"},
      {&frmSetup::chkWrapSelection, &WrapSelection,
       L"選択した文字列をタグで囲む"},
      {&frmSetup::chkRestoreClipboard, &RestoreClipboard,
       L"貼り付け後にクリップボードを元に戻す"},
      {&frmSetup::chkHotKeys, &HotKeys, L"Ctrl+Alt+数字キーでボタンを押す"},
  };
  for (bool on : {false, true}) {
    float below = -1;
    for (const auto& o : options) {
      SCOPED_TRACE(testing::Message() << on << " " << o.setting);
      BarTopMost = WrapSelection = RestoreClipboard = HotKeys = !on;
      *o.setting = on;
      frmSetup& d = Open();
      platform::CheckBox& box = *(d.*o.box);
      if (below < 0) below = d.Shape2->Top() + d.Shape2->Height();
      EXPECT_EQ(box.Caption(), o.caption);
      EXPECT_EQ(&hl::ContainerOf(box), &d.SSTab1->Page(2));
      EXPECT_EQ(box.Left(), d.Shape2->Left());
      EXPECT_GT(box.Top(), below);
      below = box.Top() + box.Height();
      EXPECT_EQ(box.Value(), on ? 1 : 0);
      hl::ClickTab(*d.SSTab1, 2);
      hl::ClickCheckBox(box);
      Close();
      EXPECT_EQ(*o.setting, !on);
      for (const auto& other : options)
        if (other.setting != o.setting) EXPECT_EQ(*other.setting, !on);
    }
  }
}

// Flags tick only for -1; every flag, the disabled ones too, closes as the
// text "-1" or "0", and untouched closing rewrites the five table sections
// and the whole tag file.
TEST_F(SetupDialogTest, FlagsRoundTripAndClosingRewritesBothFiles) {
  WriteBytes("setup.ini", "[MainForm]\r\nGTime = 100\r\n");
  const vb::Variant cells[] = {vb::Variant(std::int16_t(-1)), L"-1",
                               vb::Variant(std::int16_t(1)), L"yes",
                               vb::Variant()};
  const bool ticked[] = {true, true, false, false, false};
  for (int e = 0; e < 5; ++e) {
    TableMarkupSettings(e, propQuality) = L"q" + std::to_wstring(e);
    TableMarkupSettings(e, propVisible) = cells[e];
    TableMarkupSettings(e, propEnter) = cells[4 - e];
  }
  frmSetup& d = Open();
  for (int e = 0; e < 5; ++e) {
    EXPECT_EQ(d.chkVisiblechk(e).Value(), ticked[e] ? 1 : 0) << e;
    EXPECT_EQ(d.chkEnter(e).Value(), ticked[4 - e] ? 1 : 0) << e;
    EXPECT_EQ(d.txtQuality(e).Text(), L"q" + std::to_wstring(e));
  }
  hl::ClickTab(*d.SSTab1, 1);
  hl::ClickCheckBox(d.chkVisiblechk(0));  // disabled: no change
  hl::ClickCheckBox(d.chkVisiblechk(2));
  hl::Type(d.txtQuality(3), L" border=1");
  std::filesystem::remove(PathOf("tag.txt"));
  Close();
  EXPECT_TRUE(hl::MsgBoxes().empty());
  EXPECT_EQ(TableMarkupSettings(0, propVisible), vb::Variant(L"-1"));
  EXPECT_EQ(TableMarkupSettings(2, propVisible), vb::Variant(L"-1"));
  EXPECT_EQ(TableMarkupSettings(4, propEnter), vb::Variant(L"-1"));
  EXPECT_EQ(TableMarkupSettings(3, propEnter), vb::Variant(L"-1"));
  EXPECT_EQ(TableMarkupSettings(0, propEnter), vb::Variant(L"0"));
  EXPECT_EQ(ReadBytes("setup.ini"),
            "[MainForm]\r\nGTime = 100\r\n"
            "[Table]\r\nquality=q0\r\nVisible=-1\r\nEnter=0\r\n"
            "[Caption]\r\nquality=q1\r\nVisible=-1\r\nEnter=0\r\n"
            "[TH]\r\nquality=q2\r\nVisible=-1\r\nEnter=0\r\n"
            "[TR]\r\nquality=q3 border=1\r\nVisible=0\r\nEnter=-1\r\n"
            "[TD]\r\nquality=q4\r\nVisible=0\r\nEnter=-1\r\n");
  EXPECT_EQ(ReadBytes("tag.txt"), "0,0,400,1200,400,UL,<ul>,</ul>\r\n");
}

// The closing writes the same bytes whichever pages were shown: a page the
// user never looked at gives its values back, normalised, as a shown one
// does (hand-edited flags, timings out of range, a key that is no letter).
TEST_F(SetupDialogTest, ClosingWritesTheSameWhicheverPagesWereShown) {
  const std::vector<int> visits[] = {{}, {1}, {2}, {3}, {3, 2, 1, 0}};
  std::string first;
  for (const std::vector<int>& pages : visits) {
    WriteBytes("setup.ini", "[MainForm]\r\nPKey = v\r\n");
    PasteShiftKey = 160;
    PasteKey = L"v";
    GetWindowTime = 5;
    Delay[0] = 2000;
    Delay[1] = -3;
    const vb::Variant flags[] = {L"1", L"abc", vb::Variant(), L"-1",
                                 vb::Variant(std::int16_t(-1))};
    for (int e = 0; e < 5; ++e) {
      TableMarkupSettings(e, propQuality) = L" q" + std::to_wstring(e);
      TableMarkupSettings(e, propVisible) = flags[e];
      TableMarkupSettings(e, propEnter) = flags[4 - e];
    }
    frmSetup& d = Open();
    for (int page : pages) hl::ClickTab(*d.SSTab1, page);
    Close();
    SetupSave bar;  // what the bar's close then writes
    WriteSettings(bar, SetupSaver::kBarClose);
    bar.Commit();
    const std::string files = ReadBytes("setup.ini") + ReadBytes("tag.txt");
    if (pages.empty())
      first = files;
    else
      EXPECT_EQ(files, first) << pages.size() << " pages shown";
  }
  EXPECT_EQ(first,
            "[MainForm]\r\nPKey=V\r\nPShiftKey=160\r\nGTime=10\r\n"
            "Delay0=990\r\nDelay1=10\r\n"
            "[Table]\r\nquality= q0\r\nVisible=0\r\nEnter=-1\r\n"
            "[Caption]\r\nquality= q1\r\nVisible=0\r\nEnter=-1\r\n"
            "[TH]\r\nquality= q2\r\nVisible=0\r\nEnter=0\r\n"
            "[TR]\r\nquality= q3\r\nVisible=-1\r\nEnter=0\r\n"
            "[TD]\r\nquality= q4\r\nVisible=-1\r\nEnter=0\r\n"
            "0,0,400,1200,400,UL,<ul>,</ul>\r\n");
}

// Stored timings outside 10..990 and a key that is no letter still open the
// dialog, shown at the nearest end and as "V"; closing keeps what is shown.
TEST_F(SetupDialogTest, OutOfRangeOptionsOpenClampedAndCloseAsShown) {
  const struct {
    std::int16_t time, delay0, delay1;
    const wchar_t* key;
    std::int16_t wantTime, want0, want1;
    const wchar_t* wantKey;
  } cases[] = {{100, 200, 200, L"Q", 100, 200, 200, L"Q"},
               {0, 5, 1000, L"v", 10, 10, 990, L"V"},
               {-7, 32767, 990, L"", 10, 990, 990, L"V"},
               {10, 10, -32768, L"AB", 10, 10, 10, L"V"}};
  for (const auto& c : cases) {
    GetWindowTime = c.time;
    Delay[0] = c.delay0;
    Delay[1] = c.delay1;
    PasteKey = c.key;
    frmSetup& d = Open();
    EXPECT_TRUE(hl::MsgBoxes().empty());
    EXPECT_EQ(d.vscGetWindowTime->Value(), c.wantTime);
    EXPECT_EQ(d.txtGetWindowTime->Text(), std::to_wstring(c.wantTime));
    EXPECT_EQ(d.txtDelay(1).Text(), std::to_wstring(c.want1));
    Close();
    EXPECT_EQ(GetWindowTime, c.wantTime) << c.time;
    EXPECT_EQ(Delay[0], c.want0) << c.delay0;
    EXPECT_EQ(Delay[1], c.want1) << c.delay1;
    EXPECT_EQ(PasteKey, c.wantKey) << c.key;
  }
}

TEST_F(SetupDialogTest, EachScrollBarShowsItsValueInItsOwnBox) {
  frmSetup& d = Open();
  hl::ClickTab(*d.SSTab1, 2);
  hl::DragThumb(d.vscDelay(1), 500);
  EXPECT_EQ(d.txtDelay(1).Text(), L"500");
  EXPECT_EQ(d.txtDelay(0).Text(), L"200");
  EXPECT_EQ(d.txtGetWindowTime->Text(), L"100");
  hl::Scroll(*d.vscGetWindowTime, hl::ScrollAction::LineUp);  // +10
  hl::Scroll(d.vscDelay(0), hl::ScrollAction::PageDown);      // -1
  hl::Type(d.txtDelay(0), L"9");                              // locked
  EXPECT_EQ(d.txtGetWindowTime->Text(), L"110");
  EXPECT_EQ(d.txtDelay(0).Text(), L"199");
  // The wheel over a number box or its scroll bar: arrow clicks, up adds.
  hl::Wheel(*d.txtGetWindowTime, 2 * hl::kWheelDelta);
  hl::Wheel(d.vscDelay(1), -hl::kWheelDelta);
  EXPECT_EQ(d.txtGetWindowTime->Text(), L"130");
  EXPECT_EQ(d.txtDelay(1).Text(), L"490");
  hl::ClickTab(*d.SSTab1, 0);
  hl::Wheel(*d.txtInputWidth, -hl::kWheelDelta);
  EXPECT_EQ(d.txtInputWidth->Text(), L"1100");
  Close();
  EXPECT_EQ(GetWindowTime, 130);
  EXPECT_EQ(Delay[0], 199);
  EXPECT_EQ(Delay[1], 490);
}

// Esc presses "閉じる"; a dialog whose opening never ran gives nothing back.
TEST_F(SetupDialogTest, EscapeClosesAndAnUnopenedDialogKeepsTheOptions) {
  hl::QueueModalScript([](platform::Form& dialog) {
    hl::PressEscape(dialog);
    EXPECT_TRUE(hl::IsClosed(dialog));
  });
  PasteKey = L"q";
  frmSetup shown;
  shown.ShowModal();
  EXPECT_EQ(hl::UnloadCount(shown.form()), 1);
  EXPECT_EQ(PasteKey, L"V");

  PasteShiftKey = 164;
  PasteKey = L"Q";
  std::filesystem::remove(PathOf("tag.txt"));
  frmSetup unopened;
  unopened.form().Close();
  EXPECT_EQ(PasteShiftKey, 164);
  EXPECT_EQ(PasteKey, L"Q");
  EXPECT_TRUE(Exists("tag.txt"));
}

// The caption and tag boxes refuse an edit whose text tag.txt would give
// back as another text (line breaks aside); the attribute boxes keep what
// setup.ini gives back whole, 255 bytes of code page 932.
TEST_F(SetupDialogTest, BoxesRefuseWhatTheFilesWouldGiveBackChanged) {
  const std::wstring kanji(130, L'表');
  const wchar_t* const kSequence =
      L"この文字の並びはファイルに保存すると別の文字に変わるため、"
      L"入力できません。";
  const wchar_t* const kLength =
      L"ファイルに保存できる長さを超えるため、ここまでしか入力できません。";
  const struct {
    platform::TextBox* frmSetup::*box;
    int e;  // the attribute box of element e, when box is null
    bool paste;
    std::wstring before, text, after;
    const wchar_t* notice;
  } cases[] = {
      {&frmSetup::txtInputCaption, 0, true, L"", L"%cm%", L"", kSequence},
      {&frmSetup::txtInputCaption, 0, false, L"a", L"%cr%", L"a%cr", kSequence},
      {&frmSetup::txtInputTagS, 0, true, L"<p>", L"%cr,", L"<p>", kSequence},
      {&frmSetup::txtInputTagE, 0, false, L"", L"%cm,x", L"%cmx", kSequence},
      {&frmSetup::txtInputTagS, 0, true, L"", L"<ul>\n<li>\r%cr",
       L"<ul>\n<li>\r%cr", nullptr},
      {&frmSetup::txtInputTagE, 0, true, L"%c", L"m%", L"%c", kSequence},
      {nullptr, 1, true, L"", std::wstring(300, L'x'), std::wstring(255, L'x'),
       kLength},
      {nullptr, 4, true, L"a", kanji, L"a" + kanji.substr(0, 127), kLength},
      {nullptr, 0, true, L"", L" \"q\" ", L" \"q\" ", nullptr},
      {nullptr, 3, true, L"a", L"b\r\nc", L"a", kSequence},
      // A value already longer (a hand edit) takes no more.
      {nullptr, 2, false, std::wstring(300, L'x'), L"y",
       std::wstring(300, L'x'), kLength},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.e << " " << c.paste);
    frmSetup& d = Open();
    platform::TextBox& box = c.box ? *(d.*c.box) : d.txtQuality(c.e);
    hl::ClickTab(*d.SSTab1, c.box ? 0 : 1);
    box.SetText(c.before);
    (c.paste ? hl::Paste : hl::Type)(box, c.text);
    EXPECT_EQ(box.Text(), c.after);
    const auto& notices = hl::Notices(box);
    ASSERT_EQ(notices.size(), c.notice ? 1u : 0u);
    if (!c.notice) continue;
    EXPECT_EQ(notices[0].title, L"入力できない文字です");
    EXPECT_EQ(notices[0].text, c.notice);
  }
}

// A stored attribute longer than the box takes (a hand edit) is shown and
// written back whole; in its box deleting is taken, adding is not.
TEST_F(SetupDialogTest, LongStoredAttributeIsKeptWhole) {
  const std::string value = "class='" + std::string(300, 'x') + "'";
  WriteBytes("setup.ini", "[TD]\r\nquality=" + value + "\r\n");
  ReadSettings(ReadSetupFile(), SetupSaver::kDialogClose);
  frmSetup& d = Open();
  EXPECT_EQ(d.txtQuality(4).Text().size(), value.size());
  Close();
  EXPECT_NE(ReadBytes("setup.ini").find("quality=" + value + "\r\n"),
            std::string::npos);
  frmSetup& again = Open();
  hl::ClickTab(*again.SSTab1, 1);
  hl::Backspace(again.txtQuality(4));
  EXPECT_EQ(again.txtQuality(4).Text().size(), value.size() - 1);
  EXPECT_TRUE(hl::Notices(again.txtQuality(4)).empty());
}

// In a setup.ini or tag.txt of UTF-8 every character can be typed, and the
// attribute boxes count the bytes the file's encoding takes.
TEST_F(SetupDialogTest, BoxesOfUtfFilesTakeEveryCharacterByTheirBytes) {
  WriteBytes("setup.ini", "\xEF\xBB\xBF[TD]\r\nquality=\r\n");
  WriteBytes("tag.txt",
             "\xEF\xBB\xBF"
             "0,0,400,1200,400,UL,<ul>,</ul>\r\n");
  ReadSettings(ReadSetupFile(), SetupSaver::kDialogClose);
  LoadTagFile();
  frmSetup& d = Open();
  hl::Type(*d.txtInputCaption, L"é");
  EXPECT_EQ(d.txtInputCaption->Text(), L"ULé");
  hl::ClickTab(*d.SSTab1, 1);
  hl::Paste(d.txtQuality(0), std::wstring(90, L'表'));  // 3 bytes each
  EXPECT_EQ(d.txtQuality(0).Text(), std::wstring(85, L'表'));
}

}  // namespace
