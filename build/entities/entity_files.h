#pragma once
// Per-entity record files: the records of a NEW file split into one record
// file per listed entity (a horse's or a jockey's race entries, a dam's
// foals), so later steps open one small file instead of scanning the NEW file.
//
// A record enters its entity's file by the replace-or-append rule: it replaces
// the first stored record with an equal comparison part whose creation date is
// not later than its own, otherwise it is appended. The whole input is read
// once and every entity file is written once, with the bytes that record-by-
// record rereading of the file would leave.
#include <string>
#include <vector>

#include "build/step/step_frame.h"
#include "common/data_dir_catalogue.h"
#include "common/record_layout.h"

namespace volq {

struct EntityFilesSpec {
  BuildStep step;               // its button, which names the files it goes through
  std::string_view list_file;   // kHorseList: one entity number per line
  std::string_view input_file;  // kSeNewFile
  int record_length;            // stored length of the input records
  Slice entity;                 // field naming the record's entity
  std::string_view folder;      // kHorseEntryFolder: one <entity>.dat per listed entity
  std::vector<Slice> compare;   // comparison part of the key (after the creation date)
  const char* label;            // "SE/UM 終わり"
  bool yield_per_list_entry;    // horse and jockey steps let the window breathe while listing
};

// Splits the input by the list; returns the end message (label and the
// input's record count). RecordCount is left as it was.
std::string BuildEntityFiles(StepContext& ctx, const EntityFilesSpec& spec);

const EntityFilesSpec& HorseEntryFilesSpec();
const EntityFilesSpec& JockeyEntryFilesSpec();
const EntityFilesSpec& DamOffspringFilesSpec();

std::string HorseEntryFilesStep(StepContext& ctx);    // "SE/UM 終わり" + SE NEW count
std::string JockeyEntryFilesStep(StepContext& ctx);   // "SE/KS 終わり" + SE NEW count
std::string DamOffspringFilesStep(StepContext& ctx);  // "SK/HN 終わり" + SK NEW count

}  // namespace volq
