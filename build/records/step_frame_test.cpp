#include "build/records/step_frame.h"

#include <gtest/gtest.h>

namespace volq {
namespace {

TEST(StepFrame, SkipsFailuresAndKeepsThemForTheReport) {
  StepFrame f;
  int ran = 0;
  EXPECT_TRUE(f.Do("write", [&] { ++ran; }));
  EXPECT_FALSE(f.Do("open", [] { FailFile("cannot open A.dat"); }));
  EXPECT_FALSE(f.Do("open", [] { FailFile("cannot open B.dat"); }));
  // A failing test runs its branch; a failing loop test ends the loop.
  EXPECT_TRUE(f.If("test", []() -> bool { FailConversion("x"); }));
  EXPECT_FALSE(f.If("test", [] { return false; }));
  EXPECT_TRUE(f.AtEnd("eof", []() -> bool { FailFile("closed"); }));
  EXPECT_FALSE(f.Select("select", []() -> int { FailIndex("i"); }).has_value());
  EXPECT_EQ(*f.Select("select", [] { return 3; }), 3);
  EXPECT_EQ(ran, 1);
  auto report = f.Report();
  ASSERT_EQ(report.size(), 4u);
  EXPECT_EQ(report[0], "open: cannot open A.dat (2 times)");
  EXPECT_EQ(report[1], "test: x");
}

TEST(StepFrame, EndMessages) {
  EXPECT_EQ(EndMessage("RA 終わり", 1234), "RA 終わり  1234");
  EXPECT_EQ(EndMessage("RA 終わり", 0), "RA 終わり  0");
  EXPECT_EQ(EndMessage("X", -5), "X -5");
}

}  // namespace
}  // namespace volq
