#include "build/records/horse_step.h"

#include <memory>

#include "build/records/sanku_stat.h"
#include "common/data_dir_catalogue.h"
#include "common/record_layout.h"
#include "common/records.h"
#include "platform/fs/number_text.h"
#include "platform/fs/record_file.h"
#include "platform/fs/text_list.h"

namespace volq {

const NewFileSpec& UmNewFileSpec() {
  static const NewFileSpec s{kUmRawFile,
                             kUmNewFile,
                             kHorseLength,
                             {HorseField("pedigree_number")},
                             NewFileSpec::Order::Ascending,
                             0,
                             NewFileSpec::Survivor::FirstOfRun,
                             "12349"};
  return s;
}

namespace {

// A list written through one open file; a list that cannot be opened loses
// its lines (the failed open is reported once), and a line that cannot be
// written (a full disk) is lost and reported while the step goes on.
struct ListOut {
  ListOut(StepContext& ctx, std::string_view name)
      : frame(ctx.frame), write("write " + std::string(name)) {
    frame.Do("open list", [&] { w = std::make_unique<TextListWriter>(ctx.dir.Path(name)); });
  }
  template <class Items>
  void Line(Items&& items) {
    if (w) frame.Do(write, [&] { items(*w).EndLine(); });
  }
  void Close() {
    if (w) frame.Do(write, [&] { w->Close(); });
  }
  StepFrame& frame;
  std::string write;
  std::unique_ptr<TextListWriter> w;
};

}  // namespace

std::string HorseStep(StepContext& ctx) {
  StepFrame& frame = ctx.frame;
  DataDir& dir = ctx.dir;
  BeginStep(ctx, BuildStep::Horse);
  BuildNewFile(ctx, UmNewFileSpec());

  const std::unique_ptr<FramedRecords> um = ReadBackNewFile(ctx, UmNewFileSpec());
  const int32_t m = ctx.RecordCount;

  const Slice pedigree_field = HorseField("pedigree_number");
  const Slice flag_field = HorseField("deregistration_flag");
  const Slice races_field = HorseField("registered_races");

  ListOut ketto(ctx, kHorseList);
  // Every horse is listed: nothing reads this list in a way that needs a bound
  // on its length, and a bound would drop horses without a word.
  ListOut massho(ctx, kRetiredHorseList);

  std::filesystem::path kyosoba_path = dir.Path(kKyosobaFile);
  std::string kyosoba;
  kyosoba.reserve(static_cast<size_t>(m) * kKyosobaLength);

  for (int32_t i = 1; i <= m; ++i) {
    const std::string_view rec = um->View(i);
    const std::string_view pedigree = pedigree_field.Of(rec);
    const std::string_view flag = flag_field.Of(rec);
    const std::string_view races = races_field.Of(rec);

    // Current horses: not a deregistered horse that never ran, and born (by
    // the year in its pedigree number) in 2010 or later.
    if (flag == "1" && races == "000") {
      frame.Yield(i, m);
    } else {
      // The first four characters read as a decimal number ("20.1" is 20.1,
      // below 2010). Only a text that is no number at all fails the test, so
      // its branch runs: the horse is listed.
      bool listed = true;
      if (NumberText year; ScanNumber(pedigree.substr(0, 4), year)) {
        listed = ValueOf(year) >= 2010;
      } else {
        const std::string quoted = "'" + std::string(pedigree) + "'";
        frame.Skipped("year of pedigree number", "does not begin with a year; listed", quoted,
                      quoted + " does not begin with a year; listed");
      }
      if (listed)
        ketto.Line([&](TextListWriter& w) -> TextListWriter& { return w.String(pedigree); });
    }
    massho.Line([&](TextListWriter& w) -> TextListWriter& {
      return w.String(pedigree).String(std::string(flag) + std::string(races));
    });

    // The 174 numbers come from the record itself, so a block file that
    // cannot be written never changes the horse's placing record. Both files
    // are written from their first changed byte: a rerun on the same horses
    // leaves them, and their times, as they are.
    SankuStat st = SankuStatBlock(rec);
    std::filesystem::path count_path, number_path;
    if (frame.Do("horse file name", [&] {
          count_path = dir.EntityPath(kHorseCountFolder, pedigree);
          number_path = dir.EntityPath(kHorseNumberFolder, pedigree);
        })) {
      frame.Do("write " + std::string(kHorseCountFolder) + " file",
               [&] { WriteWholeFile(count_path, st.text, Rewrite::FromFirstChange); });
      frame.Do("write " + std::string(kHorseNumberFolder) + " file", [&] {
        WriteWholeFile(number_path, SankuNumberText(st.values), Rewrite::FromFirstChange);
      });
    }
    kyosoba += KyosobaRecord(rec, st.values);
  }
  ketto.Close();
  massho.Close();
  // Named without its folder, as the reports have always named it.
  const std::string_view kyosoba_name = kKyosobaFile.substr(kOptionFolder.size() + 1);
  frame.WriteAnew("write " + std::string(kyosoba_name), dir, kyosoba_path, kyosoba);

  return EndMessage("UM 終わり", 0) + CountText(m);
}

}  // namespace volq
