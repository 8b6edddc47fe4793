#include "build/entities/jockey_place_counts.h"

#include <chrono>
#include <memory>
#include <optional>

#include "build/records/text_fields.h"
#include "build/step/step_inputs.h"
#include "common/data_dir_catalogue.h"
#include "common/list_layout.h"
#include "common/record_layout.h"
#include "common/records.h"
#include "platform/fs/record_file.h"
#include "platform/fs/text_list.h"

namespace volq {

namespace {

// The scan goes back to the newest race of this year or earlier, inclusive.
constexpr int64_t kLastScannedYear = 2004;

// Fields of the race entries in a jockey's history file.
constexpr Slice kYear = RaceEntryField("race.year");
constexpr Slice kMonth = LayoutField(kRaceEntryTable, "race.month_day", 0, 2);
constexpr Slice kDay = LayoutField(kRaceEntryTable, "race.month_day", 2, 2);
constexpr Slice kDate = LayoutSpan(kRaceEntryTable, "race.year", "race.month_day");
constexpr Slice kVenue = RaceEntryField("race.venue");
constexpr Slice kArrival = RaceEntryField("arrival_order");

// 1 to 10 for the racecourse codes "01" to "10", 0 for any other text.
int RacecourseNumber(std::string_view code) {
  if (code.size() != 2) return 0;
  if (code == "10") return 10;
  if (code[0] == '0' && code[1] >= '1' && code[1] <= '9') return code[1] - '0';
  return 0;
}

// Whether the race date of a race entry is a Saturday; nothing when the date
// is not a calendar date.
std::optional<bool> RacedOnSaturday(std::string_view rec) {
  try {
    const int64_t y = ToNumber(kYear.Of(rec));
    const int64_t m = ToNumber(kMonth.Of(rec));
    const int64_t d = ToNumber(kDay.Of(rec));
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(static_cast<int>(y)),
                                           std::chrono::month(static_cast<unsigned>(m)),
                                           std::chrono::day(static_cast<unsigned>(d))};
    if (!date.ok()) return std::nullopt;
    return std::chrono::weekday(std::chrono::sys_days(date)) == std::chrono::Saturday;
  } catch (const Failure&) {
    return std::nullopt;
  }
}

// Counts one jockey's races, newest first, until the newest race of 2004 or
// earlier (counted too). A missing race-entry file reads as a jockey without
// races.
void CountPlaces(StepContext& ctx, const std::filesystem::path& path, PlaceCounts& counts) {
  StepFrame& frame = ctx.frame;
  const std::unique_ptr<RecordImage> races = OpenEntityRecords(ctx, path, kRaceEntryLength, "open");
  if (!races) return;
  for (int32_t r = races->Count(); r >= 1; --r) {
    const std::string_view rec = races->View(r);
    if (const int v = RacecourseNumber(kVenue.Of(rec))) {
      // A date that is not a calendar date fails the Saturday test, which
      // then holds: day class 1 (and said).
      const std::optional<bool> saturday = RacedOnSaturday(rec);
      if (!saturday) {
        const std::string where = "'" + std::string(kDate.Of(rec)) + "' in " + ShownPath(path);
        frame.Skipped("race date", "not a calendar date, counted as a Saturday", where,
                      "not a calendar date " + where + ", counted as a Saturday");
      }
      const int d = saturday.value_or(true) ? 1 : 2;
      frame.Do("arrival order", [&] {
        const int64_t arrival = ToNumber(kArrival.Of(rec));
        ++counts.at(v, d, arrival >= 1 && arrival <= 3 ? 1 : 2);
      });
    }
    // A year that is not a number fails the test, which then holds: the
    // scan ends here, this record counted.
    if (frame.If("race year", [&] { return ToNumber(kYear.Of(rec)) <= kLastScannedYear; })) {
      break;
    }
  }
}

// The 20 lines "v,d,placed,other", v outer, d inner, as docs/fields.md
// names their items.
static_assert(kPlaceCountLines == 10 * 2 && EntryCount(kPlaceCountItems) == 4);
void WritePlaceCountLines(StepContext& ctx, const std::filesystem::path& path,
                          const PlaceCounts& counts) {
  std::string lines;
  for (int v = 1; v <= 10; ++v) {
    for (int d = 1; d <= 2; ++d) {
      lines += std::to_string(v) + ',' + std::to_string(d) + ',' +
               std::to_string(counts.at(v, d, 1)) + ',' + std::to_string(counts.at(v, d, 2)) +
               "\r\n";
    }
  }
  ctx.frame.Do("write", [&] { WriteWholeFile(path, lines, Rewrite::FromFirstChange); });
}

}  // namespace

std::string DonichiRecord(std::string_view code, const PlaceCounts& counts) {
  std::string rec(kDonichiLength, ' ');
  PutText(rec, LayoutField(kDonichiTable, "jockey_code"), code);
  for (int v = 1; v <= 10; ++v) {
    for (int d = 1; d <= 2; ++d) {
      const int64_t placed = counts.at(v, d, 1);
      constexpr int kWidth = LayoutField(kDonichiTable, "venue[0].saturday_rate").length;
      rec.replace(DonichiOffset(v) + kWidth * (d - 1), kWidth,
                  RateField6(placed, placed + counts.at(v, d, 2)));
    }
  }
  rec.replace(kDonichiLength - 2, 2, "\r\n");
  return rec;
}

void WriteJockeyPlaceCounts(StepContext& ctx) {
  StepFrame& frame = ctx.frame;
  DataDir& dir = ctx.dir;
  const std::filesystem::path donichi_path = dir.Path(kDonichiFile);

  const std::vector<std::string> jockeys = ReadKeyList(ctx, kJockeyList);
  // Record k belongs to the jockey on line k, so a refused code keeps its
  // place with the rates of a jockey without races.
  std::string records;
  for (const std::string& code : jockeys) {
    PlaceCounts counts;
    std::filesystem::path races, lines;
    if (frame.Do("entity file name", [&] {
          races = dir.EntityPath(kJockeyEntryFolder, code);
          lines = dir.EntityPath(kJockeyPlacingFolder, code);
        })) {
      CountPlaces(ctx, races, counts);
      WritePlaceCountLines(ctx, lines, counts);
    }
    records += DonichiRecord(code, counts);
  }
  // The file comes into being with its first record.
  frame.WriteAnew("write", dir, donichi_path, records);
}

}  // namespace volq
