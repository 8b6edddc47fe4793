#include "build/entities/entity_files.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <unordered_map>

#include "build/records/new_file.h"
#include "build/step/step_inputs.h"
#include "common/data_dir_catalogue.h"
#include "common/text_map.h"
#include "platform/base/ascii_case.h"
#include "platform/fs/record_file.h"
#include "platform/fs/text_list.h"

namespace volq {

namespace {

constexpr Slice kCreationDate = LayoutField(record_parts::kHeader, "creation_date");

// One entity file being built: the input record numbers it holds, in file order.
struct EntityFile {
  std::filesystem::path path;
  std::vector<int32_t> records;
  // Position of the next stored record with the same comparison part, -1 at the end.
  std::vector<int32_t> same_part_next;
};

// The listed entities' files. A second listing of an entity writes every
// record a second time over itself, which changes nothing, so it is folded
// into the first.
struct ListedFiles {
  std::vector<EntityFile> files;
  TextMap<int32_t> file_of_entity;  // list entry -> its file
};

ListedFiles ReadListedFiles(StepContext& ctx, const EntityFilesSpec& spec) {
  ListedFiles listed;
  std::unordered_map<std::string, int32_t> file_of_name;
  const std::vector<std::string> items = ReadKeyList(ctx, spec.list_file);
  const auto n = static_cast<int64_t>(items.size());
  for (int64_t e = 0; e < n; ++e) {
    const std::string& id = items[e];
    if (spec.yield_per_list_entry) ctx.frame.Yield(e + 1, n);
    if (listed.file_of_entity.contains(id)) continue;
    std::filesystem::path path;
    if (!ctx.frame.Do("entity file name", [&] { path = ctx.dir.EntityPath(spec.folder, id); })) {
      continue;
    }
    const auto slot = static_cast<int32_t>(listed.files.size());
    // Names that differ only in ASCII case name one file on the system the
    // data directory comes from, so such list entries share one entity file.
    auto [it, fresh] = file_of_name.emplace(AsciiLower(id), slot);
    if (fresh) listed.files.push_back({std::move(path), {}, {}});
    listed.file_of_entity.emplace(id, it->second);
  }
  return listed;
}

// The NEW file, only read: mapped in place rather than copied, a trailing
// partial record padded. One that cannot be opened has no records.
class EntityInput {
 public:
  EntityInput(StepContext& ctx, const EntityFilesSpec& spec)
      : input_(OpenNewRecords(ctx, spec.input_file, spec.record_length,
                              RecordTypeOf(spec.input_file))) {}
  int32_t Count() const { return input_ ? input_->Count() : 0; }
  std::string_view Record(int32_t r) const { return input_->View(r); }

 private:
  std::unique_ptr<FramedRecords> input_;
};

// Each record into its listed entity's file by the replace-or-append rule.
//
// The comparison index: the key (the file's number followed by the
// comparison part) of every record that found its entity, back to back in
// one buffer, and for each key the position of its first stored record.
// Further stored records of the part are chained from there in file order.
void PlaceRecords(StepFrame& frame, const EntityFilesSpec& spec, const EntityInput& input,
                  ListedFiles& listed) {
  const int32_t m = input.Count();
  auto stored_not_newer = [&](int32_t stored, std::string_view date) {
    // A date that is not a whole number fails the test, which then counts as
    // passed: the record replaces that stored one.
    return frame.If("creation date", [&] {
      return ToNumber(kCreationDate.Of(input.Record(stored))) <= ToNumber(date);
    });
  };
  size_t width = sizeof(int32_t);
  for (const Slice& s : spec.compare) width += s.length;
  std::string keys(width * (static_cast<size_t>(m) + 1), ' ');
  std::unordered_map<std::string_view, int32_t> first_stored;
  for (int32_t r = 1; r <= m; ++r) {
    const std::string_view rec = input.Record(r);
    auto hit = listed.file_of_entity.find(spec.entity.Of(rec));
    if (hit != listed.file_of_entity.end()) {
      EntityFile& file = listed.files[hit->second];
      char* key = keys.data() + width * r;
      std::memcpy(key, &hit->second, sizeof hit->second);
      size_t at = sizeof hit->second;
      for (const Slice& s : spec.compare) {
        s.Of(rec).copy(key + at, s.length);
        at += s.length;
      }
      int32_t& first = first_stored.try_emplace(std::string_view(key, width), -1).first->second;
      // The first stored record of the part not newer than this one is
      // replaced; without one the record is appended.
      const std::string_view date = kCreationDate.Of(rec);
      int32_t t = first, last = -1;
      while (t >= 0 && !stored_not_newer(file.records[t], date))
        last = t, t = file.same_part_next[t];
      if (t >= 0) {
        file.records[t] = r;
      } else {
        const auto pos = static_cast<int32_t>(file.records.size());
        file.records.push_back(r);
        file.same_part_next.push_back(-1);
        (last >= 0 ? file.same_part_next[last] : first) = pos;
      }
    }
    frame.Yield(r, m);
  }
}

// Every listed entity's file ends holding exactly its records (0 bytes for
// one without); files of unlisted entities are not touched.
void WriteEntityFiles(StepContext& ctx, const EntityInput& input,
                      const std::vector<EntityFile>& files) {
  std::string bytes;
  const auto n = static_cast<int64_t>(files.size());
  for (int64_t i = 0; i < n; ++i) {
    const EntityFile& file = files[i];
    bytes.clear();
    for (int32_t r : file.records) bytes += input.Record(r);
    ctx.frame.Do("write", [&] { WriteWholeFile(file.path, bytes, Rewrite::FromFirstChange); });
    ctx.frame.Yield(i + 1, n);
  }
}

}  // namespace

std::string BuildEntityFiles(StepContext& ctx, const EntityFilesSpec& spec) {
  BeginStep(ctx, spec.step);
  ListedFiles listed = ReadListedFiles(ctx, spec);
  const EntityInput input(ctx, spec);
  PlaceRecords(ctx.frame, spec, input, listed);
  WriteEntityFiles(ctx, input, listed.files);
  return EndMessage(spec.label, input.Count());
}

const EntityFilesSpec& HorseEntryFilesSpec() {
  static const EntityFilesSpec s{BuildStep::HorseEntryFiles,
                                 kHorseList,
                                 kSeNewFile,
                                 kRaceEntryLength,
                                 RaceEntryField("pedigree_number"),
                                 kHorseEntryFolder,
                                 RaceEntryKey(RaceEntryField("pedigree_number")),
                                 "SE/UM 終わり",
                                 true};
  return s;
}

const EntityFilesSpec& JockeyEntryFilesSpec() {
  static const EntityFilesSpec s{BuildStep::JockeyEntryFiles,
                                 kJockeyList,
                                 kSeNewFile,
                                 kRaceEntryLength,
                                 RaceEntryField("jockey_code"),
                                 kJockeyEntryFolder,
                                 RaceEntryKey(RaceEntryField("jockey_code")),
                                 "SE/KS 終わり",
                                 true};
  return s;
}

const EntityFilesSpec& DamOffspringFilesSpec() {
  static const EntityFilesSpec s{BuildStep::DamOffspringFiles,
                                 kDamList,
                                 kSkNewFile,
                                 kOffspringLength,
                                 OffspringField("ancestor[1]"),  // the dam
                                 kDamOffspringFolder,
                                 {OffspringField("pedigree_number")},
                                 "SK/HN 終わり",
                                 false};
  return s;
}

std::string HorseEntryFilesStep(StepContext& ctx) {
  return BuildEntityFiles(ctx, HorseEntryFilesSpec());
}
std::string JockeyEntryFilesStep(StepContext& ctx) {
  return BuildEntityFiles(ctx, JockeyEntryFilesSpec());
}
std::string DamOffspringFilesStep(StepContext& ctx) {
  return BuildEntityFiles(ctx, DamOffspringFilesSpec());
}

}  // namespace volq
