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
          ex = std::make_unique<RecordFile>(dir.EntityPath("UMAGOTOEXSETUP", h, "EX.dat"),
                                            kUmaExLength);
        })) {
      ctx.RecordCount = 0;
      continue;
    }
    ctx.RecordCount = ex->Count();
    for (int32_t k = 1; k <= ctx.RecordCount; ++k) {
      const std::string rec = ex->Read(k);
      if (FieldAt(rec, 679, 2) != "01") continue;
      std::string race;
      race.append(FieldAt(rec, 11, 4)).append(FieldAt(rec, 19, 8));
      rows.push_back(
          {std::move(race), std::string(FieldAt(rec, 679, 2)), std::string(FieldAt(rec, 689, 3))});
    }
  }
  return rows;
}

std::string MarginStep(StepContext& ctx) {
  ReadWinnerMargins(ctx);
  return "";
}

}  // namespace volq
