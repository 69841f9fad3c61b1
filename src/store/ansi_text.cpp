// Byte-exact code page 932 text on top of the platform's conversions.
#include "store/ansi_text.h"

#include <cstdint>
#include <vector>

#include "platform/files.h"

namespace ansi {
namespace {

constexpr wchar_t kEscapeBase = 0xDC00;
constexpr std::int32_t kUnknown = -2;
constexpr std::int32_t kUndecodable = -1;

bool IsLead(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrail(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}
bool IsSingle(unsigned char b) { return b <= 0x7F || (b >= 0xA1 && b <= 0xDF); }

// What a unit decodes to, asked of the platform once per unit and run: the
// one code unit that encodes back to the same bytes, or kUndecodable.
std::int32_t DecodeUnit(const std::string& unit) {
  static std::vector<std::int32_t> cache(0x10000, kUnknown);
  std::size_t index = static_cast<unsigned char>(unit[0]);
  if (unit.size() == 2)
    index = index << 8 | static_cast<unsigned char>(unit[1]);
  std::int32_t& known = cache[index];
  if (known != kUnknown) return known;
  std::wstring text = platform::FromAnsi(unit);
  known =
      text.size() == 1 && !IsEscape(text[0]) && platform::ToAnsi(text) == unit
          ? static_cast<std::int32_t>(text[0])
          : kUndecodable;
  return known;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::size_t UnitLength(const std::string& bytes, std::size_t pos) {
  unsigned char b = static_cast<unsigned char>(bytes[pos]);
  if (IsLead(b) && pos + 1 < bytes.size() &&
      IsTrail(static_cast<unsigned char>(bytes[pos + 1])))
    return 2;
  return 1;
}

bool IsEscape(wchar_t c) { return c >= kEscapeBase && c <= kEscapeBase + 0xFF; }

std::wstring Decode(const std::string& bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (std::size_t pos = 0; pos < bytes.size();) {
    std::size_t n = UnitLength(bytes, pos);
    std::string unit = bytes.substr(pos, n);
    std::int32_t c = kUndecodable;
    if (n == 2 || IsSingle(static_cast<unsigned char>(unit[0])))
      c = DecodeUnit(unit);
    if (c == kUndecodable) {
      for (unsigned char b : unit)
        text += static_cast<wchar_t>(kEscapeBase + b);
    } else {
      text += static_cast<wchar_t>(c);
    }
    pos += n;
  }
  return text;
}

// Runs of ordinary text go through the platform in one call; an escape
// (a low surrogate that does not complete a pair) is its byte.
std::string Encode(const std::wstring& text) {
  std::string bytes;
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsEscape(text[i]) || (i > 0 && IsHighSurrogate(text[i - 1]))) continue;
    bytes += platform::ToAnsi(text.substr(runStart, i - runStart));
    bytes += static_cast<char>(text[i] - kEscapeBase);
    runStart = i + 1;
  }
  bytes += platform::ToAnsi(text.substr(runStart));
  return bytes;
}

// Each escape becomes "・", as the system shows a byte its code page does
// not define; a surrogate pair stays whole.
std::wstring Readable(std::wstring text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (IsEscape(text[i]) && !(i > 0 && IsHighSurrogate(text[i - 1])))
      text[i] = L'\u30FB';
  return text;
}

}  // namespace ansi
