// Alternatives of factors 18 (jockey age band), 19 (trainer results), 20
// (sire statistic) and 22 (distance code).
#include <cmath>
#include <span>
#include <utility>

#include "build/factors_alt/alt_terms.h"
#include "build/factors_alt/alternative_factors.h"
#include "platform/fs/file_failure.h"
#include "platform/text/cp932.h"

namespace volq {

namespace {

// Whole percent of a results record's rate text at 6:6 held to "0".."8";
// "0" when there is no record.
std::string RateDigit(const std::string* rec) {
  std::string part = "0";
  if (rec) part = Decimal(RatePercent(SmallTallyField("top3_rate").Of(*rec)));
  int32_t n = Integer(part);
  return n < 0 || n > 8 ? "8" : part;
}

// Results rows are counted in 16 bits; a sum beyond them fails.
int16_t Add16(int16_t a, int16_t b) { return Whole<int16_t>(int32_t{a} + b); }

// Country of birth of a horse bred abroad: the country character followed by
// an ideographic space at the start of the birthplace.
std::string CountryCode(std::string_view birthplace) {
  static const std::pair<std::string, const char*> kCountries[] = {
      {Cp932("愛　"), "51"}, {Cp932("仏　"), "52"}, {Cp932("加　"), "53"}, {Cp932("新　"), "54"},
      {Cp932("英　"), "55"}, {Cp932("米　"), "56"}, {Cp932("豪　"), "57"}, {Cp932("独　"), "58"}};
  std::string_view head = birthplace.substr(0, 4);
  for (const auto& [place, code] : kCountries) {
    if (head == place) return code;
  }
  return "00";
}

// Birth month digits with the sex digit ("1" colts and geldings, "2"
// fillies); months outside "02" to "06" all give "010".
std::string MonthSex(FactorFrame& f) {
  std::string_view month = f.Ex("birth_date.month");
  if (month > "06" || month < "02") return "010";
  std::string_view sex = f.Ex("sex");
  return std::string(month) + (sex == "1" || sex == "3" ? "1" : "2");
}

}  // namespace

std::string AlternativeFactors::Factor18SeisanshaCode() {
  f.ReadEx(f.r);
  std::string_view breeder = f.Ex("breeder_code");
  return breeder == "        " ? "393126" : std::string(breeder);
}

std::string AlternativeFactors::Factor18BanusiBreeder() {
  f.ReadEx(f.r);
  std::string owner =
      RateDigit(f.LookupRecord(kOwnerTallyFile, kSmallTallyLength, f.Ex("owner_code")));
  // Breeder results are kept under the first six characters of the code.
  std::string breeder =
      RateDigit(f.LookupRecord(kBreederTallyFile, kSmallTallyLength, f.Ex({"breeder_code", 0, 6})));
  return breeder + owner;
}

std::string AlternativeFactors::Factor19ChokyoshiCode() {
  f.ReadEx(f.r);
  return std::string(f.Ex("trainer_code"));
}

std::string AlternativeFactors::Factor19ChokyoArray() {
  f.ReadEx(f.r);
  const auto& table = TrainerResultCounts;
  int32_t trainer = Integer(f.Ex("trainer_code"));
  size_t k = 0;
  for (size_t i = 1; i <= 1500; ++i) {
    if (table[i][0] == trainer) {
      k = i;
      break;
    }
  }
  const auto& row = table[k];
  int32_t t = Integer(f.TrackCode());
  // Columns of the top-three counts and of the other counts of the course type.
  static constexpr int kTurfTop[] = {1, 2, 3, 13, 14, 15}, kTurfOther[] = {4, 5, 6, 16, 17, 18};
  static constexpr int kDirtTop[] = {7, 8, 9, 19, 20, 21}, kDirtOther[] = {10, 11, 12, 22, 23, 24};
  static constexpr int kJumpTop[] = {37, 38, 39}, kJumpOther[] = {40, 41, 42};
  std::span<const int> top_columns = kJumpTop, other_columns = kJumpOther;
  if (t >= 0 && t <= 22) {
    top_columns = kTurfTop;
    other_columns = kTurfOther;
  } else if (t >= 23 && t <= 49) {
    top_columns = kDirtTop;
    other_columns = kDirtOther;
  }
  int16_t top = 0;
  for (int c : top_columns) top = Add16(top, row[static_cast<size_t>(c)]);
  int16_t all = top;
  for (int c : other_columns) all = Add16(all, row[static_cast<size_t>(c)]);
  const int16_t scaled = Whole<int16_t>(25 * int32_t{top});
  double x = all == 0 ? 0 : std::nearbyint(static_cast<double>(scaled) / all);
  if (x > 20) x = 20;
  return LastChars(Decimal(Whole<int64_t>(x) + 1000), 2) + "0";
}

std::string AlternativeFactors::Factor20PedigreeSlotCode() {
  f.ReadEx(f.r);
  return "1" + std::string(f.Ex("pedigree[5].breeding_number")) + "1";
}

std::string AlternativeFactors::Factor20PedigreeSlotCodeB() {
  f.ReadEx(f.r);
  return "1" + std::string(f.Ex("pedigree[4].breeding_number")) + "1";
}

std::string AlternativeFactors::Factor20KishuGotoLookup() {
  f.ReadEx(f.r);
  int32_t all = 0, top2 = 0;
  {
    // The jockey's first rides, 501 at most.
    auto history = OpenJockeyHistory(f.dir(), f.JockeyCode());
    for (int32_t k = 1, n = history->Count(); k <= n && all <= 500; ++k) {
      std::string ride = std::string(history->View(k));
      ++all;
      if (TopTwo(ride)) ++top2;
    }
  }
  int32_t d = all == 0 ? 0 : top2 * 10 / all;
  f.ReadEx(f.r);
  if (f.RecordCount == 1) return "00";
  return LastChars(Decimal(d + 1000), 2);
}

std::string AlternativeFactors::Factor20KishuGotoFlag() {
  f.ReadEx(f.r);
  int32_t all = 0, top2 = 0;
  {
    // The jockey's latest 101 rides of data kind "7", newest first.
    auto history = OpenJockeyHistory(f.dir(), f.JockeyCode());
    for (int32_t k = history->Count(); k >= 1 && all <= 100; --k) {
      std::string ride = std::string(history->View(k));
      if (Ride().data_kind.Of(ride) != "7") continue;
      ++all;
      if (TopTwo(ride)) ++top2;
    }
  }
  int32_t x = all == 0 ? 0 : top2 * 50 / all;
  f.ReadEx(f.r);
  int32_t cap = InRange(f.TrackCode(), "00", "29") ? 15 : 10;
  if (x > cap) x = cap;
  if (f.RecordCount == 1) return "00";
  return LastChars(Decimal(x + 1000), 2);
}

std::string AlternativeFactors::Factor20StallionLog() {
  f.ReadEx(f.r);
  std::string_view sire = f.Sire();
  if (sire == "0000000000") return "0";
  const std::string* rec = f.LookupRecord(kStallionFile, kMareStallionLength, sire);
  if (!rec) return "0";
  double v = Value(StallionField("flat_main_prize").Of(*rec));
  return v == 0 ? "0" : Decimal(LogClass(v));
}

std::string AlternativeFactors::Factor22ori2() {
  f.ReadEx(f.r);
  std::string s = MonthSex(f);
  int32_t t = Integer(f.TrackCode());
  if (t >= 0 && t <= 49) return s;
  return CountryCode(f.Ex("birthplace"));
}

std::string AlternativeFactors::Factor22SanchiBirthMonth() {
  f.ReadEx(f.r);
  std::string s = MonthSex(f);
  double v = Value(f.Ex("sale.price"));
  std::string c;
  if (v != 0) {
    // Sale age and the number of digits of the price less one.
    c = std::string(f.Ex("sale.age")) + Decimal(DecimalOrder(v));
    if (c == "18") c = "17";
    if (c == "25") c = "26";
  } else {
    c = CountryCode(f.Ex("birthplace"));
  }
  int32_t t = Integer(f.TrackCode());
  return t >= 0 && t <= 49 ? c + s : c + "00";
}

std::string AlternativeFactors::Factor22TimeDiffPrev2() {
  f.ReadEx(f.r);
  if (f.r <= 2) return "0099";
  f.ReadEx(f.r - 2);
  std::string x(f.Ex("time_difference"));
  std::string code;
  if (x == "0000" || x == "    " || x == "+999" || x == "-999" || x == "9999") {
    code = "0099";
  } else if (x == "-000") {
    code = "0001";
  } else if (x == "-001") {
    code = "0002";
  } else if (x == "-002") {
    code = "0003";
  } else if (x == "-003" || x == "-004") {
    code = "0004";
  } else if (InRange(x, "-005", "-009")) {
    code = "0005";
  } else if (InRange(x, "-010", "-998")) {
    code = "0006";
  } else if (x == "+000") {
    // Second within a tenth of a second: the margin code.
    code = f.ArrivalOrder() == "02" ? "+" + std::string(f.Ex("margin[0]")) : "0007";
  } else if (InRange(x, "+001", "+029")) {
    // "00" and the number plus 7 in two digits: +001 gives 0008.
    code = "00" + LastChars(Decimal(Whole<int64_t>(Value(x)) + 107), 2);
  } else if (InRange(x, "+030", "+050")) {
    code = "00" + Decimal(Integer(LastChars(x, 2)) + 7);
  } else {
    code = "0099";
  }
  f.ReadEx(f.r);
  return code;
}

}  // namespace volq
