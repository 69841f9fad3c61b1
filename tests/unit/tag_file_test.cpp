#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "store/modPublic.h"
#include "test_support.h"

namespace {

using modPublic::TagCount;
using modPublic::TagTable;
using platform::headless::FileFault;
using platform::headless::MsgBoxes;
using platform::headless::ProcessEnded;
using testing_support::Utf16;

const char kDefaultTagFile[] =
    "0,0,400,1200,400,UL,<ul style='list-style-type:square;'>,</ul>\r\n"
    "1,0,800,1200,400,OL,<ol style='list-style-type:upper-alpha; '>,</ol>\r\n"
    "2,0,1200,1200,400,LI,<li>,</li>\r\n"
    "3,0,1600,1200,400,HR,<hr size='1'>,\r\n"
    "4,0,2000,1200,400,IMG,<img src=''>,\r\n";

const wchar_t kReadFailed[] =
    L"データの読み込みに失敗しました。\r\n強制終了します。";
const wchar_t kSaveFailed[] =
    L"データの書き込みに失敗しました。\r\n"
    L"再試行で保存し直します。キャンセルで強制終了します。";

std::string Lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += std::to_string(i) + ",0,0,100,100,c,<s>,\r\n";
  return text;
}

class TagFileTest : public testing_support::AppFolderTest {
 protected:
  void ExpectEndsWith(void (*procedure)(), const std::wstring& prompt) {
    EXPECT_THROW(procedure(), ProcessEnded);
    ASSERT_EQ(MsgBoxes().size(), 1u);
    EXPECT_EQ(MsgBoxes()[0].prompt, prompt);
    EXPECT_EQ(MsgBoxes()[0].style, 16);
    EXPECT_EQ(MsgBoxes()[0].title, L"Pinrow：エラー");
  }
  void Load(const std::string& bytes) {
    WriteBytes("tag.txt", bytes);
    modPublic::LoadTagFile();
  }
};

TEST_F(TagFileTest, MissingFileIsCreatedWithDefaultsAndLoaded) {
  modPublic::LoadTagFile();
  EXPECT_EQ(ReadBytes("tag.txt"), kDefaultTagFile);
  EXPECT_EQ(TagCount, 5);
  EXPECT_TRUE(modPublic::TagTableLoaded);
  EXPECT_EQ(TagTable(1, modPublic::colTop), vb::Variant(std::int16_t{800}));
  EXPECT_EQ(TagTable(0, modPublic::colTagS),
            vb::Variant(L"<ul style='list-style-type:square;'>"));
  EXPECT_EQ(TagTable(4, modPublic::colTagE), vb::Variant(L""));
  EXPECT_TRUE(TagTable(5, modPublic::colLeft).IsEmpty());
  EXPECT_TRUE(MsgBoxes().empty());
}

TEST_F(TagFileTest, EmptyFileLoadsNoRowsAndSavesEmpty) {
  Load("");
  EXPECT_EQ(TagCount, 0);
  modPublic::SaveTagFile();
  EXPECT_TRUE(Exists("tag.txt"));
  EXPECT_EQ(ReadBytes("tag.txt"), "");
}

TEST_F(TagFileTest, LoadsTheRowsThatAreAccepted) {
  struct Case {
    const char* name;
    std::string file;
    int rows;
  } cases[] = {
      {"31 lines", Lines(31), 31},
      {"no final line break", "0,0,0,1,1,a,<b>,</b>", 1},
      {"two lines", "0,0,0,1,1,a,<b>,\r\n1,0,0,1,1,c,<d>,\r\n", 2},
      {"nine fields", "0,0,0,1,1,a,<b x,y>,</b>\r\n", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    modPublic::ResetSharedState();
    Load(c.file);
    EXPECT_EQ(TagCount, c.rows);
  }
  // The nine-field row was split at the unescaped comma.
  EXPECT_EQ(TagTable(0, modPublic::colTagS), vb::Variant(L"<b x"));
  EXPECT_EQ(TagTable(0, modPublic::colTagE), vb::Variant(L"y>"));
}

TEST_F(TagFileTest, NumberFieldsRoundHalfToEven) {
  Load("0,12.5,13.5,-300, 7 ,a,<b>,\r\n");
  EXPECT_EQ(vb::CInt(TagTable(0, modPublic::colLeft)), 12);
  EXPECT_EQ(vb::CInt(TagTable(0, modPublic::colTop)), 14);
  EXPECT_EQ(vb::CInt(TagTable(0, modPublic::colWidth)), -300);
  EXPECT_EQ(vb::CInt(TagTable(0, modPublic::colHeight)), 7);
}

// Each row's number is its place in the file, whatever its No field says
// (the field must still be a number).
TEST_F(TagFileTest, RowsAreNumberedByTheirPlace) {
  Load("7,0,0,1,1,a,<a>,\r\n0,0,0,1,1,b,<b>,\r\n-1,0,0,1,1,c,<c>,\r\n");
  for (std::int16_t row = 0; row < 3; ++row)
    EXPECT_EQ(TagTable(row, modPublic::colNo), vb::Variant(row));
}

// The program never writes a lone CR or LF: one in the file is a hand
// edit's line break, and every row after it keeps its own line.
TEST_F(TagFileTest, EveryKindOfLineBreakEndsALine) {
  Load("0,0,0,1,1,a,<a>,x\n1,0,0,1,1,b,<b>,\r2,0,0,1,1,c,<c>,\r\n");
  EXPECT_EQ(TagCount, 3);
  EXPECT_EQ(TagTable(0, modPublic::colTagE), vb::Variant(L"x"));
  EXPECT_EQ(TagTable(2, modPublic::colCaption), vb::Variant(L"c"));
  modPublic::SaveTagFile();
  EXPECT_EQ(ReadBytes("tag.txt"),
            "0,0,0,1,1,a,<a>,x\r\n1,0,0,1,1,b,<b>,\r\n2,0,0,1,1,c,<c>,\r\n");
}

// The message names the line and what is wrong with it.
TEST_F(TagFileTest, BadFilesEndTheProcessAndStayUntouched) {
  struct Case {
    const char* name;
    std::string file;
    const wchar_t* why;
  } cases[] = {
      {"ends with an empty line", Lines(2) + "\r\n", L"3 行目: 空の行です。"},
      {"32 lines", Lines(32), L"32 行目: ボタンは 31 個までです。"},
      {"empty caption", Lines(2) + "2,0,0,1,1,,<b>,\r\n",
       L"3 行目: ボタン名が空です。"},
      {"empty start tag", "0,0,0,1,1,a,,\r\n", L"1 行目: 開始タグが空です。"},
      {"seven fields", "0,0,0,1,1,a,<b>\r\n",
       L"1 行目: 項目が足りません（カンマで区切って 8 項目が必要です）。"},
      {"digits then a letter", "0,12a,0,1,1,a,<b>,\r\n",
       L"1 行目: 左位置が数値ではありません。"},
      {"out of 16 bits", "0,0,0,40000,1,a,<b>,\r\n",
       L"1 行目: 幅が -32768～32767 の範囲を超えています。"},
      {"exponent", "0,0,1e3,1,1,a,<b>,\r\n",
       L"1 行目: 上位置が数値ではありません。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    modPublic::ResetSharedState();
    MsgBoxes().clear();
    WriteBytes("tag.txt", c.file);
    ExpectEndsWith(modPublic::LoadTagFile,
                   std::wstring(kReadFailed) + L"\r\n" + c.why);
    EXPECT_EQ(ReadBytes("tag.txt"), c.file);
    EXPECT_FALSE(modPublic::TagTableLoaded);
  }
}

TEST_F(TagFileTest, FailureToCreateTheDefaultFile) {
  platform::headless::InjectFileFault(FileFault::Write);
  ExpectEndsWith(modPublic::LoadTagFile,
                 L"｢tag.txt｣の作成に失敗しました。\r\n強制終了します。");
  EXPECT_FALSE(Exists("tag.txt"));
}

TEST_F(TagFileTest, FailureToOpenIsReportedWithThePhrase) {
  platform::headless::InjectFileFault(FileFault::Open);
  ExpectEndsWith(modPublic::LoadTagFile,
                 L"データを読み込んだ時でエラーが発生しました。\r\n"
                 L"書き込みできません。(No.70)\r\n");
}

TEST_F(TagFileTest, EscapesRoundTrip) {
  struct Case {
    const wchar_t* field;
    const wchar_t* stored;
    const wchar_t* back;
  } cases[] = {
      {L"a,b", L"a%cm%b", L"a,b"},
      {L"<p>\r\n</p>", L"<p>%cr%</p>", L"<p>\r\n</p>"},
      {L"x\ry\nz", L"x%cr%y%cr%z", L"x\r\ny\r\nz"},
      {L"100%", L"100%", L"100%"},
      {L"%cm%", L"%cm%", L","},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(modPublic::EscapeField(vb::Variant(c.field)), c.stored);
    EXPECT_EQ(modPublic::UnescapeField(vb::Variant(c.stored)), c.back);
  }
  EXPECT_EQ(modPublic::EscapeField(vb::Variant(std::int16_t{-5})), L"-5");
  EXPECT_EQ(modPublic::EscapeField(vb::Variant()), L"");
}

TEST_F(TagFileTest, SaveWritesRowsInCodePage932AndLoadsBack) {
  modPublic::LoadTagFile();
  TagTable(0, modPublic::colCaption) = L"見出し,一";
  TagTable(0, modPublic::colTagS) = L"<h1>\r\n";
  TagTable(0, modPublic::colLeft) = L"300";  // as the dialog stores it
  modPublic::SaveTagFile();
  std::string bytes = ReadBytes("tag.txt");
  std::string first = bytes.substr(0, bytes.find("\r\n") + 2);
  EXPECT_EQ(first, "0,300,400,1200,400," + platform::ToAnsi(L"見出し%cm%一") +
                       ",<h1>%cr%,</ul>\r\n");
  EXPECT_EQ(bytes.substr(first.size()),
            std::string(kDefaultTagFile)
                .substr(std::string(kDefaultTagFile).find("1,0,800")));
  modPublic::ResetSharedState();
  modPublic::LoadTagFile();
  EXPECT_EQ(TagTable(0, modPublic::colCaption), vb::Variant(L"見出し,一"));
  EXPECT_EQ(TagTable(0, modPublic::colTagS), vb::Variant(L"<h1>\r\n"));
}

TEST_F(TagFileTest, BytesTheCodePageLacksAreKeptByteForByte) {
  std::string defaults = kDefaultTagFile;
  struct Case {
    const char* name;
    std::string file;
    int rows;
  } cases[] = {
      {"lead byte before CR LF",
       std::string(defaults).insert(defaults.find("\r\n"), "\x81"), 5},
      {"lead byte at the end of OL's row",
       std::string(defaults).insert(defaults.find("\r\n2,"), "\x81"), 5},
      {"bytes in captions",
       "0,0,0,1,1,\x81 a\xff\xfd\xa0,<b>,\x80\r\n"
       "1,0,0,1,1,\x85\x40\x82\xa0,\x81%cm%,\x81\r\n",
       2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    modPublic::ResetSharedState();
    Load(c.file);
    EXPECT_EQ(TagCount, c.rows);
    EXPECT_TRUE(MsgBoxes().empty());
    modPublic::SaveTagFile();
    EXPECT_EQ(ReadBytes("tag.txt"), c.file);
  }
  // The blank and the bytes after an undefined byte are not swallowed.
  EXPECT_EQ(vb::CStr(TagTable(0, modPublic::colCaption)).substr(1, 2), L" a");
  EXPECT_EQ(vb::CStr(TagTable(1, modPublic::colTagS)).substr(1), L",");
}

TEST_F(TagFileTest, LfOnlyFilesReadLfAsTheLineEnd) {
  std::string lf = kDefaultTagFile;
  for (std::size_t p; (p = lf.find("\r\n")) != std::string::npos;)
    lf.replace(p, 2, "\n");
  Load(lf);
  EXPECT_EQ(TagCount, 5);
  EXPECT_EQ(TagTable(4, modPublic::colCaption), vb::Variant(L"IMG"));
  modPublic::SaveTagFile();
  EXPECT_EQ(ReadBytes("tag.txt"), kDefaultTagFile);  // written with CR LF

  modPublic::ResetSharedState();
  MsgBoxes().clear();
  WriteBytes("tag.txt", Lines(1).substr(0, Lines(1).size() - 2) + "\n\n");
  ExpectEndsWith(modPublic::LoadTagFile,
                 std::wstring(kReadFailed) + L"\r\n2 行目: 空の行です。");
}

// A save that fails at any point where a disk can fail (making the file,
// writing, flushing, replacing, a read-only file) leaves the previous file
// byte for byte and no temporary file; the user is asked whether to try
// again, and cancelling ends the program.
TEST_F(TagFileTest, SaveFailingAtEveryPointKeepsThePreviousFile) {
  struct Point {
    const char* name;
    FileFault fault;
  } const points[] = {{"open", FileFault::Open},
                      {"write", FileFault::Write},
                      {"flush", FileFault::Flush},
                      {"replace", FileFault::Replace},
                      {"read-only", FileFault::None}};
  namespace fs = std::filesystem;
  modPublic::LoadTagFile();
  TagTable(0, modPublic::colCaption) = L"changed";
  for (const auto& p : points) {
    SCOPED_TRACE(p.name);
    MsgBoxes().clear();
    if (p.fault == FileFault::None)
      fs::permissions(PathOf("tag.txt"), fs::perms::owner_read);
    platform::headless::InjectFileFault(p.fault);
    EXPECT_THROW(modPublic::SaveTagFile(), ProcessEnded);
    ASSERT_EQ(MsgBoxes().size(), 1u);
    EXPECT_EQ(MsgBoxes()[0].prompt, kSaveFailed);
    EXPECT_EQ(MsgBoxes()[0].style,
              platform::kRetryCancel | platform::kCritical);
    EXPECT_EQ(MsgBoxes()[0].title, L"Pinrow：エラー");
    EXPECT_EQ(ReadBytes("tag.txt"), kDefaultTagFile);
    EXPECT_EQ(EntryCount(), 1) << "temporary file left behind";
  }
  // The replacing file keeps the target's modes.
  const auto kept =
      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(PathOf("tag.txt"), kept);
  modPublic::SaveTagFile();
  EXPECT_NE(ReadBytes("tag.txt"), kDefaultTagFile);
  EXPECT_EQ(fs::status(PathOf("tag.txt")).permissions(), kept);
}

// A file another program saved in UTF-8 or UTF-16 loads in that encoding
// and is written back in it, with its mark and its line ends (CR LF where
// they were mixed); one that is neither stays code page 932, byte for byte,
// also when its bytes would make two-byte UTF-8.
TEST_F(TagFileTest, FilesOfOtherProgramsKeepTheirEncodingMarkAndLineEnds) {
  const auto row = [](int n) {
    return std::to_string(n) +
           ",0,0,1,1,\xE6\x9C\xAC\xE6\x96\x87,<p class=\"x\">,";
  };
  const struct {
    const char* name;
    std::string file, saved;
    const wchar_t* caption;
  } cases[] = {
      {"UTF-8, LF", row(0) + "\n" + row(1) + "\n",
       row(0) + "\n" + row(1) + "\n", L"本文"},
      {"UTF-8 with a mark", "\xEF\xBB\xBF" + row(0) + "\r\n",
       "\xEF\xBB\xBF" + row(0) + "\r\n", L"本文"},
      {"UTF-8, mixed line ends", row(0) + "\n" + row(1) + "\r\n",
       row(0) + "\r\n" + row(1) + "\r\n", L"本文"},
      {"UTF-16", Utf16(L"0,0,0,1,1,本文,<p>,\r\n"),
       Utf16(L"0,0,0,1,1,本文,<p>,\r\n"), L"本文"},
      {"half-width katakana in code page 932", "0,0,0,1,1,\xC3\xBD,<p>,\n",
       "0,0,0,1,1,\xC3\xBD,<p>,\r\n", L"ﾃｽ"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    modPublic::ResetSharedState();
    Load(c.file);
    EXPECT_EQ(TagTable(0, modPublic::colCaption), vb::Variant(c.caption));
    modPublic::SaveTagFile();
    EXPECT_EQ(ReadBytes("tag.txt"), c.saved);
  }
  // Any character is stored in a UTF file.
  modPublic::ResetSharedState();
  Load(row(0) + "\n");
  TagTable(0, modPublic::colCaption) = L"é😀";
  modPublic::SaveTagFile();
  modPublic::ResetSharedState();
  modPublic::LoadTagFile();
  EXPECT_EQ(TagTable(0, modPublic::colCaption), vb::Variant(L"é😀"));
}

TEST_F(TagFileTest, NothingIsSavedBeforeALoadCompleted) {
  WriteBytes("tag.txt", kDefaultTagFile);
  modPublic::SaveTagFile();  // load never ran: TagCount 0, empty table
  EXPECT_EQ(ReadBytes("tag.txt"), kDefaultTagFile);
  EXPECT_TRUE(MsgBoxes().empty());
}

}  // namespace
