#include "build/records/trainer_step.h"

#include "build/records/new_file.h"
#include "build/records/results_tally.h"

namespace volq {

std::string TrainerBreederOwnerStep(StepContext& ctx) {
  BeginStep(ctx, {{"CH20180101.dat", "BR20180101.dat", "BN20180101.dat"},
                  {},
                  {"CH20180101NEW.dat", kTrainerTallyFile, "BR20180101NEW.dat", kBreederTallyFile,
                   "BN20180101NEW.dat", kOwnerTallyFile}});
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
