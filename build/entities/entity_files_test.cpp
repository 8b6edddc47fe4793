#include "build/entities/entity_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "build/entities/entity_test_support.h"
#include "build/records/test_support.h"
#include "platform/fs/record_file.h"
#include "platform/fs/record_file_for_tests.h"
#include "platform/fs/text_list.h"

namespace volq {
namespace {

using testing::FolderFiles;
using testing::FreshRun;
using testing::ListText;
using testing::StepTest;

// Race entry with the fields the three settings read; the tag stands in the
// horse name.
std::string Entry(const std::string& created, const std::string& date, const std::string& race,
                  const std::string& horse_no, const std::string& pedigree,
                  const std::string& jockey, const std::string& tag,
                  const std::string& venue = "05") {
  return StepTest::Rec(kRaceEntryLength, {{0, "SE"},
                                          {2, "7"},
                                          {3, created},
                                          {11, date},
                                          {19, venue},
                                          {25, race},
                                          {28, horse_no},
                                          {30, pedigree},
                                          {40, tag},
                                          {296, jockey}});
}

// Offspring record of a foal and its dam; the tag stands in the birth date.
std::string Foal(const std::string& created, const std::string& pedigree, const std::string& dam,
                 const std::string& tag) {
  return StepTest::Rec(kOffspringLength,
                       {{0, "SK"}, {2, "1"}, {3, created}, {11, pedigree}, {21, tag}, {76, dam}});
}

int TagOffset(const EntityFilesSpec& spec) {
  return spec.record_length == kOffspringLength ? 21 : 40;
}

class EntityFilesTest : public StepTest {
 public:
  // Tags of an entity file's records, in file order.
  std::string Tags(const EntityFilesSpec& spec, const std::string& id) {
    std::string tags;
    for (const auto& r :
         Records(std::string(spec.folder) + "\\" + id + ".dat", spec.record_length)) {
      tags += r.substr(TagOffset(spec), 2);
    }
    return tags;
  }
};

const std::string kDay = "20240106";

TEST_F(EntityFilesTest, SettingsTable) {
  const EntityFilesSpec& horse = HorseEntryFilesSpec();
  const EntityFilesSpec& jockey = JockeyEntryFilesSpec();
  const EntityFilesSpec& dam = DamOffspringFilesSpec();
  const std::vector<std::string> three_horses = {
      Entry("20240110", kDay, "01", "01", "H000000001", "01001", "a1"),
      Entry("20240110", kDay, "01", "02", "H000000002", "01002", "b1"),
      Entry("20240110", kDay, "02", "01", "H000000001", "01001", "a2"),
      Entry("20240110", kDay, "02", "05", "H000000009", "01009", "x1"),
      Entry("20240110", "20240107", "01", "04", "H000000001", "01001", "a3")};
  // One comparison part, records arriving with these creation dates.
  auto same_race = [](const std::string& created, const std::string& tag) {
    return Entry(created, kDay, "11", "03", "H000000001", "01001", tag);
  };
  struct Case {
    const char* name;
    const EntityFilesSpec* spec;
    std::vector<std::string> list;
    std::vector<std::string> input;
    std::map<std::string, std::string> files;  // entity -> tags of its file
    std::string message;
  } cases[] = {
      {"input order kept, 0-byte file for a horse without races",
       &horse,
       {"H000000001", "H000000002", "H000000003"},
       three_horses,
       {{"H000000001", "a1a2a3"}, {"H000000002", "b1"}, {"H000000003", ""}},
       "SE/UM 終わり  5"},
      {"a horse listed twice as once",
       &horse,
       {"H000000001", "H000000002", "H000000001", "H000000002"},
       three_horses,
       {{"H000000001", "a1a2a3"}, {"H000000002", "b1"}},
       "SE/UM 終わり  5"},
      {"replace an equal or older date in place, append after a newer one",
       &horse,
       {"H000000001"},
       {same_race("20240101", "r1"), same_race("20240101", "r2"), same_race("20240301", "r3"),
        Entry("20240101", kDay, "12", "03", "H000000001", "01001", "o1"),
        same_race("20240201", "r4"), same_race("20240201", "r5"), same_race("20240401", "r6")},
       // r2 over r1, r3 over r2, r4 after r3 (newer), r5 over r4, r6 over r3.
       {{"H000000001", "r6o1r5"}},
       "SE/UM 終わり  7"},
      {"a creation date that is not a number replaces the first equal part",
       &horse,
       {"H000000001"},
       {same_race("20240301", "n1"), same_race("20240201", "n2"), same_race("2024XX01", "n3"),
        same_race("20230101", "n4")},
       // n2 after n1; n3 over n1; n4 over n3 (its stored date fails the test).
       {{"H000000001", "n4n2"}},
       "SE/UM 終わり  4"},
      {"a jockey's two rides with one date, race and horse number",
       &jockey,
       {"01001", "01002"},
       {Entry("20240110", kDay, "01", "03", "H000000001", "01001", "k1", "05"),
        Entry("20240110", kDay, "01", "03", "H000000007", "01002", "k2", "05"),
        Entry("20240110", kDay, "01", "03", "H000000008", "01001", "k3", "06"),
        Entry("20240110", kDay, "02", "03", "H000000001", "01001", "k4"),
        Entry("20240110", kDay, "02", "04", "H000000002", "01003", "k5")},
       {{"01001", "k3k4"}, {"01002", "k2"}},
       "SE/KS 終わり  5"},
      {"a dam's foals in pedigree order",
       &dam,
       {"D000000001", "D000000002", "D000000003"},
       {Foal("20240101", "F000000001", "D000000001", "s1"),
        Foal("20240101", "F000000002", "D000000002", "s2"),
        Foal("20240101", "F000000003", "D000000001", "s3"),
        Foal("20240101", "F000000004", "D000000009", "s4")},
       {{"D000000001", "s1s3"}, {"D000000002", "s2"}, {"D000000003", ""}},
       "SK/HN 終わり  4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(c.spec->list_file, ListText(c.list));
    WriteRecords(c.spec->input_file, c.input);
    auto cx = ctx();
    record_count_ = 77;
    EXPECT_EQ(BuildEntityFiles(cx, *c.spec), c.message);
    EXPECT_EQ(record_count_, 77);
    for (const auto& [id, tags] : c.files) {
      EXPECT_TRUE(Exists(std::string(c.spec->folder) + "\\" + id + ".dat")) << id;
      EXPECT_EQ(Tags(*c.spec, id), tags) << id;
    }
  }
}

TEST_F(EntityFilesTest, StepsAndTheirEndMessages) {
  WriteFile("KISHUNUM20180101.dat", ListText({"01001"}));
  WriteRecords("SE20180101NEW.dat",
               {Entry("20240110", kDay, "01", "01", "H000000001", "01001", "a1"),
                Entry("20240110", kDay, "01", "02", "H000000002", "01002", "b1")});
  WriteFile("HAHAHANNUM20180101.dat", ListText({"D000000001"}));
  WriteRecords("SK20180101NEW.dat", {Foal("20240101", "F000000001", "D000000001", "s1")});
  auto cx = ctx();
  EXPECT_THROW(HorseEntryFilesStep(cx), StepStopped);  // no horse list: nothing written
  EXPECT_EQ(JockeyEntryFilesStep(cx), "SE/KS 終わり  2");
  EXPECT_EQ(DamOffspringFilesStep(cx), "SK/HN 終わり  1");
  EXPECT_EQ(Records("KISHUGOTOSETUP/01001.dat", kRaceEntryLength).size(), 1u);
  EXPECT_EQ(Records("HAHAHAN/D000000001.dat", kOffspringLength).size(), 1u);
  EXPECT_FALSE(Exists("UMAGOTOSETUP/H000000001.dat"));
  EXPECT_FALSE(Exists("KETTONUM20180101.dat"));
  EXPECT_TRUE(frame_->clean());
}

TEST_F(EntityFilesTest, YieldPoints) {
  // Horse and jockey steps after each list entry, every step after each input
  // record and each file written.
  WriteFile("KETTONUM20180101.dat", ListText({"H000000001", "H000000002", "H000000001"}));
  WriteRecords("SE20180101NEW.dat",
               {Entry("20240110", kDay, "01", "01", "H000000001", "01001", "a1"),
                Entry("20240110", kDay, "01", "02", "H000000002", "01002", "b1")});
  WriteFile("HAHAHANNUM20180101.dat", ListText({"D000000001", "D000000002", "D000000003"}));
  WriteRecords("SK20180101NEW.dat", {Foal("20240101", "F000000001", "D000000001", "s1")});
  std::vector<std::pair<int64_t, int64_t>> yields;
  frame_->yield_hook = [&](int64_t done, int64_t total) { yields.emplace_back(done, total); };
  auto cx = ctx();
  HorseEntryFilesStep(cx);
  using Y = std::vector<std::pair<int64_t, int64_t>>;
  EXPECT_EQ(yields, (Y{{1, 3}, {2, 3}, {3, 3}, {1, 2}, {2, 2}, {1, 2}, {2, 2}}));
  yields.clear();
  DamOffspringFilesStep(cx);
  EXPECT_EQ(yields, (Y{{1, 1}, {1, 3}, {2, 3}, {3, 3}}));
}

TEST_F(EntityFilesTest, ListedFilesRewrittenOthersUntouched) {
  WriteFile("UMAGOTOSETUP/H000000001.dat", "old listed");
  WriteFile("UMAGOTOSETUP/H000000009.dat", "old unlisted");
  WriteFile("KETTONUM20180101.dat", ListText({"H000000001"}));
  WriteRecords("SE20180101NEW.dat",
               {Entry("20240110", kDay, "01", "01", "H000000009", "01001", "x1")});
  auto cx = ctx();
  EXPECT_EQ(HorseEntryFilesStep(cx), "SE/UM 終わり  1");
  EXPECT_EQ(ReadFile("UMAGOTOSETUP/H000000001.dat"), "");
  EXPECT_EQ(ReadFile("UMAGOTOSETUP/H000000009.dat"), "old unlisted");
  EXPECT_TRUE(frame_->clean());
}

TEST_F(EntityFilesTest, MissingAndEmptyInputRefusedNamesAndPartialRecord) {
  WriteFile("UMAGOTOSETUP/H000000001.dat", "old");
  WriteFile("KETTONUM20180101.dat",
            ListText({"H000000001", "..", "../H000000002", "A:1", "   "}) + "\"\"\r\n");
  auto cx = ctx();
  // No NEW file: the step stops and the listed files keep theirs.
  EXPECT_THROW(HorseEntryFilesStep(cx), StepStopped);
  EXPECT_EQ(ReadFile("UMAGOTOSETUP/H000000001.dat"), "old");
  EXPECT_FALSE(Exists("SE20180101NEW.dat"));
  // An empty one: the listed files are emptied.
  WriteFile("SE20180101NEW.dat", "");
  EXPECT_EQ(HorseEntryFilesStep(cx), "SE/UM 終わり  0");
  EXPECT_EQ(ReadFile("UMAGOTOSETUP/H000000001.dat"), "");
  auto report = frame_->Report();
  ASSERT_EQ(report.size(), 1u);
  // One line for the one cause, naming the first different identifiers.
  EXPECT_EQ(report[0],
            "entity file name: refused file name in UMAGOTOSETUP (5 times; first: '..', "
            "'../H000000002', 'A:1', ...)");
  EXPECT_FALSE(Exists("H000000002.dat"));

  // A record that lost its CR LF and a partial last record are passed over
  // and reported; the record in frame is read.
  std::string a = Entry("20240110", kDay, "01", "01", "H000000001", "01001", "a1");
  std::string b = Entry("20240110", kDay, "02", "01", "H000000001", "01001", "a2").substr(0, 300) +
                  std::string(255, 'z');
  std::string c = Entry("20240110", kDay, "03", "01", "H000000001", "01001", "a3").substr(0, 333);
  WriteFile("SE20180101NEW.dat", a + b + c);
  frame_ = std::make_unique<StepFrame>();
  auto cx2 = ctx();
  EXPECT_EQ(HorseEntryFilesStep(cx2), "SE/UM 終わり  1");
  EXPECT_EQ(ReadFile("UMAGOTOSETUP/H000000001.dat"), a);
  EXPECT_THAT(frame_->Report(),
              ::testing::Contains(
                  "read: SE20180101NEW.dat: 2 records out of frame passed over, the first at byte "
                  "555 (record 2); no record in frame followed the last of them"));
}

TEST_F(EntityFilesTest, NamesOfOtherCaseShareOneFile) {
  const EntityFilesSpec& dam = DamOffspringFilesSpec();
  WriteFile("HAHAHANNUM20180101.dat", ListText({"d000000001", "D000000001"}));
  WriteRecords("SK20180101NEW.dat", {Foal("20240101", "F000000001", "D000000001", "s1"),
                                     Foal("20240101", "F000000002", "d000000001", "s2"),
                                     Foal("20240101", "F000000003", "D000000001", "s3")});
  auto cx = ctx();
  EXPECT_EQ(DamOffspringFilesStep(cx), "SK/HN 終わり  3");
  EXPECT_EQ(Tags(dam, "d000000001"), "s1s2s3");
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir_->Path("HAHAHAN"))) {
    names.push_back(e.path().filename().string());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"d000000001.dat"}));
}

// The rule as first written down: every record rereads its entity file and
// writes one record into it.
void RereadingSplit(StepContext& ctx, const EntityFilesSpec& spec) {
  std::vector<std::string> items = ReadListItems(ctx.dir.Path(spec.list_file));
  std::vector<std::filesystem::path> paths;
  for (const std::string& id : items) {
    std::filesystem::path p;
    if (ctx.frame.Do("name", [&] { p = ctx.dir.EntityPath(spec.folder, id); })) {
      ctx.frame.Delete(ctx.dir, p);
      RecordFile(p, spec.record_length).Close();
    }
    paths.push_back(p);
  }
  RecordFile input(ctx.dir.Path(spec.input_file), spec.record_length);
  auto key = [&](std::string_view rec) {
    std::string k(rec.substr(3, 8));
    for (const Slice& s : spec.compare) k += s.Of(rec);
    return k;
  };
  for (int32_t r = 1; r <= input.Count(); ++r) {
    std::string rec = input.Read(r);
    std::string k = key(rec);
    for (size_t e = 0; e < items.size(); ++e) {
      if (items[e] != spec.entity.Of(rec) || paths[e].empty()) continue;
      RecordFile f(paths[e], spec.record_length);
      int32_t q = f.Count();
      int32_t target = q + 1;
      for (int32_t t = 1; t <= q; ++t) {
        std::string kt = key(f.Read(t));
        if (kt.substr(8) != k.substr(8)) continue;
        if (ctx.frame.If("date",
                         [&] { return ToNumber(kt.substr(0, 8)) <= ToNumber(k.substr(0, 8)); })) {
          target = t;
          break;
        }
      }
      f.Write(target, rec);
      f.Close();
    }
  }
}

TEST_F(EntityFilesTest, SameBytesAsRereadingOnRandomInputs) {
  std::mt19937 rng(20240106);
  auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng)];
  };
  const std::vector<std::string> dates = {"20240101", "20240102", "20240103", "20240102",
                                          "2024XX01"};
  const std::vector<std::string> two = {"01", "02"};
  const std::vector<std::string> horses = {"H000000001", "H000000002", "H000000003", "H000000004"};
  const std::vector<std::string> jockeys = {"01001", "01002", "01003", "01004"};
  const std::vector<std::string> dams = {"D000000001", "D000000002", "D000000003", "D000000004"};
  const std::vector<std::string> foals = {"F000000001", "F000000002", "F000000003"};
  for (const EntityFilesSpec* spec :
       {&HorseEntryFilesSpec(), &JockeyEntryFilesSpec(), &DamOffspringFilesSpec()}) {
    const bool is_dam = spec == &DamOffspringFilesSpec();
    const std::vector<std::string>& ids = is_dam                            ? dams
                                          : spec == &JockeyEntryFilesSpec() ? jockeys
                                                                            : horses;
    for (int round = 0; round < 40; ++round) {
      SCOPED_TRACE(std::string(spec->label) + " round " + std::to_string(round));
      std::vector<std::string> list;
      for (int i = 0; i < 4; ++i) list.push_back(pick(ids));  // repeats and gaps
      std::vector<std::string> input;
      for (int r = 0; r < 60; ++r) {
        std::string tag = std::to_string(10 + r);
        input.push_back(is_dam ? Foal(pick(dates), pick(foals), pick(ids), tag)
                               : Entry(pick(dates), "202401" + pick(two), pick(two), pick(two),
                                       pick(horses), pick(jockeys), tag, pick({"05", "06"})));
      }
      std::map<std::string, std::string> results[2];
      for (int side = 0; side < 2; ++side) {
        FreshRun run(root_ / (side == 0 ? "rereading" : "one-pass"));
        DataDir& dir = run.dir;
        StepContext cx = run.ctx();
        WriteWholeFile(dir.Path(spec->list_file), ListText(list));
        std::string all;
        for (const auto& r : input) all += r;
        WriteWholeFile(dir.Path(spec->input_file), all);
        for (const auto& id : ids) {  // earlier files of listed and unlisted entities
          WriteWholeFile(dir.EntityPath(spec->folder, id), "earlier " + id);
        }
        if (side == 0) {
          RereadingSplit(cx, *spec);
        } else {
          BuildEntityFiles(cx, *spec);
        }
        results[side] = FolderFiles(dir.Path(spec->folder));
      }
      ASSERT_EQ(results[0], results[1]);
    }
  }
}

}  // namespace
}  // namespace volq

namespace volq {
namespace {

// The files a split reads and writes are the ones its button checks before
// it runs.
TEST(EntityFilesSpecs, ReadWhatTheirButtonsCheck) {
  for (const EntityFilesSpec* spec :
       {&HorseEntryFilesSpec(), &JockeyEntryFilesSpec(), &DamOffspringFilesSpec()}) {
    const BuildButton& b = ButtonOf(spec->step);
    SCOPED_TRACE(std::string(b.control));
    EXPECT_EQ(b.walks, (std::vector<std::string_view>{spec->list_file, spec->input_file}));
    EXPECT_EQ(b.writes, std::vector<std::string_view>{std::string(spec->folder) + "/"});
  }
}

}  // namespace
}  // namespace volq
