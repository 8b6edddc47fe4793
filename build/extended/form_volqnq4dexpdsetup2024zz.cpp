#include "build/extended/form_volqnq4dexpdsetup2024zz.h"

#include "build/extended/ex_build.h"
#include "build/extended/ex_viewer.h"
#include "build/extended/kijun_time.h"
#include "build/step/step_inputs.h"
#include "build/step/step_runner.h"
#include "common/data_dir_catalogue.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/text_list.h"
#include "platform/text/cp932.h"

namespace volq {

FormVOLQNQ4DEXPDSETUP2024ZZ::FormVOLQNQ4DEXPDSETUP2024ZZ(DataDir& dir)
    : Window(std::string(kExtendedWindow), Cp932("VOLQNQ4DEXPDSETUP2024")), dir_(dir) {
  Command1.Caption = Cp932(ButtonOf(BuildStep::ExBuild).caption);
  Command2.Caption = Cp932(ButtonOf(BuildStep::StandardTimes).caption);
  EXPFG.SetRows(kViewerRows);
  EXPFG.FixedRows = 1;
  EXPFG.FixedCols = 1;
  EXPFG.SetCols(1);
  Command1.OnClick = [this] { Command1_Click(); };
  Command2.OnClick = [this] { Command2_Click(); };
  List1.OnClick = [this] { List1_Click(); };
  List1.FilledBy = Cp932(ButtonShown(ButtonOf(BuildStep::StandardTimes)));
}

std::string FormVOLQNQ4DEXPDSETUP2024ZZ::Guide() const {
  return Cp932("press " + ButtonOrder(kExtendedWindow) +
               " in this order, then pick List1 N to show the N-th horse's extended records "
               "in EXPFG.");
}

void FormVOLQNQ4DEXPDSETUP2024ZZ::Form_Load() {
  // Without the market-sale file the window still opens, every horse then
  // unsold; say so. The load never creates the file.
  StepFrame frame;
  frame.window = name();
  if (!dir_.Exists(kMarketSaleFile)) {
    ReportMissingInput(frame, kMarketSaleFile);
  } else {
    market_sales_unread_ = !frame.Do("load " + std::string(kMarketSaleFile), [&] {
      for (const std::string& line : ReadLines(dir_.Path(kMarketSaleFile))) {
        market_sales_.push_back(MarketSaleRowOf(line));
      }
    });
  }
  if (!frame.clean()) ReportFailures(frame.Report());
}

void FormVOLQNQ4DEXPDSETUP2024ZZ::Command1_Click() {
  RunWindowStep(*this, dir_, RecordCount, Command1.name(), [this](StepContext& ctx) {
    // The sales it consults were read as the window opened: an unreadable
    // file would leave every horse unsold.
    if (market_sales_unread_) StopOnUnreadAtLoad("cannot read " + std::string(kMarketSaleFile));
    return ExtendedRecordBuild(ctx, market_sales_);
  });
}

void FormVOLQNQ4DEXPDSETUP2024ZZ::Command2_Click() {
  const std::vector<std::string> failed =
      RunWindowStep(*this, dir_, RecordCount, Command2.name(), [this](StepContext& ctx) {
        return KijunTimeStep(ctx, [this](std::string entry) { List1.AddItem(std::move(entry)); });
      });
  // A pick on the list this press left empty says why, instead of asking
  // for the press just made: what stopped the step, or that it found no
  // horse to list.
  List1.EmptyBecause.clear();
  if (List1.ListCount() != 0) return;
  const std::string pressed = ButtonShown(ButtonOf(BuildStep::StandardTimes));
  if (failed.empty()) {
    List1.EmptyBecause = Cp932(pressed + " found no horse in " + std::string(kRecentHorseList) +
                               " to list; " + WriteItFirst(kRecentHorseList, kExtendedWindow) +
                               ", then press " + pressed + " again");
    return;
  }
  // The step's own stop names the cause; lines of what it skipped before
  // come first otherwise.
  std::string cause = failed.front();
  for (const std::string& line : failed) {
    if (line.starts_with("step stopped") || line.starts_with("step refused")) {
      cause = line;
      break;
    }
  }
  List1.EmptyBecause =
      TryCp932(pressed + " failed (" + cause + "); once that is mended, press " + pressed +
               " again")
          .value_or(Cp932(pressed + " failed; once that is mended, press " + pressed + " again"));
}

void FormVOLQNQ4DEXPDSETUP2024ZZ::List1_Click() {
  try {
    ShowUmaExRecords(dir_, List1.Text(), EXPFG);
  } catch (const Failure& e) {
    // The grid keeps what it showed; the file could not be shown.
    ReportFailures({e.text()});
  }
}

}  // namespace volq
