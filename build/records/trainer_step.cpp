#include "build/records/trainer_step.h"

#include "build/records/new_file.h"
#include "build/records/results_tally.h"
#include "common/data_dir_catalogue.h"

namespace volq {

std::string TrainerBreederOwnerStep(StepContext& ctx) {
  BeginStep(ctx, BuildStep::TrainerBreederOwner);
  BuildNewFile(ctx, ChNewFileSpec());
  WriteResultsTally(ctx, ReadBackNewFile(ctx, ChNewFileSpec()).get(), kTrainerTallyFile,
                    TrainerTallyLayout());
  BuildNewFile(ctx, BrNewFileSpec());
  WriteSmallTally(ctx, ReadBackNewFile(ctx, BrNewFileSpec()).get(), kBreederTallyFile,
                  BreederTallyLayout());
  BuildNewFile(ctx, BnNewFileSpec());
  WriteSmallTally(ctx, ReadBackNewFile(ctx, BnNewFileSpec()).get(), kOwnerTallyFile,
                  OwnerTallyLayout());
  return EndMessage("CH(調教師） 終わり", ctx.RecordCount);
}

}  // namespace volq
