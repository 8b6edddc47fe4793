#include "build/records/jockey_step.h"

#include "build/records/new_file.h"
#include "build/records/results_tally.h"
#include "common/data_dir_catalogue.h"
#include "platform/fs/text_list.h"

namespace volq {

namespace {

// One quoted jockey code per line, written through one open list.
void WriteJockeyList(StepContext& ctx, const FramedRecords* jockeys) {
  const Slice code = JockeyTallyLayout().code;
  ctx.frame.Do("write", [&] {
    TextListWriter list(ctx.dir.Path(kJockeyList));
    int32_t n = jockeys ? jockeys->Count() : 0;
    for (int32_t k = 1; k <= n; ++k) {
      list.String(code.Of(jockeys->View(k)));
      list.EndLine();
    }
    list.Close();
  });
}

}  // namespace

std::string JockeyStep(StepContext& ctx) {
  BeginStep(ctx, BuildStep::Jockey);
  BuildNewFile(ctx, KsNewFileSpec());
  std::unique_ptr<FramedRecords> jockeys = ReadBackNewFile(ctx, KsNewFileSpec());
  WriteJockeyList(ctx, jockeys.get());
  WriteResultsTally(ctx, jockeys.get(), kJockeyTallyFile, JockeyTallyLayout());
  return EndMessage("KS(騎手） 終わり", ctx.RecordCount);
}

}  // namespace volq
