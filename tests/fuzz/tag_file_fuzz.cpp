// Fuzz target for the tag-file reader and writer. For any tag.txt (with a
// UTF-8 or UTF-16 mark, or mixed line ends):
//  - a file that does not load ends the process after the read failure
//    message and a line naming what is wrong, and stays as it was;
//  - a file that loads saves to exactly the bytes that a model working on
//    the file's bytes alone predicts: in the encoding it was taken for
//    (UTF-16 turned to UTF-8 and back by iconv, not by the program), its
//    lines ended at CR LF, CR or LF, each row numbered by its place, the
//    other numbers in their decimal form, every line break inside a field as
//    "%cr%", a comma as "%cm%", every other byte (those code page 932 lacks
//    included) unchanged, the lines ended as the file ended them (CR LF for
//    code page 932 and where they were mixed), and the mark put back;
//  - the saved file loads again and saves as the model says: to the same
//    bytes, unless the save left nothing that tells its encoding.
#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "store/text_format.h"

namespace {

using fuzz_support::Check;

const wchar_t kReadFailed[] =
    L"データの読み込みに失敗しました。\r\n強制終了します。";

std::string ReplaceAll(std::string text, const std::string& from,
                       const std::string& to) {
  for (std::size_t pos = text.find(from); pos != std::string::npos;
       pos = text.find(from, pos + to.size()))
    text.replace(pos, from.size(), to);
  return text;
}

std::vector<std::string> Split(const std::string& text, char at) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t cut; (cut = text.find(at, start)) != text.npos;
       start = cut + 1)
    parts.push_back(text.substr(start, cut - start));
  parts.push_back(text.substr(start));
  return parts;
}

// The body's lines: each ended by CR LF, CR or LF.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') {
      line += bytes[i];
      continue;
    }
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string Iconv(const char* to, const char* from, const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  Check(cd != reinterpret_cast<iconv_t>(-1), "iconv opens");
  std::string out(in.size() * 2 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  char* dst = out.data();
  std::size_t left = in.size(), room = out.size();
  Check(iconv(cd, &src, &left, &dst, &room) != static_cast<std::size_t>(-1),
        "a file taken for UTF-16 converts");
  iconv_close(cd);
  out.resize(out.size() - room);
  return out;
}

// The file's body as the model reads it and the line break it writes: a
// file's only kind of line end for UTF-8 and UTF-16, else CR LF.
struct Model {
  std::string body, lineBreak, mark;
  bool utf16 = false;
};

Model ModelOf(const std::string& file) {
  Model m;
  const textfile::Encoding encoding = textfile::Detect(file).encoding;
  m.body = file;
  if (encoding == textfile::Encoding::Utf8Bom) m.mark = file.substr(0, 3);
  if (encoding == textfile::Encoding::Utf16Le) {
    m.mark = file.substr(0, 2);
    m.utf16 = true;
    m.body = Iconv("UTF-8", "UTF-16LE", file.substr(2));
  } else {
    m.body = file.substr(m.mark.size());
  }
  m.lineBreak = "\r\n";
  if (encoding == textfile::Encoding::Cp932) return m;
  std::size_t crlf = 0, cr = 0, lf = 0;
  for (std::size_t i = 0; i < m.body.size(); ++i) {
    const bool pair =
        m.body[i] == '\r' && i + 1 < m.body.size() && m.body[i + 1] == '\n';
    crlf += pair;
    cr += m.body[i] == '\r' && !pair;
    lf += m.body[i] == '\n' && !(i > 0 && m.body[i - 1] == '\r');
  }
  if (lf && !cr && !crlf) m.lineBreak = "\n";
  if (cr && !lf && !crlf) m.lineBreak = "\r";
  return m;
}

std::string Expected(const std::string& file) {
  const Model m = ModelOf(file);
  std::string out;
  int row = 0;
  for (const std::string& line : Lines(m.body)) {
    std::vector<std::string> fields = Split(line, ',');
    Check(fields.size() >= 8, "a loaded line has eight fields");
    for (int k = 0; k < 8; ++k) {
      std::string field = fields[k];
      if (k == 0) {
        Check(vb::ParseNumber(std::wstring(field.begin(), field.end()))
                  .has_value(),
              "a loaded No field is a number");
        field = std::to_string(row++);
      } else if (k < 5) {
        auto n = vb::ParseNumber(std::wstring(field.begin(), field.end()));
        Check(n.has_value(), "a loaded number field is a number");
        field = std::to_string(static_cast<int>(vb::RoundHalfEven(*n)));
      } else {
        field = ReplaceAll(ReplaceAll(field, "%cr%", "\r\n"), "%cm%", ",");
        field = ReplaceAll(ReplaceAll(field, "\r\n", "%cr%"), "\r", "%cr%");
        field = ReplaceAll(ReplaceAll(field, "\n", "%cr%"), ",", "%cm%");
      }
      out += field + (k < 7 ? "," : m.lineBreak);
    }
  }
  return m.mark + (m.utf16 ? Iconv("UTF-16LE", "UTF-8", out) : out);
}

// Loads tag.txt; false when the load ended the process.
bool Load() {
  try {
    modPublic::LoadTagFile();
    return true;
  } catch (const platform::headless::ProcessEnded&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace platform::headless;
  const std::string file(reinterpret_cast<const char*>(data), size);
  fuzz_support::Reset();
  fuzz_support::WriteFile("tag.txt", file);
  if (!Load()) {
    const std::wstring prompt =
        MsgBoxes().size() == 1 ? MsgBoxes()[0].prompt : L"";
    Check(prompt.rfind(std::wstring(kReadFailed) + L"\r\n", 0) == 0 &&
              prompt.find(L" 行目: ") != std::wstring::npos,
          "a refused file ends after the read failure message and its line");
    Check(fuzz_support::ReadFile("tag.txt") == file,
          "a refused file stays as it was");
    return 0;
  }
  Check(MsgBoxes().empty(), "a loaded file shows no message");
  modPublic::SaveTagFile();
  const std::string saved = fuzz_support::ReadFile("tag.txt");
  Check(saved == Expected(file), "the save writes back every byte it read");

  fuzz_support::Reset();
  fuzz_support::WriteFile("tag.txt", saved);
  Check(Load(), "a saved file loads");
  modPublic::SaveTagFile();
  const std::string again = fuzz_support::ReadFile("tag.txt");
  Check(again == Expected(saved), "a saved file saves as the model says");
  // A UTF-8 file without a mark whose only long sequences were in fields
  // the load drops is plain code page 932 the next time.
  if (textfile::Detect(saved).encoding == textfile::Detect(file).encoding)
    Check(again == saved, "a saved file saves to the same bytes");
  return 0;
}
