#include <array>
#include <memory>
#include <optional>
#include <string>

#include "build/factors/form_categorysetup2024zz.h"
#include "build/step/step_inputs.h"
#include "common/data_dir_catalogue.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/record_file.h"

namespace volq {

// The factor item builds: one ITEM record of three speeds and thirty factor
// codes for every race entry of a course horse list's horses that passes the
// keep test of its course type.

namespace {

using Frame = FactorFrame;
using Routine = std::string (FactorFrame::*)();

struct Build {
  const CourseKind& kind;        // its course horse list, ITEM file and track codes kept
  double time_difference_limit;  // tenths of a second
  const char* end_text;
};
constexpr Build kTurfBuild = {kCourseKinds[kTurf], 60, "芝終わり"};
constexpr Build kDirtBuild = {kCourseKinds[kDirt], 70, "ダート終わり"};
constexpr Build kSteepleBuild = {kCourseKinds[kSteeple], 100, "障害終わり"};

constexpr Routine kSpeeds[3] = {&Frame::AgariSpeed, &Frame::PaceSpeed, &Frame::SohaSpeed};
constexpr const char* kSpeedNames[3] = {"Agari speed", "Pace speed", "whole-race speed"};
// clang-format off
constexpr Routine kFactors[kFactorCount + 1] = {
    nullptr,
    &Frame::Factor01Year,          &Frame::Factor02VenueTrack,       &Frame::Factor03PrevRunChange,
    &Frame::Factor04Futan,         &Frame::Factor05PrizeLog,         &Frame::Factor06RaceKigo,
    &Frame::Factor07KishuSeiseki,  &Frame::Factor08KyosobaValue,     &Frame::Factor09RaceCount,
    &Frame::Factor10FutanRatio,    &Frame::Factor11Bataiju,          &Frame::Factor12AgeMonths,
    &Frame::Factor13StallionLog,   &Frame::Factor14Interval,         &Frame::Factor15PrevOddsLog,
    &Frame::Factor16StallionValue, &Frame::Factor17PaceDeviation,    &Frame::Factor18KishuAgeBand,
    &Frame::Factor19ChokyoSeiseki, &Frame::Factor20StallionStat,     &Frame::Factor21GradeRaceNo,
    &Frame::Factor22DistanceCode,  &Frame::Factor23StallionDistance, &Frame::Factor24Umaban,
    &Frame::Factor25UmaKigo,       &Frame::Factor26PrevTimeDiff,     &Frame::Factor27KaijiNichiji,
    &Frame::Factor28CountBand,     &Frame::Factor29AgariDeviation,   &Frame::Factor30KyosobaValue,
};
// clang-format on

// The race entry in the EX buffer as reports name it: its horse and race
// (date, racecourse, race number).
std::string EntryName(const FactorFrame& f, const std::string& horse) {
  return "horse " + horse + " in race " + f.RaceDate().Text() + " " + std::string(f.Venue()) + " " +
         std::string(f.Ex("race.race_number"));
}

// What the field of a failed routine holds, said after its name: the ITEM
// buffer is not cleared between race entries, and a build starts from blanks.
std::string LeftAsItWas(const std::string& field, const char* value) {
  return field + " left as it was (it holds the " + value +
         " of the race entry written before it, blanks if none)";
}

std::string RaceEntries(int64_t n) {
  return std::to_string(n) + (n == 1 ? " race entry" : " race entries");
}

// A race entry whose race is not in the race NEW file has blank race fields
// in its extended record; every routine that needs the race fails on it.
bool RaceMissing(const FactorFrame& f) {
  static constexpr Slice kRaceFields =
      LayoutSpan(kUmaExTable, "grade", "corner");  // EX 744 to 1338
  return f.Ex(kRaceFields).find_first_not_of(' ') == std::string_view::npos;
}

// Stores what the routine returns into the field; a routine that fails
// stores nothing (the field keeps what the buffer held) and gives its failure.
std::optional<Failure> Store(FactorFrame& f, Routine routine, ItemField field) {
  try {
    f.StoreItem(field, (f.*routine)());
    return std::nullopt;
  } catch (const Failure& e) {
    return e;
  }
}

// The keep test of the record in the EX buffer; `track` is the last track
// code that converted in this run and stands in for one that does not.
bool Keep(FactorFrame& f, const Build& b, StepFrame& frame, int32_t& track) {
  // January 2018 or later with a time; a test that cannot be evaluated passes.
  const bool dated = frame.If("keep test (race time, year, month)", [&] {
    const std::string speed = f.SohaSpeed();
    std::string year_month(f.RaceYear());
    year_month += f.RaceMonth();
    const int32_t ym = Integer(year_month);
    return speed != "0000000" && ym > 201800;
  });
  if (!dated) return false;
  // The three digits after the sign of the time difference.
  if (!(Value(f.Ex({"time_difference", 1, 3})) < b.time_difference_limit)) return false;
  if (!CentralRacecourse(f.Venue())) return false;
  frame.Do("keep test (track code)", [&] { track = Integer(f.TrackCode()); });
  return track >= b.kind.lowest_track && track <= b.kind.highest_track;
}

// The prepared record files that the factor routines look records up in.
constexpr std::string_view kLookupFiles[] = {kJockeyTallyFile, kKyosobaFile, kStallionFile,
                                             kTrainerTallyFile};

std::string BuildItems(FormCATEGORYSETUP2024ZZ& w, const Build& b, StepFrame& frame) {
  FactorFrame& f = w.Factors;
  f.ClearLookups();
  DataDir& dir = f.dir();
  StepContext ctx{dir, frame, f.RecordCount};
  w.StopOnUnreadTables(false);
  BeginStep(ctx, {{b.kind.horse_list},
                  {std::begin(kLookupFiles), std::end(kLookupFiles)},
                  {b.kind.item_file},
                  {kFolderOutput<kUmaExFolder>, kFemaleLineList}});
  for (std::string_view name : kLookupFiles) ReportIfMissing(ctx, name);
  const std::filesystem::path item_path = dir.Path(b.kind.item_file);
  std::unique_ptr<RecordAppender> items;
  if (!frame.Do("open",
                [&] { items = std::make_unique<RecordAppender>(item_path, kItemLength); })) {
    return "";
  }
  f.HorseCount = 0;
  f.ItemCount = 0;
  // A field whose routine fails keeps what the buffer held; a run starts from
  // blanks so that the file does not depend on what the window did before
  // (another course type's build, a categorisation's read).
  f.ItemRecord.assign(kItemLength, ' ');
  const std::vector<std::string> horses = ReadKeyList(ctx, b.kind.horse_list.data());

  // Routines that fail leave their field as it was. That is ordinary for the
  // data (a first run has no previous one), so it is told folded per routine
  // and cause after the run, naming the first race entries. Kept entries
  // whose race is missing are one cause, told on one line; their keep-test
  // failures are part of it (a blank race time or track code).
  FailureFold left_as_it_was;
  int64_t race_missing = 0;
  std::string first_race_missing;
  StepFrame told_by_the_race_line;
  // The field of a routine that failed repeats the record written before.
  std::array<std::string, kFactorCount + 1> factor_left;
  for (int k = 1; k <= kFactorCount; ++k) {
    factor_left[k] = LeftAsItWas("factor " + std::to_string(k), "code");
  }
  std::array<std::string, 3> speed_left;
  for (int i = 0; i < 3; ++i) {
    speed_left[i] = LeftAsItWas(kSpeedNames[i], "speed");
  }
  int32_t track = 0;
  int64_t ex_records = 0;
  int64_t written = 0;
  for (const std::string& horse : horses) {
    // The course list is the build's own: the window's horse list stays as
    // loaded, so an extraction lists the same horses whatever ran before it.
    ++f.HorseCount;
    std::filesystem::path path;
    if (!frame.Do("entity file name",
                  [&] { path = dir.EntityPath(kUmaExFolder, horse, kUmaExSuffix); })) {
      continue;
    }
    ReportIfMissingEntityFile(ctx, path);
    // A horse whose file cannot be opened has no records to give.
    if (!frame.Do("open", [&] { f.OpenExFile(horse); })) continue;
    ex_records += f.RecordCount;
    for (f.r = 1; f.r <= f.RecordCount; ++f.r) {
      f.ReadEx(f.r);
      const bool no_race = RaceMissing(f);
      if (!Keep(f, b, no_race ? told_by_the_race_line : frame, track)) continue;
      ++f.ItemCount;
      const std::string entry = EntryName(f, horse);
      if (no_race && race_missing++ == 0) first_race_missing = entry;
      auto store = [&](Routine routine, ItemField field, const std::string& name) {
        const std::optional<Failure> failed = Store(f, routine, field);
        if (!failed) return;
        // A full disk or an I/O error under a table the factor reads ends
        // the build; the later records would only lose the factor too.
        if (IsFileSystemFailure(*failed)) frame.Skipped(name, *failed);
        if (no_race) return;
        left_as_it_was.Add(name, failed->cause(), entry, entry + ": " + failed->text());
      };
      for (int i = 0; i < 3; ++i) store(kSpeeds[i], SpeedFieldAt(i), speed_left[i]);
      for (int k = 1; k <= kFactorCount; ++k) store(kFactors[k], FactorField(k), factor_left[k]);
      PutText(f.ItemRecord, LayoutField(kFactorItemTable, "crlf"), "\r\n");
      if (frame.Do("write", [&] { items->Append(f.ItemRecord); })) ++written;
    }
    f.CloseExFile();
  }
  frame.Do("close", [&] { items->Close(); });

  if (race_missing > 0) {
    frame.Skipped(
        RaceEntries(race_missing) + " kept whose race is not in " + std::string(kRaNewFile),
        "their speeds and the factor codes that need the race were left as they were "
        "(they hold those of the race entry written before each; first: " +
            first_race_missing + ")");
  }
  for (const std::string& line : left_as_it_was.Lines()) frame.Skipped("", line);
  if (f.ItemCount == 0 && !horses.empty()) {
    const std::string of_the_horses =
        std::to_string(horses.size()) + " horses of " + std::string(b.kind.horse_list);
    frame.Note(std::string(b.kind.item_file) + " is written empty: " +
               (ex_records == 0
                    ? "none of the " + of_the_horses + " has extended records in " +
                          std::string(kUmaExFolder) + "/"
                    : "none of the " + std::to_string(ex_records) + " extended records of the " +
                          of_the_horses + " passes the keep test (docs/factors.md)"));
  }
  // The end text names the course only: the outcome line says what was written.
  // (ASCII: the same bytes in code page 932.)
  w.TellOutcome(RaceEntries(written) + " written to " + std::string(b.kind.item_file) + " (of " +
                std::to_string(ex_records) + " extended records of " +
                std::to_string(horses.size()) + " horses)");
  return b.end_text;
}

}  // namespace

void FormCATEGORYSETUP2024ZZ::Command2_Click() {
  RunStep("Command2", [this](StepFrame& frame) { return BuildItems(*this, kTurfBuild, frame); });
}

void FormCATEGORYSETUP2024ZZ::Command3_Click() {
  RunStep("Command3", [this](StepFrame& frame) { return BuildItems(*this, kDirtBuild, frame); });
}

void FormCATEGORYSETUP2024ZZ::Command4_Click() {
  RunStep("Command4", [this](StepFrame& frame) { return BuildItems(*this, kSteepleBuild, frame); });
}

}  // namespace volq
