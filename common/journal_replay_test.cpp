// The journal's renames, as the next press replays them, from a journal that
// no run of these programs wrote (put into a shared folder, a restored or
// synced copy): only a raw file at the root takes the place of its own
// temporary file. Every path the seam is asked for is watched, and every
// file in the data directory and beside it is compared before and after.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "common/interrupted_runs.h"
#include "platform/base/failure.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/fault_file_system.h"
#include "platform/fs/plain_files_for_tests.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

using Entries = std::map<std::string, std::string>;

class JournalReplayTest : public ::testing::Test {
 protected:
  JournalReplayTest()
      : base_(fs::temp_directory_path() /
              ("volq_replay_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))),
        data_(base_ / "DATA"),
        out_(base_ / "OUT") {
    Lay();
  }
  ~JournalReplayTest() override { fs::remove_all(base_); }

  // A download cut short before its renames (RA and SE beside their raw
  // files), a per-entity folder, a symlink to the folder beside, which
  // holds the user's own files.
  void Lay() {
    fs::remove_all(base_);
    fs::create_directories(data_ / "UMAGOTOSETUP");
    fs::create_directories(out_);
    for (const auto& [name, bytes] :
         std::map<std::string, std::string>{{"RA20180101.dat", "former RA"},
                                            {"RA20180101.dat.7-0.partial", "new RA"},
                                            {"SE20180101.dat", "former SE"},
                                            {"SE20180101.dat.7-1.partial", "new SE"},
                                            {"UM20180101.dat", "UM"},
                                            {"RA20180101NEW.dat", "former NEW"},
                                            {"RA20180101NEW.dat.7-0.partial", "planted NEW"},
                                            {"UMAGOTOSETUP/H1.dat", "H1"}}) {
      WritePlainFile(data_ / name, bytes);
    }
    fs::create_symlink(out_, data_ / "LINK");
    WritePlainFile(out_ / "a", "mine");
    WritePlainFile(out_ / "b", "victim");
  }

  // Every entry under `dir`, symlinks unfollowed: a file's bytes, a
  // folder's "/", a symlink's target.
  static Entries Snapshot(const fs::path& dir, bool with_journal = true) {
    Entries entries;
    for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator();
         ++it) {
      const std::string name = it->path().lexically_relative(dir).generic_string();
      if (!with_journal && name.starts_with(kJournalName)) continue;
      const fs::file_status st = it->symlink_status();
      entries[name] = fs::is_symlink(st)        ? "-> " + fs::read_symlink(it->path()).string()
                      : fs::is_directory(st)    ? "/"
                      : fs::is_regular_file(st) ? ReadPlainFile(it->path())
                                                : "?";
    }
    return entries;
  }

  // Replays journal `text` as the next press does; the failure it raised
  // ("" when none). Every path the seam is asked for that is neither the
  // data directory nor a name at its root goes into `strays_`.
  std::string Replay(const std::string& text) {
    WritePlainFile(data_ / kJournalName, text);
    strays_.clear();
    FaultFileSystem guard;
    guard.FailWhere([this](std::string_view op, const std::string& path) {
      const fs::path p(path);
      if (p != data_ && (p.parent_path() != data_ || !IsPlainName(p.filename().string()))) {
        strays_.push_back(std::string(op) + " " + Printable(path));
      }
      return 0;
    });
    DataDir dir(data_);
    ScopedFileSystem seam(guard);
    RunJournal journal(data_);
    try {
      TakeJournal(journal);
    } catch (const Failure& e) {
      return e.text();
    }
    return "";
  }

  static std::string Journal(const std::vector<std::pair<std::string, std::string>>& renames) {
    std::string text = "volq-journal 1\nrun volqfetch\nat 2026-01-01 00:00:00\nname download\n";
    for (const auto& [from, to] : renames) text += "rename " + from + " " + to + "\n";
    return text + "end\n";
  }

  fs::path base_, data_, out_;
  std::vector<std::string> strays_;
};

// Each hostile form is refused whole: the journal is called damaged and
// says what to do, no path beside the data directory or in a folder of it
// is asked for, and every file, in the data directory and beside it, stays
// as it was (the good rename listed before a hostile one included).
TEST_F(JournalReplayTest, AHostileRenameIsRefusedAndNoFileAnywhereChanges) {
  const std::string out = out_.string();
  const std::string nul(1, '\0');
  const std::string damaged =
      "is damaged: it asks for '%' to be renamed to '%', which no run of these programs does; "
      "nothing was renamed; the raw files were left as they were; look into the journal";
  const struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> renames;
    const char* lay;        // an entry made first: "link NAME", "folder NAME", "file NAME"
    std::string said = "";  // what the report holds; "" the damaged line of the one rename
  } cases[] = {
      {"absolute, from and to", {{out + "/a", out + "/b"}}, ""},
      {"a raw file moved out", {{"RA20180101.dat", out + "/stolen.dat"}}, ""},
      {"a file moved in", {{out + "/a", "RA20180101.dat"}}, ""},
      {"through a symlink to the folder beside", {{"RA20180101.dat", "LINK/ra.dat"}}, ""},
      {"a NUL after an absolute path", {{out + "/a" + nul + "x", "RA20180101.dat"}}, ""},
      {"a NUL after an absolute final name",
       {{"RA20180101.dat.7-0.partial", out + "/b" + nul + "RA20180101.dat"}},
       ""},
      {"a file moved into a per-entity folder", {{"UM20180101.dat", "UMAGOTOSETUP/x.dat"}}, ""},
      {"a way up", {{"../OUT/a", "RA20180101.dat"}}, ""},
      {"a way up and back", {{"UMAGOTOSETUP/../RA20180101.dat.7-0.partial", "RA20180101.dat"}}, ""},
      {"a per-entity file from its own temporary",
       {{"UMAGOTOSETUP/H1.dat.7-0.partial", "UMAGOTOSETUP/H1.dat"}},
       "file UMAGOTOSETUP/H1.dat.7-0.partial"},
      {"a final name that is no raw file, from its own temporary",
       {{"RA20180101NEW.dat.7-0.partial", "RA20180101NEW.dat"}},
       ""},
      {"a raw file's temporary to a name of another case",
       {{"RA20180101.dat.7-0.partial", "ra20180101.dat"}},
       ""},
      {"another raw file's temporary", {{"RA20180101.dat.7-0.partial", "SE20180101.dat"}}, ""},
      {"a temporary of no run",
       {{"RA20180101.dat.partial", "RA20180101.dat"}},
       "file RA20180101.dat.partial"},
      {"the journal itself",
       {{".volq-journal.7-0.partial", ".volq-journal"}},
       "file .volq-journal.7-0.partial"},
      {"a good rename, then a hostile one",
       {{"RA20180101.dat.7-0.partial", "RA20180101.dat"}, {out + "/a", out + "/b"}},
       ""},
      {"a temporary that is a symlink to a file beside",
       {{"SE20180101.dat.7-1.partial", "SE20180101.dat"}},
       "link SE20180101.dat.7-1.partial",
       "but SE20180101.dat.7-1.partial is a symlink, which no run of these programs writes; "
       "nothing was renamed; the raw files were left as they were"},
      {"a temporary that is a folder",
       {{"RA20180101.dat.7-0.partial", "RA20180101.dat"},
        {"SE20180101.dat.7-1.partial", "SE20180101.dat"}},
       "folder SE20180101.dat.7-1.partial",
       "but SE20180101.dat.7-1.partial is a folder"},
      {"a raw file that is a symlink to a file beside",
       {{"RA20180101.dat.7-0.partial", "RA20180101.dat"},
        {"SE20180101.dat.7-1.partial", "SE20180101.dat"}},
       "link SE20180101.dat",
       "asks for SE20180101.dat to be replaced, but it is a symlink, which is never replaced: "
       "nothing was renamed; remove it and press again"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Lay();
    const std::string lay = c.lay;
    if (!lay.empty()) {
      const fs::path at = data_ / lay.substr(lay.find(' ') + 1);
      fs::remove(at);
      if (lay.starts_with("link")) fs::create_symlink(out_ / "b", at);
      if (lay.starts_with("folder")) fs::create_directory(at);
      if (lay.starts_with("file")) WritePlainFile(at, "planted");
    }
    const std::string text = Journal(c.renames);
    const Entries inside = Snapshot(data_, false), beside = Snapshot(out_);
    const std::string report = Replay(text);
    std::string said = c.said;
    if (said.empty()) {
      const auto& [from, to] = c.renames.back();
      said = damaged;
      said.replace(said.find('%'), 1, Printable(from));
      said.replace(said.find('%'), 1, Printable(to));
    }
    EXPECT_NE(report.find(said), std::string::npos) << report;
    EXPECT_EQ(report.find('\0'), std::string::npos);
    EXPECT_EQ(strays_, std::vector<std::string>{});
    EXPECT_EQ(Snapshot(data_, false), inside);
    EXPECT_EQ(ReadPlainFile(data_ / kJournalName), text);
    EXPECT_EQ(Snapshot(out_), beside);
  }
}

// Journals made at random from the names of the cases above and the good
// ones, cut, joined and broken at random: whatever the text, no path beside
// the data directory or in a folder of it is asked for, the files beside
// never change, and in the data directory at most a raw file takes the
// bytes of its own temporary file, which is gone then; a refused journal
// changes nothing. The seed is fixed: the same journals on every run.
TEST_F(JournalReplayTest, GeneratedJournalsMoveNothingButARawFileInPlace) {
  const std::string out = out_.string();
  const std::vector<std::string> names = {"RA20180101.dat",
                                          "RA20180101.dat.7-0.partial",
                                          "SE20180101.dat",
                                          "SE20180101.dat.7-1.partial",
                                          "RA20180101NEW.dat",
                                          "RA20180101NEW.dat.7-0.partial",
                                          "ra20180101.dat",
                                          "RA20180101.dat.9-9.partial",
                                          "UM20180101.dat",
                                          "UMAGOTOSETUP/H1.dat",
                                          "UMAGOTOSETUP",
                                          "LINK/a",
                                          "LINK",
                                          out + "/a",
                                          out + "/b",
                                          "../OUT/a",
                                          "..",
                                          ".",
                                          "",
                                          "/",
                                          kJournalName,
                                          "RA20180101.dat.7-0.partial/..",
                                          out + "/a" + std::string(1, '\0'),
                                          "RA20180101.dat" + std::string(1, '\0') + "x"};
  std::mt19937 random(20260101);
  auto below = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
  auto name = [&] {
    std::string n = names[below(names.size())];
    if (below(8) == 0) n += "/" + names[below(names.size())];
    return n;
  };
  auto journal = [&] {
    std::string text = below(12) ? "volq-journal 1\n" : name() + "\n";
    for (size_t runs = below(3) + 1; runs > 0; --runs) {
      text += below(6) ? "run volqfetch\n" : "run volqbuild\n";
      if (below(4)) text += "at 2026-01-01 00:00:00\n";
      text += below(5) ? "name download\n" : "name press FormVolqBuild Command1\n";
      for (size_t w = below(3); w > 0; --w) text += "write " + name() + "\n";
      for (size_t r = below(4); r > 0; --r) {
        // Mostly a download's own renames, so that many journals replay,
        // or a NEW file's from its own temporary.
        const size_t raw = below(5) == 0 ? 4 : below(2) * 2;
        text += below(2) ? "rename " + names[raw + 1] + " " + names[raw] + "\n"
                         : "rename " + name() + " " + name() + "\n";
      }
      if (below(20)) text += "end\n";
    }
    if (below(5) == 0) {
      static const char kBytes[] = {'\0', '/', ' ', '\n', '.', 'x'};
      text.insert(below(text.size() + 1), 1, kBytes[below(sizeof kBytes)]);
    }
    return text;
  };

  Lay();
  const Entries inside = Snapshot(data_, false), beside = Snapshot(out_);
  int replayed = 0, refused = 0;
  for (int i = 0; i < 400; ++i) {
    const std::string text = journal();
    SCOPED_TRACE(Printable(text));
    const std::string report = Replay(text);
    ASSERT_EQ(strays_, std::vector<std::string>{});
    ASSERT_EQ(Snapshot(out_), beside);
    Entries expected = inside;
    const Entries now = Snapshot(data_, false);
    for (const char* raw : {"RA20180101.dat", "SE20180101.dat"}) {
      const std::string temp = raw == std::string("RA20180101.dat") ? names[1] : names[3];
      if (now.count(temp)) continue;
      expected[raw] = expected[temp];
      expected.erase(temp);
      ++replayed;
    }
    ASSERT_EQ(now, expected);
    if (!report.empty()) {
      ++refused;
      ASSERT_EQ(now, inside) << report;
      ASSERT_NE(report.find("journal"), std::string::npos) << report;
    }
    if (now != inside) Lay();
  }
  // Both ends are reached: journals that complete a download, and refused
  // ones.
  EXPECT_GT(replayed, 20);
  EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace volq
