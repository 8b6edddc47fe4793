#include "common/derived_layout.h"

#include <gtest/gtest.h>

namespace volq {
namespace {

// EX fields at the offsets the readers name them by.
static_assert(LayoutField(kUmaExTable, "race.year").offset == 11);
static_assert(LayoutField(kUmaExTable, "track_code").offset == 775);
static_assert(LayoutField(kUmaExTable, "distance", 0, 3).length == 3);

struct Case {
  Slice got;
  int offset, length;
};

TEST(DerivedLayout, ExFieldsSitWhereTheRecordPutsThem) {
  const Case cases[] = {
      {LayoutField(kUmaExTable, "creation_date"), 3, 8},
      {LayoutField(kUmaExTable, "race"), 11, 16},
      {LayoutField(kUmaExTable, "race.venue"), 19, 2},
      {LayoutField(kUmaExTable, "race.race_number"), 25, 2},
      {LayoutField(kUmaExTable, "foal_order"), 40, 2},
      {LayoutField(kUmaExTable, "sale.price"), 186, 10},
      {LayoutField(kUmaExTable, "birth_date.month"), 200, 2},
      {LayoutField(kUmaExTable, "pedigree[0].breeding_number"), 252, 10},
      {LayoutField(kUmaExTable, "pedigree[1].birth_year"), 296, 4},
      {LayoutField(kUmaExTable, "pedigree[5].birthplace"), 436, 20},
      {LayoutField(kUmaExTable, "horse_name"), 490, 36},
      {LayoutField(kUmaExTable, "jockey_code"), 613, 5},
      {LayoutField(kUmaExTable, "jockey_birth_date"), 618, 8},
      {LayoutField(kUmaExTable, "qualification"), 647, 1},
      {LayoutField(kUmaExTable, "abnormality"), 678, 1},
      {LayoutField(kUmaExTable, "margin[2]"), 695, 3},
      {LayoutField(kUmaExTable, "corner_position[3]"), 704, 2},
      {LayoutField(kUmaExTable, "time_difference"), 740, 4},
      {LayoutField(kUmaExTable, "condition.age_condition[4]"), 764, 3},
      {LayoutField(kUmaExTable, "main_prize"), 783, 56},
      {LayoutField(kUmaExTable, "added_prize_before[2]"), 935, 8},
      {LayoutField(kUmaExTable, "lap_time[24]"), 1032, 3},
      {LayoutField(kUmaExTable, "race_first3f"), 1039, 3},
      {LayoutField(kUmaExTable, "race_last4f"), 1048, 3},
      {LayoutField(kUmaExTable, "corner[3].order"), 1269, 70},
      {LayoutField(kUmaExTable, "crlf"), 1339, 2},
      {LayoutSpan(kUmaExTable, "record_type", "pedigree_number"), 0, 40},
      {LayoutField(kFactorItemTable, "speed[2]"), 14, 7},
      {LayoutField(kFactorItemTable, "F30"), 193, 4},
      {LayoutField(kResultsTallyTable, "top3_rate[2].turf"), 29, 6},
      {LayoutField(kResultsTallyTable, "jump_top3_rate"), 41, 6},
      {LayoutField(kResultsTallyTable, "jump_runs"), 113, 6},
      {LayoutField(kSmallTallyTable, "runs"), 27, 6},
      {LayoutField(kMareStallionTable, "line_top2_rate[0]"), 244, 6},
      {LayoutField(kMareStallionTable, "style_code"), 394, 6},
      {LayoutField(kKyosobaTable, "line_top3_rate"), 70, 150},
      {LayoutField(kDonichiTable, "venue[9].other_day_rate"), 119, 6},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.got.offset, c.offset) << c.offset;
    EXPECT_EQ(c.got.length, c.length) << c.offset;
  }
}

// The RecordLayout of each file names every field where the table puts it,
// and its length is the file's record length.
TEST(DerivedLayout, LayoutsAgreeWithTheirTables) {
  const std::vector<DerivedFile>& files = DerivedFiles();
  ASSERT_EQ(files.size(), 10u);
  const int lengths[] = {kUmaExLength,        kItemLength,       kMareStallionLength,
                         kMareStallionLength, kKyosobaLength,    kResultsTallyLength,
                         kResultsTallyLength, kSmallTallyLength, kSmallTallyLength,
                         kDonichiLength};
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(files[i].layout.stored_length(), lengths[i]) << files[i].path;
  }
  const RecordLayout& ex = UmaExLayout();
  for (const Field& f : ex.fields()) {
    const Slice s = layout_detail::Find(kUmaExTable, 0, f.name);
    EXPECT_EQ(s.offset, f.offset) << f.name;
    EXPECT_EQ(s.length, f.width) << f.name;
  }
  EXPECT_EQ(ex.field("corner[1].laps").offset, 1124);
}

TEST(DerivedLayout, CourseKindsHoldTheirTrackCodes) {
  EXPECT_EQ(kCourseKinds[0].highest_track, 22);
  EXPECT_EQ(kCourseKinds[1].lowest_track, 23);
  EXPECT_EQ(kCourseKinds[2].item_file, "SHOGITEM201801N2024.dat");
}

}  // namespace
}  // namespace volq
