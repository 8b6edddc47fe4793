#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>

#include "fetch/download_window.h"
#include "fetch/progress_window.h"
#include "platform/fs/fault_file_system.h"
#include "platform/fs/plain_files_for_tests.h"
#include "platform/jvlink/scripted_jvlink.h"
#include "platform/text/cp932.h"
#include "platform/ui/headless_host.h"

namespace volq {
namespace {

namespace fs = std::filesystem;
using Read = ScriptedJVLink::Read;
const std::string kOpen = "JVOpen TOKURACEDIFNBLDNSLOPYSCHHOSN 20180101000000 3";

// A delivered record of `length` bytes: type, data kind "7", tag bytes, CR LF.
std::string Rec(const std::string& type, int length, char tag) {
  return type + "7" + std::string(static_cast<size_t>(length - 5), tag) + "\r\n";
}
Read R(const std::string& type, int length, char tag, std::string file = "FILE1") {
  return ScriptedJVLink::Record(Rec(type, length, tag), std::move(file));
}

const char* const kTenFiles[] = {
    "RA20180101.dat", "SE20180101.dat", "UM20180101.dat", "HN20180101.dat", "KS20180101.dat",
    "SK20180101.dat", "CH20180101.dat", "BR20180101.dat", "BN20180101.dat", kMarketSaleFile.data()};

std::vector<std::string> FilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}
std::vector<std::string> TenNames() {
  std::vector<std::string> names(std::begin(kTenFiles), std::end(kTenFiles));
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> Sjis(const std::vector<std::string>& utf8) {
  std::vector<std::string> out;
  for (const std::string& s : utf8) out.push_back(Cp932(s));
  return out;
}

class FetchTest : public ::testing::Test {
 protected:
  FetchTest()
      : root_(fs::temp_directory_path() /
              ("volq_fetch_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))),
        data_(root_ / "VOLQNQ4DPROJECT"),
        dir_(data_) {
    fs::remove_all(root_);
    fs::create_directories(data_);
    wm_.Open(form_);
  }
  ~FetchTest() override { fs::remove_all(root_); }

  std::optional<std::string> File(const std::string& name) {
    std::error_code ec;
    if (!fs::exists(data_ / name, ec)) return std::nullopt;
    return ReadWholeFile(data_ / name);
  }
  // Leftovers of an earlier download in every file.
  void Leftovers() {
    for (const RawRecordFile& f : kRawRecordFiles) WriteWholeFile(data_ / f.file, "old");
    WriteWholeFile(data_ / kMarketSaleFile, "old\r\n");
  }

  fs::path root_, data_;
  DataDir dir_;
  ScriptedJVLink jv_;
  HeadlessHost host_;
  WindowManager wm_{host_, "VolqFetch"};
  VOLQF1SETUP18Z form_{dir_, jv_};
};

struct JobCase {
  const char* name;
  int32_t init;
  ScriptedJVLink::Open open;
  std::vector<int32_t> statuses;
  std::vector<Read> reads;
  int cancel_round;  // the progress window's キャンセル is pressed before this round (0: never)
  std::vector<std::string> messages;  // UTF-8
  // A complete download puts its ten raw files in place of the former ones
  // (each empty unless listed); every other end leaves the former ones.
  bool replaced;
  std::map<std::string, std::string> files;  // the new raw files' content
  std::vector<std::string> calls;
  // What is reported (UTF-8): every end but a complete download says what is missing.
  std::vector<std::string> failures;
  // A download put in place tells what it stored, for the outcome line.
  std::vector<std::string> outcomes = {};
};

std::vector<std::string> Stored(const char* counts) {
  return {std::string("stored per record type: ") + counts};
}

TEST_F(FetchTest, DownloadJob) {
  const std::string ks = Rec("KS", 4173, 'k');
  const std::string hs1 = Rec("HS", 200, 'x'), hs2 = Rec("HS", 200, 'y');
  const std::vector<JobCase> cases = {
      {"no data",
       0,
       {0, 0, 0},
       {},
       {},
       0,
       {"該当するデータがありません。"},
       false,
       {},
       {"JVInit UNKNOWN", kOpen, "JVClose"},
       {"download not done: the service has no data for TOKURACEDIFNBLDNSLOPYSCHHOSN from "
        "20180101000000; no record was read; the raw files of the previous download were kept"}},
      // The code comes with what the service says of it.
      {"open error",
       0,
       {-212, 5, 0},
       {},
       {},
       0,
       {"JVOpenエラー。RC=-212"},
       false,
       {},
       {"JVInit UNKNOWN", kOpen, "JVClose"},
       {"download not done: JVOpen returned RC=-212 (the record source directory /x/y does not "
        "exist: give --source DIR or press 設定); no record was read; the raw files of the "
        "previous download were kept"}},
      {"init error goes on",
       -101,
       {0, 1, 0},
       {},
       {R("RA", 1272, 'a')},
       0,
       {"JVInitエラー。RC=-101"},
       true,
       {{"RA20180101.dat", Rec("RA", 1272, 'a')}},
       {"JVInit UNKNOWN", kOpen, "JVRead", "JVRead", "JVClose"},
       {"download: JVInit returned RC=-101; the download went on"},
       Stored("RA 1, SE 0, UM 0, HN 0, KS 0, SK 0, CH 0, BR 0, BN 0, HS 0")},
      {"kept types, passed-over types and market-sale lines",
       0,
       {0, 3, 0},
       {},
       {R("TK", 300, 't'), R("RA", 1272, 'a'), ScriptedJVLink::Code(-1), R("HS", 200, 'x'),
        ScriptedJVLink::Record(ks), R("HS", 200, 'y'), R("SE", 555, 's'), R("ZZ", 50, 'z')},
       0,
       {},
       true,
       {{"RA20180101.dat", Rec("RA", 1272, 'a')},
        {"KS20180101.dat", StoreDelivered(JockeyLayout(), ks)},
        {"SE20180101.dat", Rec("SE", 555, 's')},
        {"HS20180101.dat", hs1 + hs2}},
       {},
       {},
       Stored("RA 1, SE 1, UM 0, HN 0, KS 1, SK 0, CH 0, BR 0, BN 0, HS 2")},
      {"a damaged file is skipped and reading goes on",
       0,
       {0, 2, 0},
       {},
       {R("RA", 1272, 'a', "F1"), ScriptedJVLink::Code(-403, "F2"), R("RA", 1272, 'b', "F3")},
       0,
       {},
       true,
       {{"RA20180101.dat", Rec("RA", 1272, 'a') + Rec("RA", 1272, 'b')}},
       {"JVInit UNKNOWN", kOpen, "JVRead", "JVRead", "JVFileDelete F2", "JVClose", kOpen, "JVRead",
        "JVRead", "JVClose"},
       {"source file F2 was damaged: skipped, none of its records stored"},
       Stored("RA 2, SE 0, UM 0, HN 0, KS 0, SK 0, CH 0, BR 0, BN 0, HS 0")},
      // The new files are opened, but nothing is read.
      {"a negative read count",
       0,
       {0, -1, 0},
       {},
       {R("RA", 1272, 'a')},
       0,
       {},
       false,
       {},
       {"JVInit UNKNOWN", kOpen, "JVClose"},
       {"download not done: JVOpen gave a read count of -1; no record was read; the raw files of "
        "the previous download were kept"}},
      {"read error",
       0,
       {0, 1, 0},
       {},
       {R("UM", 1609, 'u'), ScriptedJVLink::Code(-502)},
       0,
       {"JVReadエラー。 RC=-502"},
       false,
       {{"UM20180101.dat", Rec("UM", 1609, 'u')}},
       {"JVInit UNKNOWN", kOpen, "JVRead", "JVRead", "JVClose"},
       {"download ended early: JVRead returned RC=-502; the rest of the download was not read; the "
        "raw files of the previous download were kept"}},
      // An unreadable file ends the download: no later file is read.
      {"unreadable file",
       0,
       {0, 2, 0},
       {},
       {R("UM", 1609, 'u', "F1"), ScriptedJVLink::Code(-402, "F2"), R("UM", 1609, 'v', "F3")},
       0,
       {"JVReadエラー。 RC=-402"},
       false,
       {{"UM20180101.dat", Rec("UM", 1609, 'u')}},
       {"JVInit UNKNOWN", kOpen, "JVRead", "JVRead", "JVClose"},
       {"download ended early: JVRead returned RC=-402 at source file F2; the rest of the "
        "download was not read; the raw files of the previous download were kept"}},
      {"cancel in the progress window",
       0,
       {0, 3, 5},
       {1},
       {R("RA", 1272, 'a')},
       2,
       {},
       false,
       {},
       {"JVInit UNKNOWN", kOpen, "JVStatus", "JVCancel", "JVClose"},
       {"download not done: cancelled in the progress window; no record was read; the raw files of "
        "the previous download were kept"}},
      {"download, then reading",
       0,
       {0, 3, 10},
       {0, 4, 10},
       {R("BN", 477, 'n')},
       0,
       {},
       true,
       {{"BN20180101.dat", Rec("BN", 477, 'n')}},
       {"JVInit UNKNOWN", kOpen, "JVStatus", "JVStatus", "JVStatus", "JVRead", "JVRead", "JVClose"},
       {},
       Stored("RA 0, SE 0, UM 0, HN 0, KS 0, SK 0, CH 0, BR 0, BN 1, HS 0")},
      {"failed download, then reading",
       0,
       {0, 3, 10},
       {-1},
       {R("BR", 545, 'r')},
       0,
       {"ダウンロード失敗。RC=-1"},
       false,
       {{"BR20180101.dat", Rec("BR", 545, 'r')}},
       {"JVInit UNKNOWN", kOpen, "JVStatus", "JVRead", "JVRead", "JVClose"},
       {"download not done: the progress window ended on status RC=-1; what the service then "
        "delivered was read but not stored; the raw files of the previous download were kept"}},
      // Only whole records are stored: a record cut short, one split by a
      // stray CR LF (its tail is then of no kept type) and one without its
      // CR LF are named by source file and record; the others are stored.
      {"records of another length",
       0,
       {0, 2, 0},
       {},
       {R("RA", 1272, 'a', "F1"),
        ScriptedJVLink::Record(Rec("SE", 555, 's').substr(0, 98) + "\r\n", "F1"),
        ScriptedJVLink::Record(Rec("SE", 555, 'u').substr(0, 300) + "\r\n", "F1"),
        ScriptedJVLink::Record(Rec("SE", 555, 'u').substr(300), "F1"), ScriptedJVLink::Code(-1),
        R("SE", 555, 't', "F2"),
        ScriptedJVLink::Record(Rec("BN", 477, 'n').substr(0, 475) + "nn", "F2"),
        R("HS", 200, 'x', "F3"),
        ScriptedJVLink::Record(Rec("HS", 200, 'y').substr(0, 150) + "\r\n", "F3")},
       0,
       {},
       true,
       {{"RA20180101.dat", Rec("RA", 1272, 'a')},
        {"SE20180101.dat", Rec("SE", 555, 't')},
        {"HS20180101.dat", Rec("HS", 200, 'x')}},
       {},
       {"delivered records not of their type's length ending in CR LF: not stored (4 times; "
        "first: F1 record 2 (SE, 100 bytes), F1 record 3 (SE, 302 bytes), F2 record 2 (BN, 477 "
        "bytes), ...)"},
       Stored("RA 1, SE 1, UM 0, HN 0, KS 0, SK 0, CH 0, BR 0, BN 0, HS 1")},
      {"a market-sale line cut short",
       0,
       {0, 1, 0},
       {},
       {R("HS", 200, 'x'), ScriptedJVLink::Record(Rec("HS", 200, 'y').substr(0, 150) + "\r\n")},
       0,
       {},
       true,
       {{"HS20180101.dat", Rec("HS", 200, 'x')}},
       {},
       {"source file FILE1 record 2: HS, 152 bytes where HS records are 200 bytes ending in CR LF: "
        "not stored"},
       Stored("RA 0, SE 0, UM 0, HN 0, KS 0, SK 0, CH 0, BR 0, BN 0, HS 1")},
  };
  for (const JobCase& c : cases) {
    SCOPED_TRACE(c.name);
    Leftovers();
    jv_ = ScriptedJVLink();
    jv_.init_result = c.init;
    jv_.opens = {c.open};
    jv_.statuses = c.statuses;
    jv_.reads = c.reads;
    jv_.explanations = {
        {-212, "the record source directory /x/y does not exist: give --source DIR or press 設定"}};
    host_ = HeadlessHost();
    host_.on_round = [&](Window& w, int round) {
      if (round == c.cancel_round) w.Press(Cp932("キャンセル"));
    };
    form_.Press("Command2");

    EXPECT_EQ(form_.Text1.Text, Cp932("終了"));
    EXPECT_EQ(host_.messages, Sjis(c.messages));
    EXPECT_EQ(host_.failures, Sjis(c.failures));
    EXPECT_EQ(host_.outcomes, c.outcomes);
    if (!c.calls.empty()) {
      EXPECT_EQ(jv_.calls, c.calls);
    }
    EXPECT_EQ(jv_.calls.back(), "JVClose");
    for (const char* f : kTenFiles) {
      auto want = c.files.find(f);
      const std::string former = f == std::string(kMarketSaleFile) ? "old\r\n" : "old";
      EXPECT_EQ(File(f), !c.replaced ? former : want == c.files.end() ? "" : want->second) << f;
    }
    EXPECT_EQ(FilesIn(data_), TenNames()) << "no temporary file is left";
  }
  EXPECT_EQ(form_.DialogResult, 0);
}

// A failed first download says that there were no raw files to keep.
TEST_F(FetchTest, AFailedFirstDownloadKeepsNoPreviousOne) {
  jv_.opens = {{0, 0, 0}};
  form_.Command2_Click();
  EXPECT_EQ(host_.failures,
            std::vector<std::string>{"download not done: the service has no data for "
                                     "TOKURACEDIFNBLDNSLOPYSCHHOSN from 20180101000000; no record "
                                     "was read; no raw file was written"});
  EXPECT_TRUE(FilesIn(data_).empty());
}

TEST_F(FetchTest, JockeyRecordIsStoredShorterAndCancelSetsDialogResult) {
  jv_.reads = {R("KS", 4173, 'k')};
  form_.Command2_Click();
  EXPECT_EQ(File("KS20180101.dat")->size(), 4161u);

  jv_ = ScriptedJVLink();
  jv_.opens = {{0, 1, 4}};
  host_.on_round = [](Window& w, int) { w.Press("Command1"); };
  form_.Command2_Click();
  EXPECT_EQ(form_.DialogResult, -1);
  EXPECT_EQ(jv_.Count("JVCancel"), 1);
}

// The former raw files are untouched while the service is asked and read:
// the new ones take their places together, after the last record.
TEST_F(FetchTest, TheFormerRawFilesStayUntilTheLastRecordIsRead) {
  struct Watching : ScriptedJVLink {
    std::function<void()> on_call;
    int32_t JVInit(const std::string& id) override {
      on_call();
      return ScriptedJVLink::JVInit(id);
    }
    int32_t JVRead(std::string& buffer, int32_t& size, std::string& file_name) override {
      on_call();
      return ScriptedJVLink::JVRead(buffer, size, file_name);
    }
  };
  Watching jv;
  jv.reads = {R("RA", 1272, 'a'), R("HS", 200, 'x'), R("BN", 477, 'n')};
  int intact = 0;
  jv.on_call = [&] {
    bool all = true;
    for (const char* f : kTenFiles) all = all && File(f)->starts_with("old");
    intact += all;
  };
  VOLQF1SETUP18Z form(dir_, jv);
  wm_.Open(form);
  Leftovers();
  form.Command2_Click();
  EXPECT_EQ(intact, 5);  // JVInit and the four JVReads
  EXPECT_EQ(File("RA20180101.dat"), Rec("RA", 1272, 'a'));
  EXPECT_EQ(File("UM20180101.dat"), "");
  EXPECT_EQ(File(std::string(kMarketSaleFile)), Rec("HS", 200, 'x'));
  EXPECT_TRUE(host_.failures.empty());
}

// A raw file that cannot be written (a full disk) keeps the whole former
// download: no new file takes its place, also those written without fault.
TEST_F(FetchTest, AFailedWriteKeepsEveryFormerRawFile) {
  for (const char* failing : {"SE20180101.dat", "BN20180101.dat"}) {
    SCOPED_TRACE(failing);
    Leftovers();
    jv_ = ScriptedJVLink();
    host_ = HeadlessHost();
    jv_.reads = {R("RA", 1272, 'a'), R("SE", 555, 's'), R("BN", 477, 'n')};
    {
      FaultFileSystem files;
      files.FailWhere([&](std::string_view op, const std::string& p) {
        const std::string file = fs::path(p).filename().string();
        return op == "write" && file.starts_with(std::string(failing) + ".") ? ENOSPC : 0;
      });
      ScopedFileSystem installed(files);
      form_.Command2_Click();
    }
    EXPECT_EQ(
        host_.failures,
        (std::vector<std::string>{std::string("download not stored: cannot write ") + failing +
                                  ": No space left on device; the raw files of the previous "
                                  "download were kept"}));
    for (const char* f : kTenFiles) EXPECT_TRUE(File(f)->starts_with("old")) << f;
    EXPECT_EQ(FilesIn(data_), TenNames());
  }
}

// Raw files that cannot be made (a folder that refuses them) give one line:
// the first cause, the files it concerns, and the delivered records that then
// could not be written, counted; not one line per file for what only follows
// from it. The same cause met by an end of its own is told after that end.
TEST_F(FetchTest, RawFilesThatCannotBeMadeAreOneCauseInTheEndsLine) {
  struct Case {
    const char* name;
    std::vector<Read> reads;
    std::vector<std::string> failures;
  };
  const std::string refused =
      "cannot write: Permission denied (10 times; first: RA20180101.dat, SE20180101.dat, "
      "UM20180101.dat, ...)";
  for (const Case& c : std::vector<Case>{
           {"read to its end",
            {R("RA", 1272, 'a'), R("RA", 1272, 'b'), R("SE", 555, 's')},
            {"download not stored: " + refused +
             "; 3 delivered records were not written because of it; no raw file was written"}},
           {"ended by a read error",
            {R("RA", 1272, 'a'), ScriptedJVLink::Code(-402, "F2")},
            {"download ended early: JVRead returned RC=-402 at source file F2; the rest of the "
             "download was not read; no raw file was written",
             "raw files not written: " + refused +
                 "; 1 delivered record was not written because of it"}},
       }) {
    SCOPED_TRACE(c.name);
    jv_ = ScriptedJVLink();
    host_ = HeadlessHost();
    jv_.reads = c.reads;
    {
      FaultFileSystem files;
      files.FailWhere([&](std::string_view op, const std::string&) {
        return op == "open for writing" ? EACCES : 0;
      });
      ScopedFileSystem installed(files);
      form_.Command2_Click();
    }
    EXPECT_EQ(host_.failures, c.failures);
    EXPECT_TRUE(FilesIn(data_).empty());
  }
}

// A symlink in place of a raw file is refused by name: the download is not
// stored, the file it points to keeps its bytes and a dangling one makes
// none; the former raw files stay.
TEST_F(FetchTest, ASymlinkInPlaceOfARawFileIsRefused) {
  const fs::path target = root_ / "outside.dat";
  for (const bool dangling : {false, true}) {
    SCOPED_TRACE(dangling ? "dangling" : "to a file outside");
    fs::remove(data_ / "SE20180101.dat");
    Leftovers();
    fs::remove(data_ / "SE20180101.dat");
    fs::remove(target);
    if (!dangling) WritePlainFile(target, "outside");
    fs::create_symlink(target, data_ / "SE20180101.dat");
    jv_ = ScriptedJVLink();
    host_ = HeadlessHost();
    jv_.reads = {R("RA", 1272, 'a'), R("SE", 555, 's')};
    form_.Command2_Click();
    EXPECT_EQ(host_.failures,
              (std::vector<std::string>{
                  "download not stored: refused symlink SE20180101.dat; 1 delivered record was not "
                  "written because of it; the raw files of the previous download were kept"}));
    EXPECT_EQ(fs::exists(target), !dangling);
    if (!dangling) {
      EXPECT_EQ(ReadPlainFile(target), "outside");
    }
    EXPECT_EQ(File("RA20180101.dat"), "old");
    EXPECT_EQ(FilesIn(data_), TenNames());
  }
}

// The reopen after a damaged file takes the service's new counts but shows no
// progress window: reading goes straight on.
TEST_F(FetchTest, ReopenAfterADamagedFileReadsOnWithoutProgress) {
  jv_.opens = {{0, 2, 0}, {-1, 0, 7}};
  jv_.reads = {ScriptedJVLink::Code(-403, "F1"), R("SE", 555, 's', "F2")};
  form_.Command2_Click();
  EXPECT_EQ(form_.DownloadCount, 7);
  EXPECT_EQ(jv_.Count("JVStatus"), 0);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(File("SE20180101.dat"), Rec("SE", 555, 's'));
}

TEST_F(FetchTest, TwoRunsLeaveOnlyTheSecondRunsRecords) {
  jv_.reads = {R("RA", 1272, 'a'), R("RA", 1272, 'b'), R("HS", 200, 'x')};
  form_.Command2_Click();
  jv_ = ScriptedJVLink();
  jv_.reads = {R("RA", 1272, 'c')};
  form_.Command2_Click();
  EXPECT_EQ(File("RA20180101.dat"), Rec("RA", 1272, 'c'));
  EXPECT_EQ(File(std::string(kMarketSaleFile)), "");
}

// A data directory gone since the start cannot be locked: nothing is read
// from the service and nothing is made.
TEST_F(FetchTest, AMissingDataDirectoryIsReportedAndNothingIsRead) {
  fs::remove_all(data_);
  jv_.reads = {R("RA", 1272, 'a'), R("HS", 200, 'x')};
  form_.Command2_Click();
  EXPECT_EQ(jv_.Count("JVRead"), 0);
  EXPECT_EQ(host_.failures,
            (std::vector<std::string>{"download not done: cannot lock " + data_.string() +
                                      ": No such file or directory; no raw file was written"}));
  EXPECT_FALSE(fs::exists(data_));
}

TEST_F(FetchTest, MarketSaleCheckCountsLinesAndReportsAMissingFile) {
  form_.Command3_Click();
  ASSERT_EQ(host_.failures.size(), 1u);
  EXPECT_NE(host_.failures[0].find("market-sale check: cannot open"), std::string::npos);
  EXPECT_EQ(form_.market_sale_lines(), 0);
  WriteWholeFile(data_ / kMarketSaleFile, Rec("HS", 200, 'x') + Rec("HS", 200, 'y'));
  form_.Command3_Click();
  EXPECT_EQ(form_.market_sale_lines(), 2);
  EXPECT_EQ(host_.failures.size(), 1u);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(host_.outcomes,
            std::vector<std::string>{"HS20180101.dat: 2 lines checked, 0 did not parse"});
  EXPECT_EQ(form_.Text1.Text, "Text1");  // the window shows nothing of the check

  // A line cut short, and one of another type, are counted and named.
  host_ = HeadlessHost();
  WriteWholeFile(data_ / kMarketSaleFile, Rec("HS", 200, 'x') + Rec("HS", 120, 'y') +
                                              Rec("RA", 200, 'z') + Rec("HS", 200, 'w'));
  form_.Command3_Click();
  EXPECT_EQ(form_.market_sale_lines(), 4);
  EXPECT_EQ(host_.outcomes,
            std::vector<std::string>{"HS20180101.dat: 4 lines checked, 2 did not parse"});
  EXPECT_EQ(host_.failures,
            std::vector<std::string>{"market-sale check: lines of HS20180101.dat that are no "
                                     "market-sale record (HS, 198 bytes) (2 times; first: line 2, "
                                     "line 3)"});
}

// help ends with what each button does, the download first.
TEST_F(FetchTest, TheGuideNamesTheDownloadButtonFirst) {
  EXPECT_EQ(ToUtf8(form_.Guide()),
            "press Command2 (2018年1月1日セットアップ) to download every record into the raw "
            "files of the data directory (the record source: --source DIR, or Command1 (設定)); "
            "Command3 (HSチェック) checks the market-sale file HS20180101.dat.");
}

TEST_F(FetchTest, SettingsButton) {
  jv_.settings_result = 0;
  form_.Press(Cp932("設定"));
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_TRUE(host_.failures.empty());
  // The message box stays as it is; the report says why, as the service tells it.
  jv_.settings_result = -1;
  jv_.explanations = {{-1, "the record source directory /no/such does not exist"}};
  form_.Press("Command1");
  EXPECT_EQ(host_.messages, Sjis({"エラーのためJV-Linkの設定に失敗しました。"}));
  EXPECT_EQ(host_.failures, std::vector<std::string>{
                                "settings not changed: the settings dialog returned RC=-1 (the "
                                "record source directory /no/such does not exist)"});
}

TEST_F(FetchTest, ProgressWindowTicks) {
  const struct {
    const char* name;
    int32_t download_count;
    std::vector<int32_t> statuses;
    std::vector<std::string> labels;  // after each tick
    std::vector<int32_t> bar;         // after each tick
    bool closed;
    std::vector<std::string> messages;
  } cases[] = {
      {"0, 4, 10 of 10", 10, {0, 4, 10}, {"0 / 10", "4 / 10", "10 / 10"}, {0, 4, 10}, true, {}},
      {"a failed download",
       10,
       {3, -1},
       {"3 / 10", "3 / 10"},
       {3, 3},
       true,
       {"ダウンロード失敗。RC=-1"}},
      // A status past the count ends the wait with a full bar.
      {"past the count", 10, {12}, {"12 / 10"}, {10}, true, {}},
      // More files than 16 bits hold.
      {"a large download",
       40000,
       {32767, 40000},
       {"32767 / 40000", "40000 / 40000"},
       {32767, 40000},
       true,
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    jv_ = ScriptedJVLink();
    jv_.statuses = c.statuses;
    host_ = HeadlessHost();
    form_.DownloadCount = c.download_count;
    form_.DialogResult = 7;
    VOLQF2SETUP18Z p(form_);
    wm_.Open(p);
    EXPECT_EQ(p.Caption, Cp932("VOLQF2C:ダウンロード"));
    EXPECT_EQ(p.Label1.Caption, "Label1");
    EXPECT_EQ(p.ProgressBar1.Max, c.download_count);
    EXPECT_EQ(p.Timer1.Interval, 10);
    EXPECT_TRUE(p.Timer1.Enabled);
    std::vector<std::string> labels;
    std::vector<int32_t> bar;
    for (size_t i = 0; i < c.statuses.size(); ++i) {
      EXPECT_FALSE(p.closed());
      p.Timer1.Tick();
      labels.push_back(p.Label1.Caption);
      bar.push_back(p.ProgressBar1.Value);
    }
    EXPECT_EQ(labels, c.labels);
    EXPECT_EQ(bar, c.bar);
    EXPECT_EQ(p.closed(), c.closed);
    EXPECT_EQ(host_.messages, Sjis(c.messages));
    // A failed download leaves DialogResult as it was; the others set 0.
    EXPECT_EQ(form_.DialogResult, c.messages.empty() ? 0 : 7);
    if (!c.messages.empty()) {
      EXPECT_FALSE(p.Timer1.Enabled);
    }
  }
}

}  // namespace
}  // namespace volq
