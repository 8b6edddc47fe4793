#include "common/cp932_text.h"

namespace volq {

namespace {

// Bytes of the character that starts at i.
size_t CharBytes(std::string_view bytes, size_t i) {
  if (i + 1 < bytes.size() && IsCp932LeadByte(static_cast<unsigned char>(bytes[i])) &&
      IsCp932TrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
    return 2;
  }
  return 1;
}

}  // namespace

size_t Cp932Length(std::string_view bytes) {
  size_t chars = 0;
  for (size_t i = 0; i < bytes.size(); i += CharBytes(bytes, i)) ++chars;
  return chars;
}

std::string Cp932FixedText(std::string_view bytes, size_t width) {
  size_t chars = 0, end = 0;
  while (end < bytes.size() && chars < width) {
    end += CharBytes(bytes, end);
    ++chars;
  }
  std::string text(bytes.substr(0, end));
  text.append(width - chars, ' ');
  return text;
}

}  // namespace volq
