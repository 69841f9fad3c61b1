#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "store/modPublic.h"
#include "test_support.h"

namespace {

using testing_support::Utf16;
using namespace modPublic;
using platform::headless::FileFault;
using platform::headless::MsgBoxes;
using platform::headless::ProcessEnded;

const char kDefaultSetup[] =
    "[MainForm]\r\nHeight = 2805\r\nWidth = 1320\r\nTop = 300\r\n"
    "Left = 300\r\nPShiftKey = 162\r\nPKey = V\r\nGTime = 100\r\n"
    "Delay0 = 200\r\nDelay1 = 200\r\n"
    "[Table]\r\nquality=\r\nVisible=-1\r\nEnter=0\r\n"
    "[Caption]\r\nquality=\r\nVisible=-1\r\nEnter=0\r\n"
    "[TH]\r\nquality=\r\nVisible=-1\r\nEnter=0\r\n"
    "[TR]\r\nquality=\r\nVisible=-1\r\nEnter=0\r\n"
    "[TD]\r\nquality=\r\nVisible=-1\r\nEnter=0\r\n";

using SetupFileTest = testing_support::AppFolderTest;

TEST_F(SetupFileTest, MissingFileIsCreatedWithTheDefaults) {
  CreateSetupFile();
  EXPECT_EQ(ReadBytes("setup.ini"), kDefaultSetup);
  ReadSettings(ReadSetupFile(), SetupSaver::kBarClose);
  ReadSettings(ReadSetupFile(), SetupSaver::kDialogClose);
  EXPECT_EQ(ReadIniInteger("MainForm", "Height"), 2805);
  EXPECT_EQ(ReadIniInteger("MainForm", "Left"), 300);
  EXPECT_EQ(PasteShiftKey, 162);
  EXPECT_EQ(PasteKey, L"V");
  EXPECT_EQ(GetWindowTime, 100);
  EXPECT_EQ(Delay[0], 200);
  EXPECT_EQ(Delay[1], 200);
  for (int e = elTable; e <= elTD; ++e) {
    EXPECT_EQ(TableMarkupSettings(e, propQuality), vb::Variant(L""));
    EXPECT_EQ(TableMarkupSettings(e, propVisible),
              vb::Variant(std::int16_t{-1}));
    EXPECT_EQ(TableMarkupSettings(e, propEnter), vb::Variant(std::int16_t{0}));
  }
}

TEST_F(SetupFileTest, EmptyFileIsKeptAndReadsAsZerosAndDefaults) {
  WriteBytes("setup.ini", "");
  CreateSetupFile();
  EXPECT_EQ(ReadBytes("setup.ini"), "");
  ReadSettings(ReadSetupFile(), SetupSaver::kBarClose);
  ReadSettings(ReadSetupFile(), SetupSaver::kDialogClose);
  EXPECT_EQ(ReadIniInteger("MainForm", "Width"), 0);
  EXPECT_EQ(PasteShiftKey, 162);
  EXPECT_EQ(PasteKey, L"V");
  EXPECT_EQ(GetWindowTime, 0);
  EXPECT_EQ(Delay[0], 0);
  EXPECT_EQ(Delay[1], 0);
  for (int e = elTable; e <= elTD; ++e) {
    EXPECT_EQ(TableMarkupSettings(e, propQuality), vb::Variant(L""));
    EXPECT_EQ(TableMarkupSettings(e, propVisible),
              vb::Variant(std::int16_t{0}));
    EXPECT_EQ(TableMarkupSettings(e, propEnter), vb::Variant(std::int16_t{0}));
  }
}

TEST_F(SetupFileTest, PasteShiftKeyValues) {
  struct Case {
    const char* line;
    std::int32_t expected;
  } cases[] = {
      {"", 162},                   // missing key
      {"PShiftKey=\r\n", 162},     // empty
      {"PShiftKey=abc\r\n", 162},  // not a number
      {"PShiftKey=0\r\n", 0},      // the choice of no modifier survives
      {"PShiftKey = 246\r\n", 246},
      {"PShiftKey=163.5\r\n", 164},
      {"PShiftKey=99999999999\r\n", 2147483647},
  };
  for (const auto& c : cases) {
    WriteBytes("setup.ini", std::string("[MainForm]\r\n") + c.line);
    ReadSettings(ReadSetupFile(), SetupSaver::kBarClose);
    EXPECT_EQ(PasteShiftKey, c.expected) << c.line;
  }
}

TEST_F(SetupFileTest, OutOfRangeIntegersAreClampedNotRaised) {
  WriteBytes("setup.ini",
             "[MainForm]\r\nGTime=40000\r\nDelay0=-99999\r\nDelay1=70\r\n"
             "[TD]\r\nVisible=123456\r\n");
  ReadSettings(ReadSetupFile(), SetupSaver::kBarClose);
  ReadSettings(ReadSetupFile(), SetupSaver::kDialogClose);
  EXPECT_EQ(GetWindowTime, 32767);
  EXPECT_EQ(Delay[0], -32768);
  EXPECT_EQ(Delay[1], 70);
  EXPECT_EQ(TableMarkupSettings(elTD, propVisible),
            vb::Variant(std::int16_t{32767}));
}

// One parser on every platform: no 32-bit wrap-around, no hexadecimal.
TEST_F(SetupFileTest, IntegersReadAlikeOnEveryPlatform) {
  WriteBytes("setup.ini",
             "[MainForm]\r\nHeight=3000000000\r\nWidth=4294967295\r\n"
             "Top=0x10\r\nLeft=-4294967296\r\nGTime=  +12 ms\r\n");
  struct Case {
    const char* key;
    std::int16_t expected;
  } cases[] = {{"Height", 32767}, {"Width", 32767}, {"Top", 0},
               {"Left", -32768},  {"GTime", 12},    {"Delay0", 0}};
  for (const auto& c : cases)
    EXPECT_EQ(ReadIniInteger16("MainForm", c.key), c.expected) << c.key;
}

// Each close writes its own keys, as loaded from the default file, over the
// default file: the dialog's leaves every byte as it was, the bar's takes
// the blanks around its equals signs and touches no other line.
TEST_F(SetupFileTest, EachCloseRewritesItsOwnKeysOfTheDefaultFile) {
  std::string barClosed = kDefaultSetup;
  for (const char* key : {"Height", "Width", "Top", "Left", "PShiftKey", "PKey",
                          "GTime", "Delay0", "Delay1"}) {
    const std::string spaced = std::string(key) + " = ";
    barClosed.replace(barClosed.find(spaced), spaced.size(),
                      std::string(key) + "=");
  }
  const struct {
    SetupSaver saver;
    std::string expected;
  } cases[] = {{SetupSaver::kDialogClose, kDefaultSetup},
               {SetupSaver::kBarClose, barClosed}};
  for (const auto& c : cases) {
    WriteBytes("setup.ini", kDefaultSetup);
    BarGeometry place;
    ReadSettings(ReadSetupFile(), SetupSaver::kBarClose, &place);
    ReadSettings(ReadSetupFile(), SetupSaver::kDialogClose);
    SetupSave save;
    WriteSettings(save, c.saver, &place);
    EXPECT_TRUE(save.Commit());
    EXPECT_EQ(ReadBytes("setup.ini"), c.expected) << static_cast<int>(c.saver);
  }
}

// The settings are found, read and written whatever characters the
// application folder's name holds.
TEST_F(SetupFileTest, FolderNameOutsideTheCodePage) {
  for (const wchar_t* name : {L"caf\u00e9", L"Zo\u00eb", L"\u8868"}) {
    std::wstring folder = testing_support::Widen(dir_.string()) + L"\\" + name;
    platform::headless::Reset(folder);
    CreateSetupFile();
    ReadSettings(ReadSetupFile(), SetupSaver::kBarClose);
    EXPECT_EQ(GetWindowTime, 100);
    WriteIniString("MainForm", "GTime", L"55");
    ReadSettings(ReadSetupFile(), SetupSaver::kBarClose);
    EXPECT_EQ(GetWindowTime, 55);
  }
}

TEST_F(SetupFileTest, UndefinedBytesInAValueAreWrittenBackUnchanged) {
  std::string file = kDefaultSetup;
  file.replace(file.find("[TD]\r\nquality="), 14, "[TD]\r\nquality=\x81<\xff>");
  WriteBytes("setup.ini", file);
  ReadSettings(ReadSetupFile(), SetupSaver::kDialogClose);
  WriteTableSettings();
  EXPECT_EQ(ReadBytes("setup.ini"), file);
}

// A load answers every key from the file as it was when it was read once;
// afterwards each read sees the file again.
TEST_F(SetupFileTest, LoadAnswersEveryKeyFromOneRead) {
  CreateSetupFile();
  {
    const ini::IniFile oneRead = ReadSetupFile();
    WriteBytes("setup.ini", "[MainForm]\r\nGTime=7\r\nPKey=Q\r\n");
    ReadSettings(oneRead, SetupSaver::kBarClose);
    ReadSettings(oneRead, SetupSaver::kDialogClose);
    EXPECT_EQ(ReadIniInteger(oneRead, "MainForm", "Height"), 2805);
  }
  EXPECT_EQ(GetWindowTime, 100);
  EXPECT_EQ(PasteKey, L"V");
  EXPECT_EQ(TableMarkupSettings(elTD, propVisible),
            vb::Variant(std::int16_t{-1}));
  ReadSettings(ReadSetupFile(), SetupSaver::kBarClose);
  EXPECT_EQ(GetWindowTime, 7);
  EXPECT_EQ(PasteKey, L"Q");
}

// A value longer than the system's buffer (a hand edit) is read whole.
TEST_F(SetupFileTest, ReadIniStringTrimsQuotesAndReadsLongValuesWhole) {
  std::string long300(300, 'x');
  WriteBytes("setup.ini", "[TH]\r\nquality=  \"border='1' \"  \r\n" +
                              ("[TD]\r\nquality=" + long300 + "\r\n") +
                              "[TR]\r\nquality=" + platform::ToAnsi(L"表の行") +
                              "\r\n");
  EXPECT_EQ(ReadIniString("TH", "quality"), L"border='1' ");
  EXPECT_EQ(ReadIniString("TD", "quality"), std::wstring(300, L'x'));
  EXPECT_EQ(ReadIniString("TR", "quality"), L"表の行");
}

TEST_F(SetupFileTest, WritesKeepTheirLinesInPlace) {
  CreateSetupFile();
  WriteIniString("MainForm", "Height", L"3000");
  PasteShiftKey = 0;
  PasteKey = L"Y";
  GetWindowTime = 50;
  Delay[0] = 10;
  Delay[1] = -1;
  SetupSave save;
  WriteSettings(save, SetupSaver::kBarClose);
  // All six keys in one replace of the file: a second would fail.
  platform::headless::InjectFileFault(FileFault::Replace, 2);
  EXPECT_TRUE(save.Commit());
  EXPECT_TRUE(MsgBoxes().empty());
  std::string expected = kDefaultSetup;
  auto swap = [&](const std::string& from, const std::string& to) {
    expected.replace(expected.find(from), from.size(), to);
  };
  swap("Height = 2805", "Height=3000");
  swap("PShiftKey = 162", "PShiftKey=0");
  swap("PKey = V", "PKey=Y");
  swap("GTime = 100", "GTime=50");
  swap("Delay0 = 200", "Delay0=10");
  swap("Delay1 = 200", "Delay1=-1");
  EXPECT_EQ(ReadBytes("setup.ini"), expected);
  ReadSettings(ReadSetupFile(), SetupSaver::kBarClose);
  EXPECT_EQ(PasteShiftKey, 0);
  EXPECT_EQ(PasteKey, L"Y");
  EXPECT_EQ(Delay[1], -1);
}

// A setup.ini another program saved in UTF-8 or UTF-16 is read in its
// encoding, and a save sets the keys where they stand, in that encoding,
// with the file's mark and line ends: no second [MainForm], no doubled line
// ends.
TEST_F(SetupFileTest, FilesOfOtherProgramsAreReadAndWrittenInTheirEncoding) {
  const std::wstring before =
      L"[MainForm]\nGTime=100\n[TD]\nquality=class=\"本文\"\n";
  const std::wstring after =
      L"[MainForm]\nGTime=70\n[TD]\nquality=title=\"é\"\n";
  const struct {
    const char* name;
    std::string file, saved;
  } cases[] = {
      {"UTF-8", textfile::Encode(before, textfile::Encoding::Utf8),
       textfile::Encode(after, textfile::Encoding::Utf8)},
      {"UTF-8 with a mark",
       "\xEF\xBB\xBF" + textfile::Encode(before, textfile::Encoding::Utf8),
       "\xEF\xBB\xBF" + textfile::Encode(after, textfile::Encoding::Utf8)},
      {"UTF-16", Utf16(before), Utf16(after)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes("setup.ini", c.file);
    ReadSettings(ReadSetupFile(), SetupSaver::kBarClose);
    ReadSettings(ReadSetupFile(), SetupSaver::kDialogClose);
    EXPECT_EQ(GetWindowTime, 100);
    EXPECT_EQ(TableMarkupSettings(elTD, propQuality),
              vb::Variant(L"class=\"本文\""));
    EXPECT_EQ(SetupFileFormat.encoding, textfile::Detect(c.file).encoding);
    SetupSave save;
    save.Set("MainForm", "GTime", L"70");
    save.Set("TD", "quality", L"title=\"é\"");
    EXPECT_TRUE(save.Commit());
    EXPECT_EQ(ReadBytes("setup.ini"), c.saved);
  }
}

TEST_F(SetupFileTest, WriteTableSettingsRecreatesAMissingFile) {
  TableMarkupSettings(elTable, propQuality) = L"border='1'";
  TableMarkupSettings(elTable, propVisible) = L"-1";
  TableMarkupSettings(elTable, propEnter) = std::int16_t{-1};
  TableMarkupSettings(elTH, propVisible) = std::int16_t{0};
  // The default file and the fifteen keys in one replace: a second would
  // fail.
  platform::headless::InjectFileFault(FileFault::Replace, 2);
  WriteTableSettings();  // cells elsewhere hold nothing: written empty
  EXPECT_TRUE(MsgBoxes().empty());
  std::string text = ReadBytes("setup.ini");
  EXPECT_EQ(text.substr(0, text.find("[Table]")),
            std::string(kDefaultSetup).substr(0, text.find("[Table]")));
  EXPECT_NE(text.find("[Table]\r\nquality=border='1'\r\nVisible=-1\r\n"
                      "Enter=-1\r\n[Caption]\r\nquality=\r\nVisible=\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("[TH]\r\nquality=\r\nVisible=0\r\nEnter=\r\n"),
            std::string::npos);
  ReadSettings(ReadSetupFile(), SetupSaver::kDialogClose);
  EXPECT_EQ(TableMarkupSettings(elTable, propVisible),
            vb::Variant(std::int16_t{-1}));
  EXPECT_EQ(TableMarkupSettings(elTable, propQuality),
            vb::Variant(L"border='1'"));
}

TEST_F(SetupFileTest, CreationFailuresEndTheProcess) {
  struct Case {
    FileFault fault;
    std::wstring prompt;
  } cases[] = {
      {FileFault::Write,
       L"｢setup.ini｣の作成に失敗しました。\r\n強制終了します。"},
      {FileFault::Open,
       L"｢setup.ini｣ファイルの有無の確認した時でエラーが発生しました。\r\n"
       L"書き込みできません。(No.70)\r\n"},
  };
  for (const auto& c : cases) {
    MsgBoxes().clear();
    platform::headless::InjectFileFault(c.fault);
    EXPECT_THROW(CreateSetupFile(), ProcessEnded);
    ASSERT_EQ(MsgBoxes().size(), 1u);
    EXPECT_EQ(MsgBoxes()[0].prompt, c.prompt);
    EXPECT_EQ(MsgBoxes()[0].title, L"Pinrow：エラー");
    EXPECT_EQ(EntryCount(), 0);
  }
}

}  // namespace
