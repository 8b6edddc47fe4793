#include "build/entities/recent_horses.h"

#include <cerrno>
#include <memory>

#include "build/entities/jockey_place_counts.h"
#include "build/step/step_inputs.h"
#include "common/data_dir_catalogue.h"
#include "common/record_layout.h"
#include "common/records.h"
#include "common/text_map.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/file_system.h"
#include "platform/fs/record_file.h"
#include "platform/fs/text_list.h"

namespace volq {

namespace {

constexpr int kFirstRecentYear = 2000;

}  // namespace

std::vector<std::string> WriteRecentHorseList(StepContext& ctx) {
  StepFrame& frame = ctx.frame;
  DataDir& dir = ctx.dir;
  const std::filesystem::path recent_path = dir.Path(kRecentHorseList);
  std::unique_ptr<TextListWriter> recent;
  frame.Do("open", [&] { recent = std::make_unique<TextListWriter>(recent_path); });

  const std::vector<std::string> horses = ReadKeyList(ctx, kHorseList);
  for (size_t i = 0; i < horses.size(); ++i) {
    frame.Yield(static_cast<int64_t>(i + 1), static_cast<int64_t>(horses.size()));
    std::filesystem::path path;
    if (!frame.Do("entity file name",
                  [&] { path = dir.EntityPath(kHorseEntryFolder, horses[i]); })) {
      continue;
    }
    // A missing race-entry file reads as a horse without races.
    const std::unique_ptr<RecordImage> entries =
        OpenEntityRecords(ctx, path, kRaceEntryLength, "open");
    if (!entries) continue;
    const int32_t n = entries->Count();
    if (n == 0) continue;
    const std::string latest(entries->View(n));
    // A year that is not a number fails the test, which then holds: the
    // horse is listed (and said).
    if (frame.If(
            "race year",
            [&] { return ToNumber(RaceEntryField("race.year").Of(latest)) >= kFirstRecentYear; }) &&
        recent) {
      frame.Do("write",
               [&] { recent->String(RaceEntryField("pedigree_number").Of(latest)).EndLine(); });
    }
  }
  if (recent) frame.Do("close", [&] { recent->Close(); });
  // Read back from the file, so the table is what later readers of the list
  // see. A list written but not read back ends the step: stage 2 would copy
  // by an empty table and delete OPTION1N/KYOSOBAA.dat.
  TextListReader back(recent_path);
  if (!back.ok() && back.error() != ENOENT) {
    StopStep("cannot read " + ShownPath(recent_path) + " back: " + SeamErrorText(back.error()));
  }
  std::vector<std::string> items;
  while (!back.Eof()) items.push_back(back.Next());
  return items;
}

void CopyRecentPlacingRecords(StepContext& ctx, const std::vector<std::string>& recent) {
  StepFrame& frame = ctx.frame;
  DataDir& dir = ctx.dir;
  const std::filesystem::path out_path = dir.Path(kRecentPlacingFile);

  TextMap<int32_t> listings;
  for (const std::string& h : recent) ++listings[h];

  const std::unique_ptr<FramedRecords> all =
      OpenNewRecords(ctx, kKyosobaFile.data(), kKyosobaLength, "");
  ctx.RecordCount = all ? all->Count() : 0;

  std::string copies;
  for (int32_t i = 1; i <= ctx.RecordCount; ++i) {
    const std::string_view rec = all->View(i);
    auto it = listings.find(KyosobaField("pedigree_number").Of(rec));
    if (it == listings.end()) continue;
    for (int32_t j = 0; j < it->second; ++j) copies += rec;
  }
  // The file comes into being with its first record.
  frame.WriteAnew("write", dir, out_path, copies);
}

std::string RecentHorsesStep(StepContext& ctx) {
  BeginStep(ctx, BuildStep::RecentHorses);
  const std::vector<std::string> recent = WriteRecentHorseList(ctx);
  CopyRecentPlacingRecords(ctx, recent);
  WriteJockeyPlaceCounts(ctx);
  return EndMessage("終わり", ctx.RecordCount);
}

}  // namespace volq
