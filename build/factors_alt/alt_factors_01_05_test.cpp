#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "build/factors/factor_test_support.h"
#include "build/factors_alt/alternative_factors.h"
#include "platform/fs/file_failure.h"

namespace volq {
namespace {

constexpr char kHorse[] = "2019100001";
constexpr char kFail[] = "<fails>";

class AltFactorsTest : public testing::FactorTest {
 protected:
  // The code a routine returns, or kFail when it raises a Failure.
  static std::string Outcome(const std::function<std::string()>& routine) {
    try {
      return routine();
    } catch (const Failure&) {
      return kFail;
    }
  }
  // Puts the frame on record r of a horse of these records, with record 1
  // left in the buffer, so a routine must read record r itself.
  void OnRecord(const std::vector<std::string>& records, int32_t r) {
    Horse(kHorse, records, r);
    f().ReadEx(1);
  }
  void ExpectBufferOn(int32_t r, const std::vector<std::string>& records) {
    EXPECT_EQ(f().ExRecord, records[r - 1]) << "record r is read again before returning";
  }
};

// --- Factor 1 --------------------------------------------------------------

TEST_F(AltFactorsTest, Factor01CalendarCodes) {
  AlternativeFactors alt(f());
  struct Case {
    const char* track;
    const char* year;
    const char* month_day;
    const char* meeting;
    const char* birth_month;
    const char* year_month_meeting;
    const char* season_month;
    const char* kaisai;
    const char* birth_month_race;
  } cases[] = {
      {"17", "2019", "0512", "03", "04", "05030000", "03         ", "19050300", "1108"},
      {"51", "2019", "0512", "03", "04", "2019         ", "2019050000", "20190000", "0400"},
      {"17", "2009", "0912", "02", "04", "09020000", "02         ", "09080200", "1108"},
      {"24", "2009", "0912", "02", "04", "09020000", "02         ", "09090200", "1108"},
      {"29", "2012", "0505", "01", "04", "05010000", "01         ", "12050100", "1108"},
      {"10", "2012", "0505", "01", "04", "05010000", "01         ", "12040100", "1108"},
      {"22", "2013", "0812", "04", "04", "08040000", "04         ", "13090400", "1108"},
      {"22", "2013", "0512", "01", "04", "05010000", "01         ", "13040100", "1108"},
      {"51", "2013", "0505", "03", "04", "2013         ", "2013050000", "20130000", "0400"},
      {"51", "2013", "0505", "03", "11", "2013         ", "2013050000", "20130000", "0600"},
      {"51", "2013", "0505", "03", "06", "2013         ", "2013050000", "20130000", "0600"},
      {"51", "2013", "0505", "03", "  ", "2013         ", "2013050000", "20130000", "0600"},
      {"49", "2013", "0505", "03", "11", "2013         ", "2013050000", "20130000", "1108"},
      {"  ", "2013", "0505", "03", "04", "2013         ", "2013050000", kFail, kFail},
  };
  for (const auto& c : cases) {
    std::vector<std::string> recs = {Ex({{775, "17"}}), Ex({{11, c.year},
                                                            {15, c.month_day},
                                                            {21, c.meeting},
                                                            {23, "08"},
                                                            {25, "11"},
                                                            {200, c.birth_month},
                                                            {775, c.track}})};
    OnRecord(recs, 2);
    std::string label = std::string(c.track) + "/" + c.year + c.month_day + "/" + c.birth_month;
    EXPECT_EQ(Outcome([&] { return alt.Factor01YearMonthMeeting(); }), c.year_month_meeting)
        << label;
    f().ReadEx(1);
    EXPECT_EQ(Outcome([&] { return alt.Factor01SeasonMonth(); }), c.season_month) << label;
    f().ReadEx(1);
    EXPECT_EQ(Outcome([&] { return alt.Factor01KaisaiCode(); }), c.kaisai) << label;
    f().ReadEx(1);
    EXPECT_EQ(Outcome([&] { return alt.Factor01BirthMonthRace(); }), c.birth_month_race) << label;
    f().ReadEx(1);
    EXPECT_EQ(Outcome([&] { return alt.Factor01BirthMonthRace2(); }), c.birth_month_race) << label;
    ExpectBufferOn(2, recs);
  }
}

// --- Factor 2 --------------------------------------------------------------

struct CourseCase {
  const char* track;
  const char* venue;
  const char* date;  // yyyymmdd
  const char* distance;
  const char* expected;
};

std::string CourseRecord(const CourseCase& c) {
  return testing::FactorTest::Ex(
      {{11, c.date}, {19, c.venue}, {28, "07"}, {767, c.distance}, {775, c.track}, {779, "03"}});
}

TEST_F(AltFactorsTest, Factor02VenueDistanceCodeByCoursePeriod) {
  AlternativeFactors alt(f());
  const CourseCase cases[] = {
      {"17", "01", "20190101", "1000", "10133170703"},
      {"17", "01", "20190101", "1200", "10112170703"},
      {"17", "03", "        ", "1200", kFail},  // the race date is read for the period
      {"17", "11", "20190101", "1200", ""},
      {"51", "05", "20190101", "4250", "3052880052"},
      {"51", "05", "20190101", "3110", "3053110051"},
      {"05", "05", "20190101", "2000", "3052000005"},
      {"  ", "05", "20190101", "4100", "3052880052"},
      {"17", "09", "20061201", "1800", "10918170703"},
      {"17", "09", "20061202", "1800", "20918170703"},
      {"17", "09", "20100101", "1800", "30918170703"},
      {"17", "05", "20100101", "1800", "10518170703"},
      {"17", "05", "20100102", "1800", "20518170703"},
      {"17", "06", "20061231", "1800", "10618170703"},
      {"17", "06", "20070101", "1800", "20618170703"},
      {"17", "08", "20071231", "1800", "10818170703"},
      {"17", "04", "20071231", "1800", "20418170703"},
      {"17", "10", "20110531", "1800", "11018170703"},
      {"17", "03", "20090601", "1800", "20318170703"},
      {"17", "07", "20120302", "1800", "10718170703"},
      {"10", "05", "20080601", "1800", "10518100703"},
      {"10", "05", "20110601", "1800", "20518100703"},
      {"24", "07", "20120302", "1400", "1071424071"},
      {"24", "07", "20120303", "1400", "2071424071"},
      {"24", "09", "20061202", "1400", "2091424071"},
      {"24", "03", "20061202", "1400", "1031424071"},
  };
  for (const auto& c : cases) {
    OnRecord({Ex({{775, "17"}}), CourseRecord(c)}, 2);
    EXPECT_EQ(Outcome([&] { return alt.Factor02VenueDistanceCode(); }), c.expected)
        << c.track << "/" << c.venue << "/" << c.date << "/" << c.distance;
  }
}

TEST_F(AltFactorsTest, Factor02CourseCodeBySharedLayouts) {
  AlternativeFactors alt(f());
  const CourseCase cases[] = {
      {"10", "05", "20100101", "1200", "105100703"},
      {"10", "05", "20110601", "1200", "205100703"},
      {"18", "05", "20100101", "1200", "105180703"},
      {"18", "05", "20100102", "1200", "205180703"},
      {"18", "06", "20190101", "3600", "206170703"},
      {"18", "06", "20190101", "2400", "206180703"},
      {"18", "03", "20100101", "2400", "203180703"},
      {"18", "01", "        ", "2400", "101180703"},
      {"18", "09", "20090531", "2400", "109180703"},
      {"18", "09", "20090601", "2400", "209180703"},
      {"18", "07", "20120302", "2400", "107180703"},
      {"18", "12", "20120302", "2400", ""},
      {"24", "03", "20190101", "1150", "1062507"},
      {"24", "03", "20190101", "1200", "1032407"},
      {"24", "05", "20190101", "1600", "2072507"},
      {"24", "05", "20190101", "1200", "1052407"},
      {"24", "04", "20190101", "1200", "1042507"},
      {"24", "06", "20190101", "1200", "1062507"},
      {"24", "07", "20120303", "1400", "2072507"},
      {"24", "07", "20120302", "1800", "1072407"},
      {"24", "08", "20190101", "1400", "1082507"},
      {"24", "09", "20190101", "2000", "1092507"},
      {"24", "10", "20190101", "1400", "1102407"},
      {"51", "05", "20190101", "4260", "3052880052"},
      {"09", "05", "20190101", "1200", "3051200009"},
      {"  ", "05", "20190101", "1200", kFail},
  };
  for (const auto& c : cases) {
    OnRecord({CourseRecord(c), Ex({{775, "24"}, {19, "99"}})}, 2);
    // It works on the record the buffer holds (here record 1) and leaves
    // record r there when it returns.
    std::string got = Outcome([&] { return alt.Factor02CourseCode(); });
    EXPECT_EQ(got, c.expected) << c.track << "/" << c.venue << "/" << c.date << "/" << c.distance;
    if (got != kFail) {
      EXPECT_EQ(f().Venue(), "99");
    }
  }
}

TEST_F(AltFactorsTest, Factor02VenueWeekdayBracketCodes) {
  AlternativeFactors alt(f());
  struct Case {
    const char* venue;
    const char* weekday;
    const char* bracket;
    const char* track;
    const char* venue_code;
    const char* venue_track_b;
  } cases[] = {
      {"05", "1", "5", "22", "51218", "516022"},    {"10", "6", "3", "10", "A3110", "A63034"},
      {"04", "2", "7", "11", "42211", "432116034"}, {"06", "1", "2", "11", "61111", "61116034"},
      {"06", "1", "4", "12", "61112", "61216034"},  {"06", "1", "6", "17", "61217", "61216034"},
      {"06", "1", "1", "18", "61118", "611116034"}, {"06", "2", "8", "21", "62217", "62316034"},
      {"08", "3", "8", "24", "832", "881600043"},   {"13", "1", "1", "51", "B511", "B16051"},
      {"01", "1", " ", "17", kFail, kFail},         {"01", " ", "1", "17", kFail, "1 116034"},
  };
  for (const auto& c : cases) {
    OnRecord({Ex({{775, "17"}}), Ex({{19, c.venue},
                                     {21, "04"},
                                     {27, c.bracket},
                                     {42, c.weekday},
                                     {767, "1600"},
                                     {775, c.track},
                                     {779, "03"}})},
             2);
    std::string label = std::string(c.venue) + "/" + c.weekday + "/" + c.bracket + "/" + c.track;
    EXPECT_EQ(Outcome([&] { return alt.Factor02VenueCode(); }), c.venue_code) << label;
    f().ReadEx(1);
    EXPECT_EQ(Outcome([&] { return alt.Factor02VenueTrackB(); }), c.venue_track_b) << label;
  }
}

// --- Factor 3 --------------------------------------------------------------

TEST_F(AltFactorsTest, Factor03CodesOfTheRunBefore) {
  AlternativeFactors alt(f());
  // The current run: turf, 1600 m, firm.
  const std::string now = Ex({{767, "1600"}, {775, "17"}, {958, "1"}, {959, "1"}});
  struct Case {
    const char* what;
    std::string before;
    const char* original;
    const char* agari;
    const char* corner_order;
  } cases[] = {
      {"longer, placed",
       Ex({{2, "7"},
           {679, "02"},
           {698, "01"},
           {700, "04"},
           {702, "00"},
           {704, "03"},
           {737, "345"},
           {744, "A"},
           {767, "1800"},
           {775, "17"},
           {958, "1"},
           {1042, "480"},
           {1045, "335"},
           {1048, "480"}}),
       "11212011", "11201321", "11A211211"},
      {"shorter, unplaced, slow finish, soft",
       Ex({{2, "7"},
           {679, "10"},
           {698, "05"},
           {700, "05"},
           {702, "06"},
           {704, "99"},
           {737, "346"},
           {744, " "},
           {767, "1400"},
           {775, "17"},
           {958, "2"},
           {1042, "470"},
           {1045, "335"},
           {1048, "480"}}),
       "11122222", "11112412", "11 122223"},
      {"no finish position", Ex({{679, "00"}, {698, "01"}, {767, "1600"}, {775, "24"}, {959, "1"}}),
       "10000000", "12101222", "12 111223"},
      {"no corner positions",
       Ex({{679, "01"}, {698, "00"}, {700, "00"}, {702, "00"}, {704, "00"}, {767, "1600"}}),
       "10000000", "13112221", "13 122221"},
      {"final placing of kind B",
       Ex({{2, "B"}, {679, "12"}, {681, "05"}, {767, "0000"}, {775, "51"}, {958, "1"}}), "13122222",
       "13101222", "1B 011222"},
      {"race times missing",
       Ex({{679, "03"},
           {698, "02"},
           {700, "02"},
           {702, "02"},
           {704, "02"},
           {737, "350"},
           {767, "1600"},
           {775, "17"},
           {958, "1"},
           {1045, "999"},
           {1042, "   "}}),
       "11111111", "11101221", "11 111111"},
      {"a distance that is no number", Ex({{679, "03"}, {698, "02"}, {767, "    "}, {775, "17"}}),
       kFail, kFail, "11 022221"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> recs = {c.before, now};
    OnRecord(recs, 2);
    EXPECT_EQ(Outcome([&] { return alt.Factor03original(); }), c.original) << c.what;
    if (std::string(c.original) != kFail) ExpectBufferOn(2, recs);
    EXPECT_EQ(Outcome([&] { return alt.Factor03Agari(); }), c.agari) << c.what;
    EXPECT_EQ(Outcome([&] { return alt.Factor03CornerOrder(); }), c.corner_order) << c.what;
    ExpectBufferOn(2, recs);
  }
  // The first run of a horse.
  for (const char* track : {"17", "24", "51"}) {
    std::vector<std::string> recs = {Ex({{767, "1600"}, {775, track}, {958, "1"}, {959, "4"}})};
    Horse(kHorse, recs, 1);
    std::string s = track == std::string("17") ? "1" : track == std::string("24") ? "2" : "3";
    EXPECT_EQ(alt.Factor03original(), s + "0000000") << track;
    EXPECT_EQ(alt.Factor03Agari(), s + s + "101222") << track;
    EXPECT_EQ(alt.Factor03CornerOrder(), s + "00000000") << track;
  }
}

TEST_F(AltFactorsTest, Factor03AgariRatioClassBounds) {
  AlternativeFactors alt(f());
  struct Case {
    const char* horse;  // the horse's last three furlongs
    const char* race;   // the race's last three furlongs
    const char* track;
    char expected;
  } cases[] = {
      {"345", "335", "17", '3'}, {"346", "335", "17", '4'}, {"103", "100", "17", '3'},
      {"300", "299", "17", '3'}, {"333", "334", "17", '2'}, {"332", "333", "17", '1'},
      {"299", "300", "17", '1'}, {"097", "100", "17", '1'}, {"096", "100", "17", '0'},
      {"345", "999", "17", '2'}, {"000", "335", "17", '2'}, {"115", "345", "51", '2'},
      {"115", "345", "60", '0'},
  };
  for (const auto& c : cases) {
    Horse(kHorse,
          {Ex({{679, "01"}, {737, c.horse}, {767, "1600"}, {775, c.track}, {1045, c.race}}),
           Ex({{767, "1600"}, {775, "17"}})},
          2);
    EXPECT_EQ(alt.Factor03Agari()[5], c.expected) << c.horse << "/" << c.race << " on " << c.track;
  }
}

// --- Factor 4 --------------------------------------------------------------

TEST_F(AltFactorsTest, Factor04SexFutanCodeMergesRareWeights) {
  AlternativeFactors alt(f());
  struct Case {
    const char* sex;
    const char* weight;
    const char* expected;
  } cases[] = {
      {"1", "575", "5700"}, {"2", "550", "8500"}, {"2", "560", "5600"}, {"2", "565", "5600"},
      {"1", "620", "5800"}, {"3", "660", "5800"}, {"1", "540", "5400"}, {"3", "480", "5000"},
      {"1", "525", "5300"}, {"2", "490", "7800"}, {"2", "515", "8200"}, {"2", "625", "8500"},
      {"0", "505", "8000"}, {"1", "   ", "   0"}, {"2", "   ", kFail},
  };
  for (const auto& c : cases) {
    OnRecord({Ex({{529, "1"}, {605, "550"}}), Ex({{529, c.sex}, {605, c.weight}})}, 2);
    EXPECT_EQ(Outcome([&] { return alt.Factor04SexFutanCode(); }), c.expected)
        << c.sex << "/" << c.weight;
  }
}

// --- Factor 5 --------------------------------------------------------------

TEST_F(AltFactorsTest, Factor05PrizeAverageOfEarlierRuns) {
  AlternativeFactors alt(f());
  struct Case {
    std::vector<const char*> prizes;  // of the earlier runs
    const char* track;
    const char* expected;
  } cases[] = {
      {{}, "17", "00000"},
      {{"00000000"}, "17", "00000"},
      {{"00000000", "00000000"}, "17", "00000"},
      {{"00000000", "00000000", "00000000"}, "17", "00003"},
      {{"00000000", "00000000", "00000000", "00000000"}, "17", "00004"},
      {{"00000000", "00000000", "00000000", "00000000", "00000000"}, "17", "00005"},
      {{"00055000"}, "17", "00048"},
      {{"00055000"}, "51", "00047"},
      {{"00000400"}, "17", "00030"},
      {{"00000100"}, "17", "00030"},
      {{"00000100"}, "51", "00025"},
      {{"00080000"}, "17", "00050"},
      {{"00080000"}, "51", "00049"},
      {{"00200000"}, "17", "00050"},
      {{"00200000"}, "51", "00049"},
      {{"00060000", "00040000"}, "29", "00046"},
      {{"00040000", "00000000"}, "17", "00043"},
      {{"0000000A"}, "17", kFail},
      {{"00040000"}, "  ", kFail},
      {std::vector<const char*>(22, "99999999"), "17", kFail},
  };
  for (const auto& c : cases) {
    std::vector<std::string> recs;
    for (const char* p : c.prizes) recs.push_back(Ex({{678, "1"}, {712, p}, {775, "17"}}));
    recs.push_back(Ex({{712, "99999999"}, {775, c.track}}));
    int32_t r = static_cast<int32_t>(recs.size());
    OnRecord(recs, r);
    std::string label = std::to_string(c.prizes.size()) + " runs on " + c.track;
    EXPECT_EQ(Outcome([&] { return alt.Factor05PrizeAverage(); }), c.expected) << label;
    if (std::string(c.expected) != kFail) ExpectBufferOn(r, recs);
  }
}

TEST_F(AltFactorsTest, Factor05HahaUmaRateOfTheDam) {
  AlternativeFactors alt(f());
  constexpr char kDam[] = "1100000001";
  WriteRecords("OPTION1N/HAHAUMA.dat",
               {Rec(402, {{0, "1100000009"}, {16, "090000"}}),
                Rec(402, {{0, kDam}, {16, "036000"}, {118, "003999"}}),
                Rec(402, {{0, kDam}, {16, "100000"}, {118, "100000"}}),
                Rec(402, {{0, "1100000002"}, {16, "100000"}, {118, "040000"}}),
                Rec(402, {{0, "1100000003"}, {16, "      "}, {118, "004000"}})});
  struct Case {
    const char* dam;
    const char* track;
    const char* expected;
  } cases[] = {
      {kDam, "17", "19"},         {kDam, "49", "19"},         {kDam, "50", "10"},
      {"1100000002", "24", "19"}, {"1100000002", "51", "19"}, {"1100000003", "24", "10"},
      {"1100000003", "-1", "11"}, {"1100000004", "17", "10"}, {"0000000000", "  ", "10"},
      {"          ", "  ", "10"}, {kDam, "  ", kFail},
  };
  for (const auto& c : cases) {
    std::vector<std::string> recs = {Ex({{286, "1100000009"}, {775, "17"}}),
                                     Ex({{286, c.dam}, {775, c.track}})};
    OnRecord(recs, 2);
    EXPECT_EQ(Outcome([&] { return alt.Factor05HahaUma(); }), c.expected)
        << c.dam << " on " << c.track;
    if (std::string(c.expected) != kFail) ExpectBufferOn(2, recs);
  }
}

TEST_F(AltFactorsTest, Factor05HahaUmaWithoutTheFile) {
  AlternativeFactors alt(f());
  Horse(kHorse, {Ex({{286, "0000000000"}, {775, "17"}})}, 1);
  EXPECT_EQ(alt.Factor05HahaUma(), "10");
  EXPECT_FALSE(Reads("OPTION1N/HAHAUMA.dat", [&] { alt.Factor05HahaUma(); }))
      << "no dam, no search";
  Horse(kHorse, {Ex({{286, "1100000001"}, {775, "17"}})}, 1);
  EXPECT_EQ(alt.Factor05HahaUma(), "10");
  EXPECT_TRUE(Reads("OPTION1N/HAHAUMA.dat", [&] { alt.Factor05HahaUma(); }));
  EXPECT_FALSE(Exists("OPTION1N/HAHAUMA.dat")) << "reading makes no file";
}

TEST_F(AltFactorsTest, Factor05KyosobaMainPrizeMoney) {
  AlternativeFactors alt(f());
  WriteRecords(
      "OPTION1N/KYOSOBA.dat",
      {Rec(228, {{0, "2019100005"},
                 {22, "000000"},
                 {28, "000000"},
                 {34, "000000000"},
                 {43, "000000000"}}),
       Rec(228,
           {{0, kHorse}, {22, "000005"}, {28, "000003"}, {34, "000012345"}, {43, "000054321"}}),
       Rec(228,
           {{0, kHorse}, {22, "000009"}, {28, "000009"}, {34, "000099999"}, {43, "000099999"}}),
       Rec(228, {{0, "2019100002"},
                 {22, "000000"},
                 {28, "000001"},
                 {34, "000012345"},
                 {43, "000000000"}})});
  struct Case {
    const char* horse;
    const char* track;
    const char* expected;
  } cases[] = {
      {kHorse, "17", "40"},       {kHorse, "49", "40"},       {kHorse, "50", "47"},
      {kHorse, "-1", "47"},       {"2019100002", "24", "00"}, {"2019100002", "51", "00"},
      {"2019100003", "17", "10"}, {"0000000000", "  ", "10"}, {"          ", "  ", "10"},
      {kHorse, "  ", kFail},
  };
  for (const auto& c : cases) {
    std::vector<std::string> recs = {Ex({{30, "2019100005"}, {775, "17"}}),
                                     Ex({{30, c.horse}, {775, c.track}})};
    OnRecord(recs, 2);
    EXPECT_EQ(Outcome([&] { return alt.Factor05Kyosoba(); }), c.expected)
        << c.horse << " on " << c.track;
    if (std::string(c.expected) != kFail) ExpectBufferOn(2, recs);
  }
}

}  // namespace
}  // namespace volq
