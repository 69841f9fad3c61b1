// Telling a file's encoding, and turning its bytes into text and back.
#include "store/text_format.h"

#include <cstdint>

#include "store/ansi_text.h"

namespace textfile {
namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";
const char kUtf16Mark[] = "\xFF\xFE";
constexpr char32_t kReplacement = 0xFFFD;

unsigned char At(const std::string& s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

bool StartsWith(const std::string& s, const char* mark, std::size_t n) {
  return s.size() >= n && s.compare(0, n, mark) == 0;
}

// The length of the valid UTF-8 sequence at s[i] (shortest form, no
// surrogates, at most U+10FFFF), or 0 when there is none.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
  const unsigned char b = At(s, i);
  if (b < 0x80) return 1;
  std::size_t n = 0;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (b >= 0xC2 && b <= 0xDF) n = 2;
  if (b >= 0xE0 && b <= 0xEF) n = 3;
  if (b >= 0xF0 && b <= 0xF4) n = 4;
  if (b == 0xE0) low = 0xA0;
  if (b == 0xED) high = 0x9F;
  if (b == 0xF0) low = 0x90;
  if (b == 0xF4) high = 0x8F;
  if (n == 0 || i + n > s.size()) return 0;
  if (At(s, i + 1) < low || At(s, i + 1) > high) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if (At(s, i + k) < 0x80 || At(s, i + k) > 0xBF) return 0;
  return n;
}

// Whether s[from..] is valid UTF-8; `longSequences` is set when it holds a
// sequence of three or four bytes.
bool ValidUtf8(const std::string& s, std::size_t from, bool* longSequences) {
  for (std::size_t i = from; i < s.size();) {
    const std::size_t n = Utf8Length(s, i);
    if (n == 0) return false;
    if (n >= 3 && longSequences) *longSequences = true;
    i += n;
  }
  return true;
}

char32_t DecodeAt(const std::string& s, std::size_t i, std::size_t n) {
  static const unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t c = At(s, i) & kLeadMask[n];
  for (std::size_t k = 1; k < n; ++k) c = c << 6 | (At(s, i + k) & 0x3F);
  return c;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsHigh(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The characters of a wide text: UTF-16 pairs joined (where wchar_t is 16
// bits), a lone surrogate as U+FFFD.
template <class Visit>
void EachCharacter(const std::wstring& text, Visit&& visit) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]);
    if (IsHigh(c) && i + 1 < text.size() &&
        IsLow(static_cast<char32_t>(text[i + 1]))) {
      c = 0x10000 + ((c - 0xD800) << 10) +
          (static_cast<char32_t>(text[++i]) - 0xDC00);
    } else if (IsHigh(c) || IsLow(c) || c > 0x10FFFF) {
      c = kReplacement;
    }
    visit(c);
  }
}

void AppendWide(std::wstring& out, char32_t c) {
  if (sizeof(wchar_t) == 2 && c >= 0x10000) {
    out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    out += static_cast<wchar_t>(c);
  }
}

std::uint16_t Unit(const std::string& s, std::size_t i) {
  return static_cast<std::uint16_t>(At(s, i) | At(s, i + 1) << 8);
}

// UTF-16 LE after the mark, as whole units with every surrogate paired.
bool ValidUtf16(const std::string& s) {
  if ((s.size() - 2) % 2 != 0) return false;
  for (std::size_t i = 2; i < s.size(); i += 2) {
    const std::uint16_t u = Unit(s, i);
    if (IsLow(u)) return false;
    if (!IsHigh(u)) continue;
    if (i + 2 >= s.size() || !IsLow(Unit(s, i + 2))) return false;
    i += 2;
  }
  return true;
}

std::string Utf16ToUtf8(const std::string& s) {
  std::string out;
  for (std::size_t i = 2; i + 1 < s.size(); i += 2) {
    char32_t c = Unit(s, i);
    if (IsHigh(c) && i + 3 < s.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (Unit(s, i + 2) - 0xDC00);
      i += 2;
    }
    AppendUtf8(out, c);
  }
  return out;
}

void AppendUnit(std::string& out, char32_t u) {
  out += static_cast<char>(u & 0xFF);
  out += static_cast<char>(u >> 8 & 0xFF);
}

std::string Utf8ToUtf16(const std::string& body) {
  std::string out = kUtf16Mark;
  for (std::size_t i = 0; i < body.size();) {
    const std::size_t n = Utf8Length(body, i);
    const char32_t c = n ? DecodeAt(body, i, n) : kReplacement;
    i += n ? n : 1;
    if (c >= 0x10000) {
      AppendUnit(out, 0xD800 + ((c - 0x10000) >> 10));
      AppendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      AppendUnit(out, c);
    }
  }
  return out;
}

LineEnd LineEndOf(const std::string& body) {
  std::size_t crlf = 0, cr = 0, lf = 0;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') {
      ++crlf;
      ++i;
    } else if (body[i] == '\r') {
      ++cr;
    } else if (body[i] == '\n') {
      ++lf;
    }
  }
  if (lf && !cr && !crlf) return LineEnd::Lf;
  if (cr && !lf && !crlf) return LineEnd::Cr;
  return LineEnd::CrLf;
}

}  // namespace

Format Detect(const std::string& fileBytes) {
  Format format;
  bool longSequences = false;
  if (StartsWith(fileBytes, kUtf8Mark, 3) && ValidUtf8(fileBytes, 3, nullptr))
    format.encoding = Encoding::Utf8Bom;
  else if (StartsWith(fileBytes, kUtf16Mark, 2) && ValidUtf16(fileBytes))
    format.encoding = Encoding::Utf16Le;
  else if (ValidUtf8(fileBytes, 0, &longSequences) && longSequences)
    format.encoding = Encoding::Utf8;
  if (format.encoding != Encoding::Cp932)
    format.lineEnd = LineEndOf(Body(fileBytes, format));
  return format;
}

std::string Body(const std::string& fileBytes, const Format& format) {
  switch (format.encoding) {
    case Encoding::Utf8Bom:
      return fileBytes.substr(3);
    case Encoding::Utf16Le:
      return Utf16ToUtf8(fileBytes);
    default:
      return fileBytes;
  }
}

std::string FileBytes(const std::string& body, const Format& format) {
  switch (format.encoding) {
    case Encoding::Utf8Bom:
      return kUtf8Mark + body;
    case Encoding::Utf16Le:
      return Utf8ToUtf16(body);
    default:
      return body;
  }
}

std::wstring Decode(const std::string& body, Encoding e) {
  if (e == Encoding::Cp932) return ansi::Decode(body);
  std::wstring text;
  text.reserve(body.size());
  for (std::size_t i = 0; i < body.size();) {
    const std::size_t n = Utf8Length(body, i);
    AppendWide(text, n ? DecodeAt(body, i, n) : kReplacement);
    i += n ? n : 1;
  }
  return text;
}

std::string Encode(const std::wstring& text, Encoding e) {
  if (e == Encoding::Cp932) return ansi::Encode(text);
  std::string bytes;
  bytes.reserve(text.size());
  EachCharacter(text, [&](char32_t c) { AppendUtf8(bytes, c); });
  return bytes;
}

std::size_t EncodedSize(const std::wstring& text, Encoding e) {
  if (e != Encoding::Utf16Le) return Encode(text, e).size();
  std::size_t bytes = 0;
  EachCharacter(text, [&](char32_t c) { bytes += c >= 0x10000 ? 4 : 2; });
  return bytes;
}

std::vector<std::string> SplitLines(const std::string& body) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < body.size()) {
    const std::size_t cut = body.find_first_of("\r\n", pos);
    const std::size_t end = cut == std::string::npos ? body.size() : cut;
    lines.push_back(body.substr(pos, end - pos));
    pos = end + 1;
    if (end < body.size() && body[end] == '\r' && pos < body.size() &&
        body[pos] == '\n')
      ++pos;
  }
  return lines;
}

const char* LineBreak(const Format& format) {
  switch (format.lineEnd) {
    case LineEnd::Lf:
      return "\n";
    case LineEnd::Cr:
      return "\r";
    default:
      return "\r\n";
  }
}

}  // namespace textfile
