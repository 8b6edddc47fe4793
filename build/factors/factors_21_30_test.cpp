#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "build/factors/factor_test_support.h"
#include "platform/fs/file_failure.h"

namespace volq {
namespace {

using Fields = std::vector<std::pair<int, std::string>>;
using Routine = std::string (FactorFrame::*)();

class Factors21To30 : public testing::FactorTest {
 public:
  static std::string ExOf(const Fields& fields) {
    std::string rec(kUmaExLength, ' ');
    for (const auto& [off, text] : fields) rec.replace(static_cast<size_t>(off), text.size(), text);
    rec.replace(kUmaExLength - 2, 2, "\r\n");
    return rec;
  }
  // The code of a routine on a one-record horse, or "FAIL" when it fails.
  std::string Code(Routine routine, const Fields& fields) {
    Horse("2019100001", {ExOf(fields)});
    return Run(routine);
  }
  std::string Run(Routine routine) {
    try {
      return (f().*routine)();
    } catch (const Failure&) {
      return "FAIL";
    }
  }
};

TEST_F(Factors21To30, CodesFromTheCurrentRecord) {
  const struct {
    Routine f;
    Fields fields;
    const char* code;
  } cases[] = {
      // 21: race number and grade on flat tracks 0..24, the grade alone otherwise.
      {&FactorFrame::Factor21GradeRaceNo, {{775, "10"}, {25, "11"}, {744, "A"}}, "11A"},
      {&FactorFrame::Factor21GradeRaceNo, {{775, "24"}, {25, "03"}, {744, " "}}, "03 "},
      {&FactorFrame::Factor21GradeRaceNo, {{775, "25"}, {25, "11"}, {744, "B"}}, "B"},
      {&FactorFrame::Factor21GradeRaceNo, {{775, "51"}, {25, "11"}, {744, "E"}}, "E"},
      {&FactorFrame::Factor21GradeRaceNo, {{25, "11"}, {744, "A"}}, "FAIL"},
      // 22: distance and course category on 0..29; steeplechase distance bands.
      {&FactorFrame::Factor22DistanceCode, {{775, "11"}, {767, "1600"}, {779, "A "}}, "1600A "},
      {&FactorFrame::Factor22DistanceCode, {{775, "29"}, {767, "    "}}, "      "},
      {&FactorFrame::Factor22DistanceCode, {{775, "51"}, {767, "2800"}}, "2800"},
      {&FactorFrame::Factor22DistanceCode, {{775, "51"}, {767, "0000"}}, "2800"},
      {&FactorFrame::Factor22DistanceCode, {{775, "52"}, {767, "2801"}}, "2900"},
      {&FactorFrame::Factor22DistanceCode, {{775, "52"}, {767, "2999"}}, "2900"},
      {&FactorFrame::Factor22DistanceCode, {{775, "53"}, {767, "3000"}}, "3500"},
      {&FactorFrame::Factor22DistanceCode, {{775, "53"}, {767, "3500"}}, "3500"},
      {&FactorFrame::Factor22DistanceCode, {{775, "54"}, {767, "3600"}}, "4000"},
      {&FactorFrame::Factor22DistanceCode, {{775, "54"}, {767, "-100"}}, "4000"},
      {&FactorFrame::Factor22DistanceCode, {{775, "54"}, {767, "    "}}, "FAIL"},
      // 24: horse number with "1" on 0..24; elsewhere capped at 14.
      {&FactorFrame::Factor24Umaban, {{775, "10"}, {28, "16"}}, "161"},
      {&FactorFrame::Factor24Umaban, {{775, "24"}, {28, "  "}}, "  1"},
      {&FactorFrame::Factor24Umaban, {{775, "51"}, {28, "16"}}, "14"},
      {&FactorFrame::Factor24Umaban, {{775, "51"}, {28, "14"}}, "14"},
      {&FactorFrame::Factor24Umaban, {{775, "25"}, {28, "07"}}, "07"},
      {&FactorFrame::Factor24Umaban, {{775, "51"}, {28, "  "}}, "FAIL"},
      // 25: the horse symbol, or the birth month with "1"; no track code read.
      {&FactorFrame::Factor25UmaKigo, {{527, "00"}, {200, "04"}}, "041"},
      {&FactorFrame::Factor25UmaKigo, {{527, "21"}, {200, "04"}}, "21"},
      {&FactorFrame::Factor25UmaKigo, {{200, "12"}}, "  "},
      // 27: meeting and day, after the track code is converted.
      {&FactorFrame::Factor27KaijiNichiji, {{775, "23"}, {21, "03"}, {23, "08"}}, "0308"},
      {&FactorFrame::Factor27KaijiNichiji, {{21, "03"}, {23, "08"}}, "FAIL"},
      // 28: registered runners as texts; flat ranges "00".."29".
      {&FactorFrame::Factor28CountBand, {{775, "10"}, {951, "05"}}, "08"},
      {&FactorFrame::Factor28CountBand, {{775, "29"}, {951, "18"}}, "18"},
      {&FactorFrame::Factor28CountBand, {{775, "10"}, {951, "  "}}, "  "},
      {&FactorFrame::Factor28CountBand, {{775, "51"}, {951, "16"}}, "14"},
      {&FactorFrame::Factor28CountBand, {{775, "51"}, {951, "08"}}, "08"},
      {&FactorFrame::Factor28CountBand, {{775, "51"}, {951, "11"}}, "11"},
      {&FactorFrame::Factor28CountBand, {{775, "  "}, {951, "09"}}, "09"},
      {&FactorFrame::Factor28CountBand, {{775, "  "}, {951, "  "}}, "14"},
  };
  // The five-wide field keeps the distance and the first character of the category.
  f().StoreItem(FactorField(22), Code(&FactorFrame::Factor22DistanceCode,
                                      {{775, "11"}, {767, "1600"}, {779, "A "}}));
  EXPECT_EQ(f().Item(FactorField(22)), "1600A");
  for (const auto& c : cases) {
    std::string desc;
    for (const auto& [off, text] : c.fields) desc += std::to_string(off) + "='" + text + "' ";
    EXPECT_EQ(Code(c.f, c.fields), c.code) << desc;
  }
}

TEST_F(Factors21To30, StallionDistanceClassesAndFinalMapping) {
  auto sire = [](const Fields& rates) {
    std::string rec(402, '0');
    rec.replace(0, 10, "1990100001");
    for (const auto& [off, text] : rates) rec.replace(static_cast<size_t>(off), text.size(), text);
    rec.replace(400, 2, "\r\n");
    return rec;
  };
  WriteRecords("OPTION1N/STALLION.dat",
               {sire({{196, "028000"},
                      {202, "040000"},
                      {208, "000000"},
                      {214, "012000"},
                      {220, "100000"},
                      {226, "004000"},
                      {118, "008000"}}),
                sire({{196, "099999"}}),  // a later record of the same sire is never read
                sire({})});               // every rate zero
  const struct {
    Fields fields;
    const char* code;
  } cases[] = {
      {{{775, "10"}, {767, "1600"}}, "17"},  // band 1, 28000 / 4000 = 7
      {{{775, "22"}, {767, "1601"}}, "29"},  // band 2, "210" merges into "29"
      {{{775, "10"}, {767, "2400"}}, "10"},  // band 3, zero rate
      {{{775, "10"}, {767, "-001"}}, "10"},  // negative distance: band 3
      {{{775, "23"}, {767, "1200"}}, "13"},  // dirt band 1
      {{{775, "49"}, {767, "2000"}}, "29"},  // dirt band 2, "225"
      {{{775, "24"}, {767, "3000"}}, "31"},  // dirt band 3
      {{{775, "51"}, {767, "    "}}, "12"},  // steeplechase: one rate, band 1, no distance read
      {{{775, "10"}, {767, "    "}}, "FAIL"}, {{{775, "  "}, {767, "1600"}}, "FAIL"},
  };
  for (const auto& c : cases) {
    Fields f = c.fields;
    f.push_back({252, "1990100001"});
    EXPECT_EQ(Code(&FactorFrame::Factor23StallionDistance, f), c.code)
        << f[0].second << " " << f[1].second;
  }
  // A zero rate is "10" in every band of every course type.
  for (const auto& [track, distance] :
       std::vector<std::pair<const char*, const char*>>{{"10", "1600"},
                                                        {"22", "2000"},
                                                        {"10", "2201"},
                                                        {"23", "1000"},
                                                        {"49", "1800"},
                                                        {"24", "2400"},
                                                        {"51", "3000"}}) {
    EXPECT_EQ(Code(&FactorFrame::Factor23StallionDistance,
                   {{775, track}, {767, distance}, {252, "1990100003"}}),
              "10")
        << track << " " << distance;
  }
  // An unknown sire keeps the default and converts nothing.
  EXPECT_EQ(Code(&FactorFrame::Factor23StallionDistance, {{252, "1990100002"}}), "10");
}

TEST_F(Factors21To30, AMissingStallionFileReadsAsEmptyAndIsNotMade) {
  EXPECT_EQ(Code(&FactorFrame::Factor23StallionDistance,
                 {{252, "1990100001"}, {775, "10"}, {767, "1600"}}),
            "10");
  EXPECT_FALSE(Exists("OPTION1N/STALLION.dat"));
}

TEST_F(Factors21To30, PreviousTimeDifferenceClasses) {
  const struct {
    const char* diff;
    const char* arrival;
    const char* code;
  } cases[] = {
      {"0000", "01", "0099"}, {"    ", "01", "0099"}, {"+999", "09", "0099"},
      {"-999", "01", "0099"}, {"9999", "01", "0099"}, {"-000", "01", "0001"},
      {"-001", "01", "0002"}, {"-002", "01", "0003"}, {"-003", "01", "0004"},
      {"-004", "01", "0004"}, {"-005", "01", "0005"}, {"-009", "01", "0005"},
      {"-010", "01", "0006"}, {"-998", "01", "0006"}, {"+000", "01", "0007"},
      {"+000", "03", "0007"}, {"+000", "02", "+HNA"}, {"+001", "05", "0008"},
      {"+012", "05", "0019"}, {"+028", "05", "0035"}, {"+029", "05", "0036"},
      {"+030", "05", "0037"}, {"+045", "05", "0052"}, {"+050", "05", "0057"},
      {"+051", "05", "0099"}, {"+060", "05", "0099"}, {"+100", "05", "0099"},
      {"XYZ ", "05", "0099"},
  };
  for (const auto& c : cases) {
    Horse("2019100001",
          {Ex({{678, "0"}, {740, c.diff}, {679, c.arrival}, {689, "HNA"}, {0, "first"}}),
           Ex({{0, "second"}})},
          2);
    EXPECT_EQ(Run(&FactorFrame::Factor26PrevTimeDiff), c.code) << c.diff << " " << c.arrival;
    EXPECT_EQ(f().Ex(Slice{0, 6}), "second") << "record r read again";
  }
}

TEST_F(Factors21To30, PreviousTimeDifferenceTakesThePreviousValidRun) {
  // Record 2 abnormal: record 1 counts for record 3, whatever record 1 holds.
  Horse("2019100001",
        {Ex({{678, "1"}, {740, "-001"}}), Ex({{678, "1"}, {740, "+012"}}), Ex({{678, "0"}})}, 3);
  EXPECT_EQ(Run(&FactorFrame::Factor26PrevTimeDiff), "0002");
  At(2);
  EXPECT_EQ(Run(&FactorFrame::Factor26PrevTimeDiff), "0002");
  At(1);
  EXPECT_EQ(Run(&FactorFrame::Factor26PrevTimeDiff), "0099");
}

TEST_F(Factors21To30, HorsePrizePerStartOnALogScale) {
  auto horse = [](const char* pedigree, const char* central, const char* steeple,
                  const char* flat_prize, const char* steeple_prize) {
    std::string rec(228, ' ');
    rec.replace(0, 10, pedigree);
    rec.replace(22, 6, central);
    rec.replace(28, 6, steeple);
    rec.replace(34, 9, flat_prize);
    rec.replace(43, 9, steeple_prize);
    rec.replace(226, 2, "\r\n");
    return rec;
  };
  WriteRecords("OPTION1N/KYOSOBA.dat",
               {horse("2019100001", "000010", "000004", "000012345", "000000400"),
                horse("2019100002", "000000", "000000", "000000000", "000000000"),
                horse("2019100003", "000002", "000001", "000000000", "000000001"),
                horse("2019100004", "000001", "000001", "999999999", "999999999"),
                horse("2019100005", "000005", "000005", "000000009", "000000009"),
                horse("2019100001", "000001", "000001", "000000001", "000000001")});
  const struct {
    const char* pedigree;
    const char* track;
    int r;
    const char* code;
  } cases[] = {
      {"2019100001", "10", 1, "30"},  // 1234.5 a start: floor(30.9) + 100 = 130
      {"2019100001", "49", 1, "30"},
      {"2019100001", "51", 1, "20"},  // steeplechase: 400 / 4 = 100
      {"2019100002", "10", 7, "7"},   // no central starts: the run number
      {"2019100002", "10", 20, "19"},
      {"2019100003", "23", 3, "3"},   // nothing won: the run number
      {"2019100003", "51", 2, "19"},  // class "00": run number 2, below 3
      {"2019100002", "51", 2, "19"},  // run number "2" below 3
      {"2019100004", "51", 1, "53"},  // 10 log10(999999999) = 89.99: "89" above 53
      {"2019100004", "10", 1, "89"},
      {"2019100005", "10", 1, "02"},  // 1.8 a start: class 2
      {"2019100005", "51", 1, "19"},  // the same class below 3 on a steeplechase
      {"2019100009", "51", 2, "10"},  // unknown horse: default, no steeplechase rule
      {"0000000000", "51", 2, "10"},
      {"          ", "  ", 2, "10"},
      {"2019100001", "  ", 1, "FAIL"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> recs;
    for (int i = 1; i <= c.r; ++i) {
      recs.push_back(Ex({{30, c.pedigree}, {775, c.track}, {0, std::to_string(i)}}));
    }
    Horse(c.pedigree[0] == ' ' ? "blank" : c.pedigree, recs, c.r);
    EXPECT_EQ(Run(&FactorFrame::Factor30KyosobaValue), c.code)
        << c.pedigree << " " << c.track << " r=" << c.r;
  }
}

TEST_F(Factors21To30, HorseFileIsOpenedOnlyForAPedigreeNumber) {
  // Unreadable, it fails only the routines that open it.
  WriteFile("OPTION1N/KYOSOBA.dat", "");
  testing::UnreadableFor unreadable(dir_->Path("OPTION1N/KYOSOBA.dat"));
  EXPECT_EQ(Code(&FactorFrame::Factor30KyosobaValue, {{30, "0000000000"}}), "10");
  EXPECT_EQ(Code(&FactorFrame::Factor30KyosobaValue, {{30, "2019100001"}}), "FAIL");
}

}  // namespace
}  // namespace volq
