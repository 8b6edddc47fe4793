#pragma once
// Test helper: stored horse records with the fields the placing statistics
// and the offspring statistics read, set by field name.
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/record_layout.h"

namespace volq::testing {

class HorseRec {
 public:
  // Blanks with "UM", the data kind, the pedigree number, every count "000",
  // every prize total "000000000", races "000" and CR LF.
  explicit HorseRec(std::string_view pedigree, char kind = '1')
      : bytes_(static_cast<size_t>(kHorseLength), ' ') {
    Set(0, "UM");
    Set(2, std::string(1, kind));
    Set("pedigree_number", pedigree);
    Set("deregistration_flag", "0");
    constexpr Slice counts = LayoutSpan(kHorseTable, "overall.count[0]", "registered_races");
    bytes_.replace(counts.offset, counts.length, std::string(counts.length, '0'));
    constexpr Slice prizes = LayoutSpan(kHorseTable, "prize[0]", "prize[5]");
    bytes_.replace(prizes.offset, prizes.length, std::string(prizes.length, '0'));
    Set(kHorseLength - 2, "\r\n");
  }
  HorseRec& Set(int offset, std::string_view text) {
    bytes_.replace(offset, text.size(), text);
    return *this;
  }
  HorseRec& Set(std::string_view field, std::string_view text) {
    return Set(HorseLayout().field(field).offset, text);
  }
  // Six placing counts of a block: "overall", "central", "course[6]", "going[0]" ...
  HorseRec& Counts(const std::string& block, std::array<int, 6> c) {
    for (int j = 0; j < 6; ++j) Set(block + ".count[" + std::to_string(j) + "]", Digits(c[j], 3));
    return *this;
  }
  HorseRec& Style(int leader, int front, int mid, int closer) {
    const int s[4] = {leader, front, mid, closer};
    for (int j = 0; j < 4; ++j) Set("style[" + std::to_string(j) + "]", Digits(s[j], 3));
    return *this;
  }
  // Prize total j: 0 flat main, 1 jump main, 2/3 added, 4 flat earned, 5 jump earned.
  HorseRec& Prize(int j, int64_t value) {
    return Set("prize[" + std::to_string(j) + "]", Digits(value, 9));
  }
  HorseRec& Sire(std::string_view number) { return Set("ancestor[0].breeding_number", number); }
  HorseRec& Dam(std::string_view number) { return Set("ancestor[1].breeding_number", number); }
  HorseRec& Deregistered(std::string_view flag, std::string_view races) {
    Set("deregistration_flag", flag);
    return Set("registered_races", races);
  }
  const std::string& bytes() const { return bytes_; }
  operator std::string() const { return bytes_; }

  static std::string Digits(int64_t v, int width) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(v));
    return buf;
  }

 private:
  std::string bytes_;
};

}  // namespace volq::testing
