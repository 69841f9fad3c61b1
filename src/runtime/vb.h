// Number, text and error semantics shared by the forms and the shared
// module: a variant cell, 16-bit arithmetic that raises an overflow error,
// rounding half to even, and run-time errors with a number and description.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>

namespace vb {

// A run-time error: what an error trap catches and reports.
class RuntimeError : public std::exception {
 public:
  RuntimeError(std::int32_t number, std::wstring description)
      : number_(number), description_(std::move(description)) {}
  std::int32_t Number() const { return number_; }
  const std::wstring& Description() const { return description_; }
  const char* what() const noexcept override { return "vb::RuntimeError"; }

 private:
  std::int32_t number_;
  std::wstring description_;
};

// The program's error numbers (with their descriptions in vb.cpp).
enum ErrorNumber : std::int32_t {
  kInvalidCall = 5,             // invalid procedure call or argument
  kOverflow = 6,                // overflow
  kOutOfMemory = 7,             // out of memory
  kSubscript = 9,               // subscript out of range
  kTypeMismatch = 13,           // type mismatch
  kFileNotFound = 53,           // file not found
  kFileIo = 57,                 // device I/O error
  kPermission = 70,             // permission denied
  kPathAccess = 75,             // path/file access error
  kInvalidPropertyValue = 380,  // invalid property value
  kClipboard = 521,             // can't open clipboard
};

// Throws RuntimeError(number, the standard description of number).
[[noreturn]] void Raise(std::int32_t number);
std::wstring ErrorDescription(std::int32_t number);

// A variant cell: nothing, a 16-bit number, or a text.
class Variant {
 public:
  Variant() = default;
  Variant(std::int16_t n) : v_(n) {}  // NOLINT: cells take numbers as is
  Variant(std::wstring s) : v_(std::move(s)) {}       // NOLINT
  Variant(const wchar_t* s) : v_(std::wstring(s)) {}  // NOLINT

  bool IsEmpty() const { return v_.index() == 0; }
  bool IsNumber() const { return v_.index() == 1; }
  bool IsText() const { return v_.index() == 2; }
  std::int16_t Number() const { return std::get<1>(v_); }
  const std::wstring& Text() const { return std::get<2>(v_); }

  // "Nothing or the empty text".
  bool IsBlank() const { return IsEmpty() || (IsText() && Text().empty()); }

  bool operator==(const Variant& o) const { return v_ == o.v_; }

 private:
  std::variant<std::monostate, std::int16_t, std::wstring> v_;
};

// Rounds to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double x);

// Parses a number: optional blanks, an optional sign, decimal digits with an
// optional fraction, optional blanks. Anything else gives nothing.
std::optional<double> ParseNumber(const std::wstring& text);

// Narrowing conversions: round half to even, raise kOverflow outside the
// target range.
std::int16_t ToInt16(double x);
std::int32_t ToInt32(double x);
// Narrowing of a 32-bit value to 16 bits (kOverflow outside the range).
std::int16_t ToInt16(std::int32_t x);

// Cell conversions. Nothing converts to 0 / the empty text; a text that is
// not a number raises kTypeMismatch.
std::int16_t CInt(const Variant& v);
std::int32_t CLng(const Variant& v);
std::int32_t CLng(const std::wstring& text);
std::wstring CStr(const Variant& v);

// 16-bit arithmetic that raises kOverflow.
std::int16_t Add16(std::int16_t a, std::int16_t b);
std::int16_t Sub16(std::int16_t a, std::int16_t b);

// Shortest decimal text of a single-precision value ("2805", "12.5").
std::wstring SingleToText(float x);

}  // namespace vb
