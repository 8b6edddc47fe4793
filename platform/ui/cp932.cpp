#include "platform/ui/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace volq {
namespace {

bool Ascii(std::string_view s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; a sequence that does not convert becomes '?' when lenient,
  // and otherwise ends the conversion with false.
  bool Convert(std::string_view in, std::string& out, bool lenient) {
    out.clear();
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char buf[4096];
    while (left > 0) {
      char* dst = buf;
      size_t room = sizeof buf;
      size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buf, dst - buf);
      if (r != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      if (!lenient) return false;
      out += '?';
      ++src;
      --left;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
  }

 private:
  iconv_t cd_;
};

Converter& ToCp932Converter() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}

Converter& ToUtf8Converter() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}

}  // namespace

std::optional<std::string> TryCp932(std::string_view utf8) {
  if (Ascii(utf8)) return std::string(utf8);
  std::string out;
  if (!ToCp932Converter().Convert(utf8, out, false)) return std::nullopt;
  return out;
}

std::string Cp932(std::string_view utf8) {
  std::optional<std::string> s = TryCp932(utf8);
  if (!s) throw std::invalid_argument("no code page 932 form: " + std::string(utf8));
  return *std::move(s);
}

std::string ToUtf8(std::string_view cp932) {
  if (Ascii(cp932)) return std::string(cp932);
  std::string out;
  ToUtf8Converter().Convert(cp932, out, true);
  return out;
}

}  // namespace volq
