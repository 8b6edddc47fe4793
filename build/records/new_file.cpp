#include "build/records/new_file.h"

#include <memory>

#include "build/step/quick_sort.h"
#include "build/step/step_inputs.h"
#include "common/data_dir_catalogue.h"
#include "common/records.h"
#include "platform/fs/record_file.h"

namespace volq {

std::unique_ptr<FramedRecords> ReadBackNewFile(StepContext& ctx, const NewFileSpec& spec) {
  // The step has just written it: without it, a refused write would turn
  // into empty lists and tallies written over good ones.
  if (!ctx.dir.Exists(spec.new_file)) {
    StopStep("missing " + std::string(spec.new_file) + " after writing it");
  }
  std::unique_ptr<FramedRecords> f =
      OpenNewRecords(ctx, spec.new_file, spec.record_length, RecordTypeOf(spec.new_file));
  ctx.RecordCount = f ? f->Count() : 0;
  return f;
}

NewFileResult BuildNewFile(StepContext& ctx, const NewFileSpec& spec) {
  StepFrame& frame = ctx.frame;
  NewFileResult result;
  const std::unique_ptr<FramedRecords> raw =
      OpenNewRecords(ctx, spec.raw_file, spec.record_length, RecordTypeOf(spec.raw_file));
  int32_t n = raw ? raw->Count() : 0;
  ctx.RecordCount = n;
  result.raw_count = n;

  // Keys are fixed-width views into one buffer, so the sort swaps views.
  size_t width = 0;
  for (const Slice& s : spec.key) width += s.length;
  std::string key_bytes(width * (static_cast<size_t>(n) + 1), ' ');
  std::vector<std::string_view> keys(static_cast<size_t>(n) + 1);
  std::vector<int32_t> numbers(static_cast<size_t>(n) + 1, 0);
  for (int32_t k = 1; k <= n; ++k) {
    std::string_view rec = raw->View(k);
    char* dst = key_bytes.data() + width * k;
    for (const Slice& s : spec.key) {
      std::string_view f = s.Of(rec);
      f.copy(dst, f.size());
      dst += s.length;
    }
    keys[k] = std::string_view(key_bytes.data() + width * k, width);
    numbers[k] = k;
  }

  if (spec.order == NewFileSpec::Order::Ascending) {
    QuickSortAsc(keys, numbers, 1, ctx.RecordCount);
  } else {
    QuickSortDesc(keys, numbers, 1, ctx.RecordCount);
  }

  std::filesystem::path new_path = ctx.dir.Path(spec.new_file);
  // Written beside the former NEW file, which it replaces once complete.
  std::unique_ptr<RecordAppender> out;
  frame.Do("open", [&] { out = std::make_unique<RecordAppender>(new_path, spec.record_length); });

  size_t run = spec.run_width > 0 ? static_cast<size_t>(spec.run_width) : width;
  // Position 0 holds no key and differs from every key.
  auto differs = [&](int32_t a, int32_t b) {
    if (a == 0 || b == 0) return true;
    return keys[a].substr(0, run) != keys[b].substr(0, run);
  };
  auto take = [&](int32_t recno) {
    frame.Do("write", [&] {
      std::string_view rec = raw->View(recno);
      std::string_view kind = LayoutField(record_parts::kHeader, "data_kind").Of(rec);
      if (!spec.kept_kinds.empty() &&
          (kind.empty() || spec.kept_kinds.find(kind[0]) == std::string::npos)) {
        return;
      }
      if (!out) FailFile("cannot open " + std::string(spec.new_file));
      out->Append(rec);
      ++result.written;
    });
  };
  if (spec.survivor == NewFileSpec::Survivor::FirstOfRun) {
    for (int32_t i = 0; i <= n - 1; ++i) {
      if (differs(i, i + 1)) take(numbers[i + 1]);
    }
  } else {
    for (int32_t i = 1; i <= n; ++i) {
      if (i == n || differs(i, i + 1)) take(numbers[i]);
    }
  }
  if (out) frame.Do("close", [&] { out->Close(); });
  return result;
}

const NewFileSpec& RaNewFileSpec() {
  static const NewFileSpec s{kRaRawFile,
                             kRaNewFile,
                             kRaceLength,
                             {RaceField("race.year"), RaceField("race.month_day"),
                              RaceField("race.venue"), RaceField("race.race_number")},
                             NewFileSpec::Order::Ascending,
                             0,
                             NewFileSpec::Survivor::FirstOfRun,
                             "7BA"};
  return s;
}

std::vector<Slice> RaceEntryKey(Slice entity_field) {
  return {RaceEntryField("race.year"), RaceEntryField("race.month_day"),
          RaceEntryField("race.race_number"), RaceEntryField("horse_number"), entity_field};
}

const NewFileSpec& SeNewFileSpec() {
  static const NewFileSpec s{kSeRawFile,
                             kSeNewFile,
                             kRaceEntryLength,
                             RaceEntryKey(RaceEntryField("pedigree_number")),
                             NewFileSpec::Order::Ascending,
                             0,
                             NewFileSpec::Survivor::LastOfRun,
                             "7BA"};
  return s;
}

// Records keyed by their code followed by the creation date, sorted
// descending: the first record of a run is the newest of its code.
static NewFileSpec NewestOfCode(std::string_view raw, std::string_view out, int length, Slice code,
                                int run_width, const char* kinds) {
  return {raw,
          out,
          length,
          {code, LayoutField(record_parts::kHeader, "creation_date")},
          NewFileSpec::Order::Descending,
          run_width,
          NewFileSpec::Survivor::FirstOfRun,
          kinds};
}

const NewFileSpec& KsNewFileSpec() {
  static const NewFileSpec s =
      NewestOfCode(kKsRawFile, kKsNewFile, kJockeyLength, JockeyField("jockey_code"), 5, "12");
  return s;
}

const NewFileSpec& ChNewFileSpec() {
  static const NewFileSpec s =
      NewestOfCode(kChRawFile, kChNewFile, kTrainerLength, TrainerField("trainer_code"), 5, "12");
  return s;
}

// Breeder codes that share their first 6 characters are one breeder; the
// tally is keyed by that prefix.
const NewFileSpec& BrNewFileSpec() {
  static const NewFileSpec s =
      NewestOfCode(kBrRawFile, kBrNewFile, kBreederLength, BreederField("breeder_code"), 6, "");
  return s;
}

const NewFileSpec& BnNewFileSpec() {
  static const NewFileSpec s =
      NewestOfCode(kBnRawFile, kBnNewFile, kOwnerLength, OwnerField("owner_code"), 6, "");
  return s;
}

std::string RaceStep(StepContext& ctx) {
  BeginStep(ctx, BuildStep::Race);
  BuildNewFile(ctx, RaNewFileSpec());
  return EndMessage("RA 終わり", ctx.RecordCount);
}

std::string RaceEntryStep(StepContext& ctx) {
  BeginStep(ctx, BuildStep::RaceEntry);
  BuildNewFile(ctx, SeNewFileSpec());
  return EndMessage("SE 終わり", ctx.RecordCount);
}

}  // namespace volq
