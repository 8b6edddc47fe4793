#pragma once
// One record per key: the raw file's records sorted by key, one survivor per
// run of equal keys, written when its data kind is kept. Every NEW file of
// the build program is one call of BuildNewFile with its own settings. Only
// the keys and record numbers are held per raw record; the raw file is read
// in place and the survivors are copied from it by record number.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "build/step/step_frame.h"
#include "build/step/step_inputs.h"
#include "common/record_layout.h"

namespace volq {

struct NewFileSpec {
  enum class Order { Ascending, Descending };
  enum class Survivor { FirstOfRun, LastOfRun };

  std::string_view raw_file;  // kRaRawFile
  std::string_view new_file;  // kRaNewFile
  int record_length;          // stored length of the raw records
  std::vector<Slice> key;     // fields of the key, concatenated in order
  Order order = Order::Ascending;
  int run_width = 0;  // characters of the key that make a run; 0 = whole key
  Survivor survivor = Survivor::FirstOfRun;
  std::string kept_kinds;  // data kinds written; empty keeps every kind
};

struct NewFileResult {
  int32_t raw_count = 0;  // records of the raw file (also left in RecordCount)
  int32_t written = 0;    // records of the NEW file
};

NewFileResult BuildNewFile(StepContext& ctx, const NewFileSpec& spec);

// The sort key of race entries: race year, month-day, race number, horse
// number, then the entity field (the pedigree number in the SE NEW file and
// the horses' files, the jockey code in the jockeys' files).
std::vector<Slice> RaceEntryKey(Slice entity_field);

// The NEW file a step has just written, opened for reading its records
// (OpenNewRecords); RecordCount is set to their number, 0 when it cannot be
// opened.
std::unique_ptr<FramedRecords> ReadBackNewFile(StepContext& ctx, const NewFileSpec& spec);

// The settings of each NEW file.
const NewFileSpec& RaNewFileSpec();
const NewFileSpec& SeNewFileSpec();
// Jockeys, trainers, breeders, owners: code then creation date, descending,
// so the first record of a code's run is its newest. A breeder's run is the
// first 6 of its 8 code characters: the highest code of the prefix survives.
const NewFileSpec& KsNewFileSpec();
const NewFileSpec& ChNewFileSpec();
const NewFileSpec& BrNewFileSpec();
const NewFileSpec& BnNewFileSpec();

// Race step and race-entry step: their end messages.
std::string RaceStep(StepContext& ctx);       // "RA 終わり" + raw count
std::string RaceEntryStep(StepContext& ctx);  // "SE 終わり" + raw count

}  // namespace volq
