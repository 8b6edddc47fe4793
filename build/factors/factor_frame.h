#pragma once
// The factor frame of the category window, and the routines that work in it:
// the horse's extended-record file with its current record number, the one
// EX record buffer and the one ITEM record buffer, the tables the window
// loads when it opens (horse list, dam-line table, category-weight models),
// the lookups in prepared record files, and the speed, factor and model
// routines with the conversions they share. The window holds one frame
// (FormCATEGORYSETUP2024ZZ::Factors); the routines see nothing of the window
// (its controls, its categorisation tables), so a change to the window does
// not reach them. The alternative routines (build/factors_alt) take the
// frame too.
//
// A routine fails by raising volq::Failure; the factor build then leaves the
// routine's ITEM field as it was.
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "build/factors/race_day.h"
#include "common/derived_layout.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/record_file.h"
#include "platform/fs/text_list.h"

namespace volq {

inline constexpr int kFactorCount = 30;

// Course types of the window, in the order of its buttons and model files.
enum CourseType { kTurf = 0, kDirt = 1, kSteeple = 2 };
// "Siba", "Dirt", "Shog": the word of a course type in the model file names.
const char* ModelWord(int course);

// A field of the EX record named as in its table (common/derived_layout.h),
// resolved when compiled: Ex("track_code") is EX 775:2, Ex({"distance", 0, 3})
// the first three digits of EX 767:4.
struct ExField {
  Slice slice;
  consteval ExField(const char* name) : slice(LayoutField(kUmaExTable, name)) {}
  consteval ExField(const char* name, int at, int length)
      : slice(LayoutField(kUmaExTable, name, at, length)) {}
};

// Offset and width of ITEM field Fk (k = 1..30) of the factor-item record.
struct ItemField {
  int offset;
  int width;
};
ItemField FactorField(int k);
// Speed field i (0 Agari, 1 Pace, 2 whole race).
constexpr ItemField SpeedFieldAt(int i) {
  constexpr Slice kSpeeds = LayoutField(kFactorItemTable, "speed[0]");
  return {kSpeeds.offset + kSpeeds.length * i, kSpeeds.length};
}

// One course type's category-weight model, made outside the system.
// Column K runs 1..30 (index 0 unused); position j runs 1..count[K] in the
// lists and 0..count[K] in the weights, where position 0 weighs 0.
struct CategoryModel {
  std::array<int32_t, kFactorCount + 1> count{};
  std::array<std::vector<std::string>, kFactorCount + 1> list;
  std::array<std::vector<float>, kFactorCount + 1> agari, pace, soha;
  // Per column the first position of each category text, so that a lookup
  // is no scan of up to 6000 texts; made by IndexCategories when the model is
  // loaded. A column without an index is scanned.
  std::array<std::unordered_map<std::string, int32_t>, kFactorCount + 1> first;
};
// Makes the index of every column from the lists as they stand (a model
// changed afterwards is indexed again).
void IndexCategories(CategoryModel& m);

// The dam-line table: per mare row, generations 0..12 of six texts
// (breeding number, name, birth year, birthplace, sire number, dam number).
// The texts are views: the loaded rows point into the list's bytes, which the
// frame keeps (140,000 mares are 11 million texts).
using FemaleLineRow = std::array<std::array<std::string_view, 6>, 13>;

class FactorFrame {
 public:
  explicit FactorFrame(DataDir& dir);
  FactorFrame(const FactorFrame&) = delete;
  FactorFrame& operator=(const FactorFrame&) = delete;

  DataDir& dir() { return dir_; }

  // --- Tables loaded when the window opens -------------------------------
  // Horse list entries 1..; index 0 unused. Only the window's load sets it;
  // the factor build reads its course horse list into a list of its own.
  std::vector<std::string> HorseList{std::string()};
  int32_t HorseListCount = 0;
  // Dam-line rows 1..; index 0 unused.
  std::vector<FemaleLineRow> FemaleLineTable{FemaleLineRow{}};
  int32_t FemaleLineRowCount() const { return static_cast<int32_t>(FemaleLineTable.size()) - 1; }
  // The bytes the loaded dam-line rows point into.
  std::unique_ptr<TextListReader> FemaleLineSource;
  // Indexed by CourseType.
  std::array<CategoryModel, 3> Models;

  // --- Build state, kept between steps of the window -----------------------
  int32_t HorseCount = 0;
  int32_t ItemCount = 0;
  int32_t RecordCount = 0;  // EX records of the horse being processed
  int32_t r = 0;            // current record number, 1-based
  // Never cleared: fields keep their last values across records and runs.
  std::string ExRecord = std::string(kUmaExLength, ' ');
  std::string ItemRecord = std::string(kItemLength, ' ');

  // The horse's EX file (file number 2), held whole while open. A missing
  // file has no records (RecordCount 0) and is not created; a pedigree
  // number that is not a plain file name raises a file Failure.
  void OpenExFile(std::string_view pedigree);
  void CloseExFile();
  // Reads record k of the open EX file into ExRecord. With no file open or k
  // outside 1..RecordCount it raises an index Failure and leaves the buffer.
  // A trailing partial record reads blank-padded.
  void ReadEx(int32_t k);
  // A field of the buffer.
  std::string_view Ex(Slice s) const {
    return std::string_view(ExRecord).substr(static_cast<size_t>(s.offset),
                                             static_cast<size_t>(s.length));
  }
  std::string_view Ex(ExField f) const { return Ex(f.slice); }
  // The fields most routines read.
  std::string_view RaceYear() const { return Ex("race.year"); }                // EX 11:4
  std::string_view RaceMonth() const { return Ex({"race.month_day", 0, 2}); }  // EX 15:2
  // The race's day, EX 11:8 (year, then month and day of the month-day
  // field), and the horse's birth date laid out alike.
  RaceDay RaceDate() const { return RaceDay::OfMonthDay(RaceYear(), Ex("race.month_day")); }
  RaceDay BirthDate() const {
    return {std::string(Ex("birth_date.year")), std::string(Ex("birth_date.month")),
            std::string(Ex("birth_date.day"))};
  }
  std::string_view Venue() const { return Ex("race.venue"); }          // EX 19:2, racecourse code
  std::string_view HorseNumber() const { return Ex("horse_number"); }  // EX 28:2
  std::string_view Pedigree() const { return Ex("pedigree_number"); }  // EX 30:10
  std::string_view Sire() const { return Ex("pedigree[0].breeding_number"); }  // EX 252:10
  std::string_view JockeyCode() const { return Ex("jockey_code"); }            // EX 613:5
  std::string_view ArrivalOrder() const { return Ex("arrival_order"); }        // EX 679:2
  std::string_view Distance() const { return Ex("distance"); }                 // EX 767:4
  std::string_view TrackCode() const { return Ex("track_code"); }              // EX 775:2
  // Previous valid run of the current record r (r >= 2): reads record r-1;
  // r-1 when its abnormality code EX 678:1 is "0", else 1 for r = 2 and r-2
  // for r > 2. Leaves record r-1 in the buffer; the caller reads what it needs.
  int32_t PreviousValidRun();

  // Stores value into a field of the ITEM record buffer: left-justified,
  // blank-padded and cut to the width.
  void StoreItem(ItemField f, std::string_view value);
  std::string_view Item(ItemField f) const {
    return std::string_view(ItemRecord)
        .substr(static_cast<size_t>(f.offset), static_cast<size_t>(f.width));
  }

  // --- Lookups in prepared record files -----------------------------------
  // The first record of FILE (relative to the data directory, e.g.
  // "OPTION1N/STALLION.dat") whose first key.size() characters equal key, or
  // nullptr. A missing file has no records and is not created (the step
  // that consults it reports it). Each file is read and indexed once and
  // kept until ClearLookups(): the steps that call routines clear at their
  // start, so a file rewritten by another step is read again.
  const std::string* LookupRecord(std::string_view file, int record_length, std::string_view key);
  // Every record of a record file, in order (a trailing partial record
  // blank-padded); cached like LookupRecord. A missing file has no records.
  const std::vector<std::string>& RecordsOf(std::string_view file, int record_length);
  void ClearLookups();

  // --- Speed routines: on whatever record the EX buffer holds ---------------
  // (speeds.cpp)
  std::string AgariSpeed();
  std::string PaceSpeed();
  std::string SohaSpeed();

  // --- Factor routines: the code of their factor for record r ---------------
  // factors_01_10.cpp, factors_11_20.cpp, factors_21_30.cpp; 17 and 29 in
  // model_factors.cpp.
  std::string Factor01Year();
  std::string Factor02VenueTrack();
  std::string Factor03PrevRunChange();
  std::string Factor04Futan();
  std::string Factor05PrizeLog();
  std::string Factor06RaceKigo();
  std::string Factor07KishuSeiseki();
  std::string Factor08KyosobaValue();
  std::string Factor09RaceCount();
  std::string Factor10FutanRatio();
  std::string Factor11Bataiju();
  std::string Factor12AgeMonths();
  std::string Factor13StallionLog();
  std::string Factor14Interval();
  std::string Factor15PrevOddsLog();
  std::string Factor16StallionValue();
  std::string Factor17PaceDeviation();
  std::string Factor18KishuAgeBand();
  std::string Factor19ChokyoSeiseki();
  std::string Factor20StallionStat();
  std::string Factor21GradeRaceNo();
  std::string Factor22DistanceCode();
  std::string Factor23StallionDistance();
  std::string Factor24Umaban();
  std::string Factor25UmaKigo();
  std::string Factor26PrevTimeDiff();
  std::string Factor27KaijiNichiji();
  std::string Factor28CountBand();
  std::string Factor29AgariDeviation();
  std::string Factor30KyosobaValue();

  // --- The category-weight model state -------------------------------------
  std::array<int16_t, kFactorCount + 1> ModelIndexTable{};
  std::string LookupKey;
  int32_t LookupColumn = 0;
  std::array<float, 3> AgariTotals{}, PaceTotals{}, SohaTotals{};

  // --- Model routines shared by factors 17 and 29 (model_factors.cpp) --------
  void ItemCategoryIndexAll();
  int32_t ModelCategoryIndexOf();
  void ScoreSumA();
  void ScoreSumC();
  // The score sum of one kind of weights (agari, pace or soha) into its
  // three totals: only the buffer record's model course type gets a sum.
  void ScoreSumOf(std::array<std::vector<float>, kFactorCount + 1> CategoryModel::*weights,
                  std::array<float, 3>& totals);

 private:
  struct LookupFile {
    std::vector<std::string> records;
    int key_length = -1;
    std::unordered_map<std::string, size_t> first;
  };
  LookupFile& Load(std::string_view file, int record_length);

  DataDir& dir_;
  std::optional<RecordImage> ex_file_;
  std::unordered_map<std::string, LookupFile> lookups_;
};

// --- Conversions shared by the routines ------------------------------------

// The numeric value of the leading number of t, blanks skipped anywhere
// before and inside it ("0012" 12, " 3.5" 3.5, "1 2" 12, "-5" -5); a text
// without a number gives 0. Never fails.
double Value(std::string_view t);
// t as a whole number: blanks around it allowed, a sign, digits, and a
// fraction rounded half to even. Anything else (an empty or blank text,
// letters) raises a conversion Failure; beyond 32 bits an overflow Failure.
int32_t Integer(std::string_view t);
// x as a whole number of the signed type IntT, cut toward zero as a cast
// does (callers floor or round first). A value that is not finite (a division
// by a zero or tiny field) or lies outside IntT raises an overflow Failure,
// as a routine's conversion to a whole number fails, instead of a cast
// with no defined result.
template <typename IntT>
IntT Whole(double x) {
  static_assert(std::numeric_limits<IntT>::is_integer && std::numeric_limits<IntT>::is_signed);
  // -min is 2^(bits-1), a power of two that a double holds exactly.
  constexpr double kLow = static_cast<double>(std::numeric_limits<IntT>::min());
  if (!(x >= kLow && x < -kLow)) {
    const std::string cause =
        "beyond " + std::to_string(std::numeric_limits<IntT>::digits + 1) + " bits";
    const std::string value = std::to_string(x);
    throw Failure(Failure::Kind::Overflow, cause + ": " + value, cause, value);
  }
  return static_cast<IntT>(x);
}
// over / under in T (float for the single-precision quotients); an under of
// 0 raises an overflow Failure, the division by zero of a routine.
template <typename T>
T Quotient(T over, T under) {
  if (under == 0) FailOverflow("division by zero");
  return over / under;
}
// floor(x) as a whole number, checked as Whole.
template <typename IntT = int64_t>
IntT Floor(double x) {
  return Whole<IntT>(std::floor(x));
}
// Shortest decimal text: "7", "-4", "0".
std::string Decimal(int64_t n);
// The last n characters of t, or all of t when it is shorter: the codes cut
// from decimal(k + 100) and the like.
std::string LastChars(std::string_view t, size_t n);
// A day count taken through the last four digits of count + 10000: counts of
// 0 to 9999 pass unchanged, 10000 and more wrap, -1 comes out as 9999.
int32_t DaysCut(int64_t days);
// Class of a six-character rate text (rate x 100000): floor(value / 4000).
int64_t RateClass(std::string_view rate);
// Whole percent of a six-character rate text: floor(value / 1000).
int64_t RatePercent(std::string_view rate);
// floor(10 × ln x / ln 10) in double precision, the logarithmic class of the
// factor routines. x must be above 0, else a conversion Failure.
int32_t LogClass(double x);
// The speed text: the last seven characters of floor(v × 100000) + 10000000
// (v in single precision, the product, floor and sum in double).
std::string SpeedField7(float v);
// Career top-3 rate of a jockey or trainer tally for track code t: turf for
// 0..22, dirt for 23..dirt_highest, else the jump rate.
inline Slice CareerTop3Rate(int32_t t, int32_t dirt_highest) {
  if (t >= 0 && t <= 22) return TallyField("top3_rate[2].turf");
  if (t >= 23 && t <= dirt_highest) return TallyField("top3_rate[2].dirt");
  return TallyField("jump_top3_rate");
}
// Course type of a model for track code t: turf 0..22, dirt 23..24,
// steeplechase for every other code.
int ModelCourseType(int32_t t);
// One of the ten central racecourses: code "01" to "10".
bool CentralRacecourse(std::string_view code);

}  // namespace volq
