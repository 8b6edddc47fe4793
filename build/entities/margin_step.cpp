#include "build/entities/margin_step.h"

#include <memory>

#include "build/step/step_inputs.h"
#include "common/data_dir_catalogue.h"
#include "common/records.h"
#include "platform/fs/record_file.h"
#include "platform/fs/text_list.h"

namespace volq {

std::vector<WinnerMargin> ReadWinnerMargins(StepContext& ctx) {
  StepFrame& frame = ctx.frame;
  DataDir& dir = ctx.dir;
  std::vector<WinnerMargin> rows;
  const std::vector<std::string> horses = ReadKeyList(ctx, kRecentHorseList);
  for (const std::string& h : horses) {
    ctx.RecordCount = 0;
    std::filesystem::path ex_path;
    if (!frame.Do("open", [&] { ex_path = dir.EntityPath(kUmaExFolder, h, kUmaExSuffix); })) {
      continue;
    }
    // A horse without an EX file has no records; the file is not created.
    const std::unique_ptr<RecordImage> ex = OpenEntityRecords(ctx, ex_path, kUmaExLength, "open");
    if (!ex) continue;
    ctx.RecordCount = ex->Count();
    constexpr Slice kArrival = UmaEx("arrival_order"), kYear = UmaEx("race.year"),
                    kMargin = UmaEx("margin[0]");
    // Racecourse, meeting, day and race number.
    constexpr Slice kRaceAtVenue = LayoutSpan(kUmaExTable, "race.venue", "race.race_number");
    for (int32_t k = 1; k <= ctx.RecordCount; ++k) {
      const std::string_view rec = ex->View(k);
      if (kArrival.Of(rec) != "01") continue;
      std::string race;
      race.append(kYear.Of(rec)).append(kRaceAtVenue.Of(rec));
      rows.push_back(
          {std::move(race), std::string(kArrival.Of(rec)), std::string(kMargin.Of(rec))});
    }
  }
  return rows;
}

std::string MarginStep(StepContext& ctx) {
  BeginStep(ctx, BuildStep::Margin);
  ReadWinnerMargins(ctx);
  return "";
}

}  // namespace volq
