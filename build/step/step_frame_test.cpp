#include "build/step/step_frame.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

namespace volq {
namespace {

TEST(StepFrame, SkipsFailuresAndKeepsThemForTheReport) {
  StepFrame f;
  int ran = 0;
  EXPECT_TRUE(f.Do("write", [&] { ++ran; }));
  EXPECT_FALSE(f.Do("open", [] { FailFile("cannot open A.dat"); }));
  EXPECT_FALSE(f.Do("open", [] { FailFile("cannot open A.dat"); }));
  // A failing test runs its branch; a failing loop test ends the loop.
  EXPECT_TRUE(f.If("test", []() -> bool { FailConversion("x"); }));
  EXPECT_FALSE(f.If("test", [] { return false; }));
  EXPECT_TRUE(f.If("eof", []() -> bool { FailFile("closed"); }));
  // A failing selector runs no case of its choice.
  int chosen = 0;
  auto choose = [&](auto selector) {
    return f.Do("select", [&] {
      switch (selector()) {
        case 3:
          chosen = 3;
          break;
        default:
          chosen = -1;
      }
    });
  };
  EXPECT_FALSE(choose([]() -> int { FailIndex("i"); }));
  EXPECT_EQ(chosen, 0);
  EXPECT_TRUE(choose([] { return 3; }));
  EXPECT_EQ(chosen, 3);
  EXPECT_EQ(ran, 1);
  auto report = f.Report();
  ASSERT_EQ(report.size(), 4u);
  EXPECT_EQ(report[0], "open: cannot open A.dat (2 times)");
  EXPECT_EQ(report[1], "test: x");
}

// A file refused or missing is skipped; a failure of the file system itself
// stops the step, as every later write would fail too.
TEST(StepFrame, StopsAtAFailureOfTheFileSystemAndSkipsOneOfAFile) {
  struct Case {
    int error;
    bool stops;
  };
  for (const Case& c :
       {Case{EACCES, false}, Case{ENOENT, false}, Case{ELOOP, false}, Case{ENOSPC, true},
        Case{EDQUOT, true}, Case{EIO, true}, Case{EROFS, true}}) {
    SCOPED_TRACE(c.error);
    StepFrame f;
    bool stopped = false;
    try {
      f.Do("write", [&] { FailFile("cannot write", "KS20180101NEW.dat", c.error); });
    } catch (const StepStopped&) {
      stopped = true;
    }
    EXPECT_EQ(stopped, c.stops);
    EXPECT_EQ(f.clean(), c.stops);
  }
}

TEST(StepFrame, FoldsByOperationAndCauseNamingTheFirstDistinctSubjects) {
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "volq-fold";
  DataDir dir(root);  // reports name paths from the data directory
  StepFrame f;
  for (const char* name : {"A.dat", "B.dat", "A.dat", "C.dat", "D.dat"}) {
    f.Do("open", [&] { FailFile("cannot open", root / "KYOSOBA" / name, ENOENT); });
  }
  f.Do("open", [&] { FailFile("cannot open", root / "E.dat", EACCES); });
  f.Do("entity file name", [&] { dir.EntityPath("UMAGOTOSETUP", "a/b"); });
  f.Do("entity file name", [&] { dir.EntityPath("UMAGOTOSETUP", "a/b"); });
  f.Do("convert", [] { FailConversion("not a number", "1A"); });
  f.Do("convert", [] { FailConversion("not a number", "2B"); });
  f.Skipped("missing input X.dat", "read as empty");
  EXPECT_EQ(f.Report(), (std::vector<std::string>{
                            "open: cannot open: No such file or directory (5 times; first: "
                            "KYOSOBA/A.dat, KYOSOBA/B.dat, KYOSOBA/C.dat, ...)",
                            "open: cannot open E.dat: Permission denied",
                            "entity file name: refused file name 'a/b' in UMAGOTOSETUP (2 times)",
                            "convert: not a number (2 times; first: '1A', '2B')",
                            "missing input X.dat: read as empty",
                        }));
}

TEST(StepFrame, ReportTextShowsControlBytesEscaped) {
  EXPECT_EQ(Printable("2015\n10\x1b[2J\x7f\t\r\\ok\x82\xa0"),
            "2015\\n10\\x1b[2J\\x7f\\t\\r\\ok\x82\xa0");
}

TEST(StepFrame, EndMessages) {
  EXPECT_EQ(EndMessage("RA 終わり", 1234), "RA 終わり  1234");
  EXPECT_EQ(EndMessage("RA 終わり", 0), "RA 終わり  0");
  EXPECT_EQ(EndMessage("X", -5), "X -5");
}

}  // namespace
}  // namespace volq
