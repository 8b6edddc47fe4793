#include "common/cp932_text.h"

#include <gtest/gtest.h>

namespace volq {
namespace {

TEST(Cp932Text, FixedTextPadsToWidthInCharacters) {
  const std::string kana_a = "\x83\x41";  // katakana A, one character
  const struct {
    std::string bytes;
    size_t width;
    size_t length;     // characters of bytes
    std::string text;  // the fixed text
  } cases[] = {
      {"2001100001", 10, 10, "2001100001"},
      {"ABC", 5, 3, "ABC  "},
      {"", 4, 0, "    "},
      // A 36-byte name with two double-byte characters: 34 characters, 38 bytes.
      {kana_a + kana_a + std::string(32, ' '), 36, 34, kana_a + kana_a + std::string(34, ' ')},
      // Half-width katakana are single bytes.
      {"\xB1\xB2", 3, 2, "\xB1\xB2 "},
      // A lead byte at the end, or before a byte that cannot trail, stands alone.
      {"AB\x83", 3, 3, "AB\x83"},
      {"\x83 A", 3, 3, "\x83 A"},
      // More characters than the width are cut after the width.
      {"ABCDE", 3, 5, "ABC"},
      {"A" + kana_a + "B", 2, 3, "A" + kana_a},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp932Length(c.bytes), c.length) << c.bytes;
    EXPECT_EQ(Cp932FixedText(c.bytes, c.width), c.text) << c.bytes;
  }
  EXPECT_EQ(Cp932FixedText(kana_a + kana_a + std::string(32, ' '), 36).size(), 38u);
}

}  // namespace
}  // namespace volq
