#pragma once
// Character widths of code page 932 text. The record fields are fixed byte
// widths, but a text field of the original program holds a fixed number of
// characters: a double-byte character (lead byte and trail byte) is one
// character in two bytes, so such a text written back takes more bytes than
// its field.
#include <cstddef>
#include <string>
#include <string_view>

namespace volq {

constexpr bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
constexpr bool IsCp932TrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Characters of a code page 932 text: a lead byte followed by a trail byte is
// one character; every other byte (ASCII, half-width katakana, a lead byte at
// the end or before a byte that cannot trail) is one character by itself.
size_t Cp932Length(std::string_view bytes);

// The text of `width` characters that a field holds: its bytes followed by
// blanks up to `width` characters, nothing trimmed; a text of more characters
// is cut after `width` characters. A 36-byte name with two double-byte
// characters so becomes 38 bytes.
std::string Cp932FixedText(std::string_view bytes, size_t width);

}  // namespace volq
