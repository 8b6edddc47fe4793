#include "build/factors/form_categorysetup2024zz.h"

#include "build/step/step_runner.h"
#include "common/data_dir_catalogue.h"
#include "platform/text/cp932.h"

namespace volq {

FormCATEGORYSETUP2024ZZ::FormCATEGORYSETUP2024ZZ(DataDir& dir)
    : Window(std::string(kCategoryWindow), Cp932("CATEGORYSETUP20180101SETUPC")), Factors(dir) {
  Frame1.Caption = Cp932("コース選択");
  Label1.Caption = Cp932("抽出期間(例　200101->201401）から");
  Command1.Caption = Cp932(kExtractionCaption);
  // Each course type's option, factor build and categorisation as the
  // catalogue names them, so that a report's advice and the journal's
  // names name the controls the window has.
  for (const CourseKind& k : kCourseKinds) {
    dynamic_cast<OptionButton&>(Need(k.option)).Caption = Cp932(k.option_caption);
    dynamic_cast<CommandButton&>(Need(k.build)).Caption = Cp932(k.build_caption);
    dynamic_cast<CommandButton&>(Need(k.categorise)).Caption = Cp932(k.categorise_caption);
  }
  Command1.OnClick = [this] { Command1_Click(); };
  Command2.OnClick = [this] { Command2_Click(); };
  Command3.OnClick = [this] { Command3_Click(); };
  Command4.OnClick = [this] { Command4_Click(); };
  Command5.OnClick = [this] { Command5_Click(); };
  Command6.OnClick = [this] { Command6_Click(); };
  Command7.OnClick = [this] { Command7_Click(); };
  // A title row and 5700 category rows; row 0 and column 0 fixed.
  ItemCategoryFG.SetRows(5701);
  ItemCategoryFG.SetCols(61);
}

std::string FormCATEGORYSETUP2024ZZ::Guide() const {
  const CommandButton* categorise[] = {&Command5, &Command6, &Command7};
  std::string guide =
      "per course type, type Text1 201801 (the start month; type it again before "
      "each " +
      std::string(kExtractionCaption) +
      ": Text1 is the status line "
      "too), then press";
  for (size_t i = 0; i < std::size(kCourseKinds); ++i) {
    const CourseKind& k = kCourseKinds[i];
    guide += std::string(i == 0 ? " " : "; or ") + std::string(k.option) + " (" +
             std::string(k.option_caption) + "), " + std::string(kExtractionButton) + " (" +
             std::string(kExtractionCaption) + "), " + std::string(k.build) + " (" +
             std::string(k.build_caption) + ") and " + categorise[i]->name() + " (" +
             ToUtf8(categorise[i]->Caption) + ")";
  }
  return Cp932(guide + ".");
}

void FormCATEGORYSETUP2024ZZ::RunStep(const std::string& button,
                                      const std::function<std::string(StepFrame&)>& step) {
  // The window's steps keep their counts in the frame of the window itself.
  int32_t unused_count = 0;
  RunWindowStep(*this, Factors.dir(), unused_count, button,
                [&step](StepContext& ctx) { return step(ctx.frame); });
}

}  // namespace volq
