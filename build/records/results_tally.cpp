#include "build/records/results_tally.h"

#include <functional>

#include "build/records/text_fields.h"
#include "common/records.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/text_list.h"

namespace volq {

namespace {

// Offsets of the jockey and trainer tally. The rates of one block lie 12
// apart, turf then dirt; the jump rates follow the three blocks.
constexpr int kTopThreeRates = TallyField("top3_rate").offset;
constexpr int kTopTwoRates = TallyField("top2_rate").offset;
constexpr int kBlockRates = TallyField("top3_rate[0]").length;
constexpr int kDirtRate = TallyField("top3_rate[0].dirt").offset - kTopThreeRates;
constexpr int kJumpTopThree = TallyField("jump_top3_rate").offset;
constexpr int kJumpTopTwo = TallyField("jump_top2_rate").offset;
constexpr int kFlatPrize = TallyField("flat_prize").offset;
constexpr int kJumpPrize = TallyField("jump_prize").offset;
constexpr int kFlatRuns =
    TallyField("flat_runs").offset;  // turf plus dirt runs of the career block
constexpr int kJumpRuns = TallyField("jump_runs").offset;

// Offsets of the breeder and owner tally.
constexpr int kSmallTopThree = SmallTallyField("top3_rate").offset;
constexpr int kSmallTopTwo = SmallTallyField("top2_rate").offset;
constexpr int kSmallPrize = SmallTallyField("main_prize").offset;
constexpr int kSmallRuns = SmallTallyField("runs").offset;

constexpr int kCountWidth = 6;
constexpr int kPlaces = 6;                          // first to fifth, unplaced
constexpr int kClassWidth = kCountWidth * kPlaces;  // one group of placing counts
constexpr int kPrizeWidth = 9;
// The widths that the tally reads by offset are those of the record tables.
static_assert(LayoutField(kJockeyTable, "results[0].flat.count[0]").length == kCountWidth);
static_assert(LayoutField(kJockeyTable, "results[0].flat").length == kClassWidth);
static_assert(LayoutField(kJockeyTable, "results[0].prize[0]").length == kPrizeWidth);
static_assert(LayoutField(kTrainerTable, "results[0].prize[1]").length == kPrizeWidth);
static_assert(LayoutField(kBreederTable, "results[1].counts").length == kClassWidth);

consteval ResultsTallyLayout ResultsLayoutOf(std::span<const LayoutEntry> l,
                                             std::string_view code_field) {
  ResultsTallyLayout t{};
  t.code = LayoutField(l, code_field);
  for (int b = 0; b < 3; ++b) t.blocks[b] = Nth(LayoutField(l, "results[0]"), b).offset;
  t.flat_prize = LayoutField(l, "results[0].prize[0]").offset - t.blocks[0];
  t.jump_prize = LayoutField(l, "results[0].prize[1]").offset - t.blocks[0];
  t.jump_counts = LayoutField(l, "results[0].jump.count[0]").offset - t.blocks[0];
  t.distance_counts = LayoutField(l, "results[0].distance[0].count[0]").offset - t.blocks[0];
  return t;
}

consteval SmallTallyLayout SmallLayoutOf(std::span<const LayoutEntry> l,
                                         std::string_view code_field) {
  // Both codes are tallied by their first 6 characters (all of an owner's).
  return {LayoutField(l, code_field, 0, 6), LayoutField(l, "results[1].main_prize").offset,
          LayoutField(l, "results[1].counts.count[0]").offset};
}

// Top-3, top-2 and all runs of one or more groups of placing counts.
struct Placings {
  int32_t top3 = 0;
  int32_t top2 = 0;
  int32_t runs = 0;
};

void AddPlacings(std::string_view rec, int offset, Placings& p, TallyNotes& notes) {
  for (int place = 0; place < kPlaces; ++place) {
    int at = offset + kCountWidth * place;
    int32_t count = 0;
    try {
      count = static_cast<int32_t>(ToNumber(FieldAt(rec, at, kCountWidth)));
    } catch (const Failure& e) {
      notes.bad_counts.push_back("record offset " + std::to_string(at) + ": " + e.text());
    }
    if (place < 2) p.top2 += count;
    if (place < 3) p.top3 += count;
    p.runs += count;
  }
}

// Places bytes of the record at `at` (fewer when the record ends early: the
// rest stays blank).
void Copy(std::string& out, int at, std::string_view bytes) {
  out.replace(at, bytes.size(), bytes);
}

void PutRate(std::string& out, int at, int32_t part, int32_t total, TallyNotes& notes) {
  bool held = false;
  Copy(out, at, RateField6(part, total, &held));
  if (held) notes.held.push_back(at);
}

void PutCount(std::string& out, int at, int32_t count, TallyNotes& notes) {
  bool held = false;
  Copy(out, at, CountField6(count, &held));
  if (held) notes.held.push_back(at);
}

void EndRecord(std::string& out) { out.replace(out.size() - 2, 2, "\r\n"); }

using TallyRecordFn = std::function<std::string(std::string_view, TallyNotes&)>;

void WriteTally(StepContext& ctx, const FramedRecords* records, std::string_view tally_file,
                int tally_length, Slice code, const TallyRecordFn& build) {
  StepFrame& frame = ctx.frame;
  std::filesystem::path path = ctx.dir.Path(tally_file);
  // Record k belongs to record k of the NEW file: written in order, the
  // tally replaces the former one once complete.
  std::unique_ptr<RecordAppender> out;
  frame.Do("open", [&] { out = std::make_unique<RecordAppender>(path, tally_length); });
  if (!out) return;
  const std::string bad_what = std::string(tally_file) + ": placing count counted 0";
  const std::string held_what = std::string(tally_file) + ": value held at its field's end";
  int32_t n = records ? records->Count() : 0;
  TallyNotes notes;
  for (int32_t k = 1; k <= n; ++k) {
    frame.Do("write", [&] {
      std::string_view rec = records->View(k);
      notes.clear();
      out->Append(build(rec, notes));
      if (notes.empty()) return;
      const std::string who = "code " + std::string(code.Of(rec));
      for (const std::string& bad : notes.bad_counts) {
        frame.Skipped(bad_what, "placing count not a number", who, who + ", " + bad);
      }
      for (int at : notes.held) {
        const std::string where = who + ", tally offset " + std::to_string(at);
        frame.Skipped(held_what, "beyond its field", where, where);
      }
    });
  }
  frame.Do("close", [&] { out->Close(); });
}

}  // namespace

const ResultsTallyLayout& JockeyTallyLayout() {
  static const ResultsTallyLayout l = ResultsLayoutOf(kJockeyTable, "jockey_code");
  return l;
}

const ResultsTallyLayout& TrainerTallyLayout() {
  static const ResultsTallyLayout l = ResultsLayoutOf(kTrainerTable, "trainer_code");
  return l;
}

const SmallTallyLayout& BreederTallyLayout() {
  static const SmallTallyLayout l = SmallLayoutOf(kBreederTable, "breeder_code");
  return l;
}

const SmallTallyLayout& OwnerTallyLayout() {
  static const SmallTallyLayout l = SmallLayoutOf(kOwnerTable, "owner_code");
  return l;
}

std::string ResultsTallyRecord(std::string_view rec, const ResultsTallyLayout& l,
                               TallyNotes& notes) {
  std::string out(kResultsTallyLength, ' ');
  Copy(out, 0, l.code.Of(rec));
  for (int b = 0; b < 3; ++b) {
    // Turf up to 1600 m, up to 2200 m, over 2200 m, then the same for dirt.
    int classes = l.blocks[b] + l.distance_counts;
    Placings turf, dirt;
    for (int c = 0; c < 3; ++c) AddPlacings(rec, classes + kClassWidth * c, turf, notes);
    for (int c = 3; c < 6; ++c) AddPlacings(rec, classes + kClassWidth * c, dirt, notes);
    PutRate(out, kTopThreeRates + kBlockRates * b, turf.top3, turf.runs, notes);
    PutRate(out, kTopThreeRates + kBlockRates * b + kDirtRate, dirt.top3, dirt.runs, notes);
    PutRate(out, kTopTwoRates + kBlockRates * b, turf.top2, turf.runs, notes);
    PutRate(out, kTopTwoRates + kBlockRates * b + kDirtRate, dirt.top2, dirt.runs, notes);
    if (b == 2) PutCount(out, kFlatRuns, turf.runs + dirt.runs, notes);
  }
  int career = l.blocks[2];
  Placings jump;
  AddPlacings(rec, career + l.jump_counts, jump, notes);
  PutRate(out, kJumpTopThree, jump.top3, jump.runs, notes);
  PutRate(out, kJumpTopTwo, jump.top2, jump.runs, notes);
  PutCount(out, kJumpRuns, jump.runs, notes);
  // The prize totals are already the record's 9-character texts.
  Copy(out, kFlatPrize, FieldAt(rec, career + l.flat_prize, kPrizeWidth));
  Copy(out, kJumpPrize, FieldAt(rec, career + l.jump_prize, kPrizeWidth));
  EndRecord(out);
  return out;
}

std::string SmallTallyRecord(std::string_view rec, const SmallTallyLayout& l, TallyNotes& notes) {
  std::string out(kSmallTallyLength, ' ');
  Copy(out, 0, l.code.Of(rec));
  Placings career;
  AddPlacings(rec, l.counts, career, notes);
  PutRate(out, kSmallTopThree, career.top3, career.runs, notes);
  PutRate(out, kSmallTopTwo, career.top2, career.runs, notes);
  // The 10-character total without its last digit, as readers expect.
  Copy(out, kSmallPrize, FieldAt(rec, l.main_prize, kPrizeWidth));
  PutCount(out, kSmallRuns, career.runs, notes);
  EndRecord(out);
  return out;
}

void WriteResultsTally(StepContext& ctx, const FramedRecords* records, std::string_view tally_file,
                       const ResultsTallyLayout& layout) {
  WriteTally(ctx, records, tally_file, kResultsTallyLength, layout.code,
             [&](std::string_view rec, TallyNotes& notes) {
               return ResultsTallyRecord(rec, layout, notes);
             });
}

void WriteSmallTally(StepContext& ctx, const FramedRecords* records, std::string_view tally_file,
                     const SmallTallyLayout& layout) {
  WriteTally(ctx, records, tally_file, kSmallTallyLength, layout.code,
             [&](std::string_view rec, TallyNotes& notes) {
               return SmallTallyRecord(rec, layout, notes);
             });
}

}  // namespace volq
