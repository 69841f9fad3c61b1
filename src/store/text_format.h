// The encodings and line ends of tag.txt and setup.ini.
//
// The program makes its files in code page 932 with CR LF. A file that
// another program saved in UTF-8 or UTF-16 (Notepad saves new files as
// UTF-8) is read in that encoding and written back in it, with its
// byte-order mark and the line ends it had, so neither its text nor its
// form changes behind the user's back.
//
// A file is taken as:
// - UTF-8 with its mark: EF BB BF followed by valid UTF-8;
// - UTF-16 LE with its mark: FF FE followed by whole, well-paired units;
// - UTF-8 without a mark: valid UTF-8 that holds at least one sequence of
//   three or four bytes (a code page 932 file of half-width katakana can
//   form valid two-byte UTF-8 by chance, "ﾃｽ" is C3 BD, and must stay
//   code page 932);
// - otherwise code page 932, byte for byte as it always was (store/
//   ansi_text.h keeps even bytes the code page lacks).
//
// Code works on a file's "body": its bytes for code page 932, UTF-8
// without the mark for the other encodings. CR, LF and every ASCII
// character the files' syntax uses are never part of a longer character in
// either, so lines and fields can be split on the body's bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace textfile {

enum class Encoding { Cp932, Utf8, Utf8Bom, Utf16Le };
enum class LineEnd { CrLf, Lf, Cr };

struct Format {
  Encoding encoding = Encoding::Cp932;
  // How a UTF file's lines end: the one kind it uses, CR LF when it mixes
  // them or has none. Code page 932 files are written with CR LF.
  LineEnd lineEnd = LineEnd::CrLf;
  bool operator==(const Format& o) const {
    return encoding == o.encoding && lineEnd == o.lineEnd;
  }
  bool operator!=(const Format& o) const { return !(*this == o); }
};

// Whether every character can be stored in a file of the encoding.
inline bool StoresAnyCharacter(Encoding e) { return e != Encoding::Cp932; }

Format Detect(const std::string& fileBytes);

// The file's body, and a body written back as a file of the format.
std::string Body(const std::string& fileBytes, const Format& format);
std::string FileBytes(const std::string& body, const Format& format);

// A body's bytes as text and back: code page 932 through store/ansi_text.h,
// the others as UTF-8 (a lone surrogate, which no UTF file holds, is
// written as U+FFFD).
std::wstring Decode(const std::string& body, Encoding e);
std::string Encode(const std::wstring& text, Encoding e);

// How many bytes the text takes in a file of the encoding.
std::size_t EncodedSize(const std::wstring& text, Encoding e);

// A body's lines, each ended by CR LF, CR or LF alike; a line break at the
// very end ends the last line and starts no empty one.
std::vector<std::string> SplitLines(const std::string& body);

// The line break a file of the format is written with.
const char* LineBreak(const Format& format);

}  // namespace textfile
