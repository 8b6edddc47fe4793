#include "build/entities/offspring_step.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include "build/entities/parent_summary.h"
#include "build/records/sanku_stat.h"
#include "build/step/step_inputs.h"
#include "common/data_dir_catalogue.h"
#include "common/record_layout.h"
#include "platform/fs/record_file.h"
#include "platform/fs/text_list.h"

namespace volq {

const NewFileSpec& SkNewFileSpec() {
  static const NewFileSpec s{kSkRawFile,
                             kSkNewFile,
                             kOffspringLength,
                             {OffspringField("pedigree_number")},
                             NewFileSpec::Order::Ascending,
                             0,
                             NewFileSpec::Survivor::FirstOfRun,
                             "12"};
  return s;
}

namespace {

// What tells the dam run from the sire run.
struct ParentSide {
  BuildStep step;
  bool sire;
  const char* label;
  Slice horse_parent;  // in the horse record
  std::string_view list;
  std::string_view block_folder;
  std::string_view total_folder;
  std::string_view summary;
};

const ParentSide kDam{BuildStep::DamOffspring,
                      false,
                      "SK母 終わり",
                      HorseField("ancestor[1].breeding_number"),
                      kDamList,
                      kDamBlockFolder,
                      kDamTotalFolder,
                      kMareFile};
const ParentSide kSire{BuildStep::SireOffspring,
                       true,
                       "SK父 終わり",
                       HorseField("ancestor[0].breeding_number"),
                       kSireList,
                       kSireBlockFolder,
                       kSireTotalFolder,
                       kStallionFile};

// Every distinct number once, in ascending character order.
std::vector<std::string> Distinct(std::vector<std::string> numbers) {
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

void WriteList(StepContext& ctx, std::string_view name, const std::vector<std::string>& numbers) {
  ctx.frame.Do("write list", [&] {
    TextListWriter w(ctx.dir.Path(name));
    for (const std::string& n : numbers) w.String(n).EndLine();
    w.Close();
  });
}

// One parent's blocks in horse order and their totals, from zero.
struct ParentBlocks {
  std::string text;
  SankuValues totals{};
};

ParentBlocks Gather(const FramedRecords* um, const std::vector<int32_t>* horses) {
  ParentBlocks b;
  if (!um || !horses) return b;
  for (int32_t i : *horses) {
    SankuStat st = SankuStatBlock(um->View(i));
    b.text += st.text;
    for (int k = 0; k < kSankuValues; ++k) b.totals[k] += st.values[k];
  }
  return b;
}

// The parents of every raw offspring record, whatever its kind: the lists
// name every parent the offspring file knows.
struct RawParents {
  std::vector<std::string> dams, sires;
};

RawParents ReadRawParents(StepContext& ctx) {
  RawParents p;
  const std::unique_ptr<FramedRecords> raw =
      OpenNewRecords(ctx, kSkRawFile, kOffspringLength, "SK");
  const Slice sire_field = OffspringField("ancestor[0]");
  const Slice dam_field = OffspringField("ancestor[1]");
  const int32_t n = raw ? raw->Count() : 0;
  for (int32_t k = 1; k <= n; ++k) {
    const std::string_view rec = raw->View(k);
    p.sires.emplace_back(sire_field.Of(rec));
    p.dams.emplace_back(dam_field.Of(rec));
  }
  return p;
}

// The dam list always, the sire list in the sire run; the side's own list.
std::vector<std::string> WriteParentLists(StepContext& ctx, const ParentSide& side,
                                          RawParents raw) {
  std::vector<std::string> dam_list = Distinct(std::move(raw.dams));
  WriteList(ctx, kDam.list, dam_list);
  if (!side.sire) return dam_list;
  std::vector<std::string> sire_list = Distinct(std::move(raw.sires));
  WriteList(ctx, kSire.list, sire_list);
  return sire_list;
}

// The horses of each parent, in the order of the horse file.
using HorsesOfParent = std::unordered_map<std::string, std::vector<int32_t>>;

HorsesOfParent HorsesOf(const FramedRecords* um, const ParentSide& side) {
  HorsesOfParent horses_of;
  const int32_t m = um ? um->Count() : 0;
  for (int32_t i = 1; i <= m; ++i) {
    horses_of[std::string(side.horse_parent.Of(um->View(i)))].push_back(i);
  }
  return horses_of;
}

// Block and total files of one parent, each written once from its first
// changed byte (a rerun on the same horses leaves them, and their times, as
// they are). A number that is not a plain file name gets neither (reported
// once).
void WriteParentFiles(StepContext& ctx, const ParentSide& side, const std::string& number,
                      const ParentBlocks& b, bool with_totals) {
  std::filesystem::path block_path, total_path;
  if (!ctx.frame.Do("parent file name", [&] {
        block_path = ctx.dir.EntityPath(side.block_folder, number);
        if (with_totals) total_path = ctx.dir.EntityPath(side.total_folder, number);
      })) {
    return;
  }
  ctx.frame.Do("write block file",
               [&] { WriteWholeFile(block_path, b.text, Rewrite::FromFirstChange); });
  if (with_totals) {
    ctx.frame.Do("write total file", [&] {
      WriteWholeFile(total_path, SankuNumberText(b.totals), Rewrite::FromFirstChange);
    });
  }
}

// Every listed parent's files and summary record, in list order; the horses
// it takes leave the map.
std::string WriteListedParents(StepContext& ctx, const ParentSide& side,
                               const std::vector<std::string>& parents, const FramedRecords* um,
                               HorsesOfParent& horses_of) {
  std::string summary;
  summary.reserve(parents.size() * kMareStallionLength);
  for (size_t k = 0; k < parents.size(); ++k) {
    const std::string& number = parents[k];
    auto it = horses_of.find(number);
    ParentBlocks b = Gather(um, it == horses_of.end() ? nullptr : &it->second);
    if (it != horses_of.end()) horses_of.erase(it);
    WriteParentFiles(ctx, side, number, b, true);
    std::vector<std::string> beyond;
    summary += MareStallionRecord(number, b.totals, &beyond);
    for (const std::string& field : beyond) {
      const std::string where =
          std::string(side.summary) + " record " + std::to_string(k + 1) + " (" + number + ")";
      ctx.frame.Skipped("summary field too small, written as nines", "value beyond its field",
                        where, where + " " + field);
    }
  }
  return summary;
}

// Parents of horses that no offspring record names: their block files are
// written anew, as a first run leaves them, so reruns do not pile blocks up.
void WriteUnlistedParents(StepContext& ctx, const ParentSide& side, const FramedRecords* um,
                          HorsesOfParent& horses_of) {
  std::vector<std::string> unlisted;
  for (const auto& entry : horses_of) unlisted.push_back(entry.first);
  std::sort(unlisted.begin(), unlisted.end());
  for (const std::string& number : unlisted) {
    WriteParentFiles(ctx, side, number, Gather(um, &horses_of[number]), false);
  }
}

std::string OffspringStep(StepContext& ctx, const ParentSide& side) {
  BeginStep(ctx, side.step);
  const std::filesystem::path summary_path = ctx.dir.Path(side.summary);
  RawParents raw = ReadRawParents(ctx);
  BuildNewFile(ctx, SkNewFileSpec());
  const std::vector<std::string> parents = WriteParentLists(ctx, side, std::move(raw));

  const std::unique_ptr<FramedRecords> um = OpenNewRecords(ctx, kUmNewFile, kHorseLength, "UM");
  ctx.RecordCount = um ? um->Count() : 0;
  HorsesOfParent horses_of = HorsesOf(um.get(), side);

  const std::string summary = WriteListedParents(ctx, side, parents, um.get(), horses_of);
  WriteUnlistedParents(ctx, side, um.get(), horses_of);
  ctx.frame.WriteAnew("write summary file", ctx.dir, summary_path, summary);
  return EndMessage(side.label, ctx.RecordCount);
}

}  // namespace

std::string DamOffspringStep(StepContext& ctx) { return OffspringStep(ctx, kDam); }
std::string SireOffspringStep(StepContext& ctx) { return OffspringStep(ctx, kSire); }

}  // namespace volq
