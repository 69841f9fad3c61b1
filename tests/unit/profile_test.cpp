// The INI reader and the writer's rule for one key, against the system's
// rules.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "store/ini_file.h"
#include "test_support.h"

namespace {

class ProfileTest : public testing_support::AppFolderTest {
 protected:
  ini::IniFile File() const { return ini::IniFile(ReadBytes("p.ini")); }
  std::string Get(const std::string& section, const std::string& key,
                  const std::string& def = "") {
    std::string buf = File().GetString(section, key, def, 256);
    EXPECT_EQ(buf.size(), 256u);
    return buf.substr(0, buf.find('\0'));
  }
  int GetInt(const std::string& section, const std::string& key, int def) {
    return File().GetInt(section, key, def);
  }
  // Sets one key on the file's lines as a save does and writes them;
  // whether a fresh read of the file gives the value back.
  bool Put(const std::string& section, const std::string& key,
           const std::string& value) {
    std::vector<std::string> lines = ini::SplitLines(ReadBytes("p.ini"));
    ini::SetEntry(lines, section, key, value);
    WriteBytes("p.ini", ini::JoinLines(lines));
    return Get(section, key, "\x01missing") == value;
  }
};

TEST_F(ProfileTest, ReadRules) {
  WriteBytes("p.ini",
             "; comment\r\n"
             "[MainForm]\r\n"
             "Height = 2805\r\n"
             "  pkey\t=\t V \r\n"
             "Quoted=\"  a b  \"\n"
             "Single='x'\r\n"
             "Half=\"open\r\n"
             "Empty=\r\n"
             "[ Other ]\r\n"
             "Height=1\r\n");
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"MainForm", "Height", "2805"}, {"MAINFORM", "height", "2805"},
      {"MainForm", "PKey", "V"},      {"MainForm", "Quoted", "  a b  "},
      {"MainForm", "Single", "x"},    {"MainForm", "Half", "\"open"},
      {"MainForm", "Empty", ""},      {"other", "HEIGHT", "1"},
      {"MainForm", "Missing", "def"}, {"Nowhere", "Height", "def"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Get(c.section, c.key, "def"), c.value)
        << c.section << "/" << c.key;
}

TEST_F(ProfileTest, MissingFileGivesDefaultsAndLongValuesAreCut) {
  EXPECT_EQ(Get("A", "b", "dflt"), "dflt");
  EXPECT_EQ(GetInt("A", "b", 7), 7);
  WriteBytes("p.ini", "[A]\r\nlong=" + std::string(400, 'z') + "\r\n");
  std::string buf = File().GetString("A", "long", "", 256);
  EXPECT_EQ(buf, std::string(255, 'z') + '\0');
}

TEST_F(ProfileTest, IntegerRead) {
  WriteBytes("p.ini",
             "[S]\r\na=-1\r\nb= 42 \r\nc=12abc\r\nd=abc\r\ne=\r\nf=+5\r\n"
             "g=99999999999\r\nh=\"300\"\r\n");
  struct Case {
    const char* key;
    int expected;
  } cases[] = {{"a", -1},        {"b", 42},  {"c", 12},
               {"d", 0},         {"e", 0},   {"f", 5},
               {"g", INT32_MAX}, {"h", 300}, {"missing", 99}};
  for (const auto& c : cases)
    EXPECT_EQ(GetInt("S", c.key, 99), c.expected) << c.key;
}

TEST_F(ProfileTest, WriteReplacesInPlaceAndAppendsWhereMissing) {
  WriteBytes("p.ini",
             "[MainForm]\r\n"
             "Height = 2805\r\n"
             "; kept\r\n"
             "Width = 1320\r\n"
             "\r\n"
             "[TD]\n"
             "quality=\r\n");
  EXPECT_TRUE(Put("mainform", "Height", "3000"));
  EXPECT_TRUE(Put("MainForm", "Top", "15"));
  EXPECT_TRUE(Put("TD", "Enter", "-1"));
  EXPECT_TRUE(Put("New", "k", "v"));
  EXPECT_EQ(ReadBytes("p.ini"),
            "[MainForm]\r\n"
            "Height=3000\r\n"
            "; kept\r\n"
            "Width = 1320\r\n"
            "Top=15\r\n"
            "\r\n"
            "[TD]\r\n"
            "quality=\r\n"
            "Enter=-1\r\n"
            "[New]\r\n"
            "k=v\r\n");
  EXPECT_EQ(GetInt("MainForm", "Height", 0), 3000);
}

TEST_F(ProfileTest, WriteCreatesAMissingFile) {
  EXPECT_TRUE(Put("MainForm", "PKey", "V"));
  EXPECT_EQ(ReadBytes("p.ini"), "[MainForm]\r\nPKey=V\r\n");
}

TEST_F(ProfileTest, DoubleByteNamesAndValues) {
  // "ソ" is 0x83 0x5C in code page 932: its trail byte is a backslash, and
  // "]" (0x5D) and "=" never split a character.
  std::string so = platform::ToAnsi(L"ソ表");
  EXPECT_TRUE(Put("S", "k", so));
  EXPECT_EQ(Get("S", "k"), so);
  EXPECT_EQ(platform::FromAnsi(so), L"ソ表");
}

TEST(CodePage, UnmappableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(platform::ToAnsi(L"a\u00e9b"), "a?b");
  EXPECT_EQ(platform::ToAnsi(L"ｱ"), "\xb1");
  EXPECT_EQ(platform::FromAnsi("\x82\xa0"), L"あ");
  EXPECT_EQ(platform::FromAnsi("x\x82"), L"x?");
  EXPECT_EQ(platform::ToAnsi(std::wstring(3000, L'あ')).size(), 6000u);
}

}  // namespace
