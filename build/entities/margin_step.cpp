#include "build/entities/margin_step.h"

#include <memory>

#include "build/step/step_inputs.h"
#include "common/records.h"
#include "platform/fs/record_file.h"
#include "platform/fs/text_list.h"

namespace volq {

namespace {
constexpr const char* kRecentList = "KETTONUM20180101Q.dat";
}  // namespace

std::vector<WinnerMargin> ReadWinnerMargins(StepContext& ctx) {
  StepFrame& frame = ctx.frame;
  DataDir& dir = ctx.dir;
  std::vector<WinnerMargin> rows;
  const std::vector<std::string> horses = ReadKeyList(ctx, kRecentList);
  for (const std::string& h : horses) {
    std::unique_ptr<RecordFile> ex;
    if (!frame.Do("open", [&] {
          ex = std::make_unique<RecordFile>(dir.EntityPath(kUmaExFolder, h, kUmaExSuffix),
                                            kUmaExLength);
        })) {
      ctx.RecordCount = 0;
      continue;
    }
    ctx.RecordCount = ex->Count();
    constexpr Slice kArrival = UmaEx("arrival_order"), kYear = UmaEx("race.year"),
                    kMargin = UmaEx("margin[0]");
    // Racecourse, meeting, day and race number.
    constexpr Slice kRaceAtVenue = LayoutSpan(kUmaExTable, "race.venue", "race.race_number");
    for (int32_t k = 1; k <= ctx.RecordCount; ++k) {
      const std::string rec = ex->Read(k);
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
  ReadWinnerMargins(ctx);
  return "";
}

}  // namespace volq
