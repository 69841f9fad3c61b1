// Telling a file's encoding and line ends, and its text back and forth.
#include "store/text_format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using textfile::Encoding;
using textfile::LineEnd;

// "本文" in UTF-8, UTF-16 LE and code page 932.
const std::string kUtf8 = "\xE6\x9C\xAC\xE6\x96\x87";
const std::string kUtf16 = std::string("\x2C\x67\x87\x65", 4);
const std::string kCp932 = "\x96\x7B\x95\xB6";

TEST(TextFormat, TellsTheEncodingAndTheLineEnds) {
  const std::string bom8 = "\xEF\xBB\xBF", bom16 = "\xFF\xFE";
  const struct {
    const char* name;
    std::string bytes;
    Encoding encoding;
    LineEnd lineEnd;
  } cases[] = {
      {"plain ASCII", "a=1\r\n", Encoding::Cp932, LineEnd::CrLf},
      {"code page 932", kCp932 + "\n", Encoding::Cp932, LineEnd::CrLf},
      // "ﾃｽ" is C3 BD in code page 932, valid two-byte UTF-8 by chance.
      {"half-width katakana", "\xC3\xBD\r\n", Encoding::Cp932, LineEnd::CrLf},
      {"UTF-8 with a mark", bom8 + "a\n", Encoding::Utf8Bom, LineEnd::Lf},
      {"UTF-8 with a mark, empty", bom8, Encoding::Utf8Bom, LineEnd::CrLf},
      {"UTF-8 without a mark", kUtf8 + "\r", Encoding::Utf8, LineEnd::Cr},
      {"UTF-8, mixed line ends", kUtf8 + "\r\na\nb\r\n", Encoding::Utf8,
       LineEnd::CrLf},
      {"UTF-16", bom16 + kUtf16 + std::string("\n\0", 2), Encoding::Utf16Le,
       LineEnd::Lf},
      {"a mark before bytes that are not UTF-8", bom8 + kCp932, Encoding::Cp932,
       LineEnd::CrLf},
      {"UTF-16 of an odd length", bom16 + "a", Encoding::Cp932, LineEnd::CrLf},
      {"UTF-16 with a lone surrogate", bom16 + std::string("\x00\xDC", 2),
       Encoding::Cp932, LineEnd::CrLf},
      {"an encoded surrogate", "\xED\xA0\x80", Encoding::Cp932, LineEnd::CrLf},
      {"an overlong sequence", "\xE0\x80\xAF", Encoding::Cp932, LineEnd::CrLf},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const textfile::Format format = textfile::Detect(c.bytes);
    EXPECT_EQ(format.encoding, c.encoding);
    EXPECT_EQ(format.lineEnd, c.lineEnd);
    // Whatever a file is taken for, its bytes come back unchanged.
    EXPECT_EQ(textfile::FileBytes(textfile::Body(c.bytes, format), format),
              c.bytes);
  }
}

TEST(TextFormat, TextAndItsSizeInEachEncoding) {
  const struct {
    Encoding encoding;
    std::string file;  // "本文" and a character beyond 16 bits
    std::size_t size;
  } cases[] = {
      {Encoding::Utf8, kUtf8 + "\xF0\x9F\x98\x80", 10},
      {Encoding::Utf8Bom, "\xEF\xBB\xBF" + kUtf8 + "\xF0\x9F\x98\x80", 10},
      {Encoding::Utf16Le,
       "\xFF\xFE" + kUtf16 + std::string("\x3D\xD8\x00\xDE", 4), 8},
  };
  for (const auto& c : cases) {
    const textfile::Format format = textfile::Detect(c.file);
    ASSERT_EQ(format.encoding, c.encoding);
    const std::wstring text =
        textfile::Decode(textfile::Body(c.file, format), c.encoding);
    EXPECT_EQ(text.substr(0, 2), L"本文");
    EXPECT_EQ(textfile::EncodedSize(text, c.encoding), c.size);
    EXPECT_EQ(textfile::FileBytes(textfile::Encode(text, c.encoding), format),
              c.file);
  }
  EXPECT_EQ(textfile::Decode(kCp932, Encoding::Cp932), L"本文");
  EXPECT_EQ(textfile::EncodedSize(L"本文a", Encoding::Cp932), 5u);
}

TEST(TextFormat, LinesEndAtCrLfCrOrLf) {
  EXPECT_EQ(textfile::SplitLines("a\r\nb\rc\nd"),
            (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(textfile::SplitLines("a\r\n\r\n"),
            (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(textfile::SplitLines("a\r\r\n"),
            (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(textfile::SplitLines("").empty());
}

}  // namespace
