#include "build/factors_alt/alt_terms.h"

#include "common/data_dir_catalogue.h"
#include "common/record_layout.h"

namespace volq {

const RideFields& Ride() {
  static constexpr RideFields f{RaceEntryField("header.data_kind"), RaceEntryField("race.year"),
                                RaceEntryField("race.month_day"), RaceEntryField("arrival_order")};
  return f;
}

std::unique_ptr<FramedRecords> OpenJockeyHistory(DataDir& dir, std::string_view jockey_code) {
  // A race entry without a jockey code has no history to read.
  if (IsBlankId(jockey_code)) return std::make_unique<FramedRecords>(kRaceEntryLength);
  std::filesystem::path p = dir.EntityPath(kJockeyEntryFolder, jockey_code);
  // A jockey without a file has no rides; reading creates no file.
  if (!EntryExists(p)) return std::make_unique<FramedRecords>(kRaceEntryLength);
  return std::make_unique<FramedRecords>(p, kRaceEntryLength, "");
}

std::string TimeDifferenceClass(float d) {
  // The bounds are single-precision numbers like D itself: -2.0001 as a float
  // lies a shade above the double -2.0001, so D = -2.0001f is in its class.
  if (d > 5.0f) return "100000";
  if (d >= 2.00001f && d <= 5.0f) return "050000";
  if (d >= 0.00001f && d < 2.00001f) return "020000";
  if (d == 0.0f) return "010000";
  if (d >= -2.0f && d <= -0.00001f) return "005000";
  if (d >= -5.0f && d <= -2.0001f) return "001000";
  return "000000";
}

}  // namespace volq
