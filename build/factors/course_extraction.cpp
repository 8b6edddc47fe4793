#include <memory>
#include <optional>

#include "build/factors/form_categorysetup2024zz.h"
#include "build/step/step_inputs.h"
#include "common/data_dir_catalogue.h"
#include "common/interrupted_runs.h"
#include "platform/fs/record_file.h"
#include "platform/fs/text_list.h"
#include "platform/text/cp932.h"

namespace volq {

// The course horse lists: every horse of the window's horse list that ran at
// least once on a course of the chosen type at one of the ten central
// racecourses in or after the start month typed into the status line.

void FormCATEGORYSETUP2024ZZ::Command1_Click() {
  RunStep("Command1", [this](StepFrame& frame) -> std::string {
    if (Option1.Value) {
      CourseChoice = 1;
    } else if (Option2.Value) {
      CourseChoice = 2;
    } else if (Option3.Value) {
      CourseChoice = 3;
    }
    if (CourseChoice == 0) {
      frame.Skipped("course", "no course type chosen; no list written");
      return "終わり";
    }
    const CourseKind& course = kCourseKinds[CourseChoice - 1];
    // The month as typed names the list; as a number it bounds the races.
    const std::string month = Text1.Text;
    int32_t start = 0;
    try {
      start = Integer(month);
    } catch (const Failure&) {
      // Text1 is the status line too: after any step it holds that step's
      // end text, and the month has to be typed again.
      frame.Skipped("start month",
                    "'" + ToUtf8(month) + "' is not a month: type Text1 201801, then press 抽出");
      return "";
    }

    const std::string list_name = CourseHorseList(course.word, month);
    DataDir& dir = Factors.dir();
    StepContext ctx{dir, frame, Factors.RecordCount};
    // The horse list was read when the window opened; the EX files are
    // consulted one by one.
    StopOnUnreadTables(true);
    BeginStep(ctx, {{},
                    {},
                    {list_name},
                    {kHorseList, kFolderOutput<kUmaExFolder>},
                    ExtractionRunFor(course, ToUtf8(month))});
    const std::filesystem::path list_path = dir.Path(list_name);
    std::unique_ptr<TextListWriter> list;
    if (!frame.Do("open", [&] { list = std::make_unique<TextListWriter>(list_path); })) return "";

    int64_t listed = 0;
    int64_t with_records = 0;
    for (int32_t i = 1; i <= Factors.HorseListCount; ++i) {
      const std::string& horse = Factors.HorseList[static_cast<size_t>(i)];
      std::filesystem::path path;
      if (!frame.Do("entity file name",
                    [&] { path = dir.EntityPath(kUmaExFolder, horse, kUmaExSuffix); })) {
        continue;
      }
      // Read whole, once; a horse without an extended-record file has no
      // runs, and reading makes no empty file for it.
      std::optional<RecordImage> ex;
      try {
        ex.emplace(path, kUmaExLength);
      } catch (const Failure& e) {
        if (EntryExists(path)) {
          frame.Skipped("open", e);
        } else {
          ReportIfMissingEntityFile(ctx, path);
        }
        continue;
      }
      if (ex->Count() > 0) ++with_records;
      for (int32_t k = 1; k <= ex->Count(); ++k) {
        const std::string_view rec = ex->View(k);
        const std::string_view track = UmaEx("track_code").Of(rec);
        if (track == "  " || !CentralRacecourse(UmaEx("race.venue").Of(rec))) continue;
        // A record whose track code, race year or month is no number is
        // passed over.
        bool hit = false;
        frame.Do("race record", [&] {
          const int32_t t = Integer(track);
          if (t < course.lowest_track || t > course.highest_track) return;
          std::string year_month(UmaEx("race.year").Of(rec));
          year_month += LayoutField(kUmaExTable, "race.month_day", 0, 2).Of(rec);
          hit = Integer(year_month) >= start;
        });
        if (hit) {
          if (frame.Do("write", [&] { list->String(horse).EndLine(); })) ++listed;
          break;
        }
      }
    }
    frame.Do("close", [&] { list->Close(); });
    if (listed == 0 && Factors.HorseListCount > 0) {
      frame.Note(list_name + " is written empty: none of the " +
                 std::to_string(Factors.HorseListCount) + " horses of " + std::string(kHorseList) +
                 (with_records == 0 ? " has extended records in " + std::string(kUmaExFolder) + "/"
                                    : " ran on a course of " + std::string(course.option_caption) +
                                          " at a central racecourse in or after " + ToUtf8(month)));
    }
    // The end text names nothing: the outcome line says what was listed.
    TellOutcome(Cp932(std::to_string(listed) + (listed == 1 ? " horse" : " horses") +
                      " listed in " + list_name + " (of " + std::to_string(Factors.HorseListCount) +
                      " in " + std::string(kHorseList) + ")"));
    return "終わり";
  });
}

}  // namespace volq
