#include "platform/text/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

#include "platform/base/failure.h"

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
  if (!s) FailConversion("no code page 932 form", utf8);
  return *std::move(s);
}

std::string ToUtf8(std::string_view cp932) {
  if (Ascii(cp932)) return std::string(cp932);
  std::string out;
  ToUtf8Converter().Convert(cp932, out, true);
  return out;
}

namespace {

// Full-width forms of U+FF61..U+FF9F, the half-width katakana and signs.
constexpr char32_t kHalfWidthKana[63] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};

std::vector<char32_t> CodePoints(std::string_view utf8) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < utf8.size();) {
    auto b = static_cast<unsigned char>(utf8[i]);
    size_t n = b < 0x80 ? 1 : b < 0xe0 ? 2 : b < 0xf0 ? 3 : 4;
    char32_t cp = n == 1 ? b : b & (0x7f >> n);
    for (size_t k = 1; k < n && i + k < utf8.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3f);
    out.push_back(cp);
    i += n;
  }
  return out;
}

void AppendUtf8(std::string& s, char32_t cp) {
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xc0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3f));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xe0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
    s += static_cast<char>(0x80 | (cp & 0x3f));
  } else {
    s += static_cast<char>(0xf0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3f));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
    s += static_cast<char>(0x80 | (cp & 0x3f));
  }
}

}  // namespace

std::string WidthFolded(std::string_view cp932) {
  const std::vector<char32_t> in = CodePoints(ToUtf8(cp932));
  std::string out;
  for (size_t i = 0; i < in.size(); ++i) {
    char32_t cp = in[i];
    if (cp >= 0xff01 && cp <= 0xff5e) {
      cp -= 0xff01 - 0x21;
    } else if (cp == 0x3000) {
      cp = ' ';
    } else if (cp >= 0xff61 && cp <= 0xff9f) {
      const char32_t half = cp;
      cp = kHalfWidthKana[half - 0xff61];
      const char32_t mark = i + 1 < in.size() ? in[i + 1] : 0;
      const bool ka_to = half >= 0xff76 && half <= 0xff84, ha_ho = half >= 0xff8a && half <= 0xff8e;
      if (mark == 0xff9e && (ka_to || ha_ho)) {
        cp += 1, ++i;
      } else if (mark == 0xff9e && half == 0xff73) {
        cp = 0x30f4, ++i;  // ヴ
      } else if (mark == 0xff9f && ha_ho) {
        cp += 2, ++i;
      }
    }
    AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace volq
