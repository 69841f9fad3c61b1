// What the bar's close and the end of the session save, whatever holds or
// refuses the files; the order of the closing steps when the settings
// dialog is open; one bar per data folder, and where the files are kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "bar/frmStrell.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_forms.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
namespace hl = platform::headless;
using namespace modPublic;

const std::wstring kTagsFailed =
    L"データの書き込みに失敗しました。\r\n"
    L"再試行で保存し直します。キャンセルで強制終了します。";
const std::wstring kSettingsFailed =
    L"設定ファイルの書き込みに失敗しました。\r\n"
    L"再試行で保存し直します。キャンセルでこの保存を取りやめます。";

class ClosingTest : public testing_support::AppFolderTest {
 public:
  platform::Form& Form() { return bar_->form(); }

 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    hl::ResetForms();
  }
  // A new application folder, as for a new test.
  void Fresh() {
    bar_.reset();
    TearDown();
    SetUp();
  }
  frmStrell& Start() {
    bar_ = std::make_unique<frmStrell>();
    started_ = bar_->LoadAndShow();
    return *bar_;
  }
  // The application folder, or a file or folder in it, as the program
  // names it.
  std::wstring Folder(const std::string& name = "") const {
    const std::wstring folder = testing_support::Widen(dir_.string());
    return name.empty() ? folder
                        : folder + L"\\" + testing_support::Widen(name);
  }
  void SetReadOnly(const std::string& name, bool readOnly) {
    fs::permissions(
        PathOf(name), fs::perms::owner_write,
        readOnly ? fs::perm_options::remove : fs::perm_options::add);
  }
  bool Holds(const std::string& name, const std::string& text) {
    return ReadBytes(name).find(text) != std::string::npos;
  }
  std::vector<std::wstring> Prompts() const {
    std::vector<std::wstring> prompts;
    for (const auto& box : hl::MsgBoxes()) prompts.push_back(box.prompt);
    return prompts;
  }

  std::unique_ptr<frmStrell> bar_;
  bool started_ = false;
};

// The bar's close saves setup.ini, then tag.txt. A file held for a moment is
// waited out; a lasting failure asks, and the user may make the file
// writable and retry. Cancel gives up setup.ini and goes on to the tags;
// for tag.txt it ends the program. At the end of the session nobody is
// asked: each save waits, then gives up.
TEST_F(ClosingTest, SavePaths) {
  enum Trouble { kHeld, kStuck, kReadOnly };
  struct Case {
    const char* name;
    const char* file;
    Trouble trouble;
    int answer;  // the box's button, or 0 for the end of the session
    bool settingsSaved, tagsSaved, ended;
    std::vector<std::wstring> boxes;
  } const cases[] = {
      {"settings held for a moment",
       "setup.ini",
       kHeld,
       0,
       true,
       true,
       false,
       {}},
      {"tags held for a moment", "tag.txt", kHeld, 0, true, true, false, {}},
      {"settings stay held, cancel",
       "setup.ini",
       kStuck,
       platform::kIdCancel,
       false,
       true,
       false,
       {kSettingsFailed}},
      {"tags stay held, cancel",
       "tag.txt",
       kStuck,
       platform::kIdCancel,
       true,
       false,
       true,
       {kTagsFailed}},
      {"read-only settings, retry",
       "setup.ini",
       kReadOnly,
       platform::kIdRetry,
       true,
       true,
       false,
       {kSettingsFailed}},
      {"read-only tags, retry",
       "tag.txt",
       kReadOnly,
       platform::kIdRetry,
       true,
       true,
       false,
       {kTagsFailed}},
      {"read-only tags, session ends",
       "tag.txt",
       kReadOnly,
       0,
       true,
       false,
       true,
       {}},
      {"read-only settings, session ends",
       "setup.ini",
       kReadOnly,
       0,
       false,
       true,
       true,
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    Start();
    GetWindowTime = 250;
    TagTable(0, colCaption) = L"saved";
    const std::wstring path = Folder(c.file);
    if (c.trouble == kHeld) hl::HoldFile(path, 1500);
    if (c.trouble == kStuck) hl::HoldFile(path, 60000);
    if (c.trouble == kReadOnly) SetReadOnly(c.file, true);
    // Retry after making the file writable again.
    hl::OnMsgBox([&] { SetReadOnly(c.file, false); });
    if (c.answer) hl::QueueMsgBoxAnswer(c.answer);
    const std::uint64_t before = platform::TickCount();
    bool ended = false;
    try {
      if (c.answer || c.trouble == kHeld)
        Form().Close();
      else
        hl::EndSession();
    } catch (const hl::ProcessEnded&) {
      ended = true;
    }
    EXPECT_EQ(Holds("setup.ini", "GTime=250"), c.settingsSaved);
    EXPECT_EQ(Holds("tag.txt", ",saved,"), c.tagsSaved);
    EXPECT_EQ(ended, c.ended);
    EXPECT_EQ(Prompts(), c.boxes);
    if (c.trouble == kStuck)  // about two seconds of waiting, then the box
      EXPECT_GE(platform::TickCount() - before, 2000u);
    EXPECT_EQ(EntryCount(), 2) << "a temporary file was left behind";
  }
}

platform::Form& Dialog() { return *hl::FindForm(L"設定"); }

// Tools that end a program without force (taskkill) close each window;
// whichever closes first, the dialog takes its values back before the bar
// saves, and each closing step runs once. The dialog shows a stored timer
// interval of 5000 as 990 and takes 990 back.
TEST_F(ClosingTest, DialogTakesItsValuesBackBeforeTheBarSaves) {
  struct Case {
    const char* name;
    std::function<void(ClosingTest&)> close;
  } const cases[] = {
      {"bar first", [](ClosingTest& t) { t.Form().Close(); }},
      {"dialog first",
       [](ClosingTest& t) {
         Dialog().Close();
         t.Form().Close();
       }},
      {"session ends", [](ClosingTest&) { hl::EndSession(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    Start();
    GetWindowTime = 5000;
    int dialogUnloads = -1;
    hl::QueueModalScript([&](platform::Form& dialog) {
      struct Count {
        int& unloads;
        platform::Form& dialog;
        ~Count() { unloads = hl::UnloadCount(dialog); }
      } count{dialogUnloads, dialog};
      c.close(*this);
    });
    try {
      hl::PressPictureButton(*bar_->cmdSetup);
    } catch (const hl::ProcessEnded&) {
    }
    EXPECT_EQ(dialogUnloads, 1);
    EXPECT_EQ(hl::UnloadCount(Form()), 1);
    EXPECT_TRUE(Holds("setup.ini", "GTime=990")) << ReadBytes("setup.ini");
    EXPECT_TRUE(hl::MsgBoxes().empty());
  }
}

// At the end of the session the four saves of a bar with its dialog open
// share about three seconds however long the files stay held, under the
// shutdown reason; what they could not save waits in the recovery folder,
// in the form of the file it stands for, and the next start offers it:
// taken, it goes into the data folder; left, the user is told where it is.
TEST_F(ClosingTest, SessionEndKeepsWhatItCannotSaveForTheNextStart) {
  const std::wstring question =
      L"前回 Windows を終了したときに保存できなかったボタンと設定があります。"
      L"読み込みますか？";
  for (const int answer : {platform::kIdYes, platform::kIdNo}) {
    SCOPED_TRACE(answer);
    Fresh();
    fs::create_directory(PathOf("local"));
    hl::SetKnownFolders(L"", Folder("local"));
    Start();
    const std::string tags = ReadBytes("tag.txt");
    const std::string setup = ReadBytes("setup.ini");
    GetWindowTime = 250;
    TableMarkupSettings(elTD, propQuality) = L"class='kept'";
    TagTable(0, colCaption) = L"kept";
    for (const char* file : {"tag.txt", "setup.ini"})
      hl::HoldFile(Folder(file), 60000);
    std::uint64_t spent = 0;
    hl::QueueModalScript([&](platform::Form&) {
      const std::uint64_t before = platform::TickCount();
      struct Spent {
        std::uint64_t& spent;
        std::uint64_t before;
        ~Spent() { spent = platform::TickCount() - before; }
      } measure{spent, before};
      hl::EndSession();
    });
    EXPECT_THROW(hl::PressPictureButton(*bar_->cmdSetup), hl::ProcessEnded);
    EXPECT_LE(spent, 3100u);
    const std::wstring bar = std::to_wstring(Form().hWnd());
    const auto& log = hl::Log();
    EXPECT_NE(
        std::find(log.begin(), log.end(),
                  L"BlockShutdown " + bar + L" ボタンと設定を保存しています"),
        log.end());
    EXPECT_EQ(log.back(), L"UnblockShutdown " + bar);
    EXPECT_EQ(ReadBytes("tag.txt"), tags);
    EXPECT_EQ(ReadBytes("setup.ini"), setup);

    // The next start, the files free again.
    const std::wstring kept = RecoveryFolder(Folder());
    bar_.reset();
    hl::Reset(Folder());
    hl::ResetForms();
    hl::SetKnownFolders(L"", Folder("local"));
    modPublic::ResetSharedState();
    hl::QueueMsgBoxAnswer(answer);
    Start();
    std::vector<std::wstring> boxes = {question};
    if (answer == platform::kIdNo)
      boxes.push_back(
          L"保存できなかったボタンと設定は、次のフォルダーに残してあります。"
          L"いらなくなったら、このフォルダーを削除してください。\r\n" +
          kept);
    EXPECT_EQ(Prompts(), boxes);
    const bool taken = answer == platform::kIdYes;
    EXPECT_EQ(Holds("tag.txt", ",kept,"), taken);
    EXPECT_EQ(Holds("setup.ini", "GTime=250\r\n"), taken);
    EXPECT_EQ(Holds("setup.ini", "quality=class='kept'\r\n"), taken);
    EXPECT_EQ(bar_->Check[0]->Caption(), taken ? L"kept" : L"UL");
    EXPECT_EQ(platform::FileExists(kept + L"\\tag.txt"), !taken);
    EXPECT_EQ(platform::FileExists(kept + L"\\setup.ini"), !taken);
  }
}

TEST_F(ClosingTest, SecondBarOnTheSameFilesBringsTheFirstBack) {
  hl::ClaimedElsewhere(Folder());
  Start();
  EXPECT_FALSE(started_);
  EXPECT_FALSE(Form().Visible());
  EXPECT_EQ(hl::Log().back(), L"BringBack " + Folder());
  EXPECT_FALSE(Exists("tag.txt"));
}

// The files stay beside the program while its folder takes them; a folder
// that does not (an installed program's) sends them to the program
// folder's own folder in the user's data, copied over once with a notice,
// and that folder is used from then on, without probing the program's
// folder again. Once the program's folder takes writes to its own files
// again, those are used.
TEST_F(ClosingTest, FilesLiveInTheUsersFolderWhenTheProgramsFolderRefuses) {
  fs::create_directory(PathOf("roaming"));
  hl::SetKnownFolders(Folder("roaming"), L"");
  WriteBytes("tag.txt", "0,0,0,900,300,Mine,<m>,\r\n");

  Start();  // the program's folder takes files: nothing changes
  EXPECT_EQ(TagPath(), Folder("tag.txt"));
  EXPECT_FALSE(fs::exists(PathOf("roaming/Pinrow")));
  Form().Close();

  hl::SetFolderTakesNewFile(Folder(), false);
  const std::wstring user = FallbackFolder(Folder());
  const std::wstring notice =
      L"アプリケーションのフォルダーに書き込めないため、"
      L"ボタンと設定を次のフォルダーに保存します。\r\n" +
      user;
  for (int start = 0; start < 2; ++start) {
    hl::MsgBoxes().clear();
    Start();
    EXPECT_EQ(TagPath(), user + L"\\tag.txt");
    EXPECT_EQ(bar_->Check[0]->Caption(), start == 0 ? L"Mine" : L"Moved");
    EXPECT_EQ(Prompts(), start == 0 ? std::vector<std::wstring>{notice}
                                    : std::vector<std::wstring>{});
    TagTable(0, colCaption) = L"Moved";
    Form().Close();
  }
  hl::SetFolderTakesNewFile(Folder(), true);
  Start();
  EXPECT_EQ(TagPath(), Folder("tag.txt"));
  EXPECT_EQ(hl::MsgBoxes().size(), 0u);
}

}  // namespace
