// The fuzz targets' own account of how a file's bytes become lines, written
// from the files' rules and not from the program's code: iconv (not the
// program) tells valid UTF-8 and UTF-16 and converts them.
//  - EF BB BF and valid UTF-8 after it: UTF-8 with its mark;
//  - FF FE and whole, well-paired UTF-16 LE after it: UTF-16 with its mark;
//  - valid UTF-8 that holds a sequence of three or four bytes: UTF-8;
//  - anything else: code page 932, byte for byte.
// The body (UTF-8 for UTF-16 files) is split into lines at CR LF, CR or LF;
// a break at the very end starts no empty line. A UTF file is written back
// with the one kind of line end it has (CR LF where it mixes them or has
// none), a code page 932 file with CR LF.
#pragma once

#include <iconv.h>

#include <optional>
#include <string>
#include <vector>

#include "store/text_format.h"

namespace file_model {

// `in` converted by iconv, or nothing where it is not valid in `from`.
inline std::optional<std::string> Convert(const char* to, const char* from,
                                          const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(in.size() * 2 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  char* dst = out.data();
  std::size_t left = in.size(), room = out.size();
  const bool ok = iconv(cd, &src, &left, &dst, &room) != std::size_t(-1) &&
                  iconv(cd, nullptr, nullptr, &dst, &room) != std::size_t(-1);
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(out.size() - room);
  return out;
}

inline bool ValidUtf8(const std::string& s) {
  return Convert("UTF-16LE", "UTF-8", s).has_value();
}

enum class Encoding { Cp932, Utf8, Utf8Mark, Utf16 };

struct Text {
  Encoding encoding = Encoding::Cp932;
  std::string body;
  std::string lineBreak = "\r\n";
};

inline std::vector<std::string> Lines(const std::string& body) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] != '\r' && body[i] != '\n') {
      line += body[i];
      continue;
    }
    if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') ++i;
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// The one kind of line end a UTF body uses, or CR LF.
inline std::string LineBreakOf(const std::string& body) {
  std::size_t crlf = 0, cr = 0, lf = 0;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') {
      ++crlf;
      ++i;
    } else {
      cr += body[i] == '\r';
      lf += body[i] == '\n';
    }
  }
  if (lf && !cr && !crlf) return "\n";
  if (cr && !lf && !crlf) return "\r";
  return "\r\n";
}

inline Text Read(const std::string& file) {
  Text t;
  t.body = file;
  const bool utf8Mark = file.rfind("\xEF\xBB\xBF", 0) == 0;
  const bool utf16Mark = file.rfind("\xFF\xFE", 0) == 0;
  std::optional<std::string> utf16;
  if (utf16Mark) utf16 = Convert("UTF-8", "UTF-16LE", file.substr(2));
  if (utf8Mark && ValidUtf8(file.substr(3))) {
    t.encoding = Encoding::Utf8Mark;
    t.body = file.substr(3);
  } else if (utf16) {
    t.encoding = Encoding::Utf16;
    t.body = *utf16;
  } else if (ValidUtf8(file) &&
             file.find_first_of("\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA"
                                "\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4") !=
                 std::string::npos) {
    t.encoding = Encoding::Utf8;
  }
  if (t.encoding != Encoding::Cp932) t.lineBreak = LineBreakOf(t.body);
  return t;
}

// The file that holds `lines` in the encoding, mark and line ends of `like`.
inline std::string Write(const std::vector<std::string>& lines,
                         const Text& like) {
  std::string body;
  for (const std::string& line : lines) body += line + like.lineBreak;
  switch (like.encoding) {
    case Encoding::Utf8Mark:
      return "\xEF\xBB\xBF" + body;
    case Encoding::Utf16:
      return "\xFF\xFE" + Convert("UTF-16LE", "UTF-8", body).value_or("?");
    default:
      return body;
  }
}

// The program's name of an encoding, to hand it a model's text.
inline textfile::Encoding ProgramEncoding(Encoding e) {
  switch (e) {
    case Encoding::Utf8:
      return textfile::Encoding::Utf8;
    case Encoding::Utf8Mark:
      return textfile::Encoding::Utf8Bom;
    case Encoding::Utf16:
      return textfile::Encoding::Utf16Le;
    default:
      return textfile::Encoding::Cp932;
  }
}

}  // namespace file_model
