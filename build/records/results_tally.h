#pragma once
// Results tallies: one fixed-width text record per record of a NEW file,
// holding the entity's code, its placing rates as RateField6 texts, its runs
// as CountField6 texts and its prize totals copied from the record.
//
// Jockeys and trainers (KISHUSEISEI.dat, CHOKYOSEISEI.dat, 121 bytes) share
// one tally over the three yearly results blocks of their records; breeders
// and owners (BREEDERSEISEI.dat, BANUSISEISEI.dat, 35 bytes) share one over
// their career block. Their files, lengths and fields are in
// common/derived_layout.h; docs/tallies.md lists them.
//
// Every total starts at 0 for each block of each entity and is held in 32
// bits. A placing count that is not a number counts as 0, and a value beyond
// its text field is held at the field's end; both are reported through the
// step frame as skipped.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "build/records/new_file.h"
#include "build/step/step_frame.h"
#include "common/derived_layout.h"
#include "platform/fs/record_file.h"

namespace volq {

// Where a jockey or trainer record holds what its tally reads.
struct ResultsTallyLayout {
  Slice code;
  int blocks[3];  // current year, previous year, career
  // Offsets inside a block:
  int flat_prize;       // 9 characters
  int jump_prize;       // 9 characters
  int jump_counts;      // six placing counts, first to unplaced
  int distance_counts;  // six classes of six counts: three turf, then three dirt
};
const ResultsTallyLayout& JockeyTallyLayout();
const ResultsTallyLayout& TrainerTallyLayout();

// Where a breeder or owner record holds what its tally reads (career block).
struct SmallTallyLayout {
  Slice code;      // a breeder's first 6 code characters, an owner's code
  int main_prize;  // 10 characters, of which the tally keeps the first 9
  int counts;      // six placing counts, first to unplaced
};
const SmallTallyLayout& BreederTallyLayout();
const SmallTallyLayout& OwnerTallyLayout();

// What a tally record could not take as it stands.
struct TallyNotes {
  std::vector<std::string> bad_counts;  // "record offset 3943: not a number: '  x   '"
  std::vector<int> held;                // tally offsets held at their field's end
  bool empty() const { return bad_counts.empty() && held.empty(); }
  void clear() {
    bad_counts.clear();
    held.clear();
  }
};

// The tally record of one jockey or trainer record, and of one breeder or
// owner record.
std::string ResultsTallyRecord(std::string_view rec, const ResultsTallyLayout& layout,
                               TallyNotes& notes);
std::string SmallTallyRecord(std::string_view rec, const SmallTallyLayout& layout,
                             TallyNotes& notes);

// Empties tally_file and writes record k of it from record k of the NEW
// records, all through one open file. No records (nullptr) give an empty tally.
void WriteResultsTally(StepContext& ctx, const FramedRecords* records, std::string_view tally_file,
                       const ResultsTallyLayout& layout);
void WriteSmallTally(StepContext& ctx, const FramedRecords* records, std::string_view tally_file,
                     const SmallTallyLayout& layout);

}  // namespace volq
