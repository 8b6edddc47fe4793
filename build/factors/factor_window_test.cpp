// The category window's load, extraction, speeds, model deviation factors
// and factor item build.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "build/factors/factor_test_support.h"
#include "common/interrupted_runs.h"
#include "platform/fs/fault_file_system.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/run_journal.h"
#include "platform/text/cp932.h"
#include "platform/ui/headless_host.h"

namespace volq {
namespace {

// The fields of an extended record these steps read; defaults: a turf race
// of 1600 m at racecourse 05 on 5 January 2018 in 1:34.5, last 3 furlongs
// 34.5, 1.2 seconds behind the winner.
struct ExRun {
  std::string year = "2018", month_day = "0105", racecourse = "05", abnormal = "0";
  std::string time = "1345", last3 = "345", difference = "+012", distance = "1600", track = "10";
};

class FactorWindowTest : public testing::FactorTest {
 protected:
  static std::string ExOf(const ExRun& x) {
    return Ex({{11, x.year},
               {15, x.month_day},
               {19, x.racecourse},
               {678, x.abnormal},
               {685, x.time},
               {737, x.last3},
               {740, x.difference},
               {767, x.distance},
               {775, x.track}});
  }
  void Show() { wm_.Open(w()); }
  // Reported lines that contain the text.
  int Reported(const std::string& text) const {
    return static_cast<int>(
        std::count_if(host_.failures.begin(), host_.failures.end(),
                      [&](const std::string& l) { return l.find(text) != std::string::npos; }));
  }
  std::string Status() { return w().Text1.Text; }
  void WriteList(const std::string& name, const std::vector<std::string>& items) {
    std::string bytes;
    for (const auto& i : items) bytes += "\"" + i + "\"\r\n";
    WriteFile(name, bytes);
  }
  void WriteExFile(const std::string& horse, const std::vector<ExRun>& runs) {
    std::vector<std::string> recs;
    for (const ExRun& x : runs) recs.push_back(ExOf(x));
    WriteRecords("UMAGOTOEXSETUP/" + horse + "EX.dat", recs);
  }

  HeadlessHost host_;
  WindowManager wm_{host_};
};

// --- Speeds ---------------------------------------------------------------------

TEST_F(FactorWindowTest, SpeedsInSinglePrecisionWithTheirBlankAndZeroCases) {
  const std::string blank(7, ' ');
  const char* fails = "fails";
  struct Case {
    const char *time, *last3, *distance, *track, *agari, *pace, *soha;
  } cases[] = {
      {"1345", "345", "1600", "10", "6260869", "6000000", "6095238"},
      // Steeplechase: the last 200 m; a speed of 100 km/h or more loses its "1".
      {"3243", "130", "3000", "51", "5538461", "5269210", "5286343"},
      {"1400", "120", "3600", "51", "6000000", "3909091", "2959999"},
      {"1345", "120", "1600", "-1", "6000000", "6109091", "6095238"},
      {"1345", "345", "0680", "10", "6260869", "0480000", "2590476"},
      {"1345", "000", "1600", "10", "0000000", "0000000", "6095238"},
      {"1345", "   ", "1600", "10", blank.c_str(), blank.c_str(), "6095238"},
      {"0000", "000", "1600", "10", "0000000", "0000000", "0000000"},
      {"    ", "000", "1600", "10", "0000000", "0000000", "0000000"},
      {"    ", "345", "1600", "10", "6260869", fails, "0000000"},
      {"1345", "345", "1600", "  ", fails, fails, "6095238"},
      {"1345", "3a5", "16 0", "10", fails, fails, fails},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.time) + "/" + c.last3 + "/" + c.distance + "/" + c.track);
    ExRun x;
    x.time = c.time, x.last3 = c.last3, x.distance = c.distance, x.track = c.track;
    f().ExRecord = ExOf(x);
    auto check = [&](const char* expected, std::string (FactorFrame::*speed)()) {
      if (expected == fails) {
        EXPECT_THROW((f().*speed)(), Failure);
      } else {
        EXPECT_EQ((f().*speed)(), expected);
      }
    };
    check(c.agari, &FactorFrame::AgariSpeed);
    check(c.pace, &FactorFrame::PaceSpeed);
    check(c.soha, &FactorFrame::SohaSpeed);
  }
}

// --- Model deviation factors ------------------------------------------------------

class ModelFactorTest : public FactorWindowTest {
 protected:
  // Column 1 of a model: the categories given, weighing the weights given.
  static void Column1(CategoryModel& m, const std::vector<std::string>& categories,
                      const std::vector<float>& weights) {
    m.count[1] = static_cast<int32_t>(categories.size());
    m.list[1] = {""};
    m.list[1].insert(m.list[1].end(), categories.begin(), categories.end());
    m.pace[1] = {0};
    m.pace[1].insert(m.pace[1].end(), weights.begin(), weights.end());
    m.agari[1] = m.pace[1];
  }
  // The previous run, then the current one; F1 of the ITEM buffer "2018".
  void TwoRuns(const ExRun& previous) {
    Horse("2017100001", {ExOf(previous), ExOf(ExRun{})}, 2);
    f().StoreItem(FactorField(1), "2018");
  }
};

TEST_F(ModelFactorTest, DeviationOfThePreviousRunFromThePrediction) {
  // The previous run: pace 60 km/h, Agari 62 km/h (6260869).
  struct Case {
    float weight;
    const char *pace_code, *agari_code;
  } cases[] = {
      {58.2f, "12", "14"}, {53.9f, "10", "10"}, {57.0f, "13", "15"}, {56.9f, "14", "10"},
      {61.5f, "9", "11"},  {70.0f, "0", "2"},   {70.5f, "0", "2"},   {71.0f, "10", "1"},
      {-3.2f, "10", "10"}, {0.0f, "10", "10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.weight);
    Column1(f().Models[kTurf], {"2018     "}, {c.weight});
    TwoRuns(ExRun{});
    EXPECT_EQ(f().Factor17PaceDeviation(), c.pace_code);
    EXPECT_EQ(f().Factor29AgariDeviation(), c.agari_code);
    EXPECT_EQ(f().RaceYear(), "2018") << "record r read again";
  }
}

TEST_F(ModelFactorTest, WhichModelAndTotalThePreviousRunsTrackCodeChooses) {
  Column1(f().Models[kTurf], {"2018     "}, {58.2f});
  Column1(f().Models[kDirt], {"2018     "}, {57.2f});
  Column1(f().Models[kSteeple], {"2018     "}, {3.0f});
  struct Case {
    const char *track, *distance, *pace_code;
  } cases[] = {
      {"10", "1600", "12"},
      {"23", "1600", "13"},  // dirt model throughout
      {"24", "1600", "13"},
      // 25 to 49: the steeplechase model sums, the dirt total (0) is read:
      // a pace of 4.8 km/h gives 4 - 0 + 10.
      {"25", "0680", "14"},
      {"49", "0680", "14"},
      {"51", "0310", "13"},  // the last 200 m: 110 m in 60 s, 6 - 3 + 10
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.track);
    ExRun previous;
    previous.track = c.track, previous.distance = c.distance;
    TwoRuns(previous);
    EXPECT_EQ(f().Factor17PaceDeviation(), c.pace_code);
  }
}

TEST_F(ModelFactorTest, FirstRunPreviousValidRunAndFailures) {
  Column1(f().Models[kTurf], {"2018     "}, {58.2f});
  // The first record: "10" without touching the models.
  Horse("2017100001", {ExOf(ExRun{})}, 1);
  f().AgariTotals = {9, 9, 9};
  EXPECT_EQ(f().Factor29AgariDeviation(), "10");
  EXPECT_EQ(f().AgariTotals[0], 9);

  // Record 2 abnormal: record 3 scores record 1, whatever record 1 holds.
  ExRun first, abnormal, current;
  first.abnormal = "4";
  abnormal.abnormal = "1", abnormal.last3 = "   ";
  Horse("2017100002", {ExOf(first), ExOf(abnormal), ExOf(current)}, 3);
  f().StoreItem(FactorField(1), "2018");
  EXPECT_EQ(f().Factor17PaceDeviation(), "12");

  // A category text matches only with its trailing blanks.
  Column1(f().Models[kTurf], {"2018"}, {58.2f});
  TwoRuns(ExRun{});
  EXPECT_EQ(f().Factor17PaceDeviation(), "10");

  // No last 3 furlongs or no track code on the previous run: the routine
  // fails and the buffer still holds the previous run.
  ExRun no_last3, no_track;
  no_last3.year = no_track.year = "2017";
  no_last3.last3 = "   ";
  no_track.track = "  ";
  for (const ExRun& previous : {no_last3, no_track}) {
    TwoRuns(previous);
    EXPECT_THROW(f().Factor17PaceDeviation(), Failure);
    EXPECT_EQ(f().RaceYear(), "2017");
  }
}

TEST_F(ModelFactorTest, CategoryIndexFirstEqualPositionCountsAndScoreSums) {
  CategoryModel& m = f().Models[kDirt];
  m.count[2] = 3;
  m.list[2] = {"", "B", "A", "A"};
  m.agari[2] = {0, 1.5f, 2.5f, 4.0f};
  m.count[3] = 5;  // more than the list holds: the rest are empty texts
  m.list[3] = {"", "C"};
  m.agari[3] = {0, 0.25f};
  m.count[4] = 0;
  m.list[4] = {"", "D"};
  m.agari[4] = {0, 100.0f};
  ExRun x;
  x.track = "24";
  for (bool indexed : {false, true}) {
    SCOPED_TRACE(indexed);
    if (indexed) IndexCategories(m);
    Horse("2017100001", {ExOf(x)}, 1);
    struct Case {
      int column;
      const char* key;
      int32_t index;
    } cases[] = {{2, "A", 2}, {2, "B", 1}, {2, "Z", 0}, {3, "C", 1}, {4, "D", 0}, {0, "A", 0}};
    for (const Case& c : cases) {
      f().LookupKey = c.key;
      f().LookupColumn = c.column;
      EXPECT_EQ(f().ModelCategoryIndexOf(), c.index) << c.column << c.key;
    }
    f().LookupColumn = 31;
    EXPECT_THROW(f().ModelCategoryIndexOf(), Failure);

    f().ModelIndexTable.fill(0);
    f().ModelIndexTable[2] = 3;
    f().ModelIndexTable[3] = 1;
    f().ModelIndexTable[5] = 6000;  // not loaded: weighs 0
    f().AgariTotals = {7, 7, 7};
    f().ScoreSumA();
    EXPECT_EQ(f().AgariTotals[kDirt], 4.25f);
    EXPECT_EQ(f().AgariTotals[kTurf], 0);
    EXPECT_EQ(f().AgariTotals[kSteeple], 0);
  }
}

// --- Load -------------------------------------------------------------------------

class ModelLoadTest : public FactorWindowTest {
 protected:
  // A model with two categories in column 1 and one in column 30.
  void WriteModel(const std::string& word) {
    std::string counts;
    for (int k = 1; k <= 30; ++k) counts += std::to_string(k == 1 ? 2 : k == 30 ? 1 : 0) + "\r\n";
    WriteFile("OPTION1N/QA1" + word + "TotalData201801N2024.dat", counts);
    WriteFile("OPTION1N/" + word + "ItemCategory201801N2024.dat",
              "\"2018     \"\r\n\"2019     \"\r\n\"50  \"\r\n");
    WriteFile("OPTION1N/QA1" + word + "AgariWeightData201801N2024.dat",
              "1.5\r\n-2.25E+01\r\n3\r\n");
    WriteFile("OPTION1N/QA1" + word + "PaceWeightData201801N2024.dat", "0.1,0.2,0.3\r\n");
    WriteFile("OPTION1N/QA1" + word + "SohaWeightData201801N2024.dat", "4\r\n5\r\n6\r\n");
  }
  void WriteAll() {
    WriteList("KETTONUM20180101.dat", {"2015100001", "2015100002"});
    std::string fl;
    for (int row = 1; row <= 2; ++row) {
      for (int g = 0; g < 13; ++g) {
        fl += "\"B" + std::to_string(row) + std::to_string(g) +
              "\",\"name\",\"2010\",\"place\",\"S\",\"D\"\r\n";
      }
    }
    WriteFile("FL20180101.dat", fl);
    for (const char* word : {"Siba", "Dirt", "Shog"}) WriteModel(word);
  }
};

TEST_F(ModelLoadTest, LoadsTheHorseListDamLinesAndModels) {
  WriteAll();
  Show();
  EXPECT_TRUE(host_.failures.empty()) << host_.failures.front();
  EXPECT_EQ(f().HorseListCount, 2);
  EXPECT_EQ(f().HorseList[2], "2015100002");
  EXPECT_EQ(f().FemaleLineRowCount(), 2);
  EXPECT_EQ(f().FemaleLineTable[2][12][0], "B212");
  EXPECT_EQ(f().FemaleLineTable[2][12][5], "D");
  for (int course : {kTurf, kDirt, kSteeple}) {
    const CategoryModel& m = f().Models[course];
    EXPECT_EQ(m.count[1], 2);
    EXPECT_EQ(m.count[30], 1);
    EXPECT_EQ(m.list[1][2], "2019     ");
    EXPECT_EQ(m.list[30][1], "50  ");
    EXPECT_EQ(m.agari[1], (std::vector<float>{0, 1.5f, -22.5f}));
    EXPECT_EQ(m.pace[30], (std::vector<float>{0, 0.3f}));
    EXPECT_EQ(m.soha[1][1], 4.0f);
    EXPECT_EQ(m.count[2], 0);
  }
}

TEST_F(ModelLoadTest, AFaultyModelFileIsReportedAndItsModelLeftEmpty) {
  const std::string totals = "OPTION1N/QA1DirtTotalData201801N2024.dat";
  struct Case {
    const char* name;
    std::function<void(FactorWindowTest&)> spoil;
    const char* reported;
  } cases[] = {
      {"missing total file", [&](FactorWindowTest&) { dir_->Delete(totals); }, "missing"},
      {"leading pair",
       [&](FactorWindowTest& t) {
         std::string s = "3,30\r\n2\r\n";
         for (int k = 2; k <= 29; ++k) s += "0\r\n";
         t.WriteFile(totals, s + "1\r\n");
       },
       "more than 30"},
      {"count 6001", [&](FactorWindowTest& t) { t.WriteFile(totals, "6001\r\n"); },
       "outside 0 to 6000"},
      {"count not a number", [&](FactorWindowTest& t) { t.WriteFile(totals, "x\r\n"); },
       "not a number"},
      {"short total file", [&](FactorWindowTest& t) { t.WriteFile(totals, "2\r\n"); }, "short"},
      // A model with some of its files is a damaged one, not one not made yet.
      {"only the total file",
       [&](FactorWindowTest&) {
         for (const char* file : {"DirtItemCategory", "QA1DirtAgariWeightData",
                                  "QA1DirtPaceWeightData", "QA1DirtSohaWeightData"}) {
           dir_->Delete("OPTION1N/" + std::string(file) + "201801N2024.dat");
         }
       },
       "DirtItemCategory201801N2024.dat: missing"},
      {"short category file",
       [&](FactorWindowTest& t) {
         t.WriteFile("OPTION1N/DirtItemCategory201801N2024.dat", "\"2018     \"\r\n");
       },
       "short"},
      {"short weight file",
       [&](FactorWindowTest& t) {
         t.WriteFile("OPTION1N/QA1DirtSohaWeightData201801N2024.dat", "4\r\n5\r\n");
       },
       "short"},
      {"weight not a number",
       [&](FactorWindowTest& t) {
         t.WriteFile("OPTION1N/QA1DirtPaceWeightData201801N2024.dat", "0.1,abc,0.3\r\n");
       },
       "not a number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteAll();
    c.spoil(*this);
    host_.failures.clear();
    FormCATEGORYSETUP2024ZZ window(*dir_);
    wm_.Open(window);
    ASSERT_EQ(host_.failures.size(), 1u);
    EXPECT_EQ(Reported("load model Dirt"), 1);
    EXPECT_EQ(Reported(c.reported), 1) << host_.failures[0];
    EXPECT_EQ(window.Factors.Models[kDirt].count[1], 0);
    EXPECT_TRUE(window.Factors.Models[kDirt].list[1].empty());
    EXPECT_EQ(window.Factors.Models[kTurf].count[1], 2);
    EXPECT_EQ(window.Factors.Models[kSteeple].count[1], 2);
  }
}

TEST_F(ModelLoadTest, ModelsNotMadeYetAreANoteThatSaysWhatFollowsAndWhatWritesThem) {
  const std::string every = "OPTION1N holds no models yet (Siba, Dirt and Shog: ";
  struct Case {
    std::vector<const char*> absent;  // models none of whose five files is there
    const char* note;                 // its start; "" for none
  } cases[] = {
      {{"Siba", "Dirt", "Shog"}, every.c_str()},
      {{"Dirt"}, "OPTION1N holds no Dirt model yet (OPTION1N/QA1DirtTotalData201801N2024.dat"},
      {{"Siba", "Shog"}, "OPTION1N holds no Siba and Shog model yet (OPTION1N/QA1Siba"},
      {{}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.note);
    WriteAll();
    for (const char* word : c.absent) {
      for (const std::string file : {"QA1%TotalData", "%ItemCategory", "QA1%AgariWeightData",
                                     "QA1%PaceWeightData", "QA1%SohaWeightData"}) {
        dir_->Delete("OPTION1N/" + file.substr(0, file.find('%')) + word +
                     file.substr(file.find('%') + 1) + "201801N2024.dat");
      }
    }
    host_.failures.clear();
    host_.notes.clear();
    FormCATEGORYSETUP2024ZZ window(*dir_);
    wm_.Open(window);
    EXPECT_TRUE(host_.failures.empty()) << host_.failures.front();
    if (*c.note == 0) {
      EXPECT_TRUE(host_.notes.empty()) << host_.notes.front();
      continue;
    }
    ASSERT_EQ(host_.notes.size(), 1u);
    const std::string& note = host_.notes[0];
    EXPECT_EQ(note.rfind(c.note, 0), 0u) << note;
    for (const char* said : {"factors 17 and 29 score against an empty model",
                             "volqmodels --data-dir ", "docs/factors.md"}) {
      EXPECT_NE(note.find(said), std::string::npos) << said << " not in " << note;
    }
    for (int course : {kTurf, kDirt, kSteeple}) {
      const bool absent = std::find_if(c.absent.begin(), c.absent.end(), [&](const char* w) {
                            return std::string(w) == ModelWord(course);
                          }) != c.absent.end();
      EXPECT_EQ(window.Factors.Models[course].count[1], absent ? 0 : 2) << ModelWord(course);
    }
  }
}

TEST_F(ModelLoadTest, MissingListsAndAShortDamLineRowAreReported) {
  WriteAll();
  dir_->Delete("KETTONUM20180101.dat");
  WriteFile("FL20180101.dat", ReadFile("FL20180101.dat") + "\"B3\",\"name\"\r\n");
  Show();
  EXPECT_EQ(f().HorseListCount, 0);
  EXPECT_EQ(Reported("missing input KETTONUM20180101.dat: read as empty"), 1);
  EXPECT_EQ(f().FemaleLineRowCount(), 3);
  EXPECT_EQ(f().FemaleLineTable[3][0][1], "name");
  EXPECT_EQ(Reported("FL20180101.dat: short: row 3 holds 2 of 78 values"), 1);
}

// --- Extraction -----------------------------------------------------------------

class ExtractionTest : public FactorWindowTest {
 protected:
  void SetUp() override {
    FactorWindowTest::SetUp();
    Show();
    host_.failures.clear();
  }
  void Extract(OptionButton* choice, const std::string& month = "201801") {
    if (choice) choice->Choose();
    w().Text1.Text = month;
    w().Command1_Click();
  }
  // The horse list as the load would have read it.
  void Listed(const std::vector<std::string>& horses) {
    w().HorseListError = 0;
    f().HorseList = {""};
    f().HorseList.insert(f().HorseList.end(), horses.begin(), horses.end());
    f().HorseListCount = static_cast<int32_t>(horses.size());
  }
};

TEST_F(ExtractionTest, ListsTheHorsesOfEachCourseTypeSinceTheMonth) {
  auto run = [](const char* year, const char* md, const char* rc, const char* track) {
    ExRun x;
    x.year = year, x.month_day = md, x.racecourse = rc, x.track = track;
    return x;
  };
  struct Case {
    const char* horse;
    std::vector<ExRun> runs;
    const char* in;  // the lists it is in: T turf, D dirt, S steeplechase
  } cases[] = {
      {"2015100001", {run("2017", "1231", "05", "10")}, ""},
      {"2015100002", {run("2017", "1231", "05", "10"), run("2018", "0101", "05", "10")}, "T"},
      {"2015100003", {run("2019", "0505", "01", "22"), run("2019", "0601", "10", "29")}, "TD"},
      {"2015100004", {run("2019", "0505", "00", "10"), run("2019", "0505", "11", "23")}, ""},
      {"2015100005", {run("2019", "0505", "05", "23")}, "D"},
      {"2015100006", {run("2019", "0505", "05", "51"), run("2019", "0505", "05", "59")}, "S"},
      {"2015100007", {run("2019", "0505", "05", "30"), run("2019", "0505", "05", "50")}, ""},
      {"2015100008", {run("2019", "0505", "05", "  "), run("ABCD", "0505", "05", "10")}, ""},
      {"2015100009", {run("2018", "0505", "05", "10")}, "T"},
  };
  std::vector<std::string> horses;
  for (const Case& c : cases) {
    horses.push_back(c.horse);
    WriteExFile(c.horse, c.runs);
  }
  horses.push_back("2015100010");  // no EX file
  Listed(horses);
  struct Step {
    OptionButton* choice;
    const char *list, *letter;
  } steps[] = {{&w().Option1, "SIBA201801N.dat", "T"},
               {&w().Option2, "DIRT201801N.dat", "D"},
               {&w().Option3, "SHOG201801N.dat", "S"}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.list);
    host_.failures.clear();
    Extract(s.choice);
    EXPECT_EQ(Status(), Cp932("終わり"));
    std::string expected;
    for (const Case& c : cases) {
      if (std::string(c.in).find(s.letter) != std::string::npos)
        expected += "\"" + std::string(c.horse) + "\"\r\n";
    }
    EXPECT_EQ(ReadFile(s.list), expected);
    // The outcome line counts the horses listed.
    const size_t listed = std::count(expected.begin(), expected.end(), '\n');
    ASSERT_FALSE(host_.outcomes.empty());
    EXPECT_EQ(host_.outcomes.back(), std::to_string(listed) + (listed == 1 ? " horse" : " horses") +
                                         " listed in " + s.list +
                                         " (of 10 in KETTONUM20180101.dat)");
    EXPECT_EQ(Reported("UMAGOTOEXSETUP/2015100010EX.dat"), 1);
    EXPECT_FALSE(Exists("UMAGOTOEXSETUP/2015100010EX.dat")) << "reading makes no file";
  }
  EXPECT_EQ(Reported("race record"), 0) << "steeplechase: the bad year is on a turf track";
  Extract(&w().Option1);
  EXPECT_EQ(Reported("race record: not a whole number: 'ABCD05'"), 1);
}

TEST_F(ExtractionTest, StartMonthCourseChoiceAndTheRememberedType) {
  WriteExFile("2015100001", {ExRun{}});
  Listed({"2015100001"});
  // No option chosen yet: nothing written, the end text shown, and said.
  Extract(nullptr);
  EXPECT_EQ(Status(), Cp932("終わり"));
  EXPECT_EQ(Reported("no course type chosen"), 1);
  EXPECT_FALSE(Exists("SIBA201801N.dat"));

  // A start month that is no number (the end text the last step left in
  // Text1): nothing written, the text stays, and the report says what to type.
  Extract(&w().Option2, Cp932("終わり"));
  EXPECT_EQ(Status(), Cp932("終わり"));
  EXPECT_EQ(
      Reported(Cp932("start month: '終わり' is not a month: type Text1 201801, then press 抽出")),
      1);
  EXPECT_FALSE(Exists(Cp932("DIRT終わりN.dat")));

  // The remembered type once no option is chosen; the month names the list.
  ExRun dirt;
  dirt.track = "24";
  WriteExFile("2015100001", {dirt});
  w().Option2.Value = false;
  Extract(nullptr, "201712");
  EXPECT_EQ(ReadFile("DIRT201712N.dat"), "\"2015100001\"\r\n");
  Extract(nullptr, "201802");
  EXPECT_EQ(ReadFile("DIRT201802N.dat"), "");
}

// --- Factor item build -----------------------------------------------------------

class ItemBuildTest : public ExtractionTest {
 protected:
  // The files the factor routines look records up in, there but empty.
  static constexpr const char* kLookups[] = {"KISHUSEISEI.dat", "OPTION1N/KYOSOBA.dat",
                                             "OPTION1N/STALLION.dat", "CHOKYOSEISEI.dat"};
  void SetUp() override {
    ExtractionTest::SetUp();
    for (const char* name : kLookups) WriteFile(name, "");
  }
  std::vector<std::string> Items(const char* file) { return Records(file, kItemLength); }
};

TEST_F(ItemBuildTest, KeepTestOfEachCourseType) {
  struct Case {
    const char* name;
    std::function<void(ExRun&)> set;
    const char* kept_by;  // T turf, D dirt, S steeplechase
  } cases[] = {
      {"201712", [](ExRun& x) { x.year = "2017", x.month_day = "1231"; }, ""},
      {"201801", [](ExRun& x) { x.month_day = "0101"; }, "T"},
      {"+999", [](ExRun& x) { x.difference = "+999"; }, ""},
      {"-012", [](ExRun& x) { x.difference = "-012"; }, "T"},
      {"+065", [](ExRun& x) { x.difference = "+065"; }, ""},
      {"+065 dirt", [](ExRun& x) { x.difference = "+065", x.track = "24"; }, "D"},
      {"+065 steeplechase", [](ExRun& x) { x.difference = "+065", x.track = "55"; }, "S"},
      {"+   ", [](ExRun& x) { x.difference = "+   "; }, "T"},
      {"racecourse 00", [](ExRun& x) { x.racecourse = "00"; }, ""},
      {"racecourse 11", [](ExRun& x) { x.racecourse = "11"; }, ""},
      {"racecourse 10", [](ExRun& x) { x.racecourse = "10"; }, "T"},
      {"time 0000", [](ExRun& x) { x.time = "0000"; }, ""},
      {"time blank", [](ExRun& x) { x.time = "    "; }, ""},
      {"dirt 29", [](ExRun& x) { x.track = "29"; }, "D"},
      {"track 30", [](ExRun& x) { x.track = "30"; }, ""},
      // A test that cannot be evaluated passes.
      {"year not a number", [](ExRun& x) { x.year = "ABCD"; }, "T"},
  };
  struct Step {
    void (FormCATEGORYSETUP2024ZZ::*click)();
    const char *list, *item, *letter, *end;
  } steps[] = {
      {&FormCATEGORYSETUP2024ZZ::Command2_Click, "SIBA201801N.dat", "SIBAITEM201801N2024.dat", "T",
       "芝終わり"},
      {&FormCATEGORYSETUP2024ZZ::Command3_Click, "DIRT201801N.dat", "DIRTITEM201801N2024.dat", "D",
       "ダート終わり"},
      {&FormCATEGORYSETUP2024ZZ::Command4_Click, "SHOG201801N.dat", "SHOGITEM201801N2024.dat", "S",
       "障害終わり"},
  };
  for (const Step& s : steps) {
    // One horse per case; its one record carries the case's distance as a tag.
    std::vector<std::string> horses;
    int tag = 1000;
    for (const Case& c : cases) {
      ExRun x;
      c.set(x);
      x.distance = std::to_string(++tag);
      horses.push_back("20151" + std::to_string(tag * 10));
      WriteExFile(horses.back(), {x});
    }
    WriteList(s.list, horses);
    (w().*s.click)();
    EXPECT_EQ(Status(), Cp932(s.end));
    std::vector<std::string> kept;
    for (const std::string& rec : Items(s.item)) kept.push_back(rec);
    tag = 1000;
    size_t i = 0;
    for (const Case& c : cases) {
      ++tag;
      if (std::string(c.kept_by).find(s.letter) == std::string::npos) continue;
      SCOPED_TRACE(std::string(s.letter) + " " + c.name);
      ASSERT_LT(i, kept.size());
      // The whole-race speed over the tagged distance in 94.5 s.
      ExRun x;
      x.distance = std::to_string(tag);
      f().ExRecord = ExOf(x);
      EXPECT_EQ(kept[i++].substr(14, 7), f().SohaSpeed());
    }
    EXPECT_EQ(i, kept.size()) << s.letter;
    EXPECT_EQ(f().ItemCount, static_cast<int32_t>(kept.size()));
    // The outcome line counts the race entries written.
    ASSERT_FALSE(host_.outcomes.empty());
    EXPECT_EQ(host_.outcomes.back(),
              std::to_string(kept.size()) + (kept.size() == 1 ? " race entry" : " race entries") +
                  " written to " + s.item + " (of 16 extended records of 16 horses)");
  }
}

TEST_F(ItemBuildTest, RecordsInListOrderFieldsKeptOnFailureAndTheReport) {
  // Factor 17 fails on a previous run without last 3 furlongs; a track code
  // that is not a number is stood in for by the last one converted.
  ExRun no_last3, current, bad_track;
  no_last3.year = "2017", no_last3.last3 = "   ";
  bad_track.track = "1A";
  WriteExFile("2015100001", {no_last3, current, bad_track});
  WriteExFile("2015100002", {ExRun{}});
  WriteList("SIBA201801N.dat", {"2015100001", "2015100002", "2015100001", "2015100003"});
  f().StoreItem(FactorField(17), "XX");
  w().Command2_Click();
  EXPECT_EQ(Status(), Cp932("芝終わり"));
  const std::vector<std::string> items = Items("SIBAITEM201801N2024.dat");
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(ReadFile("SIBAITEM201801N2024.dat").size(), 5u * kItemLength);
  for (const std::string& rec : items) {
    EXPECT_EQ(rec.substr(0, 21), "626086960000006095238");
    EXPECT_EQ(rec.substr(197), "\r\n");
  }
  // The field keeps what the buffer held: blanks at the start of a run,
  // whatever the window held before, then the record written before
  // (another horse's).
  EXPECT_EQ(items[0].substr(109, 4), "    ");
  EXPECT_EQ(items[1].substr(109, 4), "10  ");
  EXPECT_EQ(items[2].substr(109, 4), "10  ");
  EXPECT_EQ(items[3].substr(109, 4), "10  ");
  // Folded per routine and cause, naming the race entries.
  // The report says what the field holds now.
  EXPECT_EQ(Reported("factor 17 left as it was (it holds the code of the race entry written "
                     "before it, blanks if none): horse 2015100001 in race 20180105 05   : "),
            1);
  EXPECT_EQ(Reported("Agari speed left as it was (it holds the speed of the race entry written "
                     "before it, blanks if none): horse 2015100001 in race 20180105 05   : "),
            1);
  EXPECT_EQ(Reported("keep test (track code): not a whole number: '1A' (2 times)"), 1);
  EXPECT_EQ(Reported("missing entity file"), 1);
  EXPECT_FALSE(Exists("UMAGOTOEXSETUP/2015100003EX.dat"));
  // The course list is the build's own; the window's horse list is as loaded.
  EXPECT_EQ(f().HorseCount, 4);
  EXPECT_EQ(f().HorseList, std::vector<std::string>{""});
}

TEST_F(ItemBuildTest, EntriesWhoseRaceIsMissingAreToldOnOneLine) {
  // Without its race the extended record has blank race fields: no distance
  // or track code, so the speeds and many factors fail on it.
  ExRun no_race, later;
  no_race.distance = "    ", no_race.track = "  ";
  later.month_day = "0210";
  WriteExFile("2015100001", {ExRun{}, no_race});
  WriteExFile("2015100002", {no_race, later});
  WriteList("SIBA201801N.dat", {"2015100001", "2015100002"});
  w().Command2_Click();
  EXPECT_EQ(Items("SIBAITEM201801N2024.dat").size(), 4u);
  ASSERT_FALSE(host_.failures.empty());
  EXPECT_EQ(host_.failures[0],
            "2 race entries kept whose race is not in RA20180101NEW.dat: their speeds and the "
            "factor codes that need the race were left as they were (they hold those of the "
            "race entry written before each; first: horse 2015100001 in race 20180105 05   )");
  // Not told again by each routine or by the keep test; the next run's factor
  // 17 and 29 read the run without its race and are told.
  EXPECT_EQ(Reported("keep test"), 0);
  EXPECT_EQ(Reported("speed left as it was"), 0);
  EXPECT_EQ(Reported("factor 17 left as it was (it holds the code of the race entry written "
                     "before it, blanks if none): horse 2015100002 in race 20180210 05   : not a "
                     "whole number: '  '"),
            1);
}

TEST_F(ItemBuildTest, AnOutputWrittenEmptyFromListedHorsesSaysWhy) {
  // No extended records at all: each missing file names the button that
  // writes the folder, and the empty outputs say so.
  host_.notes.clear();  // the window opened without models
  Listed({"2015100001", "2015100002"});
  Extract(&w().Option1);
  WriteList("SIBA201801N.dat", {"2015100001", "2015100002"});
  w().Command2_Click();
  EXPECT_EQ(ReadFile("SIBAITEM201801N2024.dat"), "");
  EXPECT_EQ(Reported(Cp932("missing entity file: read as empty; write them first: window 1, press "
                           "Command9 (VOLQNQ4DEXPD), then Command1 (計算) in the window it opens "
                           "(2 times; "
                           "first: UMAGOTOEXSETUP/2015100001EX.dat")),
            2);
  EXPECT_EQ(host_.notes, (std::vector<std::string>{
                             "SIBA201801N.dat is written empty: none of the 2 horses of "
                             "KETTONUM20180101.dat has extended records in UMAGOTOEXSETUP/",
                             "SIBAITEM201801N2024.dat is written empty: none of the 2 horses of "
                             "SIBA201801N.dat has extended records in UMAGOTOEXSETUP/"}));

  // Records, none of them kept: told as such; nothing is said of a build
  // that writes records, nor of an empty course list.
  ExRun old_race;
  old_race.year = "2017";
  WriteExFile("2015100001", {old_race, old_race});
  host_.notes.clear();
  host_.failures.clear();
  Extract(&w().Option1);
  WriteList("SIBA201801N.dat", {"2015100001", "2015100002"});
  w().Command2_Click();
  EXPECT_EQ(host_.notes,
            (std::vector<std::string>{
                "SIBA201801N.dat is written empty: none of the 2 horses of KETTONUM20180101.dat "
                "ran on a course of 芝 at a central racecourse in or after 201801",
                "SIBAITEM201801N2024.dat is written empty: none of the 2 extended records of the "
                "2 horses of SIBA201801N.dat passes the keep test (docs/factors.md)"}));
  WriteExFile("2015100002", {ExRun{}});
  host_.notes.clear();
  w().Command2_Click();
  WriteList("DIRT201801N.dat", {});
  w().Command3_Click();
  EXPECT_EQ(Items("SIBAITEM201801N2024.dat").size(), 1u);
  EXPECT_TRUE(host_.notes.empty()) << host_.notes.front();
}

TEST_F(ItemBuildTest, ABuildGivesTheSameFileWhateverTheWindowDidBefore) {
  // Factor 17 fails on the first kept record (its previous run has no last
  // 3 furlongs), so that record's field shows what the buffer began with.
  ExRun no_last3, current, dirt;
  no_last3.year = "2017", no_last3.last3 = "   ";
  dirt.track = "24";
  WriteExFile("2015100001", {no_last3, current, ExRun{}});
  WriteExFile("2015100002", {dirt, dirt});
  WriteList("SIBA201801N.dat", {"2015100001"});
  WriteList("DIRT201801N.dat", {"2015100002"});
  w().Command2_Click();
  const std::string fresh = ReadFile("SIBAITEM201801N2024.dat");
  ASSERT_EQ(fresh.size(), 2u * kItemLength);
  // A dirt build and a turf categorisation leave other records in the buffer.
  w().Command3_Click();
  w().Command5_Click();
  ASSERT_NE(f().ItemRecord, std::string(kItemLength, ' '));
  w().Command2_Click();
  EXPECT_EQ(ReadFile("SIBAITEM201801N2024.dat"), fresh);
}

TEST_F(ItemBuildTest, AnExtractionListsTheSameHorsesAfterABuild) {
  // The turf list differs from the head of the window's horse list, so a
  // build that put its course list there would change the dirt extraction.
  ExRun turf, dirt;
  dirt.track = "24";
  WriteExFile("2015100001", {dirt});
  WriteExFile("2015100002", {dirt});
  WriteExFile("2015100003", {turf});
  Listed({"2015100001", "2015100002", "2015100003"});
  Extract(&w().Option2);
  const std::string fresh = ReadFile("DIRT201801N.dat");
  ASSERT_EQ(fresh, "\"2015100001\"\r\n\"2015100002\"\r\n");
  Extract(&w().Option1);
  ASSERT_EQ(ReadFile("SIBA201801N.dat"), "\"2015100003\"\r\n");
  w().Command2_Click();
  Extract(&w().Option2);
  EXPECT_EQ(ReadFile("DIRT201801N.dat"), fresh);
}

TEST_F(ItemBuildTest, KeepTestThatCannotBeEvaluatedAndTheTrackCodeStandIn) {
  // The records are told apart by their race year, which factor 1 stores.
  auto run = [](const char* year, const char* track, const char* racecourse = "05",
                const char* time = "1345") {
    ExRun x;
    x.year = year, x.track = track, x.racecourse = racecourse, x.time = time;
    return x;
  };
  auto years = [&](const char* item) {
    std::string kept;
    for (const std::string& rec : Items(item)) kept += rec.substr(21, 4) + " ";
    return kept;
  };
  // Both halves of the date test are worked out before they are combined: a
  // time that is no number passes a 2017 race, and a year that is no number
  // passes a race without a time.
  WriteExFile("2015100001", {run("2017", "10", "05", "1a45"), run("ABCD", "10", "05", "0000"),
                             run("2017", "10", "05", "0000")});
  WriteList("SIBA201801N.dat", {"2015100001"});
  w().Command2_Click();
  EXPECT_EQ(years("SIBAITEM201801N2024.dat"), "2017 ABCD ");

  // A track code that is no number takes the last one converted in the run:
  // none yet (0), not that of a record an earlier test dropped, then the
  // previous kept record's, across horses.
  WriteExFile("2015100002",
              {run("2019", "AB"), run("2020", "24", "00"), run("2021", "AB"), run("2022", "24")});
  WriteExFile("2015100003", {run("2023", "AB")});
  WriteList("DIRT201801N.dat", {"2015100002", "2015100003"});
  w().Command3_Click();
  EXPECT_EQ(years("DIRTITEM201801N2024.dat"), "2022 2023 ");
  // Every run starts again from 0.
  WriteList("SIBA201801N.dat", {"2015100003"});
  w().Command2_Click();
  EXPECT_EQ(years("SIBAITEM201801N2024.dat"), "2023 ");
}

TEST_F(ItemBuildTest, MissingCourseListStopsTheBuildAnEmptyOneGivesAnEmptyItemFile) {
  const std::string former(kItemLength, 'x');
  WriteFile("DIRTITEM201801N2024.dat", former);
  w().Command3_Click();
  EXPECT_EQ(Status(), "Text1");
  EXPECT_EQ(ReadFile("DIRTITEM201801N2024.dat"), former);
  EXPECT_EQ(Reported("missing input DIRT201801N.dat: the step did not run"), 1);
  EXPECT_FALSE(Exists("DIRT201801N.dat"));
  WriteFile("DIRT201801N.dat", "");
  host_.failures.clear();
  w().Command3_Click();
  EXPECT_EQ(Status(), Cp932("ダート終わり"));
  EXPECT_EQ(ReadFile("DIRTITEM201801N2024.dat"), "");
  EXPECT_TRUE(host_.failures.empty());

  // Lookup files that are missing read as empty and are said; an unreadable
  // one stops the build before it replaces the ITEM file.
  WriteFile("DIRTITEM201801N2024.dat", former);
  for (const char* name : kLookups) dir_->Delete(name);
  w().Command3_Click();
  EXPECT_EQ(ReadFile("DIRTITEM201801N2024.dat"), "");
  EXPECT_EQ(Reported("read as empty"), 4);
  for (const char* name : kLookups) EXPECT_FALSE(Exists(name)) << name;
  WriteFile("DIRTITEM201801N2024.dat", former);
  WriteFile("CHOKYOSEISEI.dat", "");
  host_.failures.clear();
  {
    testing::UnreadableFor unreadable(dir_->Path("CHOKYOSEISEI.dat"));
    w().Command3_Click();
  }
  EXPECT_EQ(ReadFile("DIRTITEM201801N2024.dat"), former);
  EXPECT_EQ(Reported("cannot read input CHOKYOSEISEI.dat: Permission denied"), 1);
}

// An extraction cut short is named with its course type and month: only
// the press for the same course and month clears it, and only the build
// that reads its list is refused.
TEST_F(ItemBuildTest, AnExtractionCutShortIsClearedByThePressForItsCourseAndMonth) {
  ExRun dirt;
  dirt.track = "24";
  WriteExFile("2015100001", {ExRun{}, dirt});
  Listed({"2015100001"});
  const std::string extraction = StepRunName(kCategoryWindow, "Command1", "抽出");
  const std::string turf = StepRunFor(extraction, "芝 201801");
  const std::string at = "2025-03-01 10:15:02";
  // The dirt run as an older version named it, without course and month.
  WriteFile(kJournalName, JournalText({{"volqbuild", at, turf, {"SIBA201801N.dat"}, {}},
                                       {"volqbuild", at, extraction, {"DIRT201801N.dat"}, {}}}));
  auto journal = [&] {
    std::vector<JournalRun> runs;
    if (Exists(kJournalName)) {
      EXPECT_TRUE(ParseJournal(ReadFile(kJournalName), runs));
    }
    std::vector<std::string> names;
    for (const JournalRun& r : runs) names.push_back(r.name);
    return names;
  };
  const std::string turf_line =
      "Command1 (抽出) of window FormCATEGORYSETUP2024ZZ for 芝 from 201801 was interrupted at " +
      at +
      ": its outputs may be incomplete; type Text1 201801, press Option1 (芝) and press "
      "Command1 again";
  const std::string dirt_line = "for ダート from 201801 was interrupted at " + at;
  struct Press {
    const char* what;
    std::function<void()> press;
    std::string refused;  // a line of the refusal; "" runs
    std::vector<std::string> left;
  } presses[] = {
      {"turf from another month", [&] { Extract(&w().Option1, "201802"); }, "", {turf, extraction}},
      {"the turf build reads the list cut short",
       [&] { w().Command2_Click(); },
       turf_line,
       {turf, extraction}},
      {"the dirt build too", [&] { w().Command3_Click(); }, dirt_line, {turf, extraction}},
      {"dirt from another month", [&] { Extract(&w().Option2, "201712"); }, "", {turf, extraction}},
      {"turf from the month cut short", [&] { Extract(&w().Option1); }, "", {extraction}},
      {"the turf build runs", [&] { w().Command2_Click(); }, "", {extraction}},
      {"dirt from the month cut short", [&] { Extract(&w().Option2); }, "", {}},
  };
  for (const Press& p : presses) {
    SCOPED_TRACE(p.what);
    host_.failures.clear();
    p.press();
    if (p.refused.empty()) {
      EXPECT_EQ(Reported("was interrupted"), 0);
    } else {
      EXPECT_EQ(Reported(Cp932(p.refused)), 1);
    }
    EXPECT_EQ(journal(), p.left);
  }
  EXPECT_EQ(ReadFile("SIBA201801N.dat"), "\"2015100001\"\r\n");
  EXPECT_EQ(Records("SIBAITEM201801N2024.dat", kItemLength).size(), 1u);

  // A press whose list does not reach the disk stays in the journal, named
  // with the course and month as the window showed them.
  FaultFileSystem faults;
  faults.FailWhere([](std::string_view op, const std::string& path) {
    return op == "sync" && path.ends_with("SHOG201803N.dat") ? EIO : 0;
  });
  {
    const ScopedFileSystem scoped(faults);
    Extract(&w().Option3, "201803");
  }
  EXPECT_EQ(journal(), std::vector<std::string>{StepRunFor(extraction, "障害 201803")});
}

// A table of the window's load that could not be read: the steps that go
// through it or consult it do not run, whatever was written since.
TEST_F(ItemBuildTest, TablesTheLoadCouldNotReadStopTheStepsThatUseThem) {
  const struct {
    const char* table;
    int error;
    bool extraction_runs, build_runs;
  } cases[] = {
      {"KETTONUM20180101.dat", ENOENT, false, true},
      {"KETTONUM20180101.dat", EACCES, false, true},
      {"FL20180101.dat", ENOENT, true, true},
      {"FL20180101.dat", EACCES, true, false},
      {"OPTION1N/QA1SibaTotalData201801N2024.dat", ENOENT, true, true},
      {"OPTION1N/QA1SibaTotalData201801N2024.dat", EACCES, true, false},
  };
  WriteExFile("2015100001", {ExRun{}});
  WriteList("SIBA201801N.dat", {"2015100001"});
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.table) + (c.error == ENOENT ? " missing" : " unreadable"));
    WriteList("KETTONUM20180101.dat", {"2015100001"});
    WriteFile("FL20180101.dat", "");
    WriteFile(c.table, "");
    if (c.error == ENOENT) dir_->Delete(c.table);
    FormCATEGORYSETUP2024ZZ window(*dir_);
    {
      testing::UnreadableFor unreadable(dir_->Path(c.table), c.error);
      wm_.Open(window);
    }
    if (c.error == ENOENT) WriteFile(c.table, "");  // written since: the load's read stands
    WriteFile("SIBA201812N.dat", "former");
    WriteFile("SIBAITEM201801N2024.dat", "former");
    host_.failures.clear();
    window.Option1.Choose();
    window.Text1.Text = "201812";
    window.Command1_Click();
    EXPECT_EQ(ReadFile("SIBA201812N.dat") != "former", c.extraction_runs);
    window.Command2_Click();
    EXPECT_EQ(ReadFile("SIBAITEM201801N2024.dat") != "former", c.build_runs);
    if (!c.extraction_runs || !c.build_runs) {
      EXPECT_EQ(Reported("when the window opened: the step did not run"), 1);
    }
  }
}

}  // namespace
}  // namespace volq
