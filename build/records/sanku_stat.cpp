#include "build/records/sanku_stat.h"

#include <cmath>
#include <vector>

#include "build/records/text_fields.h"
#include "common/list_layout.h"
#include "common/record_layout.h"
#include "common/records.h"
#include "platform/fs/number_text.h"
#include "platform/fs/text_list.h"

namespace volq {

namespace {

// The lines of a block and of its numbers' file, as docs/fields.md names them.
static_assert(EntryCount(kPlacingBlockLines) == kSankuLines);
static_assert(EntryCount(kPlacingNumberLines) == kSankuValues);

// Where each of the 174 items comes from. Items 169 and 170 are the constant
// "000"; 171 and 172 are the flags of the earnings totals at 173 and 174.
struct ItemSource {
  Slice field{0, 0};
  enum Kind { kField, kZero, kFlag } kind = kField;
};

std::vector<ItemSource> BuildSources() {
  std::vector<ItemSource> s;
  // The six counts of each of `blocks` blocks, which lie back to back.
  auto counts = [&](Slice first, int blocks) {
    for (int c = 0; c < 6 * blocks; ++c) s.push_back({Nth(first, c)});
  };
  counts(HorseField("course[0].count[0]"), 7);
  counts(HorseField("going[0].count[0]"), 12);
  counts(HorseField("distance[0].count[0]"), 6);
  for (int r = 0; r < 4; ++r) s.push_back({Nth(HorseField("style[0]"), r)});
  s.push_back({HorseField("prize[0]")});  // flat main prize
  s.push_back({HorseField("prize[1]")});  // jump main prize
  counts(HorseField("overall.count[0]"), 1);
  counts(HorseField("central.count[0]"), 1);
  Slice flat_earned = HorseField("prize[4]"), jump_earned = HorseField("prize[5]");
  s.push_back({{}, ItemSource::kZero});
  s.push_back({{}, ItemSource::kZero});
  s.push_back({flat_earned, ItemSource::kFlag});
  s.push_back({jump_earned, ItemSource::kFlag});
  s.push_back({flat_earned});
  s.push_back({jump_earned});
  return s;
}

const std::vector<ItemSource>& Sources() {
  static const std::vector<ItemSource> s = BuildSources();
  return s;
}

// An earnings flag is set when its total, read as a decimal number, is above
// 0: a total of "0000000.4" earned something, though it counts as 0 among
// the whole numbers of the block. A text that is no number earned nothing.
bool EarnedAnything(std::string_view total) {
  NumberText n;
  return ScanNumber(total, n) && ValueOf(n) > 0;
}

}  // namespace

int64_t ItemValue(std::string_view item) {
  // Almost every item is a count of plain digits: read it at once, to the
  // same value as the full reading below (which is exact up to 15 digits).
  if (!item.empty() && item.size() <= 15) {
    int64_t v = 0;
    size_t i = 0;
    for (; i < item.size() && item[i] >= '0' && item[i] <= '9'; ++i) v = 10 * v + (item[i] - '0');
    if (i == item.size()) return v;
  }
  NumberText n;
  if (!ScanNumber(item, n)) return 0;
  // A fraction rounds half to even under the default rounding mode.
  return static_cast<int64_t>(std::nearbyint(ValueOf(n)));
}

SankuStat SankuStatBlock(std::string_view horse) {
  SankuStat st;
  TextListText block;
  block.Reserve(1200);
  const std::vector<ItemSource>& src = Sources();
  for (int k = 0; k < kSankuValues; ++k) {
    std::string_view item;
    switch (src[k].kind) {
      case ItemSource::kField:
        item = src[k].field.Of(horse);
        break;
      case ItemSource::kZero:
        item = "000";
        break;
      case ItemSource::kFlag:
        item = EarnedAnything(src[k].field.Of(horse)) ? "001" : "000";
        break;
    }
    st.values[k] = ItemValue(item);
    block.String(item);
    if (k % 6 == 5) block.EndLine();
  }
  st.text = block.Take();
  return st;
}

int64_t LineSum(const SankuValues& v, int line, int first, int last) {
  int64_t sum = 0;
  for (int j = first; j <= last; ++j) sum += ValueAt(v, 6 * (line - 1) + j);
  return sum;
}

std::string LineRate(const SankuValues& v, int line, int places) {
  return RateField6(LineSum(v, line, 1, places), LineSum(v, line));
}

std::string BlockRates(const SankuValues& v, int places) {
  std::string out;
  for (int line = 1; line <= 25; ++line) out += LineRate(v, line, places);
  return out;
}

std::string StyleCode6(int64_t leader, int64_t front, int64_t mid, int64_t closer) {
  int64_t f = leader + front;
  if (f == 0) return "0000  ";
  double w = static_cast<double>(mid + closer) / static_cast<double>(f);
  int c = w >= 4.0 ? 4 : static_cast<int>(w);
  return std::string("1") + static_cast<char>('0' + c) + "00  ";
}

std::string StyleCode6(const SankuValues& v) {
  return StyleCode6(ValueAt(v, 151), ValueAt(v, 152), ValueAt(v, 153), ValueAt(v, 154));
}

std::string SankuNumberText(const SankuValues& v) {
  std::string out;
  out.reserve(kSankuValues * 4);
  for (int64_t x : v) {
    out += std::to_string(x);
    out += "\r\n";
  }
  return out;
}

std::string KyosobaRecord(std::string_view horse, const SankuValues& v) {
  constexpr Slice kPedigree = HorseField("pedigree_number");
  std::string r(kKyosobaLength, ' ');
  auto put = [&](Slice field, std::string_view text) { PutText(r, field, text); };
  put(KyosobaField("pedigree_number"), kPedigree.Of(horse));
  put(KyosobaField("overall_top3_rate"), LineRate(v, 27, 3));
  put(KyosobaField("central_top3_rate"), LineRate(v, 28, 3));
  put(KyosobaField("central_starts"), CountField6(LineSum(v, 28)));
  put(KyosobaField("jump_starts"), CountField6(LineSum(v, 7)));
  put(KyosobaField("flat_main_prize"), MoneyField9(ValueAt(v, 155)));
  put(KyosobaField("jump_main_prize"), MoneyField9(ValueAt(v, 156)));
  put(KyosobaField("flat_earnings"), MoneyField9(ValueAt(v, 173)));
  put(KyosobaField("jump_earnings"), MoneyField9(ValueAt(v, 174)));
  put(KyosobaField("line_top3_rate"), BlockRates(v, 3));
  put(KyosobaField("style_code"), StyleCode6(v));
  put(KyosobaField("crlf"), "\r\n");
  return r;
}

}  // namespace volq
