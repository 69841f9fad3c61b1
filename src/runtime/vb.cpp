#include "runtime/vb.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vb {

std::wstring ErrorDescription(std::int32_t number) {
  switch (number) {
    case kInvalidCall:
      return L"プロシージャの呼び出し、または引数が不正です。";
    case kOverflow:
      return L"オーバーフローしました。";
    case kOutOfMemory:
      return L"メモリが不足しています。";
    case kSubscript:
      return L"インデックスが有効範囲にありません。";
    case kTypeMismatch:
      return L"型が一致しません。";
    case kFileNotFound:
      return L"ファイルが見つかりません。";
    case kFileIo:
      return L"デバイス I/O エラーです。";
    case kPermission:
      return L"書き込みできません。";
    case kPathAccess:
      return L"パス名が無効です。";
    case kInvalidPropertyValue:
      return L"プロパティの値が不正です。";
    case kClipboard:
      return L"クリップボードを開けません。";
    default:
      return L"アプリケーション定義またはオブジェクト定義のエラーです。";
  }
}

void Raise(std::int32_t number) {
  throw RuntimeError(number, ErrorDescription(number));
}

double RoundHalfEven(double x) {
  double lower = std::floor(x);
  double rest = x - lower;
  if (rest > 0.5) return lower + 1;
  if (rest < 0.5) return lower;
  return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Counts the digits from position i on.
std::size_t SkipDigits(const std::wstring& s, std::size_t& i) {
  std::size_t start = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i - start;
}

// Rounds and checks the range of a narrowing conversion.
template <class Int>
Int Narrow(double x) {
  double r = RoundHalfEven(x);
  if (!(r >= std::numeric_limits<Int>::min() &&
        r <= std::numeric_limits<Int>::max()))
    Raise(kOverflow);
  return static_cast<Int>(r);
}

double NumberOf(const std::wstring& text) {
  auto n = ParseNumber(text);
  if (!n) Raise(kTypeMismatch);
  return *n;
}

}  // namespace

std::optional<double> ParseNumber(const std::wstring& text) {
  std::size_t i = 0, end = text.size();
  while (i < end && IsBlank(text[i])) ++i;
  while (end > i && IsBlank(text[end - 1])) --end;
  std::wstring core = text.substr(i, end - i);
  std::size_t p = 0;
  if (p < core.size() && (core[p] == L'+' || core[p] == L'-')) ++p;
  std::size_t digits = SkipDigits(core, p);
  if (p < core.size() && core[p] == L'.') {
    ++p;
    digits += SkipDigits(core, p);
  }
  if (digits == 0 || p != core.size()) return std::nullopt;
  std::string narrow(core.begin(), core.end());  // ASCII only by now
  return std::strtod(narrow.c_str(), nullptr);
}

std::int16_t ToInt16(double x) { return Narrow<std::int16_t>(x); }
std::int32_t ToInt32(double x) { return Narrow<std::int32_t>(x); }
std::int16_t ToInt16(std::int32_t x) {
  return Narrow<std::int16_t>(static_cast<double>(x));
}

std::int16_t CInt(const Variant& v) {
  if (v.IsEmpty()) return 0;
  if (v.IsNumber()) return v.Number();
  return ToInt16(NumberOf(v.Text()));
}

std::int32_t CLng(const Variant& v) {
  if (v.IsEmpty()) return 0;
  if (v.IsNumber()) return v.Number();
  return CLng(v.Text());
}

std::int32_t CLng(const std::wstring& text) { return ToInt32(NumberOf(text)); }

std::wstring CStr(const Variant& v) {
  if (v.IsEmpty()) return L"";
  if (v.IsNumber()) return std::to_wstring(v.Number());
  return v.Text();
}

std::int16_t Add16(std::int16_t a, std::int16_t b) {
  return ToInt16(static_cast<std::int32_t>(a) + b);
}

std::int16_t Sub16(std::int16_t a, std::int16_t b) {
  return ToInt16(static_cast<std::int32_t>(a) - b);
}

std::wstring SingleToText(float x) {
  if (x == 0) x = 0;  // no "-0"
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed);
  if (res.ec != std::errc()) Raise(kOverflow);
  return std::wstring(buf, res.ptr);
}

}  // namespace vb
