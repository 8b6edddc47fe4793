#include "build/form_volq_build.h"

#include <gtest/gtest.h>

#include "build/records/test_support.h"
#include "common/record_layout.h"
#include "platform/text/cp932.h"
#include "platform/ui/headless_host.h"

namespace volq {
namespace {

class FormVolqBuildTest : public testing::StepTest {};

TEST_F(FormVolqBuildTest, CaptionsButtonsAndStatusLine) {
  HeadlessHost host;
  WindowManager wm(host);
  FormVolqBuild form(*dir_, {});
  wm.Open(form);
  EXPECT_EQ(ToUtf8(form.Caption), "VOLQNQ4DPROJECT 20180101SETUPC");
  // The buttons in run order, then the status line; captions as code page
  // 932 bytes, ASCII and full-width brackets as they stand.
  ASSERT_EQ(form.controls().size(), 17u);
  size_t i = 0;
  for (const BuildButton& b : BuildButtons()) {
    if (b.window != kMainWindow) continue;
    ASSERT_LT(i, 16u);
    auto* button = dynamic_cast<CommandButton*>(form.controls()[i++]);
    ASSERT_NE(button, nullptr) << i;
    EXPECT_EQ(button->name(), b.control);
    EXPECT_EQ(button->Caption, Cp932(b.caption)) << b.control;
  }
  EXPECT_EQ(i, 16u);
  EXPECT_EQ(form.Command1.Caption, "RA(\x83\x8C\x81\x5B\x83\x58\x81\x6A");
  EXPECT_EQ(ToUtf8(form.Command7.Caption), "HN（繁殖）");
  EXPECT_EQ(ToUtf8(form.Command8.Caption), "血統Q、騎手");
  EXPECT_EQ(form.Command16.Caption, "");
  EXPECT_EQ(form.controls()[16], &form.Text1);
  EXPECT_EQ(form.Text1.Text, "Text1");
  form.Press("Command16");
  EXPECT_EQ(form.Text1.Text, "Text1");
  // Before any download the step stops without its end message.
  form.Press(Cp932("RA(レース）"));
  EXPECT_EQ(form.Text1.Text, "Text1");
  ASSERT_EQ(host.failures.size(), 1u);
  EXPECT_NE(host.failures[0].find("missing input RA20180101.dat: the step did not run"),
            std::string::npos)
      << host.failures[0];
  EXPECT_FALSE(Exists("RA20180101.dat"));
}

// With the raw files only, a step that needs what an earlier button writes
// names that button.
TEST_F(FormVolqBuildTest, AMissingInputNamesTheButtonThatWritesIt) {
  HeadlessHost host;
  WindowManager wm(host);
  FormVolqBuild form(*dir_, {});
  wm.Open(form);
  for (const RawRecordFile& raw : kRawRecordFiles) WriteFile(raw.file, "");
  const struct {
    const char* button;
    const char* report;
  } cases[] = {
      {"Command6",
       "step stopped: missing input KETTONUM20180101.dat: the step did not run and changed "
       "nothing; write it first: press Command3 (UM(競走馬))"},
      {"Command13",
       "step stopped: missing input KETTONUM20180101Q.dat: the step did not run and changed "
       "nothing; write it first: press Command8 (血統Q、騎手)"},
      {"Command11",
       "step stopped: missing input HAHAHANNUM20180101.dat: the step did not run and changed "
       "nothing; write it first: press Command4 (SK（母産駒）)"},
  };
  for (const auto& c : cases) {
    host.failures.clear();
    form.Press(c.button);
    EXPECT_EQ(host.failures, std::vector<std::string>{Cp932(c.report)}) << c.button;
  }
}

// A full disk under the first output: the step ends there, without its end
// message, and the report names what it kept.
TEST_F(FormVolqBuildTest, AStepStoppedByAFullDiskNamesTheOutputsItKept) {
  HeadlessHost host;
  WindowManager wm(host);
  FormVolqBuild form(*dir_, {});
  wm.Open(form);
  WriteFile("UM20180101.dat", StepTest::Rec(kHorseLength, {{0, "UM"}, {2, "1"}}));
  WriteFile("KETTONUM20180101.dat", "former");
  {
    testing::FullDiskFor full({"UM20180101NEW.dat"});
    form.Press("Command3");
  }
  EXPECT_EQ(form.Text1.Text, "Text1");
  EXPECT_EQ(ReadFile("KETTONUM20180101.dat"), "former");
  EXPECT_EQ(host.failures,
            (std::vector<std::string>{
                "step stopped: close: cannot write UM20180101NEW.dat: No space "
                "left on device",
                "step stopped: not written, kept as they were: UM20180101NEW.dat, "
                "KETTONUM20180101.dat, KETTOMASSHO.dat, the files of KYOSOBA/ not reached, the "
                "files of KYOSOBAN/ not reached, OPTION1N/KYOSOBA.dat"}));
}

TEST_F(FormVolqBuildTest, StepsGetTheSharedCountAndReportWhatTheySkipped) {
  HeadlessHost host;
  WindowManager wm(host);
  FormVolqBuildWiring wiring;
  wiring.steps["Command6"] = [](StepContext& ctx) {
    ctx.RecordCount = 5;
    ctx.frame.Do("open", [] { FailFile("cannot open X.dat"); });
    return EndMessage("SE/UM 終わり", ctx.RecordCount);
  };
  int opened = 0;
  wiring.open_extended = [&] {
    ++opened;
    return std::make_unique<Window>("FormX", "X");
  };
  FormVolqBuild form(*dir_, std::move(wiring));
  wm.Open(form);
  form.Press("Command6");
  EXPECT_EQ(ToUtf8(form.Text1.Text), "SE/UM 終わり  5");
  EXPECT_EQ(form.RecordCount, 5);
  ASSERT_EQ(host.failures.size(), 1u);
  EXPECT_EQ(host.failures[0], "open: cannot open X.dat");
  // Every click opens one more window beside the main window.
  form.Press("Command9");
  form.Press("Command9");
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(wm.windows().size(), 3u);
}

// Progress at a step's yield points is shown under the button's caption.
TEST_F(FormVolqBuildTest, YieldPointsCarryTheCaption) {
  struct ProgressHost : HeadlessHost {
    std::vector<std::string> shown;
    void YieldPoint(const Window&, std::string_view label, int64_t done, int64_t total) override {
      shown.push_back(ToUtf8(label) + " " + std::to_string(done) + "/" + std::to_string(total));
    }
  } host;
  WindowManager wm(host);
  FormVolqBuildWiring wiring;
  wiring.steps["Command8"] = [](StepContext& ctx) {
    ctx.frame.Yield(1, 2);
    return EndMessage("終わり", 0);
  };
  FormVolqBuild form(*dir_, std::move(wiring));
  wm.Open(form);
  form.Press("Command8");
  EXPECT_EQ(host.shown, std::vector<std::string>{"血統Q、騎手 1/2"});
}

TEST_F(FormVolqBuildTest, NoSecondStepWhileOneRuns) {
  HeadlessHost host;
  WindowManager wm(host);
  FormVolqBuildWiring wiring;
  FormVolqBuild* self = nullptr;
  int inner = 0;
  wiring.steps["Command3"] = [&](StepContext& ctx) {
    self->Command4_Click();  // a click that arrives at a yield point
    return EndMessage("UM 終わり", ctx.RecordCount);
  };
  wiring.steps["Command4"] = [&](StepContext&) {
    ++inner;
    return std::string("x");
  };
  FormVolqBuild form(*dir_, std::move(wiring));
  self = &form;
  wm.Open(form);
  form.Press("Command3");
  EXPECT_EQ(inner, 0);
  EXPECT_EQ(ToUtf8(form.Text1.Text), "UM 終わり  0");
  EXPECT_EQ(host.failures.size(), 1u);
}

}  // namespace
}  // namespace volq
