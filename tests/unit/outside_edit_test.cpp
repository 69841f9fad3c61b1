// tag.txt edited by another program while the bar runs: loaded again when
// the user comes back to the bar, never written over unasked, and neither
// version lost when both changed.
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

const char kTwo[] =
    "0,0,400,1200,400,UL,<ul>,</ul>\r\n"
    "1,0,800,1200,400,OL,<ol>,</ol>\r\n";
// The hand edit: a caption renamed and a row added.
const char kEdited[] =
    "0,0,400,1200,400,List,<ul>,</ul>\r\n"
    "1,0,800,1200,400,OL,<ol>,</ol>\r\n"
    "2,0,1200,1200,400,P,<p>,</p>\r\n";
// The bar's table after Ctrl+Down on UL.
const char kNudged[] =
    "0,0,500,1200,400,UL,<ul>,</ul>\r\n"
    "1,0,800,1200,400,OL,<ol>,</ol>\r\n";
const wchar_t kOverwrite[] =
    L"tag.txt はほかのプログラムで変更されています。上書きしますか？";

class OutsideEditTest : public testing_support::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    hl::ResetForms();
    WriteBytes("tag.txt", kTwo);
    bar_ = std::make_unique<frmStrell>();
    bar_->LoadAndShow();
  }
  platform::Form& Form() { return bar_->form(); }
  platform::ToggleButton& Button(int i) { return *bar_->Check[i]; }
  void Nudge() { hl::KeyDown(Button(0), 40, platform::kCtrlMask); }
  std::vector<std::wstring> Prompts() const {
    std::vector<std::wstring> prompts;
    for (const auto& box : hl::MsgBoxes()) prompts.push_back(box.prompt);
    return prompts;
  }

  std::unique_ptr<frmStrell> bar_;
};

// Only the file changed: coming back shows the buttons as the file now
// says, and a close leaves the file as the other program left it.
TEST_F(OutsideEditTest, EditIsLoadedWhenTheUserComesBack) {
  WriteBytes("tag.txt", kEdited);
  hl::ComeBack(Form());
  EXPECT_EQ(Button(0).Caption(), L"List");
  EXPECT_TRUE(Button(2).Visible());
  EXPECT_EQ(TagCount, 3);
  WriteBytes("tag.txt", "0,0,400,1200,400,One,<b>,</b>\r\n");
  hl::ComeBack(Form());
  EXPECT_EQ(Button(0).Caption(), L"One");
  EXPECT_FALSE(Button(1).Visible() || Button(2).Visible());
  WriteBytes("tag.txt", kEdited);
  Form().Close();
  EXPECT_EQ(ReadBytes("tag.txt"), kEdited);
  EXPECT_TRUE(hl::MsgBoxes().empty());
}

// Both changed: the bar keeps its buttons; its save asks. Yes writes the
// bar's table, No keeps the file and puts the bar's table beside it, as the
// end of the session does without asking.
TEST_F(OutsideEditTest, BothChangedTheSaveAsksAndNothingIsLost) {
  struct Case {
    const char* name;
    int answer;  // 0: the session ends
    std::string tags, beside;
  } const cases[] = {
      {"yes", platform::kIdYes, kNudged, ""},
      {"no", platform::kIdNo, kEdited, kNudged},
      {"session ends", 0, kEdited, kNudged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    Nudge();
    WriteBytes("tag.txt", kEdited);
    hl::ComeBack(Form());
    EXPECT_EQ(Button(0).Caption(), L"UL");
    if (c.answer) {
      hl::QueueMsgBoxAnswer(c.answer);
      Form().Close();
      EXPECT_EQ(Prompts(), std::vector<std::wstring>{kOverwrite});
    } else {
      EXPECT_THROW(hl::EndSession(), hl::ProcessEnded);
      EXPECT_TRUE(hl::MsgBoxes().empty());
    }
    EXPECT_EQ(ReadBytes("tag.txt"), c.tags);
    EXPECT_EQ(ReadBytes("tag.pinrow.txt"), c.beside);
  }
}

// A file that no longer loads keeps the buttons and says why, once; the
// close does not write the bar's table over the user's unfinished edit.
TEST_F(OutsideEditTest, EditThatDoesNotLoadKeepsTheButtonsAndSaysWhy) {
  const std::string broken = std::string(kTwo) + "2,0,0,1,1,,<p>,\r\n";
  WriteBytes("tag.txt", broken);
  hl::ComeBack(Form());
  hl::ComeBack(Form());
  EXPECT_EQ(Prompts(),
            std::vector<std::wstring>{
                L"ほかのプログラムで変更された tag.txt を読み込めません。"
                L"いまのボタンをそのまま使います。\r\n"
                L"3 行目: ボタン名が空です。"});
  EXPECT_EQ(Button(0).Caption(), L"UL");
  Form().Close();
  EXPECT_EQ(ReadBytes("tag.txt"), broken);
}

// A click on a tag button from another program pastes what the button
// showed; the edited file is loaded after it.
TEST_F(OutsideEditTest, ClickFromAnotherProgramRunsBeforeTheReload) {
  WriteBytes("tag.txt", kEdited);
  hl::PressFromOtherProgram(Button(0));
  EXPECT_EQ(hl::ClipboardText(), L"<ul>");
  EXPECT_EQ(Button(0).Caption(), L"List");
}

// While the dialog is open it holds the table: coming back changes nothing
// then; the dialog's close, which changed nothing, leaves the file, and the
// bar then shows the file's buttons.
TEST_F(OutsideEditTest, DialogHoldsTheTableWhileOpen) {
  hl::QueueModalScript([&](platform::Form&) {
    WriteBytes("tag.txt", kEdited);
    hl::ComeBack(Form());
    EXPECT_EQ(TagTable(0, colCaption), vb::Variant(L"UL"));
  });
  hl::PressPictureButton(*bar_->cmdSetup);
  EXPECT_EQ(ReadBytes("tag.txt"), kEdited);
  EXPECT_EQ(Button(0).Caption(), L"List");
  EXPECT_TRUE(hl::MsgBoxes().empty());
}

}  // namespace
