// The bar's start-up, size rule, activation, settings button and shutdown,
// played on the headless forms.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "bar/frmStrell.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_forms.h"
#include "test_support.h"

namespace {

namespace hl = platform::headless;
using namespace modPublic;

const char kDefaultTags[] =
    "0,0,400,1200,400,UL,<ul style='list-style-type:square;'>,</ul>\r\n"
    "1,0,800,1200,400,OL,<ol style='list-style-type:upper-alpha; '>,</ol>\r\n"
    "2,0,1200,1200,400,LI,<li>,</li>\r\n"
    "3,0,1600,1200,400,HR,<hr size='1'>,\r\n"
    "4,0,2000,1200,400,IMG,<img src=''>,\r\n";

class BarTest : public testing_support::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    hl::ResetForms();
  }

  frmStrell& Start() {
    bar_ = std::make_unique<frmStrell>();
    bar_->LoadAndShow();
    return *bar_;
  }

  platform::Form& Form() { return bar_->form(); }

  // The prompt of the only error box, or a note that there was none.
  static std::wstring OnlyError() {
    if (hl::MsgBoxes().size() != 1) return L"<not exactly one box>";
    return hl::MsgBoxes()[0].prompt;
  }
  static bool StartsWith(const std::wstring& text, const std::wstring& head) {
    return text.rfind(head, 0) == 0;
  }

  std::unique_ptr<frmStrell> bar_;
};

TEST_F(BarTest, ControlsAsCreated) {
  frmStrell bar;
  EXPECT_EQ(bar.form().Caption(), L"Pinrow");
  EXPECT_TRUE(hl::ArgsOf(bar.form()).toolWindow);
  EXPECT_TRUE(hl::ArgsOf(bar.form()).sizable);
  EXPECT_FALSE(hl::ArgsOf(bar.form()).minButton);
  EXPECT_FALSE(hl::ArgsOf(bar.form()).maxButton);
  ASSERT_EQ(bar.Check.size(), 31u);
  const platform::FontSpec font = hl::FontOf(*bar.Check[30]);
  EXPECT_EQ(font.name, L"ＭＳ Ｐゴシック");
  EXPECT_EQ(font.points, 9);
  EXPECT_TRUE(font.bold);
  EXPECT_EQ(font.charset, 128);
  struct Small {
    platform::PictureButton* button;
    float left;
    platform::Picture picture;
    const wchar_t* tip;
    int tabIndex;
  } smalls[] = {{bar.cmdTableSet, 400, platform::Picture::Table,
                 L"テーブルタグ書込み", 0},
                {bar.cmdSetup, 0, platform::Picture::Settings, L"設定", 32}};
  for (const Small& s : smalls) {
    EXPECT_EQ(s.button->Left(), s.left);
    EXPECT_EQ(s.button->Top(), 0);
    EXPECT_EQ(s.button->Width(), 400);
    EXPECT_EQ(s.button->Height(), 400);
    EXPECT_EQ(hl::PictureOf(*s.button), s.picture);
    EXPECT_EQ(s.button->ToolTipText(), s.tip);
    EXPECT_EQ(s.button->TabIndex(), s.tabIndex);
  }
  EXPECT_EQ(bar.Timer1->Interval(), 0);
  EXPECT_EQ(bar.TargetWindow, 0);
}

TEST_F(BarTest, FreshFolderShowsTheFiveDefaultButtons) {
  Start();
  EXPECT_TRUE(hl::MsgBoxes().empty());
  EXPECT_EQ(ReadBytes("tag.txt"), kDefaultTags);
  const wchar_t* captions[] = {L"UL", L"OL", L"LI", L"HR", L"IMG"};
  for (int i = 0; i < 31; ++i) {
    const platform::ToggleButton& b = *bar_->Check[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(b.Visible(), i < 5);
    EXPECT_EQ(b.Enabled(), i < 5);
    if (i >= 5) continue;
    EXPECT_EQ(b.Caption(), captions[i]);
    EXPECT_EQ(b.ToolTipText(), captions[i]);
    EXPECT_EQ(b.TabIndex(), i + 1);
    EXPECT_EQ(b.Top(), 400 * (i + 1));
  }
  // The default bar (1320 x 2805 at 300, 300) already holds every button.
  EXPECT_EQ(Form().Width(), 1320);
  EXPECT_EQ(Form().Height(), 2805);
  EXPECT_EQ(Form().Left(), 300);
  EXPECT_EQ(Form().Top(), 300);
  EXPECT_EQ(MaxButtonRight, 1200);
  EXPECT_EQ(MaxButtonBottom, 2400);
  EXPECT_EQ(BarClientWidth, Form().ScaleWidth());
  EXPECT_EQ(BarClientHeight, Form().ScaleHeight());
  EXPECT_EQ(bar_->Timer1->Interval(), 100);
  EXPECT_EQ(PasteShiftKey, 162);
  EXPECT_EQ(PasteKey, L"V");
}

// Without a stored size the bar starts as small as the system allows and
// the resize rule grows it to hold the buttons exactly.
TEST_F(BarTest, MissingSizeGrowsTheBarToTheButtons) {
  WriteBytes("setup.ini", "");
  Start();
  EXPECT_EQ(Form().ScaleWidth(), 1200);
  EXPECT_EQ(Form().ScaleHeight(), 2400);
  EXPECT_EQ(BarClientWidth, 1200);
  EXPECT_EQ(BarClientHeight, 2400);
  EXPECT_EQ(bar_->Timer1->Interval(), 0);
}

TEST_F(BarTest, ResizeRuleOnlyEverEnlarges) {
  Start();
  struct Case {
    float width, height;  // client size asked for
    float wantWidth, wantHeight;
  } cases[] = {
      {600, 900, 1200, 2400},
      {5000, 900, 5000, 2400},
      {700, 4000, 1200, 4000},
      {3000, 3000, 3000, 3000},
  };
  const float frameW = Form().Width() - Form().ScaleWidth();
  const float frameH = Form().Height() - Form().ScaleHeight();
  for (const Case& c : cases) {
    hl::SetFormSize(Form(), c.width + frameW, c.height + frameH);
    EXPECT_EQ(Form().ScaleWidth(), c.wantWidth) << c.width;
    EXPECT_EQ(Form().ScaleHeight(), c.wantHeight) << c.height;
    EXPECT_EQ(BarClientWidth, c.wantWidth);
    EXPECT_EQ(BarClientHeight, c.wantHeight);
  }
}

// No button can reach past 32767 twips, so a larger client area is recorded
// as 32767 rather than failing.
TEST_F(BarTest, ClientAreaBeyondSixteenBitsIsRecordedAtTheLimit) {
  Start();
  hl::SetFormSize(Form(), 40000, Form().Height());
  EXPECT_TRUE(hl::MsgBoxes().empty());
  EXPECT_EQ(BarClientWidth, 32767);
}

TEST_F(BarTest, UnloadWritesGeometryPasteSettingsAndTags) {
  Start();
  Form().SetLeft(450);
  Form().SetTop(-120);
  hl::SetFormSize(Form(), 2000.5f, 3000);
  PasteShiftKey = 0;
  PasteKey = L"Q";
  GetWindowTime = 250;
  Delay[0] = 30;
  Delay[1] = 40;
  Form().Close();
  EXPECT_TRUE(hl::MsgBoxes().empty());
  const std::string ini = ReadBytes("setup.ini");
  EXPECT_EQ(
      ini.rfind("[MainForm]\r\nHeight=3000\r\nWidth=2000.5\r\nTop=-120\r\n"
                "Left=450\r\nPShiftKey=0\r\nPKey=Q\r\nGTime=250\r\n"
                "Delay0=30\r\nDelay1=40\r\n[Table]\r\n",
                0),
      0u)
      << ini;
  EXPECT_EQ(ReadBytes("tag.txt"), kDefaultTags);
}

TEST_F(BarTest, RestartRestoresWhereTheBarWas) {
  Start();
  Form().SetLeft(1500);
  Form().SetTop(2250);
  hl::SetFormSize(Form(), 2400, 3600);
  Form().Close();
  Start();
  EXPECT_EQ(Form().Left(), 1500);
  EXPECT_EQ(Form().Top(), 2250);
  EXPECT_EQ(Form().Width(), 2400);
  EXPECT_EQ(Form().Height(), 3600);
}

// A used row whose Left is not a number fails in ConfigureButtons; the
// activation after the settings dialog reports it with its own phrase and
// skips its remaining steps (the timer keeps its interval).
TEST_F(BarTest, FailingActivationReportsItsPhrase) {
  Start();
  // Row 1: the dialog itself loads row 0 into its form when it opens.
  TagTable(1, colLeft) = vb::Variant(L"abc");
  GetWindowTime = 500;
  hl::PressPictureButton(*bar_->cmdSetup);
  EXPECT_TRUE(StartsWith(OnlyError(),
                         L"フォームがアクティブになった時でエラーが発生しまし"
                         L"た。\r\n"))
      << OnlyError();
  EXPECT_EQ(bar_->Timer1->Interval(), 100);
}

// Stored values outside 16 bits or not numbers never stop the load before
// the tag file, so closing never writes an empty table over tag.txt.
TEST_F(BarTest, DamagedSettingsStillLoadTheButtons) {
  WriteBytes("setup.ini",
             "[MainForm]\r\nHeight=99999\r\nWidth=-70000\r\nLeft=40000\r\n"
             "PShiftKey=abc\r\nGTime=123456\r\nDelay0=-99999\r\n");
  WriteBytes("tag.txt", "0,0,0,900,300,A,<a>,</a>\r\n");
  Start();
  EXPECT_TRUE(hl::MsgBoxes().empty()) << OnlyError();
  EXPECT_TRUE(bar_->Check[0]->Visible());
  EXPECT_EQ(bar_->Check[0]->Caption(), L"A");
  EXPECT_EQ(TagCount, 1);
  Form().Close();
  EXPECT_EQ(ReadBytes("tag.txt"), "0,0,0,900,300,A,<a>,</a>\r\n");
}

// A hand-edited button ending past 32767 twips opens quietly: the bar's
// extents stop at 32767, and the bar grows only to the edges of its
// monitor's work area, where it stays, its title bar on the screen.
TEST_F(BarTest, ButtonEndingPastTheLargestTwipsOpensQuietly) {
  WriteBytes("tag.txt", "0,32000,32000,1200,1200,Far,<f>,\r\n");
  Start();
  hl::PressPictureButton(*bar_->cmdSetup);
  EXPECT_TRUE(hl::MsgBoxes().empty()) << OnlyError();
  EXPECT_EQ(MaxButtonRight, 32767);
  const platform::ScreenArea area = Form().WorkArea();
  EXPECT_EQ(Form().Left(), 300);
  EXPECT_EQ(Form().Top(), 300);
  EXPECT_EQ(Form().Left() + Form().Width(), area.right);
  EXPECT_EQ(Form().Top() + Form().Height(), area.bottom);
  EXPECT_EQ(BarClientWidth, Form().ScaleWidth());
}

// A button registered past the bar's edge shows once the dialog has
// closed: the bar grows to it, and never shrinks.
TEST_F(BarTest, BarGrowsToTheButtonsAfterTheDialog) {
  Start();
  hl::QueueModalScript([](platform::Form&) {
    TagTable(1, colLeft) = L"3000";  // as the dialog registers it
  });
  hl::PressPictureButton(*bar_->cmdSetup);
  EXPECT_EQ(Form().ScaleWidth(), 4200);
  EXPECT_EQ(Form().ScaleHeight(), 2415);
  EXPECT_EQ(BarClientWidth, 4200);
}

TEST_F(BarTest, SettingsDialogIsModalAndWritesWhenItCloses) {
  Start();
  std::filesystem::remove(PathOf("tag.txt"));
  bool ran = false;
  hl::QueueModalScript([&](platform::Form& dialog) {
    ran = true;
    EXPECT_EQ(hl::FindForm(L"設定"), &dialog);
    EXPECT_TRUE(hl::IsModal(dialog));
    EXPECT_EQ(dialog.ScaleWidth(), 6660);
    EXPECT_EQ(dialog.ScaleHeight(), 6840);
    EXPECT_EQ(dialog.Left(), (hl::kScreenWidth - dialog.Width()) / 2);
    // The bar takes no input while the dialog is open.
    hl::Press(*bar_->Check[0]);
    EXPECT_EQ(bar_->Check[0]->Value(), 0);
    platform::CommandButton* close = hl::FindCommandButton(dialog, L"閉じる");
    ASSERT_NE(close, nullptr);
    hl::PressCommandButton(*close);
    EXPECT_EQ(hl::UnloadCount(dialog), 1);
  });
  GetWindowTime = 250;  // the dialog shows it and takes it back on closing
  hl::PressPictureButton(*bar_->cmdSetup);
  EXPECT_TRUE(ran);
  EXPECT_TRUE(hl::MsgBoxes().empty()) << OnlyError();
  EXPECT_EQ(hl::FindForm(L"設定"), nullptr);
  EXPECT_EQ(ReadBytes("tag.txt"), kDefaultTags);
  // Back on the bar: activation applied the new interval.
  EXPECT_EQ(hl::ActiveForm(), &Form());
  EXPECT_EQ(platform::GetForegroundWindow(), Form().hWnd());
  EXPECT_EQ(bar_->Timer1->Interval(), 250);
}

// The option that keeps the bar in the topmost group: on only for -1, in
// effect from the load and again as the dialog returns, and written at the
// close only when it is on or the file has it, so a file of a user who never
// turned it on keeps its lines. The paste's options are read and written
// the same way.
TEST_F(BarTest, OptionsAreReadAndWrittenOnlyWhenUsed) {
  const struct {
    const char* key;
    bool* setting;
  } options[] = {{"TopMost", &BarTopMost},
                 {"WrapSelection", &WrapSelection},
                 {"RestoreClipboard", &RestoreClipboard},
                 {"HotKeys", &HotKeys}};
  const struct {
    const char* stored;  // the [MainForm] value, or no line
    bool on;             // as read
    bool changed;        // the dialog turns it over
    const char* written;
  } cases[] = {{nullptr, false, false, nullptr},
               {nullptr, false, true, "=-1"},
               {"1", false, false, "=0"},
               {"-1", true, true, "=0"}};
  for (const auto& option : options) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(option.key) + " " +
                   (c.stored ? c.stored : "none"));
      hl::ResetForms();
      modPublic::ResetSharedState();
      const std::string key = option.key;
      WriteBytes("setup.ini",
                 "[MainForm]\r\nGTime=100\r\n" +
                     (c.stored ? key + "=" + c.stored + "\r\n" : ""));
      Start();
      EXPECT_EQ(*option.setting, c.on);
      const bool topMost = option.setting == &BarTopMost;
      if (topMost) EXPECT_EQ(platform::IsTopmost(Form().hWnd()), c.on);
      hl::QueueModalScript([&](platform::Form& dialog) {
        dialog.Close();
        if (c.changed) *option.setting = !*option.setting;
      });
      hl::PressPictureButton(*bar_->cmdSetup);
      if (topMost)
        EXPECT_EQ(platform::IsTopmost(Form().hWnd()), c.on != c.changed);
      Form().Close();
      const std::string ini = ReadBytes("setup.ini");
      if (c.written)
        EXPECT_NE(ini.find(key + c.written), std::string::npos) << ini;
      else
        EXPECT_EQ(ini.find(key), std::string::npos) << ini;
    }
  }
}

}  // namespace
