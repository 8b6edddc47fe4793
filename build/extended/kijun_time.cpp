#include "build/extended/kijun_time.h"

#include <memory>

#include "build/step/step_inputs.h"
#include "common/data_dir_catalogue.h"
#include "common/derived_layout.h"
#include "common/list_layout.h"
#include "common/records.h"
#include "platform/fs/record_file.h"
#include "platform/fs/text_list.h"

namespace volq {

namespace {

// One line's items in the order of the standard-time table's items
// (docs/fields.md); a count that differs from the table's does not compile.
template <typename... Items>
std::vector<std::string> StandardTimeLine(Items&&... items) {
  static_assert(sizeof...(Items) == EntryCount(kStandardTimeItems));
  return {std::string(std::forward<Items>(items))...};
}

}  // namespace

std::optional<std::vector<std::string>> KijunTimeFields(std::string_view ex) {
  auto f = [&](Slice s) { return std::string(s.Of(ex)); };
  // Texts compared as stored, character by character.
  const std::string youngest = f(UmaEx("condition.age_condition[4]")),
                    distance = f(UmaEx("distance")), venue = f(UmaEx("race.venue")),
                    year = f(UmaEx("race.year"));
  if (youngest > "100" || youngest < "005") return std::nullopt;
  if (distance != "1200" && distance != "1600" && distance != "1700" && distance != "1800" &&
      distance != "2000") {
    return std::nullopt;
  }
  if (venue > "10" || venue < "01") return std::nullopt;
  if (year > "2008" || year < "2001") return std::nullopt;
  // The years as 16-bit whole numbers; only four characters, so no overflow.
  const int64_t age = ToNumber(year) - ToNumber(UmaEx("birth_date.year").Of(ex));
  if (age != 3 && age != 4) return std::nullopt;
  return StandardTimeLine(year, std::to_string(age), venue, f(UmaEx("track_code")), distance,
                          f(UmaEx("time")), youngest, f(UmaEx("weather")), f(UmaEx("turf_going")),
                          f(UmaEx("dirt_going")));
}

std::string KijunTimeStep(StepContext& ctx, const std::function<void(std::string)>& list) {
  StepFrame& frame = ctx.frame;
  BeginStep(ctx, BuildStep::StandardTimes);
  TextListWriter out(ctx.dir.Path(kStandardTimeFile));
  const std::vector<std::string> horses = ReadKeyList(ctx, kRecentHorseList);
  for (const std::string& id : horses) {
    list(id + std::string(kUmaExSuffix));
    std::filesystem::path ex_path;
    if (!frame.Do("open EX file",
                  [&] { ex_path = ctx.dir.EntityPath(kUmaExFolder, id, kUmaExSuffix); })) {
      continue;
    }
    // A missing EX file gives no line; it is reported, not created.
    const std::unique_ptr<RecordImage> ex =
        OpenEntityRecords(ctx, ex_path, kUmaExLength, "open EX file");
    if (!ex) continue;
    const int32_t n = ex->Count();
    for (int32_t j = 1; j <= n; ++j) {
      const std::string rec(ex->View(j));
      std::optional<std::vector<std::string>> fields;
      // A sample record whose birth year is not a number is passed over.
      if (!frame.Do("birth year", [&] { fields = KijunTimeFields(rec); }) || !fields) continue;
      for (const std::string& field : *fields) out.String(field);
      out.EndLine();
    }
  }
  out.Close();
  return "終わり";
}

}  // namespace volq
