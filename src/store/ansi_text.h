// Byte-exact text in code page 932: the files keep every byte they hold,
// even bytes that the code page does not define.
//
// Decoding walks the bytes by the fixed structure of code page 932 (single
// bytes 0x00-0x7F and 0xA1-0xDF; a lead byte 0x81-0x9F or 0xE0-0xFC with a
// trail byte 0x40-0x7E or 0x80-0xFC). A unit that does not decode, or does
// not encode back to the very same bytes, becomes one escape code unit per
// byte: a lone low surrogate U+DC00 + byte, which no text from the code page
// can hold. Encoding turns the escapes back into their bytes, so whatever
// was read is written back unchanged. CR, LF and "," are never trail bytes,
// so splitting lines or fields on them after decoding is safe.
#pragma once

#include <cstddef>
#include <string>

namespace ansi {

// The length in bytes (1 or 2) of the unit that starts at bytes[pos].
std::size_t UnitLength(const std::string& bytes, std::size_t pos);

// True for a code unit that carries an undecodable byte.
bool IsEscape(wchar_t c);

std::wstring Decode(const std::string& bytes);
std::string Encode(const std::wstring& text);

// The text for showing or pasting elsewhere: every escape as "・". Only the
// files keep the bytes themselves.
std::wstring Readable(std::wstring text);

}  // namespace ansi
