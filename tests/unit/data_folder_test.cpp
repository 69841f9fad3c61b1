// Where the files live: beside the program, or, where its folder takes no
// files, in a folder of the user's own for each program folder; one bar per
// folder, whatever the folder's spelling; what killed saves left.
#include <gtest/gtest.h>

#include <filesystem>
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
using testing_support::Widen;

const std::wstring kNotice =
    L"アプリケーションのフォルダーに書き込めないため、"
    L"ボタンと設定を次のフォルダーに保存します。\r\n";

std::string Row(const std::string& caption) {
  return "0,0,0,900,300," + caption + ",<m>,\r\n";
}

class DataFolderTest : public testing_support::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    hl::ResetForms();
    fs::create_directories(PathOf("roaming"));
    UseProgramFolder("");
  }
  // The program runs from a folder below the test's ("" for the test's
  // own); a refusing folder takes no file and no write.
  void UseProgramFolder(const std::string& name, bool refuses = false) {
    bar_.reset();
    fs::create_directories(PathOf(name));
    hl::ResetFiles(Folder(name));
    hl::SetKnownFolders(Folder("roaming"), Folder("local"));
    hl::SetFolderTakesNewFile(Folder(name), !refuses);
    hl::MsgBoxes().clear();
  }
  bool Start() {
    modPublic::ResetSharedState();
    bar_ = std::make_unique<frmStrell>();
    return bar_->LoadAndShow();
  }
  std::wstring Caption() { return bar_->Check[0]->Caption(); }
  std::wstring Folder(const std::string& name = "") const {
    const std::wstring folder = Widen(dir_.string());
    return name.empty() ? folder : folder + L"\\" + Widen(name);
  }
  // The fallback folder of a program folder, as a path below the test's.
  std::string FallbackOf(const std::string& app) const {
    const std::wstring full = FallbackFolder(Folder(app));
    std::string relative(full.begin() + Folder().size() + 1, full.end());
    for (char& c : relative)
      if (c == '\\') c = '/';
    return relative;
  }
  std::vector<std::wstring> Prompts() const {
    std::vector<std::wstring> prompts;
    for (const auto& box : hl::MsgBoxes()) prompts.push_back(box.prompt);
    return prompts;
  }

  std::unique_ptr<frmStrell> bar_;
};

// Two copies of the program in folders that take no files each get a
// folder of their own, with a copy of their own files and a notice once; a
// copy whose folder takes files keeps them beside it.
TEST_F(DataFolderTest, EachCopyOfTheProgramKeepsItsOwnFiles) {
  for (const char* folder : {"x1", "x2", "w"})
    fs::create_directory(PathOf(folder));
  WriteBytes("x1/tag.txt", Row("X1"));
  WriteBytes("x2/tag.txt", Row("X2"));
  WriteBytes("w/tag.txt", Row("W"));
  const struct {
    const char* folder;
    bool refuses;
    const wchar_t* caption;
    bool notice;
  } starts[] = {
      {"x1", true, L"X1", true},  {"w", false, L"W", false},
      {"x2", true, L"X2", true},  {"x1", true, L"X1", false},
      {"x2", true, L"X2", false},
  };
  for (const auto& s : starts) {
    SCOPED_TRACE(s.folder);
    UseProgramFolder(s.folder, s.refuses);
    ASSERT_TRUE(Start());
    EXPECT_EQ(Caption(), s.caption);
    const std::wstring expected =
        s.refuses ? FallbackFolder(Folder(s.folder)) : Folder(s.folder);
    EXPECT_EQ(DataFolder(), expected);
    EXPECT_EQ(Prompts(), s.notice
                             ? std::vector<std::wstring>{kNotice + expected}
                             : std::vector<std::wstring>{});
    bar_->form().Close();
  }
  EXPECT_NE(FallbackFolder(Folder("x1")), FallbackFolder(Folder("x2")));
}

// The order of the choice: the program's folder when it holds files it can
// write; its folder in the user's data when that holds files (the files
// an earlier version kept straight in %APPDATA%\Pinrow are taken over by
// the first folder that needs them); the program's folder when it takes
// new files; else a new folder of the user's.
TEST_F(DataFolderTest, TheFolderIsChosenInOrder) {
  const struct {
    const char* name;
    bool appFiles, refuses, fallbackFiles, legacyFiles;
    bool inFallback;
    const wchar_t* caption;
    bool notice;
  } cases[] = {
      {"files beside the program", true, false, true, true, false, L"App",
       false},
      {"an empty program folder", false, false, false, false, false, L"UL",
       false},
      {"a folder that fell back before", true, true, true, true, true,
       L"Fallback", false},
      {"an earlier version's files", true, true, false, true, true, L"Legacy",
       true},
      {"the first fall-back", true, true, false, false, true, L"App", true},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string app = "app" + std::to_string(++n);
    UseProgramFolder(app, c.refuses);
    fs::remove_all(PathOf("roaming/Pinrow"));
    fs::create_directories(PathOf("roaming/Pinrow"));
    const std::string fallback = FallbackOf(app);
    if (c.appFiles) WriteBytes(app + "/tag.txt", Row("App"));
    if (c.fallbackFiles) {
      fs::create_directories(PathOf(fallback));
      WriteBytes(fallback + "/tag.txt", Row("Fallback"));
    }
    if (c.legacyFiles) WriteBytes("roaming/Pinrow/tag.txt", Row("Legacy"));
    ASSERT_TRUE(Start());
    EXPECT_EQ(Caption(), c.caption);
    EXPECT_EQ(DataFolder(),
              c.inFallback ? FallbackFolder(Folder(app)) : Folder(app));
    EXPECT_EQ(hl::MsgBoxes().size(), c.notice ? 1u : 0u);
    EXPECT_EQ(Exists("roaming/Pinrow/tag.txt"),
              c.legacyFiles && c.caption != std::wstring(L"Legacy"));
    EXPECT_EQ(fs::exists(PathOf(fallback)), c.inFallback || c.fallbackFiles);
    bar_->form().Close();
  }
}

// The fallback folder is named from the canonical path, so every spelling
// of the program folder has the same one, and it fits within MAX_PATH
// however deep the user's data folder lies.
TEST_F(DataFolderTest, FallbackFolderNamesFitAndIgnoreTheSpelling) {
  fs::create_directory_symlink(dir_, PathOf("alias"));
  EXPECT_EQ(FallbackFolder(Folder()), FallbackFolder(Folder("alias")));
  EXPECT_EQ(FallbackFolder(Folder()), FallbackFolder(Folder("alias/.")));
  const std::wstring deep = Folder(std::string(150, 'r'));
  hl::SetKnownFolders(deep, L"");
  const std::wstring name = FallbackFolder(Folder());
  EXPECT_EQ(name.rfind(deep + L"\\Pinrow\\", 0), 0u);
  EXPECT_LE(name.size() + 1 + 48, 260u);
  EXPECT_NE(FallbackFolder(Folder()), FallbackFolder(Folder("roaming")));
}

// A second start on any spelling of a claimed folder brings the running
// bar back; when that bar's window does not turn up, the user is told.
TEST_F(DataFolderTest, OneBarPerFolderWhateverItsSpelling) {
  fs::create_directory_symlink(dir_, PathOf("alias"));
  hl::ClaimedElsewhere(Folder("alias"));
  EXPECT_FALSE(Start());
  EXPECT_EQ(hl::Log().back(), L"BringBack " + Folder());
  EXPECT_TRUE(hl::MsgBoxes().empty());

  UseProgramFolder("");
  hl::ClaimedElsewhere(Folder(), false);
  EXPECT_FALSE(Start());
  EXPECT_EQ(
      Prompts(),
      std::vector<std::wstring>{
          L"このフォルダーのボタンと設定は、ほかの Pinrow が使用中です。"});
  EXPECT_FALSE(Exists("tag.txt"));
}

// A backup a killed save left while its file is missing is the only copy
// of the file: it goes back. Every other leftover of a save goes, unless a
// process holds it open.
TEST_F(DataFolderTest, KilledSavesAreTidiedAndTheirOnlyCopiesPutBack) {
  WriteBytes("tag.txt.~pnr1-2.bak", Row("Only"));
  WriteBytes("setup.ini", "");
  WriteBytes("setup.ini.~pnr1-3.bak", "[MainForm]\r\n");
  WriteBytes("setup.ini.~pnr1-4.tmp", "half");
  WriteBytes("tag.txt.~pnr7-1.tmp", "held");
  hl::HoldFile(Folder("tag.txt.~pnr7-1.tmp"), 60000);
  ASSERT_TRUE(Start());
  EXPECT_EQ(Caption(), L"Only");
  EXPECT_EQ(ReadBytes("setup.ini"), "");
  EXPECT_FALSE(Exists("tag.txt.~pnr1-2.bak") ||
               Exists("setup.ini.~pnr1-3.bak") ||
               Exists("setup.ini.~pnr1-4.tmp"));
  EXPECT_TRUE(Exists("tag.txt.~pnr7-1.tmp"));
}

// A tag.txt that is a symbolic link (to a synced folder) stays a link: the
// file it points to is replaced, and no leftover stays in either folder.
TEST_F(DataFolderTest, LinkedTagFileStaysALink) {
  fs::create_directory(PathOf("synced"));
  WriteBytes("synced/tag.txt", Row("Synced"));
  fs::create_symlink(PathOf("synced/tag.txt"), PathOf("tag.txt"));
  ASSERT_TRUE(Start());
  TagTable(0, colCaption) = L"Saved";
  bar_->form().Close();
  EXPECT_TRUE(fs::is_symlink(PathOf("tag.txt")));
  EXPECT_EQ(ReadBytes("synced/tag.txt"), Row("Saved"));
  EXPECT_EQ(std::distance(fs::directory_iterator(PathOf("synced")),
                          fs::directory_iterator()),
            1);
}

}  // namespace
