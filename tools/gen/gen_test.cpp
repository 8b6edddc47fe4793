#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "common/record_layout.h"
#include "common/records.h"
#include "platform/fs/record_file.h"
#include "tools/gen/source.h"

namespace volq::gen {
namespace {

// Calls fn(file, record) for every delivered record (with its CR LF).
template <class Fn>
void ForEachRecord(const Source& s, Fn fn) {
  for (const SourceFile& f : s.files) {
    std::string_view rest = f.bytes;
    while (!rest.empty()) {
      size_t end = rest.find("\r\n");
      ASSERT_NE(end, std::string_view::npos) << f.name << " ends without CR LF";
      fn(f, rest.substr(0, end + 2));
      rest.remove_prefix(end + 2);
    }
  }
}

// Everything the cross-reference checks look up, gathered once.
struct Index {
  std::unordered_set<std::string> horses, jockeys, trainers, owners, breeders;
  std::unordered_map<std::string, char> breeding_sex;
  std::unordered_map<std::string, std::string> dam_of;  // breeding number -> its dam
  std::map<std::string, std::set<char>> race_kinds;     // race identity -> data kinds
  std::vector<std::string> horse_records, entries, offspring, sales;
};

class SmallSource : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    source_ = new Source(Generate(Options{}));
    index_ = new Index;
    ForEachRecord(*source_, [](const SourceFile&, std::string_view rec) {
      const std::string type(rec.substr(0, 2));
      const std::string r(rec);
      if (type == "UM") {
        index_->horses.insert(r.substr(11, 10));
        index_->horse_records.push_back(r);
      } else if (type == "KS") {
        index_->jockeys.insert(r.substr(11, 5));
      } else if (type == "CH") {
        index_->trainers.insert(r.substr(11, 5));
      } else if (type == "BN") {
        index_->owners.insert(r.substr(11, 6));
      } else if (type == "BR") {
        index_->breeders.insert(r.substr(11, 8));
      } else if (type == "HN") {
        index_->breeding_sex[r.substr(11, 10)] = r[200];
        index_->dam_of[r.substr(11, 10)] = r.substr(239, 10);
      } else if (type == "RA") {
        index_->race_kinds[r.substr(11, 16)].insert(r[2]);
      } else if (type == "SE") {
        index_->entries.push_back(r);
      } else if (type == "SK") {
        index_->offspring.push_back(r);
      } else if (type == "HS") {
        index_->sales.push_back(r);
      }
    });
  }
  static void TearDownTestSuite() {
    delete source_;
    delete index_;
  }
  static const Source& source() { return *source_; }
  static const Index& index() { return *index_; }

 private:
  static inline Source* source_ = nullptr;
  static inline Index* index_ = nullptr;
};

TEST_F(SmallSource, SameSeedGivesTheSameBytesAndAnotherSeedOthers) {
  const Source again = Generate(Options{});
  ASSERT_EQ(again.files.size(), source().files.size());
  for (size_t i = 0; i < again.files.size(); ++i) {
    EXPECT_EQ(again.files[i].folder + "/" + again.files[i].name,
              source().files[i].folder + "/" + source().files[i].name);
    EXPECT_TRUE(again.files[i].bytes == source().files[i].bytes) << again.files[i].name;
  }
  Options other;
  other.seed = 2;
  const Source different = Generate(other);
  EXPECT_NE(different.Bytes(), source().Bytes());
}

TEST_F(SmallSource, EveryRecordHasItsDeliveredLengthTypeAndFolder) {
  // Types the programs pass over, with the lengths the service uses for them.
  const std::map<std::string, size_t> other_lengths = {
      {"TK", 21657}, {"HR", 719}, {"O1", 962}, {"YS", 382}, {"HC", 60}};
  const std::map<std::string, std::string> folder_of = {
      {"RA", "RACE"}, {"SE", "RACE"}, {"HR", "RACE"}, {"O1", "RACE"}, {"UM", "DIFN"},
      {"KS", "DIFN"}, {"CH", "DIFN"}, {"BR", "DIFN"}, {"BN", "DIFN"}, {"HN", "BLDN"},
      {"SK", "BLDN"}, {"HS", "HOSN"}, {"TK", "TOKU"}, {"YS", "YSCH"}, {"HC", "SLOP"}};
  std::map<std::string, int64_t> counted;
  ForEachRecord(source(), [&](const SourceFile& f, std::string_view rec) {
    const std::string type(rec.substr(0, 2));
    ++counted[type];
    const RecordLayout* layout = LayoutOf(type);
    const size_t want =
        layout ? static_cast<size_t>(layout->delivered_length()) : other_lengths.at(type);
    ASSERT_EQ(rec.size(), want) << type << " in " << f.name;
    EXPECT_EQ(folder_of.at(type), f.folder) << type;
    const std::string date(rec.substr(3, 8));
    EXPECT_EQ(date.find_first_not_of("0123456789"), std::string::npos) << type << " " << date;
  });
  for (auto& [type, n] : counted) EXPECT_EQ(source().summary.Count(type), n) << type;
  for (const char* kept : {"RA", "SE", "UM", "HN", "KS", "SK", "CH", "BR", "BN", "HS"})
    EXPECT_GT(counted[kept], 0) << kept;
  for (auto& [type, length] : other_lengths) EXPECT_GT(counted[type], 0) << type;
}

TEST_F(SmallSource, CrossReferencesHold) {
  const Index& x = index();
  for (const std::string& e : x.entries) {
    EXPECT_TRUE(x.horses.count(e.substr(30, 10))) << "entry horse " << e.substr(30, 10);
    EXPECT_TRUE(x.jockeys.count(e.substr(296, 5))) << "entry jockey " << e.substr(296, 5);
    EXPECT_TRUE(x.trainers.count(e.substr(85, 5))) << "entry trainer " << e.substr(85, 5);
    EXPECT_TRUE(x.owners.count(e.substr(98, 6))) << "entry owner " << e.substr(98, 6);
    EXPECT_TRUE(x.race_kinds.count(e.substr(11, 16))) << "entry race " << e.substr(11, 16);
  }
  auto sex = [&](const std::string& number) {
    auto it = x.breeding_sex.find(number);
    return it == x.breeding_sex.end() ? '?' : it->second;
  };
  for (const std::string& h : x.horse_records) {
    EXPECT_EQ(sex(h.substr(204, 10)), '1') << "sire of " << h.substr(11, 10);
    EXPECT_EQ(sex(h.substr(250, 10)), '2') << "dam of " << h.substr(11, 10);
    EXPECT_TRUE(x.breeders.count(h.substr(882, 8)))
        << "breeder of " << h.substr(11, 10) << " " << h.substr(882, 8) << " kind " << h[2];
    EXPECT_EQ(h.substr(11, 4), h.substr(38, 4)) << "pedigree number begins with the birth year";
  }
  for (const std::string& s : x.offspring) {
    EXPECT_EQ(sex(s.substr(66, 10)), '1');
    EXPECT_EQ(sex(s.substr(76, 10)), '2');
    EXPECT_TRUE(x.breeders.count(s.substr(38, 8)));
  }
  for (const std::string& s : x.sales)
    EXPECT_TRUE(x.horses.count(s.substr(11, 10))) << "sold horse";
}

// The horse record's counts are those of its delivered results, plus races
// before the first delivered year for horses that raced then.
TEST_F(SmallSource, HorseCountsAndStylesFollowTheirEntries) {
  const Index& x = index();
  std::map<std::string, std::array<int, 6>> central;
  std::map<std::string, std::array<int, 4>> styles;
  for (const std::string& e : x.entries) {
    const bool result = e[2] == '7' || e[2] == 'A' || e[2] == 'B';
    if (!result || e[331] == '1' || e[331] == '2') continue;
    const int placing = std::stoi(e.substr(334, 2));
    if (e[2] == '7') ++central[e.substr(30, 10)][placing >= 1 && placing <= 5 ? placing - 1 : 5];
    const int style = e[552] - '0';
    if (style >= 1 && style <= 4) ++styles[e.substr(30, 10)][static_cast<size_t>(style - 1)];
  }
  std::map<std::string, std::string> newest;  // pedigree -> its newest record
  for (const std::string& h : x.horse_records)
    if (h[2] != '0' && (newest[h.substr(11, 10)].empty() ||
                        h.substr(3, 8) >= newest[h.substr(11, 10)].substr(3, 8)))
      newest[h.substr(11, 10)] = h;
  int checked = 0, equal = 0;
  for (auto& [pedigree, h] : newest) {
    std::array<int, 6> counts{};
    for (int i = 0; i < 6; ++i)
      counts[static_cast<size_t>(i)] = std::stoi(h.substr(1124 + 3 * i, 3));
    const auto& seen = central[pedigree];
    const bool raced_before = std::stoi(pedigree.substr(0, 4)) < Options{}.from - 2;
    for (int i = 0; i < 6; ++i) {
      if (raced_before)
        EXPECT_GE(counts[static_cast<size_t>(i)], seen[static_cast<size_t>(i)]) << pedigree;
      else
        EXPECT_EQ(counts[static_cast<size_t>(i)], seen[static_cast<size_t>(i)])
            << pedigree << " place " << i + 1;
    }
    if (!raced_before) {
      for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::stoi(h.substr(1592 + 3 * i, 3)), styles[pedigree][static_cast<size_t>(i)])
            << pedigree;
      ++checked;
      equal += seen == std::array<int, 6>{} ? 0 : 1;
    }
  }
  EXPECT_GT(equal, 100) << "horses with results checked " << checked;
}

std::string Utf8(std::string_view cp932) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string in(cp932), out(in.size() * 3, '\0');
  char* ip = in.data();
  char* op = out.data();
  size_t il = in.size(), ol = out.size();
  const size_t r = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) return "";
  out.resize(out.size() - ol);
  return out;
}

TEST_F(SmallSource, HasTheRealismTheStepsMustCopeWith) {
  const Index& x = index();
  // One race delivered before it is run and after; races not yet run.
  int declared_then_run = 0, not_yet_run = 0;
  for (auto& [id, kinds] : x.race_kinds) {
    if (kinds.count('1') && kinds.count('2') && kinds.count('7')) ++declared_then_run;
    if (kinds.count('2') && !kinds.count('7') && !kinds.count('9')) ++not_yet_run;
  }
  EXPECT_GT(declared_then_run, 0);
  EXPECT_GT(not_yet_run, 0);
  // Local and overseas races, deletions, re-registered breeders.
  EXPECT_GT(source().summary.records.at("RA").count('A'), 0u);
  EXPECT_GT(source().summary.records.at("RA").count('B'), 0u);
  for (const char* type : {"RA", "SE", "UM", "HN", "KS", "SK", "CH", "BR", "BN", "HS"})
    EXPECT_GT(source().summary.records.at(type).count('0'), 0u) << type;
  EXPECT_GT(source().summary.records.at("RA").count('9'), 0u);
  std::map<std::string, int> prefixes;
  for (const std::string& b : x.breeders) ++prefixes[b.substr(0, 6)];
  EXPECT_TRUE(std::any_of(prefixes.begin(), prefixes.end(), [](auto& p) { return p.second > 1; }));
  // Central races: racecourses 01 to 10, track codes by surface.
  for (const SourceFile& f : source().files) {
    if (f.folder != "RACE") continue;
    for (size_t at = 0; at < f.bytes.size();) {
      const size_t end = f.bytes.find("\r\n", at) + 2;
      const std::string_view rec(f.bytes.data() + at, end - at);
      if (rec.substr(0, 3) == "RA7") {
        const int venue = std::stoi(std::string(rec.substr(19, 2)));
        const int track = std::stoi(std::string(rec.substr(705, 2)));
        const int distance = std::stoi(std::string(rec.substr(697, 4)));
        EXPECT_TRUE(venue >= 1 && venue <= 10) << rec.substr(11, 16);
        EXPECT_TRUE((track >= 10 && track <= 22) || (track >= 23 && track <= 29) ||
                    (track >= 51 && track <= 59))
            << track;
        EXPECT_TRUE(track >= 51 ? distance >= 2750 && distance <= 4250
                                : distance >= 1000 && distance <= 3600)
            << distance;
      }
      at = end;
    }
  }
  // Dam lines reach back many generations.
  int deepest = 0;
  for (auto& [number, dam] : x.dam_of) {
    int depth = 0;
    for (std::string d = dam; x.dam_of.count(d) && depth < 20; d = x.dam_of.at(d)) ++depth;
    deepest = std::max(deepest, depth);
  }
  EXPECT_GE(deepest, 12);
  // Names are double-byte text of code page 932.
  const std::string name = x.horse_records.front().substr(46, 36);
  const std::string utf8 = Utf8(name);
  EXPECT_FALSE(utf8.empty());
  EXPECT_GT(utf8.size(), name.find_last_not_of(' ') + 1) << "katakana take three bytes in UTF-8";
  // Unraced horses have zero counts.
  EXPECT_TRUE(std::any_of(x.horse_records.begin(), x.horse_records.end(), [](const std::string& h) {
    return h.substr(1106, 18) == std::string(18, '0') && h[2] == '1';
  }));
}

TEST(WriteSource, WritesTheFoldersAndReplacesAnEarlierRun) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "volqgen_write_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "RACE");
  WriteWholeFile(dir / "RACE" / "stale.jvd", "RA");
  Source s;
  s.files.push_back({"RACE", "a.jvd", "RA7\r\n"});
  WriteSource(s, dir);
  for (std::string_view data_set : kDataSets) {
    EXPECT_TRUE(std::filesystem::is_directory(dir / data_set)) << data_set;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "RACE" / "stale.jvd"));
  EXPECT_EQ(ReadWholeFile(dir / "RACE" / "a.jvd"), "RA7\r\n");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace volq::gen
