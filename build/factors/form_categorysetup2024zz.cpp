#include "build/factors/form_categorysetup2024zz.h"

#include "build/step/step_runner.h"
#include "platform/text/cp932.h"

namespace volq {

FormCATEGORYSETUP2024ZZ::FormCATEGORYSETUP2024ZZ(DataDir& dir)
    : Window("FormCATEGORYSETUP2024ZZ", Cp932("CATEGORYSETUP20180101SETUPC")), Factors(dir) {
  Frame1.Caption = Cp932("コース選択");
  Option1.Caption = Cp932("芝");
  Option2.Caption = Cp932("ダート");
  Option3.Caption = Cp932("障害");
  Label1.Caption = Cp932("抽出期間(例　200101->201401）から");
  Command1.Caption = Cp932("抽出");
  Command2.Caption = Cp932("芝因子設定");
  Command3.Caption = Cp932("ダ因子設定");
  Command4.Caption = Cp932("障因子設定");
  Command5.Caption = Cp932("芝カテゴリー化");
  Command6.Caption = Cp932("ダカテゴリー化");
  Command7.Caption = Cp932("障カテゴリー化");
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

void FormCATEGORYSETUP2024ZZ::RunStep(const std::string& button,
                                      const std::function<std::string(StepFrame&)>& step) {
  // The window's steps keep their counts in the frame of the window itself.
  int32_t unused_count = 0;
  RunWindowStep(*this, Factors.dir(), unused_count, button,
                [&step](StepContext& ctx) { return step(ctx.frame); });
}

}  // namespace volq
