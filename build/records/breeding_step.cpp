#include "build/records/breeding_step.h"

#include <memory>

#include "build/records/female_line.h"
#include "common/data_dir_catalogue.h"
#include "common/records.h"
#include "platform/fs/record_file.h"

namespace volq {

const NewFileSpec& HnNewFileSpec() {
  static const NewFileSpec s{kHnRawFile,
                             kHnNewFile,
                             kBreedingHorseLength,
                             {BreedingHorseField("breeding_number")},
                             NewFileSpec::Order::Ascending,
                             0,
                             NewFileSpec::Survivor::FirstOfRun,
                             "12"};
  return s;
}

std::string BreedingHorseStep(StepContext& ctx) {
  StepFrame& frame = ctx.frame;
  BeginStep(ctx, BuildStep::Breeding);
  BuildNewFile(ctx, HnNewFileSpec());

  // The mares come from the NEW file as written, in breeding-number order.
  std::unique_ptr<FramedRecords> hn = ReadBackNewFile(ctx, HnNewFileSpec());
  const int32_t n = ctx.RecordCount;

  FemaleLineTable table;
  const Slice sex = BreedingHorseField("sex");
  for (int32_t i = 1; i <= n; ++i) {
    std::string_view rec = hn->View(i);
    if (sex.Of(rec) == "2") table.AddMare(rec);
  }
  hn.reset();
  table.RunPasses();

  frame.Do("write", [&] { WriteFemaleLineList(table, ctx.dir.Path(kFemaleLineList)); });
  return EndMessage("HN 終わり", n) + " " + std::to_string(table.rows());
}

}  // namespace volq
