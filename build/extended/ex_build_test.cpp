#include "build/extended/ex_build.h"

#include <gtest/gtest.h>

#include "build/entities/entity_test_support.h"
#include "build/extended/extended_test_support.h"
#include "build/extended/form_volqnq4dexpdsetup2024zz.h"
#include "build/records/test_support.h"
#include "platform/text/cp932.h"
#include "platform/ui/headless_host.h"

namespace volq {
namespace {

using testing::EntryRec;
using testing::HorseRecOf;
using testing::JockeyRecOf;
using testing::ListText;
using testing::OffspringRecOf;
using testing::RaceKeyText;
using testing::RaceRec;
using testing::SaleLine;

// Where each byte range of an EX record comes from, member by member as the
// record's definition lists them: E race entry, R race, U horse, K jockey,
// S market sale (offset in the sale line), F foal order, B blanks, N NUL.
struct Member {
  int ex, length;
  char from;
  int src;
};
const Member kMembers[] = {
    {0, 2, 'E', 0},      {2, 1, 'E', 2},      {3, 4, 'E', 3},        {7, 2, 'E', 7},
    {9, 2, 'E', 9},      {11, 4, 'E', 11},    {15, 4, 'E', 15},      {19, 2, 'E', 19},
    {21, 2, 'E', 21},    {23, 2, 'E', 23},    {25, 2, 'E', 25},      {27, 1, 'E', 27},
    {28, 2, 'E', 28},    {30, 10, 'E', 30},   {40, 2, 'F', 0},       {42, 1, 'R', 27},
    {43, 6, 'S', 45},    {49, 40, 'S', 51},   {89, 80, 'S', 91},     {169, 8, 'S', 171},
    {177, 8, 'S', 179},  {185, 1, 'S', 187},  {186, 10, 'S', 188},   {196, 4, 'U', 38},
    {200, 2, 'U', 42},   {202, 2, 'U', 44},   {204, 20, 'U', 862},   {224, 8, 'U', 882},
    {232, 20, 'U', 962}, {252, 10, 'U', 204}, {262, 4, 'B', 0},      {266, 20, 'B', 0},
    {286, 10, 'U', 250}, {296, 4, 'B', 0},    {300, 20, 'B', 0},     {320, 34, 'N', 0},
    {354, 136, 'B', 0},  {490, 36, 'E', 40},  {526, 1, 'N', 0},      {527, 2, 'E', 76},
    {529, 1, 'E', 78},   {530, 1, 'E', 79},   {531, 2, 'E', 80},     {533, 1, 'E', 84},
    {534, 5, 'E', 85},   {539, 6, 'E', 98},   {545, 60, 'E', 168},   {605, 3, 'E', 288},
    {608, 3, 'E', 291},  {611, 1, 'E', 294},  {612, 1, 'E', 295},    {613, 5, 'E', 296},
    {618, 4, 'K', 33},   {622, 2, 'K', 37},   {624, 2, 'K', 39},     {626, 1, 'K', 227},
    {627, 20, 'K', 231}, {647, 1, 'K', 228},  {648, 5, 'E', 301},    {653, 8, 'E', 306},
    {661, 8, 'E', 314},  {669, 1, 'E', 322},  {670, 1, 'E', 323},    {671, 3, 'E', 324},
    {674, 1, 'E', 327},  {675, 3, 'E', 328},  {678, 1, 'E', 331},    {679, 2, 'E', 332},
    {681, 2, 'E', 334},  {683, 1, 'E', 336},  {684, 1, 'E', 337},    {685, 4, 'E', 338},
    {689, 3, 'E', 342},  {692, 3, 'E', 345},  {695, 3, 'E', 348},    {698, 2, 'E', 351},
    {700, 2, 'E', 353},  {702, 2, 'E', 355},  {704, 2, 'E', 357},    {706, 4, 'E', 359},
    {710, 2, 'E', 363},  {712, 8, 'E', 365},  {720, 8, 'E', 373},    {728, 3, 'E', 381},
    {731, 3, 'E', 384},  {734, 3, 'E', 387},  {737, 3, 'E', 390},    {740, 4, 'E', 531},
    {744, 1, 'R', 614},  {745, 1, 'R', 615},  {746, 2, 'R', 616},    {748, 3, 'R', 618},
    {751, 1, 'R', 621},  {752, 15, 'R', 622}, {767, 4, 'R', 697},    {771, 4, 'R', 701},
    {775, 2, 'R', 705},  {777, 2, 'R', 707},  {779, 2, 'R', 709},    {781, 2, 'R', 711},
    {783, 56, 'R', 713}, {839, 40, 'R', 769}, {879, 40, 'R', 809},   {919, 24, 'R', 849},
    {943, 4, 'R', 873},  {947, 4, 'R', 877},  {951, 2, 'R', 881},    {953, 2, 'R', 883},
    {955, 2, 'R', 885},  {957, 1, 'R', 887},  {958, 1, 'R', 888},    {959, 1, 'R', 889},
    {960, 75, 'R', 890}, {1035, 4, 'R', 965}, {1039, 3, 'R', 969},   {1042, 3, 'R', 972},
    {1045, 3, 'R', 975}, {1048, 3, 'R', 978}, {1051, 288, 'R', 981}, {1339, 2, 'E', 553},
};

struct Sources {
  std::string entry, race, horse, jockey, sale, foal;
};

// The expected record, member by member; a missing source gives blanks.
std::string Expected(const Sources& s) {
  std::string ex(kUmaExLength, '?');
  for (const Member& m : kMembers) {
    std::string v;
    switch (m.from) {
      case 'E':
        v = s.entry.substr(m.src, m.length);
        break;
      case 'R':
        if (!s.race.empty()) v = s.race.substr(m.src, m.length);
        break;
      case 'U':
        if (!s.horse.empty()) v = s.horse.substr(m.src, m.length);
        break;
      case 'K':
        if (!s.jockey.empty()) v = s.jockey.substr(m.src, m.length);
        break;
      case 'S':
        v = s.sale.substr(m.src, m.length);
        break;
      case 'F':
        v = s.foal;
        break;
      case 'N':
        v.assign(m.length, '\0');
        break;
      default:
        break;
    }
    v.resize(m.length, ' ');
    ex.replace(m.ex, m.length, v);
  }
  return ex;
}

// The sale line a horse without a sale reads as: the no-sale values.
std::string NoSaleLine() {
  std::string r(200, ' ');
  const std::string unknown = Cp932("不明");
  for (int at : {51, 91, 171, 179}) r.replace(at, unknown.size(), unknown);
  return r;
}

class ExBuildTest : public testing::StepTest {
 protected:
  // Opens the window (reading the market-sale file) and presses "計算".
  void Build() {
    FormVOLQNQ4DEXPDSETUP2024ZZ w(*dir_);
    wm_.Open(w);
    w.Press(Cp932("計算"));
    EXPECT_EQ(ToUtf8(w.Text1.Text), "終わり");
  }
  std::vector<std::string> Ex(const std::string& horse) {
    return Records("UMAGOTOEXSETUP/" + horse + "EX.dat", kUmaExLength);
  }
  HeadlessHost host_;
  WindowManager wm_{host_};
};

TEST_F(ExBuildTest, EveryByteOfARecordComesFromItsSource) {
  // The horse is the first and third foal of its dam's file and was sold
  // twice: the later record and the later sale line count. A second race of
  // another horse's jockey and a race at a racecourse outside the ten are
  // built alike. Where a table holds a key twice, its later row counts.
  const RaceKeyText r1, r2{"30", "2024", "0210", "03"};
  const std::string e1 = EntryRec("H000000001", "J0001", r1),
                    e2 = EntryRec("H000000001", "J0002", r2, 5);
  const std::string ra1 = RaceRec(r1), ra2 = RaceRec(r2, 6);
  const std::string um = HorseRecOf("H000000001", "D000000001");
  const std::string ks1 = JockeyRecOf("J0001"), ks2 = JockeyRecOf("J0002", 7);
  const std::string early = SaleLine("H000000001", "S00001", "HOST-A", "20190701", "0001000000");
  const std::string late = SaleLine("H000000001", "S00002", "HOST-B", "20191001", "0002500000");
  WriteFile("KETTONUM20180101.dat", ListText({"H000000001"}));
  WriteRecords("UMAGOTOSETUP/H000000001.dat", {e1, e2});
  WriteRecords("RA20180101NEW.dat", {RaceRec(r1, 15), ra2, ra1});
  WriteRecords("UM20180101NEW.dat", {HorseRecOf("H000000001", "D000000001", 16),
                                     HorseRecOf("H000000002", "D000000001", 9), um});
  WriteRecords("KS20180101NEW.dat", {JockeyRecOf("J0001", 17), ks1, ks2});
  WriteRecords(
      "HAHAHAN/D000000001.dat",
      {OffspringRecOf("H000000001"), OffspringRecOf("H000000002"), OffspringRecOf("H000000001")});
  WriteFile("HS20180101.dat", early + "\r\n" +
                                  SaleLine("H000000002", "S00009", "X", "20200101", "9") + "\r\n" +
                                  late + "\r\n");
  Build();
  const std::vector<std::string> ex = Ex("H000000001");
  ASSERT_EQ(ex.size(), 2u);
  EXPECT_EQ(ex[0], Expected({e1, ra1, um, ks1, late + "\r\n", "03"}));
  EXPECT_EQ(ex[1], Expected({e2, ra2, um, ks2, late + "\r\n", "03"}));
  EXPECT_TRUE(host_.failures.empty());
}

TEST_F(ExBuildTest, MissingRowsGiveBlanksAndTheNoSaleValues) {
  // Each case: what the tables lack for the horse's one race entry.
  struct Case {
    const char* name;
    bool horse, race, jockey, dam_file, foal_listed;
  };
  const Case cases[] = {
      {"all present", true, true, true, true, true},
      {"horse not in the horse file", false, true, true, true, true},
      {"race not in the race file", true, false, true, true, true},
      {"jockey not in the jockey file", true, true, false, true, true},
      {"horse not among its dam's foals", true, true, true, true, false},
      {"dam without an offspring file", true, true, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    // An earlier horse that matches everything, so that nothing of it may
    // stand in for what the second horse lacks.
    const RaceKeyText other{"06", "2023", "1224", "12"};
    const std::string e0 = EntryRec("H000000000", "J0000", other, 11);
    const std::string e1 = EntryRec("H000000001", "J0001");
    const std::string um = HorseRecOf("H000000001", "D000000001");
    WriteFile("KETTONUM20180101.dat", ListText({"H000000000", "H000000001"}));
    WriteRecords("UMAGOTOSETUP/H000000000.dat", {e0});
    WriteRecords("UMAGOTOSETUP/H000000001.dat", {e1});
    std::vector<std::string> ra = {RaceRec(other, 12)},
                             horses = {HorseRecOf("H000000000", "D000000000", 13)},
                             jockeys = {JockeyRecOf("J0000", 14)};
    if (c.race) ra.push_back(RaceRec());
    if (c.horse) horses.push_back(um);
    if (c.jockey) jockeys.push_back(JockeyRecOf("J0001"));
    WriteRecords("RA20180101NEW.dat", ra);
    WriteRecords("UM20180101NEW.dat", horses);
    WriteRecords("KS20180101NEW.dat", jockeys);
    WriteFile("HS20180101.dat", SaleLine("H000000000", "S00001", "HOST", "20190701", "1") + "\r\n");
    if (c.dam_file) {
      WriteRecords("HAHAHAN/D000000001.dat",
                   {c.foal_listed ? OffspringRecOf("H000000001") : OffspringRecOf("H000000007")});
    }
    Build();
    const std::vector<std::string> ex = Ex("H000000001");
    ASSERT_EQ(ex.size(), 1u);
    const std::string foal = !c.horse ? "" : c.foal_listed ? "01" : "00";
    EXPECT_EQ(ex[0],
              Expected({e1, c.race ? RaceRec() : "", c.horse ? um : "",
                        c.race && c.jockey ? JockeyRecOf("J0001") : "", NoSaleLine(), foal}));
    // The dam's missing offspring file is only read, so it is not made.
    EXPECT_EQ(Exists("HAHAHAN/D000000001.dat"), c.dam_file);
  }
}

TEST_F(ExBuildTest, EachListedHorseGetsOneRecordPerRaceEntry) {
  // H1: three entries; H2: an empty race-entry file; H3: none at all (its
  // EX file is written empty, its race-entry file reported and not made);
  // H4's former EX file is emptied.
  WriteFile("KETTONUM20180101.dat",
            ListText({"H000000001", "H000000002", "H000000003", "H000000004"}));
  WriteRecords("UMAGOTOSETUP/H000000001.dat",
               {EntryRec("H000000001", "J0001"),
                EntryRec("H000000001", "J0001", {"05", "2024", "0106", "01"}),
                EntryRec("H000000001", "J0001", {"44", "2024", "0107", "02"})});
  WriteFile("UMAGOTOSETUP/H000000002.dat", "");
  WriteFile("UMAGOTOSETUP/H000000004.dat", "");
  WriteFile("UMAGOTOEXSETUP/H000000004EX.dat", std::string(kUmaExLength, 'x'));
  WriteFile("UMAGOTOEXSETUP/H000000005EX.dat", "unlisted");
  Build();
  const std::vector<std::string> ex = Ex("H000000001");
  ASSERT_EQ(ex.size(), 3u);
  const std::string se = ReadFile("UMAGOTOSETUP/H000000001.dat");
  for (size_t j = 0; j < 3; ++j)
    EXPECT_EQ(ex[j].substr(0, 40), se.substr(j * kRaceEntryLength, 40));
  EXPECT_EQ(ReadFile("UMAGOTOEXSETUP/H000000002EX.dat"), "");
  EXPECT_EQ(ReadFile("UMAGOTOEXSETUP/H000000003EX.dat"), "");
  EXPECT_FALSE(Exists("UMAGOTOSETUP/H000000003.dat"));
  EXPECT_EQ(ReadFile("UMAGOTOEXSETUP/H000000004EX.dat"), "");
  EXPECT_EQ(ReadFile("UMAGOTOEXSETUP/H000000005EX.dat"), "unlisted");
  // The missing race-entry file and the missing NEW files are reported.
  std::string report;
  for (const auto& f : host_.failures) report += f + "\n";
  EXPECT_NE(report.find("H000000003.dat"), std::string::npos) << report;
  EXPECT_NE(report.find("UM20180101NEW.dat"), std::string::npos) << report;
}

TEST_F(ExBuildTest, TheHorseIsKeyedByItsFirstRaceAtACentralRacecourse) {
  // The entries name two pedigree numbers, H000000001 and H00000000X (each
  // with its horse record and sale): the horse values and the sale of every
  // record follow the first entry at a racecourse "01" to "10" (compared as
  // text), else the last entry.
  struct Case {
    const char* venue1;
    const char* horse1;
    const char* venue2;
    const char* horse2;
    const char* key;
  };
  const Case cases[] = {
      {"30", "H00000000X", "05", "H000000001", "H000000001"},
      {"01", "H000000001", "10", "H00000000X", "H000000001"},
      {"00", "H000000001", "11", "H00000000X", "H00000000X"},
      {"0A", "H00000000X", "04", "H000000001", "H00000000X"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.venue1) + " " + c.venue2);
    TearDown();
    SetUp();
    WriteFile("KETTONUM20180101.dat", ListText({"H000000001"}));
    WriteRecords("UMAGOTOSETUP/H000000001.dat",
                 {EntryRec(c.horse1, "J0001", {c.venue1, "2024", "0101", "01"}),
                  EntryRec(c.horse2, "J0001", {c.venue2, "2024", "0102", "01"})});
    const std::string um1 = HorseRecOf("H000000001", "D000000001"),
                      umx = HorseRecOf("H00000000X", "D000000001", 8);
    WriteRecords("UM20180101NEW.dat", {umx, um1});
    WriteFile("HS20180101.dat", SaleLine("H000000001", "S00001", "HOST", "20190701", "1") + "\r\n" +
                                    SaleLine("H00000000X", "S0000X", "HOST", "20190701", "1") +
                                    "\r\n");
    Build();
    const bool x = std::string(c.key) == "H00000000X";
    const std::vector<std::string> ex = Ex("H000000001");
    ASSERT_EQ(ex.size(), 2u);
    for (const std::string& r : ex) {
      EXPECT_EQ(r.substr(204, 20), (x ? umx : um1).substr(862, 20));
      EXPECT_EQ(r.substr(43, 6), x ? "S0000X" : "S00001");
    }
  }
}

TEST(FoalOrderText, LastTwoDigitsOfThePositionPlus100) {
  const std::pair<int32_t, const char*> cases[] = {{0, "00"},  {1, "01"},   {12, "12"},
                                                   {99, "99"}, {105, "05"}, {1234, "34"}};
  for (const auto& [pos, text] : cases) EXPECT_EQ(FoalOrderText(pos), text) << pos;
}

}  // namespace
}  // namespace volq
