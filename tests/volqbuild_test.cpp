// Runs the volqbuild program as a user does, through its console commands.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "common/data_dir_catalogue.h"
#include "common/record_layout.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/record_file.h"
#include "platform/fs/run_journal.h"

namespace {

namespace fs = std::filesystem;

struct ProgramRun {
  std::string out;
  int status;
  std::string err;
};

std::string Slurp(const fs::path& p) {
  std::string s;
  if (FILE* f = std::fopen(p.c_str(), "rb")) {
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), f)) > 0) s.append(buf.data(), n);
    std::fclose(f);
  }
  return s;
}

// Runs volqbuild on dir; `shell` comes before it (limits of the run). Its
// standard error is kept beside the data directory.
ProgramRun Volqbuild(const fs::path& dir, const std::string& commands,
                     const std::string& shell = "") {
  const fs::path err = dir.string() + ".stderr";
  std::string cmd = shell + std::string(VOLQBUILD_PATH) + " --data-dir '" + dir.string() +
                    "' -c '" + commands + "' 2>'" + err.string() + "'";
  ProgramRun r{"", -1, ""};
  FILE* p = popen(cmd.c_str(), "r");
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  r.status = pclose(p);
  r.err = Slurp(err);
  fs::remove(err);
  return r;
}

TEST(Volqbuild, StepsByNameAndCaptionAndWindowsBesideTheMain) {
  fs::path dir = fs::temp_directory_path() / "volq_e2e_build";
  fs::remove_all(dir);
  volq::DataDir(dir).CreateFolders(volq::kDataDirFolders);
  // One record each, of a data kind the NEW files do not keep.
  volq::WriteWholeFile(dir / "RA20180101.dat", "RA1" + std::string(1267, ' ') + "\r\n");
  volq::WriteWholeFile(dir / "SE20180101.dat", "SE1" + std::string(550, ' ') + "\r\n");
  ProgramRun r = Volqbuild(dir,
                           "press Command1; press Command2; press \"RA(レース）\"; "
                           "press \"SE(詳細)\"; press Command9; window 1; press Command9; "
                           "windows");
  // A status line after each press: the two steps by name, then by caption.
  const std::string ra = "Text1: RA 終わり  1\n", se = "Text1: SE 終わり  1\n";
  EXPECT_EQ(r.out.find(ra + se + ra + se), 0u) << r.out;
  // `windows` lists the main window and the two opened beside it.
  EXPECT_NE(r.out.find("1  VOLQNQ4DPROJECT 20180101SETUPC (FormVolqBuild)"), std::string::npos);
  EXPECT_NE(r.out.find("2  VOLQNQ4DEXPDSETUP2024 (FormVOLQNQ4DEXPDSETUP2024ZZ)"),
            std::string::npos);
  EXPECT_NE(r.out.find("3  VOLQNQ4DEXPDSETUP2024 (FormVOLQNQ4DEXPDSETUP2024ZZ)"),
            std::string::npos);
  EXPECT_TRUE(fs::exists(dir / "RA20180101NEW.dat"));
  EXPECT_TRUE(fs::exists(dir / "SE20180101NEW.dat"));
  fs::remove_all(dir);
}

// help ends with the order of the current window's buttons; a pick on the
// viewer's list before 表示 names 表示.
TEST(Volqbuild, HelpTellsTheButtonOrderAndAnEmptyListItsButton) {
  fs::path dir = fs::temp_directory_path() / "volq_e2e_build_help";
  fs::remove_all(dir);
  volq::DataDir(dir).CreateFolders(volq::kDataDirFolders);
  ProgramRun r =
      Volqbuild(dir, "help; press Command10; help; window 1; press Command9; help; pick List1 1");
  // Folded at 80 columns; compared without the line breaks.
  std::string out = r.out;
  for (size_t at; (at = out.find("\n  ")) != std::string::npos;) out.replace(at, 3, " ");
  for (const std::string& window :
       {"In window 1 (VOLQNQ4DPROJECT 20180101SETUPC): press its buttons in this order, each "
        "needing what the earlier ones wrote: " +
            volq::ButtonOrder(volq::kMainWindow) + " (docs/glossary.md says what each writes).",
        std::string("In window 2 (CATEGORYSETUP20180101SETUPC): per course type, type Text1 "
                    "201801 (the start month; type it again before each 抽出: Text1 is the status "
                    "line too), then press Option1 (芝), Command1 (抽出), Command2 (芝因子設定) "
                    "and Command5 (芝カテゴリー化); or Option2 (ダート), Command1 (抽出), "
                    "Command3 (ダ因子設定) and Command6 (ダカテゴリー化); or Option3 (障害), "
                    "Command1 (抽出), Command4 (障因子設定) and Command7 (障カテゴリー化)."),
        std::string("In window 3 (VOLQNQ4DEXPDSETUP2024): press Command1 (計算), Command2 (表示) "
                    "in this order, then pick List1 N to show the N-th horse's extended records "
                    "in EXPFG.")}) {
    EXPECT_NE(out.find(window + "\n"), std::string::npos) << window << "\n" << r.out;
  }
  EXPECT_NE(r.err.find("error: List1 is empty: press Command2 (表示) first\n"), std::string::npos)
      << r.err;
  fs::remove_all(dir);
}

// A press of a control that is not in the current window says which window
// has it and how to reach it; a misspelt caption gets the nearest buttons;
// the button without a step says so; a missing input's hint in another
// window starts with the way to the window of its button.
TEST(Volqbuild, APressFindsItsWindow) {
  fs::path dir = fs::temp_directory_path() / "volq_e2e_build_windows";
  fs::remove_all(dir);
  volq::DataDir(dir).CreateFolders(volq::kDataDirFolders);
  const struct {
    const char* script;
    const char* out;  // in standard output
    const char* err;  // a line of standard error begins so
  } cases[] = {
      {"press Command9; press Command13",
       "window 2: ", "error: Command13 is a button of window 1: window 1 first\n"},
      {"press 芝因子設定", "",
       "error: 芝因子設定 (Command2) is in the category window: press Command10 (CATEGORY2006) "
       "first\n"},
      {"press Command9; press ダカテゴリー化", "",
       "error: ダカテゴリー化 (Command6) is in the category window: window 1, press Command10 "
       "(CATEGORY2006) first\n"},
      {"press 計算", "",
       "error: 計算 (Command1) is in the extended-record window: press Command9 (VOLQNQ4DEXPD) "
       "first\n"},
      {"press Option1", "", "error: Option1 is in the category window: press Command10"},
      {"press Command10; window 1; press 芝因子設定", "",
       "error: 芝因子設定 (Command2) is a button of window 2: window 2 first\n"},
      {"press 着差差", "",
       "error: no control '着差差' in window FormVolqBuild (nearest: Command13 (着差); show "
       "lists them all)\n"},
      {"press SE(詳細", "", "(nearest: Command2 (SE(詳細)); show lists them all)\n"},
      {"press Command16", "Command16 does nothing: it has no step\n", ""},
      {"press Command9; press 計算", "Command1 (計算): ended with failures\n",
       "failure: step stopped: missing input KETTONUM20180101.dat: the step did not run and "
       "changed nothing; write it first: window 1, press Command3 (UM(競走馬))\n"},
  };
  for (const auto& c : cases) {
    ProgramRun r = Volqbuild(dir, c.script);
    EXPECT_NE(r.out.find(c.out), std::string::npos) << c.script << "\n" << r.out;
    // At the start of a line (opening a window may report before it).
    const std::string err = "\n" + r.err;
    EXPECT_NE(err.find(*c.err == '(' ? c.err : "\n" + std::string(c.err)), std::string::npos)
        << c.script << "\n"
        << r.err;
  }
  fs::remove_all(dir);
}

// Three presses, one outcome line each: the margin step shows no end message
// and a second run of a step ends with the same text, so the status line is
// printed once and each of the other two presses names itself with its caption.
TEST(Volqbuild, EveryPressPrintsOneOutcomeLine) {
  fs::path dir = fs::temp_directory_path() / "volq_e2e_build_margin";
  fs::remove_all(dir);
  volq::DataDir(dir).CreateFolders(volq::kDataDirFolders);
  for (const char* list :
       {"KETTONUM20180101.dat", "KISHUNUM20180101.dat", "KETTONUM20180101Q.dat"}) {
    volq::WriteWholeFile(dir / list, "");
  }
  ProgramRun r = Volqbuild(dir, "press Command8; press Command13; press 血統Q、騎手");
  // KYOSOBA.dat is missing: both runs of Command8 say they reported failures.
  EXPECT_EQ(r.out,
            "Text1: 終わり  0 (ended with failures)\n"
            "Command13 (着差): done\n"
            "Command8 (血統Q、騎手): ended with failures\n");
  fs::remove_all(dir);
}

TEST(Volqbuild, AMissingRawFileStopsTheStepEveryTime) {
  // Before any download: the step does not run, makes neither the raw file
  // nor its NEW file, and a second press says so again. The first report
  // names where the program looked.
  fs::path dir = fs::temp_directory_path() / "volq_e2e_build_missing";
  fs::remove_all(dir);
  volq::DataDir(dir).CreateFolders(volq::kDataDirFolders);
  const std::string stopped =
      "failure: step stopped: missing input RA20180101.dat: the step did not run and changed "
      "nothing; download first with volqfetch\n";
  ProgramRun r = Volqbuild(dir, "press Command1; press Command1");
  EXPECT_EQ(r.out.find("Text1:"), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "failure: in data directory " + dir.string() + ":\n" + stopped + stopped);
  EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 1) << r.status;
  EXPECT_FALSE(fs::exists(dir / "RA20180101.dat"));
  EXPECT_FALSE(fs::exists(dir / "RA20180101NEW.dat"));
  fs::remove_all(dir);
}

TEST(Volqbuild, AMissingDataDirectoryOrFolderChangesNothing) {
  // No data directory: refused as a wrong option is, by its absolute path,
  // and not made.
  const fs::path none = fs::temp_directory_path() / "volq_e2e_build_none";
  fs::remove_all(none);
  ProgramRun r = Volqbuild(none, "press Command1");
  EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 2) << r.status;
  EXPECT_EQ(r.out, "");
  std::string mkdir = "mkdir -p";
  for (std::string_view f : volq::kDataDirFolders) mkdir += " " + (none / f).string();
  EXPECT_EQ(r.err, "volqbuild: data directory " + none.string() +
                       " does not exist; give the right one with --data-dir DIR (it is never "
                       "created), or make a new one with its folders: " +
                       mkdir + "\n");
  EXPECT_FALSE(fs::exists(none));
  // That command, and the README's, make a data directory the steps run in.
  const std::string readme = Slurp(TESTS_SOURCE_DIR "/../README.md");
  const size_t at = readme.find("    mkdir -p DIR/{");
  ASSERT_NE(at, std::string::npos);
  std::string readme_mkdir = readme.substr(at + 4, readme.find('\n', at) - at - 4);
  readme_mkdir.replace(readme_mkdir.find("DIR"), 3, none.string());
  for (const std::string& command : {mkdir, "bash -c '" + readme_mkdir + "'"}) {
    fs::remove_all(none);
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    r = Volqbuild(none, "press Command3");
    EXPECT_EQ(r.err.find("missing folder"), std::string::npos) << command << "\n" << r.err;
    EXPECT_NE(r.err.find("missing input UM20180101.dat"), std::string::npos) << r.err;
  }
  fs::remove_all(none);

  // Folders missing: the step names them with the command that makes every
  // missing folder of the data directory, and writes nothing.
  const fs::path dir = fs::temp_directory_path() / "volq_e2e_build_folders";
  fs::remove_all(dir);
  volq::DataDir(dir).CreateFolders(volq::kDataDirFolders);
  fs::remove(dir / "KYOSOBA");
  fs::remove(dir / "OPTION1N");
  fs::remove(dir / "HAHA");
  volq::WriteWholeFile(dir / "UM20180101.dat", "");
  volq::WriteWholeFile(dir / "KETTONUM20180101.dat", "former");
  r = Volqbuild(dir, "press Command3");
  EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 1) << r.status;
  EXPECT_NE(r.err.find("missing folders KYOSOBA, OPTION1N: the step did not run and changed "
                       "nothing; make the data directory's missing folders with: mkdir -p " +
                       (dir / "KYOSOBA").string() + " " + (dir / "OPTION1N").string() + " " +
                       (dir / "HAHA").string() + "\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(Slurp(dir / "KETTONUM20180101.dat"), "former");
  EXPECT_FALSE(fs::exists(dir / "UM20180101NEW.dat"));
  EXPECT_FALSE(fs::exists(dir / "KYOSOBA"));
  fs::remove_all(dir);
}

TEST(Volqbuild, ARecordsControlBytesAreShownEscapedInItsReportLines) {
  // A horse whose pedigree number holds a line feed and a terminal command.
  fs::path dir = fs::temp_directory_path() / "volq_e2e_build_escape";
  fs::remove_all(dir);
  volq::DataDir(dir).CreateFolders(volq::kDataDirFolders);
  std::string rec(volq::kHorseLength, ' ');
  rec.replace(0, 3, "UM1");
  rec.replace(volq::HorseField("pedigree_number").offset, 10, "20\n5\x1b[2J10");
  rec.replace(volq::kHorseLength - 2, 2, "\r\n");
  FILE* f = std::fopen((dir / "UM20180101.dat").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(rec.data(), 1, rec.size(), f);
  std::fclose(f);
  ProgramRun r = Volqbuild(dir, "press Command3");
  EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 1) << r.status;
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
  EXPECT_NE(r.err.find("'20\\n5\\x1b[2J10' does not begin with a year"), std::string::npos)
      << r.err;
  // Every line is a whole report line.
  size_t lines = 0;
  for (size_t at = 0; at < r.err.size(); at = r.err.find('\n', at) + 1, ++lines) {
    EXPECT_EQ(r.err.compare(at, 9, "failure: "), 0) << r.err.substr(at);
  }
  EXPECT_GE(lines, 1u);
  fs::remove_all(dir);
}

TEST(Volqbuild, AStepOnAFullDiskLeavesItsFormerOutput) {
  // The system refuses to grow files beyond 4 blocks, as a full disk does:
  // the NEW file of 40 race entries cannot be written.
  fs::path dir = fs::temp_directory_path() / "volq_e2e_build_full";
  fs::remove_all(dir);
  volq::DataDir(dir).CreateFolders(volq::kDataDirFolders);
  std::string raw;
  for (int k = 0; k < 40; ++k) {
    std::string rec(555, ' ');
    rec.replace(0, 3, "SE7");
    rec.replace(30, 10, "20191000" + std::to_string(10 + k));
    rec.replace(553, 2, "\r\n");
    raw += rec;
  }
  const std::string former = "former race entries\r\n";
  for (const auto& [name, bytes] : {std::pair<const char*, std::string>{"SE20180101.dat", raw},
                                    {"SE20180101NEW.dat", former}}) {
    FILE* f = std::fopen((dir / name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  ProgramRun r = Volqbuild(dir, "press Command2", "trap \"\" XFSZ; ulimit -f 4; ");
  EXPECT_NE(r.out.find("Text1: SE 終わり  40 (ended with failures)\n"), std::string::npos) << r.out;
  EXPECT_EQ(Slurp(dir / "SE20180101NEW.dat"), former);
  EXPECT_NE(r.err.find("failure: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("SE20180101NEW.dat"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
  EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 1) << r.status;
  for (const auto& e : fs::directory_iterator(dir)) {
    EXPECT_EQ(e.path().extension(), e.is_directory() ? "" : ".dat") << e.path();
  }
  fs::remove_all(dir);
}

// A journal of an extraction cut short and of an older version's step that
// no press clears: each is told once, the older one with its count and the
// command that removes it; --forget-interrupted removes it alone, and the
// extraction goes with the press for its own course and month.
TEST(Volqbuild, JournalEntriesAreToldForTheirCourseAndMonthAndForgottenByCommand) {
  fs::path dir = fs::temp_directory_path() / "volq_e2e_build_journal";
  fs::remove_all(dir);
  volq::DataDir(dir).CreateFolders(volq::kDataDirFolders);
  volq::WriteWholeFile(dir / "KETTONUM20180101.dat", "");
  auto run = [](const char* at, const char* name, const char* write) {
    return volq::JournalRun{"volqbuild", at, name, {write}, {}};
  };
  volq::WriteWholeFile(
      dir / volq::kJournalName,
      volq::JournalText(
          {run("2025-03-01 10:00:00", "press FormVolqBuild Command3 UM(旧)", "UM20180101NEW.dat"),
           run("2025-03-02 10:00:00", "press FormVolqBuild Command3 UM(旧)", "UM20180101NEW.dat"),
           run("2025-03-03 10:00:00", "press FormCATEGORYSETUP2024ZZ Command1 抽出 for 芝 201801",
               "SIBA201801N.dat")}));
  const std::string extraction =
      "note: Command1 (抽出) of window FormCATEGORYSETUP2024ZZ for 芝 from 201801 was "
      "interrupted at 2025-03-03 10:00:00: its outputs may be incomplete; type Text1 201801, "
      "press Option1 (芝) and press Command1 again\n";
  const std::string category = "press Command10; window 2; press Option1; type Text1 ";
  ProgramRun other = Volqbuild(dir, category + "201802; press Command1; press Command2");
  EXPECT_NE(other.err.find("note: Command3 (UM(旧)) was interrupted 2 times, last at 2025-03-02 "
                           "10:00:00: its outputs may be incomplete; no press clears this entry, "
                           "as no button of these programs is named so now: remove it with: "
                           "volqbuild --data-dir " +
                           dir.string() +
                           " --forget-interrupted, then press again the steps that write "
                           "UM20180101NEW.dat\n"),
            std::string::npos)
      << other.err;
  EXPECT_NE(other.err.find(extraction), std::string::npos) << other.err;
  // The factor build of turf reads the list cut short.
  EXPECT_NE(other.err.find("failure: step refused: " + extraction.substr(6)), std::string::npos);
  EXPECT_TRUE(fs::exists(dir / "SIBA201802N.dat"));
  EXPECT_FALSE(fs::exists(dir / "SIBAITEM201801N2024.dat"));

  const std::string forget =
      std::string(VOLQBUILD_PATH) + " --data-dir '" + dir.string() + "' --forget-interrupted 2>&1";
  FILE* p = popen(forget.c_str(), "r");
  std::array<char, 4096> buf;
  std::string said;
  for (size_t n; (n = fread(buf.data(), 1, buf.size(), p)) > 0;) said.append(buf.data(), n);
  EXPECT_EQ(pclose(p), 0);
  EXPECT_EQ(said,
            "removed from the journal: Command3 (UM(旧)), interrupted 2 times, last at 2025-03-02 "
            "10:00:00 (no press clears it, as no button of these programs is named so now); its "
            "outputs may be incomplete: press again the steps that write UM20180101NEW.dat\n" +
                extraction);

  // The press for turf from 201801 says the extraction once more, then
  // clears it: the next press says nothing of it.
  ProgramRun same = Volqbuild(dir, category + "201801; press Command1; press Command1");
  EXPECT_EQ(same.err.find(extraction), same.err.rfind(extraction)) << same.err;
  EXPECT_FALSE(fs::exists(dir / volq::kJournalName));
  EXPECT_EQ(Volqbuild(dir, category + "201801; press Command1").err.find("interrupted"),
            std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
