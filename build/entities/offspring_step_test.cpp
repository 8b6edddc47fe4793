#include "build/entities/offspring_step.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "build/entities/entity_test_support.h"
#include "build/entities/parent_summary.h"
#include "build/records/horse_test_support.h"
#include "build/records/sanku_stat.h"
#include "build/records/test_support.h"
#include "platform/fs/record_file_for_tests.h"
#include "platform/fs/text_list.h"

namespace volq {
namespace {

using testing::FolderFiles;
using testing::FreshRun;
using testing::HorseRec;
using testing::StepTest;

std::string Sk(char kind, const std::string& pedigree, const std::string& sire,
               const std::string& dam, const std::string& tag = "") {
  return StepTest::Rec(
      kOffspringLength,
      {{0, "SK"}, {2, std::string(1, kind)}, {11, pedigree}, {66, sire}, {76, dam}, {46, tag}});
}

class OffspringStepTest : public StepTest {
 public:
  std::string Dam() {
    auto cx = ctx();
    return DamOffspringStep(cx);
  }
  std::string Sire() {
    auto cx = ctx();
    return SireOffspringStep(cx);
  }
  std::vector<std::string> Lines(const std::string& name) { return ReadLines(dir_->Path(name)); }
  static std::string Blocks(std::initializer_list<std::string> horses) {
    std::string out;
    for (const std::string& h : horses) out += SankuStatBlock(h).text;
    return out;
  }
  static SankuValues Sum(std::initializer_list<std::string> horses) {
    SankuValues t{};
    for (const std::string& h : horses) {
      SankuStat st = SankuStatBlock(h);
      for (int k = 0; k < kSankuValues; ++k) t[k] += st.values[k];
    }
    return t;
  }
};

TEST_F(OffspringStepTest, NewFileSurvivorsAndLists) {
  // Two raw records of one horse: the sort puts record 2 first, and only a
  // kept kind of that record reaches the NEW file. The lists take the
  // parents of every raw record, of any kind.
  const struct {
    char second_kind;
    bool kept;
  } cases[] = {{'2', true}, {'0', false}};
  WriteFile("UM20180101NEW.dat", "");
  for (const auto& c : cases) {
    WriteRecords("SK20180101.dat",
                 {Sk('1', "2015100001", "1200000002", "1100000002", "first"),
                  Sk(c.second_kind, "2015100001", "1200000001", "1100000001", "second")});
    EXPECT_EQ(Dam(), "SK母 終わり  0");
    auto sk = Records("SK20180101NEW.dat", kOffspringLength);
    ASSERT_EQ(sk.size(), c.kept ? 1u : 0u);
    if (c.kept) {
      EXPECT_EQ(sk[0].substr(46, 6), "second");
    }
    EXPECT_EQ(Lines("HAHAHANNUM20180101.dat"),
              (std::vector<std::string>{"\"1100000001\"", "\"1100000002\""}));
  }
  EXPECT_FALSE(Exists("TITIHANNUM20180101.dat"));  // the dam run writes no sire list

  // A number of 40 records is listed once; the lists are ascending.
  std::vector<std::string> raw;
  for (int i = 0; i < 40; ++i) {
    raw.push_back(Sk('1', "20151000" + HorseRec::Digits(i, 2), "1200000007", "1100000005"));
  }
  raw.push_back(Sk('1', "2016100001", "1200000003", "1100000009"));
  raw.push_back(Sk('9', "2016100002", "1200000001", "1100000001"));
  WriteRecords("SK20180101.dat", raw);
  Sire();
  EXPECT_EQ(Records("SK20180101NEW.dat", kOffspringLength).size(), 41u);
  EXPECT_EQ(Lines("HAHAHANNUM20180101.dat"),
            (std::vector<std::string>{"\"1100000001\"", "\"1100000005\"", "\"1100000009\""}));
  EXPECT_EQ(Lines("TITIHANNUM20180101.dat"),
            (std::vector<std::string>{"\"1200000001\"", "\"1200000003\"", "\"1200000007\""}));
}

TEST_F(OffspringStepTest, DamBlocksTotalsAndRecords) {
  WriteRecords("SK20180101.dat", {Sk('1', "2015100001", "1200000001", "1100000003"),
                                  Sk('1', "2015100002", "1200000001", "1100000001"),
                                  Sk('1', "2015100003", "1200000001", "1100000002")});
  std::string h1 =
      HorseRec("2015100001").Dam("1100000001").Prize(0, 345).Counts("overall", {1, 0, 0, 0, 0, 1});
  std::string h2 = HorseRec("2015100002").Dam("1100000003").Counts("overall", {0, 2, 0, 0, 0, 0});
  std::string h3 = HorseRec("2015100003").Dam("1100000001").Prize(0, 100).Prize(4, 9);
  std::string h4 = HorseRec("2015100004").Dam("1100000001").Counts("overall", {3, 2, 1, 1, 0, 3});
  std::string h5 = HorseRec("2015100005").Dam("1100000009");  // no offspring record names it
  WriteRecords("UM20180101NEW.dat", {h1, h2, h3, h4, h5});
  WriteFile("OPTION1N/MARE.dat", std::string(5 * kMareStallionLength, 'x'));

  for (int run = 0; run < 2; ++run) {  // a rerun leaves the same files
    EXPECT_EQ(Dam(), "SK母 終わり  5");
    EXPECT_EQ(record_count_, 5);
    std::string blocks = ReadFile("HAHA/1100000001.dat");
    EXPECT_EQ(blocks, Blocks({h1, h3, h4}));
    EXPECT_EQ(std::count(blocks.begin(), blocks.end(), '\n'), 87);
    SankuValues t = Sum({h1, h3, h4});
    EXPECT_EQ(ValueAt(t, 155), 445);
    EXPECT_EQ(ReadFile("HAHAN/1100000001.dat"), SankuNumberText(t));
    EXPECT_EQ(Lines("HAHAN/1100000001.dat")[154], "445");
    // A listed dam without horses: empty blocks, zeros, still its record.
    EXPECT_EQ(ReadFile("HAHA/1100000002.dat"), "");
    EXPECT_EQ(ReadFile("HAHAN/1100000002.dat"), SankuNumberText(SankuValues{}));
    EXPECT_EQ(ReadFile("HAHA/1100000009.dat"), Blocks({h5}));
    EXPECT_FALSE(Exists("HAHAN/1100000009.dat"));
    EXPECT_EQ(ReadFile("OPTION1N/MARE.dat"), MareStallionRecord("1100000001", t) +
                                                 MareStallionRecord("1100000002", SankuValues{}) +
                                                 MareStallionRecord("1100000003", Sum({h2})));
  }
  auto mare = Records("OPTION1N/MARE.dat", kMareStallionLength);
  EXPECT_EQ(mare[0].substr(10, 6), "058333");  // line 27 totals 4, 2, 1, 1, 0, 4: 7 of 12
  EXPECT_EQ(mare[2].substr(10, 6), "100000");
  EXPECT_TRUE(frame_->clean());
  EXPECT_FALSE(Exists("OPTION1N/STALLION.dat"));
  EXPECT_FALSE(Exists("SHUBOBA/1200000001.dat"));
}

TEST_F(OffspringStepTest, SireRunLeavesTheDamFilesAlone) {
  WriteFile("OPTION1N/MARE.dat", "old");
  WriteRecords("SK20180101.dat", {Sk('1', "2015100001", "1200000001", "1100000001")});
  // Five offspring earning 999,999,999 each: the sum passes 32 bits.
  std::vector<std::string> um;
  for (int i = 1; i <= 5; ++i) {
    um.push_back(HorseRec("201510000" + std::to_string(i))
                     .Sire("1200000001")
                     .Dam("1100000001")
                     .Prize(4, 999999999));
  }
  WriteRecords("UM20180101NEW.dat", um);
  EXPECT_EQ(Sire(), "SK父 終わり  5");
  EXPECT_EQ(Lines("SHUBOBAN/1200000001.dat")[172], "4999999995");
  EXPECT_EQ(Lines("SHUBOBAN/1200000001.dat")[170], "5");
  auto st = Records("OPTION1N/STALLION.dat", kMareStallionLength);
  ASSERT_EQ(st.size(), 1u);
  EXPECT_EQ(st[0].substr(64, 9), "999999999");
  EXPECT_EQ(st[0].substr(22, 6), "000005");
  auto report = frame_->Report();
  ASSERT_EQ(report.size(), 1u);
  EXPECT_NE(report[0].find("STALLION.dat record 1 (1200000001) offset 64: 4999999995"),
            std::string::npos);
  EXPECT_EQ(ReadFile("OPTION1N/MARE.dat"), "old");
  EXPECT_FALSE(Exists("HAHA/1100000001.dat"));
  EXPECT_EQ(Lines("HAHAHANNUM20180101.dat"), (std::vector<std::string>{"\"1100000001\""}));
}

TEST_F(OffspringStepTest, ParentNumbersThatAreNoFileNames) {
  WriteRecords("SK20180101.dat", {Sk('1', "2015100001", "1200000001", "11/0000001"),
                                  Sk('1', "2015100002", "1200000001", "1100000002")});
  std::string h1 = HorseRec("2015100001").Dam("11/0000001").Counts("overall", {1, 0, 0, 0, 0, 0});
  std::string h2 = HorseRec("2015100002").Dam("          ");
  WriteRecords("UM20180101NEW.dat", {h1, h2});
  EXPECT_EQ(Dam(), "SK母 終わり  2");
  EXPECT_FALSE(Exists("HAHA/11"));
  EXPECT_FALSE(Exists("HAHAN/11"));
  // The record keeps its place in the list and the dam's own totals.
  auto mare = Records("OPTION1N/MARE.dat", kMareStallionLength);
  ASSERT_EQ(mare.size(), 2u);
  EXPECT_EQ(mare[0], MareStallionRecord("11/0000001", Sum({h1})));
  auto report = frame_->Report();
  ASSERT_EQ(report.size(), 1u);
  EXPECT_EQ(report[0].rfind("parent file name: ", 0), 0u);
  EXPECT_NE(report[0].find("'11/0000001'"), std::string::npos) << report[0];
}

TEST_F(OffspringStepTest, EndCountAndMissingOrEmptyInputs) {
  // Either input missing: the step stops before it changes any output, and
  // the missing file is not created.
  for (const char* missing : {"SK20180101.dat", "UM20180101NEW.dat"}) {
    SCOPED_TRACE(missing);
    WriteRecords("SK20180101.dat", {Sk('1', "2015100001", "1200000001", "1100000001")});
    WriteFile("UM20180101NEW.dat", "");
    std::filesystem::remove(dir_->Path(missing));
    for (const char* o : {"SK20180101NEW.dat", "HAHAHANNUM20180101.dat", "TITIHANNUM20180101.dat",
                          "HAHA/1100000001.dat", "OPTION1N/MARE.dat", "OPTION1N/STALLION.dat"}) {
      WriteFile(o, "old");
    }
    EXPECT_THROW(Dam(), StepStopped);
    EXPECT_THROW(Sire(), StepStopped);
    EXPECT_FALSE(Exists(missing));
    for (const char* o : {"SK20180101NEW.dat", "HAHAHANNUM20180101.dat", "TITIHANNUM20180101.dat",
                          "HAHA/1100000001.dat", "OPTION1N/MARE.dat", "OPTION1N/STALLION.dat"}) {
      EXPECT_EQ(ReadFile(o), "old") << o;
    }
  }
  std::filesystem::remove(dir_->Path("HAHA/1100000001.dat"));
  std::filesystem::remove(dir_->Path("OPTION1N/MARE.dat"));
  std::filesystem::remove(dir_->Path("OPTION1N/STALLION.dat"));

  // Without a kept offspring record: an empty NEW file; the list takes the
  // dam of the record of another kind, whose summary has no foal.
  std::vector<std::string> um(812, HorseRec("2015100001").Dam("1100000001"));
  WriteRecords("UM20180101NEW.dat", um);
  WriteRecords("SK20180101.dat", {Sk('0', "2015100009", "1200000009", "1100000009")});
  WriteFile("SK20180101NEW.dat", Sk('1', "2015100001", "1200000001", "1100000001"));
  EXPECT_EQ(Dam(), "SK母 終わり  812");
  EXPECT_EQ(ReadFile("SK20180101NEW.dat"), "");
  EXPECT_EQ(Lines("HAHAHANNUM20180101.dat"), (std::vector<std::string>{"\"1100000009\""}));
  EXPECT_EQ(ReadFile("OPTION1N/MARE.dat"), MareStallionRecord("1100000009", SankuValues{}));
  std::filesystem::remove(dir_->Path("OPTION1N/MARE.dat"));
  std::string blocks = ReadFile("HAHA/1100000001.dat");
  EXPECT_EQ(std::count(blocks.begin(), blocks.end(), '\n'), 812 * kSankuLines);

  // With no horses (the horse file empty): every listed sire gets 174 zeros
  // and a record.
  WriteFile("UM20180101NEW.dat", "");
  WriteRecords("SK20180101.dat", {Sk('1', "2015100001", "1200000001", "1100000001")});
  EXPECT_EQ(Sire(), "SK父 終わり  0");
  EXPECT_EQ(ReadFile("SHUBOBAN/1200000001.dat"), SankuNumberText(SankuValues{}));
  EXPECT_EQ(ReadFile("OPTION1N/STALLION.dat"), MareStallionRecord("1200000001", SankuValues{}));
  EXPECT_TRUE(frame_->clean());
}

// The runs as the files describe them: every horse's block appended to its
// parent's block file, each listed parent's blocks read back item by item and
// added up into its total file, each total file read back into the parent's
// record. The one-pass runs must leave the same bytes.
void RereadingRun(DataDir& dir, bool sire) {
  const Slice raw_parent = sire ? OffspringField("ancestor[0]") : OffspringField("ancestor[1]");
  const Slice horse_parent =
      sire ? HorseField("ancestor[0].breeding_number") : HorseField("ancestor[1].breeding_number");
  const std::string blocks = sire ? "SHUBOBA/" : "HAHA/", totals = sire ? "SHUBOBAN/" : "HAHAN/";
  std::set<std::string> listed;
  RecordFile raw(dir.Path("SK20180101.dat"), kOffspringLength);
  for (int32_t k = 1; k <= raw.Count(); ++k) listed.emplace(raw_parent.Of(raw.Read(k)));
  for (const std::string& p : listed) WriteWholeFile(dir.Path(blocks + p + ".dat"), "");
  RecordFile um(dir.Path("UM20180101NEW.dat"), kHorseLength);
  for (int32_t i = 1; i <= um.Count(); ++i) {
    std::string h = um.Read(i);
    // Each offspring's block after the former ones (a parent not listed
    // begins a file of its own).
    const std::filesystem::path block = dir.Path(blocks + std::string(horse_parent.Of(h)) + ".dat");
    std::string former;
    Files().ReadWhole(block, former);
    WriteWholeFile(block, former + SankuStatBlock(h).text);
  }
  std::string records;
  for (const std::string& p : listed) {
    SankuValues t{};
    TextListReader r(dir.Path(blocks + p + ".dat"));
    for (int j = 0; !r.Eof(); j = (j + 1) % kSankuValues) t[j] += r.NextNumber();
    WriteWholeFile(dir.Path(totals + p + ".dat"), SankuNumberText(t));
    std::vector<std::string> lines = ReadLines(dir.Path(totals + p + ".dat"));
    SankuValues back{};
    for (size_t j = 0; j < lines.size(); ++j) back[j] = ToNumber(lines[j]);
    records += MareStallionRecord(p, back);
  }
  if (!records.empty()) {
    WriteWholeFile(dir.Path(sire ? "OPTION1N/STALLION.dat" : "OPTION1N/MARE.dat"), records);
  }
}

TEST_F(OffspringStepTest, SameBytesAsRereadingOnRandomInputs) {
  std::mt19937 rng(20240308);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    // Few horses and parents, so raw records repeat keys and parents repeat.
    std::vector<std::string> raw, um;
    for (int r = 0; r < 12; ++r) {
      raw.push_back(Sk("129"[pick(3)], "20151000" + HorseRec::Digits(pick(8), 2),
                       "12000000" + HorseRec::Digits(pick(4), 2),
                       "11000000" + HorseRec::Digits(pick(5), 2)));
    }
    for (int i = 0; i < 10; ++i) {
      HorseRec h("20151000" + HorseRec::Digits(i, 2));
      h.Sire("12000000" + HorseRec::Digits(pick(6), 2));
      h.Dam("11000000" + HorseRec::Digits(pick(7), 2));  // some dams no raw record names
      h.Counts("overall", {pick(5), pick(5), pick(5), pick(5), pick(5), pick(9)});
      h.Counts("course[" + std::to_string(pick(7)) + "]", {pick(3), pick(3), 0, 1, 0, pick(4)});
      h.Style(pick(3), pick(3), pick(6), pick(6)).Prize(0, pick(1000)).Prize(4, pick(2) * 500);
      um.push_back(h);
    }
    for (bool sire : {false, true}) {
      std::map<std::string, std::string> results[2];
      for (int side = 0; side < 2; ++side) {
        FreshRun run(root_ / (side == 0 ? "rereading" : "one-pass"));
        DataDir& dir = run.dir;
        StepContext cx = run.ctx();
        std::string all_raw, all_um;
        for (const auto& r : raw) all_raw += r;
        for (const auto& h : um) all_um += h;
        WriteWholeFile(dir.Path("SK20180101.dat"), all_raw);
        WriteWholeFile(dir.Path("UM20180101NEW.dat"), all_um);
        if (side == 0) {
          RereadingRun(dir, sire);
        } else {
          sire ? SireOffspringStep(cx) : DamOffspringStep(cx);
          EXPECT_TRUE(run.frame.clean());
        }
        for (const char* folder : {"HAHA", "HAHAN", "SHUBOBA", "SHUBOBAN", "OPTION1N"}) {
          for (const auto& [name, bytes] : FolderFiles(dir.Path(folder))) {
            results[side][std::string(folder) + "/" + name] = bytes;
          }
        }
      }
      ASSERT_EQ(results[0], results[1]) << (sire ? "sire run" : "dam run");
    }
  }
}

}  // namespace
}  // namespace volq
