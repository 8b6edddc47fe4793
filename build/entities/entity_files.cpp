#include "build/entities/entity_files.h"

#include <cctype>
#include <filesystem>
#include <memory>
#include <unordered_map>

#include "build/entities/step_inputs.h"
#include "build/entities/text_map.h"
#include "platform/fs/record_file.h"
#include "platform/fs/text_list.h"

namespace volq {

namespace {

constexpr Slice kCreationDate{3, 8};

// One entity file being built: the input record numbers it holds, in file order.
struct EntityFile {
  std::filesystem::path path;
  std::vector<int32_t> records;
};

// Names that differ only in ASCII case name one file on the system the data
// directory comes from, so such list entries share one entity file.
std::string FoldedName(std::string_view id) {
  std::string s(id);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::string BuildEntityFiles(StepContext& ctx, const EntityFilesSpec& spec) {
  StepFrame& frame = ctx.frame;
  DataDir& dir = ctx.dir;

  // The list: each distinct entity gets one file; a second listing of an
  // entity writes every record a second time over itself, which changes
  // nothing, so it is folded into the first.
  const std::vector<std::string> items = ReadKeyList(ctx, spec.list_file);
  std::vector<EntityFile> files;
  TextMap<int32_t> file_of_entity;
  std::unordered_map<std::string, int32_t> file_of_name;
  for (size_t e = 0; e < items.size(); ++e) {
    const std::string& id = items[e];
    if (spec.yield_per_list_entry) frame.Yield(static_cast<int64_t>(e + 1), static_cast<int64_t>(items.size()));
    if (file_of_entity.contains(id)) continue;
    std::filesystem::path path;
    if (!frame.Do("entity file name", [&] { path = dir.EntityPath(spec.folder, id); })) continue;
    auto [it, fresh] = file_of_name.emplace(FoldedName(id), static_cast<int32_t>(files.size()));
    if (fresh) files.push_back({std::move(path), {}});
    file_of_entity.emplace(id, it->second);
  }

  std::unique_ptr<RecordFile> input;
  ReportIfMissing(ctx, spec.input_file);
  frame.Do("open", [&] {
    input = std::make_unique<RecordFile>(dir.Path(spec.input_file), spec.record_length);
  });
  const int32_t m = input ? input->Count() : 0;
  // A trailing partial record (a count rounded up) reads padded with blanks.
  std::string last_padded;
  if (m > 0 && input->View(m).size() < static_cast<size_t>(spec.record_length)) {
    last_padded = input->Read(m);
  }
  auto record = [&](int32_t r) -> std::string_view {
    return !last_padded.empty() && r == m ? std::string_view(last_padded) : input->View(r);
  };

  // Positions in its entity file of the stored records of one comparison
  // part, ascending; the key is the file's number followed by the part.
  std::unordered_map<std::string, std::vector<int32_t>> stored_at;
  std::string key;
  for (int32_t r = 1; r <= m; ++r) {
    std::string_view rec = record(r);
    auto hit = file_of_entity.find(spec.entity.Of(rec));
    if (hit != file_of_entity.end()) {
      EntityFile& file = files[hit->second];
      key.assign(reinterpret_cast<const char*>(&hit->second), sizeof hit->second);
      for (const Slice& s : spec.compare) key += s.Of(rec);
      std::vector<int32_t>& positions = stored_at[key];
      std::string_view date = kCreationDate.Of(rec);
      int32_t target = -1;
      for (int32_t t : positions) {
        // A date that is not a whole number fails the test, which then
        // counts as passed: the record replaces that stored one.
        if (frame.If("creation date", [&] {
              return ToNumber(kCreationDate.Of(record(file.records[t]))) <= ToNumber(date);
            })) {
          target = t;
          break;
        }
      }
      if (target >= 0) {
        file.records[target] = r;
      } else {
        positions.push_back(static_cast<int32_t>(file.records.size()));
        file.records.push_back(r);
      }
    }
    frame.Yield(r, m);
  }

  // Every listed entity's file is rewritten whole, 0 bytes for one without
  // records; files of unlisted entities are not touched.
  std::string bytes;
  for (size_t i = 0; i < files.size(); ++i) {
    const EntityFile& file = files[i];
    bytes.clear();
    for (int32_t r : file.records) bytes += record(r);
    if (frame.Do("write", [&] { WriteWholeFile(file.path, bytes); })) dir.NoteCreated(file.path);
    frame.Yield(static_cast<int64_t>(i + 1), static_cast<int64_t>(files.size()));
  }
  return EndMessage(spec.label, m);
}

const EntityFilesSpec& HorseEntryFilesSpec() {
  static const EntityFilesSpec s{"KETTONUM20180101.dat",
                                 "SE20180101NEW.dat",
                                 kRaceEntryLength,
                                 {30, 10},
                                 "UMAGOTOSETUP",
                                 {{11, 4}, {15, 4}, {25, 2}, {28, 2}, {30, 10}},
                                 "SE/UM 終わり",
                                 true};
  return s;
}

const EntityFilesSpec& JockeyEntryFilesSpec() {
  static const EntityFilesSpec s{"KISHUNUM20180101.dat",
                                 "SE20180101NEW.dat",
                                 kRaceEntryLength,
                                 {296, 5},
                                 "KISHUGOTOSETUP",
                                 {{11, 4}, {15, 4}, {25, 2}, {28, 2}, {296, 5}},
                                 "SE/KS 終わり",
                                 true};
  return s;
}

const EntityFilesSpec& DamOffspringFilesSpec() {
  static const EntityFilesSpec s{"HAHAHANNUM20180101.dat",
                                 "SK20180101NEW.dat",
                                 kOffspringLength,
                                 {76, 10},
                                 "HAHAHAN",
                                 {{11, 10}},
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
