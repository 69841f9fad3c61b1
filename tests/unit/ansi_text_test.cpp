// Byte-exact code page 932 text: undefined bytes survive the trip through
// memory, and text the code page defines decodes as the platform's own
// conversion does. (Every one- and two-byte sequence is tried in the
// platform contract suite, on both backends' conversions.)
#include "store/ansi_text.h"

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

TEST(AnsiText, UndefinedBytesBecomeEscapesAndKeepTheirNeighbours) {
  struct Case {
    const char* bytes;
    std::wstring text;
  } cases[] = {
      {"OL\x81", L"OL\xDC81"},  // lead byte at the end
      {"\x81 B", L"\xDC81 B"},  // lead byte before a blank
      {"a\xff"
       "b",
       L"a\xDCFF"
       L"b"},  // never a lead nor a single
      {"\xfd\xa0\x80", L"\xDCFD\xDCA0\xDC80"},
      {"\x85\x40", L"\xDC85\xDC40"},  // a pair the code page lacks
      {"\x81,", L"\xDC81,"},          // a comma is never a trail byte
      {"\x82\xa0\xb1", L"あｱ"},       // defined text as the platform
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ansi::Decode(c.bytes), c.text) << c.bytes;
    EXPECT_EQ(ansi::Encode(c.text), c.bytes);
  }
  // Text that the code page defines reads as the platform's conversion.
  std::string japanese = platform::ToAnsi(L"見出し、表の行ソ");
  EXPECT_EQ(ansi::Decode(japanese), platform::FromAnsi(japanese));
  // Characters outside the code page still become "?" when written.
  EXPECT_EQ(ansi::Encode(L"caf\u00e9"), "caf?");
}

}  // namespace
