// Text in code page 932 through iconv. A character that code page 932 can't
// hold becomes "?", as does a byte sequence that is not valid in it.
#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "platform/platform.h"

namespace platform {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error("iconv: code page 932 not available");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts in; an unconvertible unit of `unit` bytes is replaced by
  // `replacement` and skipped.
  std::string Run(const char* in, std::size_t inLeft, std::size_t unit,
                  const std::string& replacement) {
    std::string out;
    char buf[512];
    char* src = const_cast<char*>(in);
    while (inLeft > 0) {
      char* dst = buf;
      std::size_t outLeft = sizeof buf;
      std::size_t rc = iconv(cd_, &src, &inLeft, &dst, &outLeft);
      out.append(buf, dst);
      if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      out += replacement;  // EILSEQ or a truncated sequence at the end
      std::size_t skip = inLeft < unit ? inLeft : unit;
      src += skip;
      inLeft -= skip;
    }
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string ToAnsi(const std::wstring& text) {
  Converter conv("CP932", "WCHAR_T");
  return conv.Run(reinterpret_cast<const char*>(text.data()),
                  text.size() * sizeof(wchar_t), sizeof(wchar_t), "?");
}

std::wstring FromAnsi(const std::string& bytes) {
  Converter conv("WCHAR_T", "CP932");
  wchar_t question = L'?';
  std::string wide = conv.Run(
      bytes.data(), bytes.size(), 1,
      std::string(reinterpret_cast<const char*>(&question), sizeof question));
  return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()),
                      wide.size() / sizeof(wchar_t));
}

}  // namespace platform
