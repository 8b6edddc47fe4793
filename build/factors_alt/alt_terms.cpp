#include "build/factors_alt/alt_terms.h"

#include "build/factors/factor_frame.h"
#include "common/record_layout.h"

namespace volq {

int32_t DaySpan(std::string_view year_a, std::string_view month_day_a, std::string_view year_b,
                std::string_view month_day_b) {
  int64_t days = DaysBetween(year_a, month_day_a.substr(0, 2), month_day_a.substr(2, 2), year_b,
                             month_day_b.substr(0, 2), month_day_b.substr(2, 2));
  return DaysCut(days);
}

std::unique_ptr<RecordReader> OpenJockeyHistory(DataDir& dir, std::string_view jockey_code) {
  std::filesystem::path p = dir.EntityPath("KISHUGOTOSETUP", jockey_code);
  auto f = std::make_unique<RecordReader>(p, kRaceEntryLength);
  dir.NoteCreated(p);
  return f;
}

}  // namespace volq
