#pragma once
// The catalogue of the data directory: every file and folder name that the
// two programs read or write, and the build program's buttons with the files
// each one's step goes through. Each name is typed here once for the
// programs: steps, checks, windows and the usage text take them from here,
// the sample-models tool too, and the scripts through `volqbuild --catalogue`
// (docs/glossary.md says what each file holds). The tests type the names of
// the files they lay out and look at as plain text, on purpose: they read as
// the files a maintainer finds in the data directory, and a name changed
// here by mistake fails them.
#include <array>
#include <cstddef>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace volq {

namespace catalogue_detail {
// A name put together when compiled from names of the catalogue, so that a
// folder's name is typed once even where a path or an output names it.
// Ends with a NUL byte, so data() may be passed on as a C string.
template <const std::string_view&... parts>
struct Joined {
  static constexpr size_t kSize = (parts.size() + ...);
  static constexpr std::array<char, kSize + 1> kText = [] {
    std::array<char, kSize + 1> text{};
    size_t i = 0;
    for (std::string_view p : {parts...}) {
      for (char c : p) text[i++] = c;
    }
    return text;
  }();
};
// Paths are written with '/' as a shell takes them; the data directory's
// lookup takes either slash.
inline constexpr std::string_view kSeparator = "/";
}  // namespace catalogue_detail

template <const std::string_view&... parts>
inline constexpr std::string_view kJoined{catalogue_detail::Joined<parts...>::kText.data(),
                                          catalogue_detail::Joined<parts...>::kSize};
// "FOLDER/NAME": a file inside a folder of the data directory.
template <const std::string_view& folder, const std::string_view& name>
inline constexpr std::string_view kInFolder = kJoined<folder, catalogue_detail::kSeparator, name>;
// "FOLDER/": how a step names a folder of per-entity files among its outputs.
template <const std::string_view& folder>
inline constexpr std::string_view kFolderOutput = kJoined<folder, catalogue_detail::kSeparator>;

// --- The twelve folders ------------------------------------------------------
// Per-entity files are named <entity number>.dat inside their folder (EX files
// <pedigree number>EX.dat); OPTION1N holds summaries and the models.
inline constexpr std::string_view kHorseEntryFolder = "UMAGOTOSETUP";     // a horse's race entries
inline constexpr std::string_view kJockeyEntryFolder = "KISHUGOTOSETUP";  // a jockey's rides
inline constexpr std::string_view kDamOffspringFolder = "HAHAHAN";        // a dam's foals (SK)
inline constexpr std::string_view kDamBlockFolder = "HAHA";         // a dam's offspring blocks
inline constexpr std::string_view kDamTotalFolder = "HAHAN";        // a dam's offspring totals
inline constexpr std::string_view kSireBlockFolder = "SHUBOBA";     // a sire's offspring blocks
inline constexpr std::string_view kSireTotalFolder = "SHUBOBAN";    // a sire's offspring totals
inline constexpr std::string_view kHorseCountFolder = "KYOSOBA";    // a horse's placing counts
inline constexpr std::string_view kHorseNumberFolder = "KYOSOBAN";  // a horse's placing numbers
inline constexpr std::string_view kJockeyPlacingFolder = "KISHUFUKUSHO";  // a jockey's place counts
inline constexpr std::string_view kOptionFolder = "OPTION1N";
inline constexpr std::string_view kUmaExFolder = "UMAGOTOEXSETUP";  // a horse's EX records
inline constexpr std::string_view kUmaExSuffix = "EX.dat";
// The data directory brings them along: no step creates a folder.
inline constexpr std::string_view kDataDirFolders[] = {
    kHorseEntryFolder,  kJockeyEntryFolder,   kDamOffspringFolder, kDamBlockFolder,
    kDamTotalFolder,    kSireBlockFolder,     kSireTotalFolder,    kHorseCountFolder,
    kHorseNumberFolder, kJockeyPlacingFolder, kOptionFolder,       kUmaExFolder};

// --- Raw files of the download -------------------------------------------------
// Named by the type of the records they hold (RecordTypeOf).
inline constexpr std::string_view kRaRawFile = "RA20180101.dat";
inline constexpr std::string_view kSeRawFile = "SE20180101.dat";
inline constexpr std::string_view kUmRawFile = "UM20180101.dat";
inline constexpr std::string_view kHnRawFile = "HN20180101.dat";
inline constexpr std::string_view kKsRawFile = "KS20180101.dat";
inline constexpr std::string_view kSkRawFile = "SK20180101.dat";
inline constexpr std::string_view kChRawFile = "CH20180101.dat";
inline constexpr std::string_view kBrRawFile = "BR20180101.dat";
inline constexpr std::string_view kBnRawFile = "BN20180101.dat";
inline constexpr std::string_view kMarketSaleFile = "HS20180101.dat";  // lines, not records

// The ten raw files a download writes, in their file numbers' order: the
// nine record files, then the market-sale lines.
struct RawRecordFile {
  std::string_view type;
  std::string_view file;
};
inline constexpr RawRecordFile kRawFiles[] = {
    {"RA", kRaRawFile}, {"SE", kSeRawFile},     {"UM", kUmRawFile}, {"HN", kHnRawFile},
    {"KS", kKsRawFile}, {"SK", kSkRawFile},     {"CH", kChRawFile}, {"BR", kBrRawFile},
    {"BN", kBnRawFile}, {"HS", kMarketSaleFile}};
inline constexpr int kRawFileCount = static_cast<int>(std::size(kRawFiles));
// The nine record files: all but the market-sale lines, which come last.
inline constexpr std::span<const RawRecordFile> kRawRecordFiles(kRawFiles, kRawFileCount - 1);

// --- NEW files: one record per key -----------------------------------------------
inline constexpr std::string_view kRaNewFile = "RA20180101NEW.dat";
inline constexpr std::string_view kSeNewFile = "SE20180101NEW.dat";
inline constexpr std::string_view kUmNewFile = "UM20180101NEW.dat";
inline constexpr std::string_view kHnNewFile = "HN20180101NEW.dat";
inline constexpr std::string_view kKsNewFile = "KS20180101NEW.dat";
inline constexpr std::string_view kSkNewFile = "SK20180101NEW.dat";
inline constexpr std::string_view kChNewFile = "CH20180101NEW.dat";
inline constexpr std::string_view kBrNewFile = "BR20180101NEW.dat";
inline constexpr std::string_view kBnNewFile = "BN20180101NEW.dat";

// --- Lists: one key per line ---------------------------------------------------
inline constexpr std::string_view kHorseList = "KETTONUM20180101.dat";
inline constexpr std::string_view kRecentHorseList = "KETTONUM20180101Q.dat";
inline constexpr std::string_view kRetiredHorseList = "KETTOMASSHO.dat";
inline constexpr std::string_view kJockeyList = "KISHUNUM20180101.dat";
inline constexpr std::string_view kDamList = "HAHAHANNUM20180101.dat";
inline constexpr std::string_view kSireList = "TITIHANNUM20180101.dat";
inline constexpr std::string_view kFemaleLineList = "FL20180101.dat";
inline constexpr std::string_view kStandardTimeFile = "KIJUNTIME.dat";

// --- Tallies and summaries (their layouts in common/derived_layout.h) ----------------
inline constexpr std::string_view kJockeyTallyFile = "KISHUSEISEI.dat";
inline constexpr std::string_view kTrainerTallyFile = "CHOKYOSEISEI.dat";
inline constexpr std::string_view kBreederTallyFile = "BREEDERSEISEI.dat";
inline constexpr std::string_view kOwnerTallyFile = "BANUSISEISEI.dat";
namespace catalogue_detail {
inline constexpr std::string_view kMare = "MARE.dat";
inline constexpr std::string_view kStallion = "STALLION.dat";
inline constexpr std::string_view kKyosoba = "KYOSOBA.dat";
inline constexpr std::string_view kKyosobaA = "KYOSOBAA.dat";
inline constexpr std::string_view kDonichi = "DONICHI.dat";
inline constexpr std::string_view kHahauma = "HAHAUMA.dat";
}  // namespace catalogue_detail
inline constexpr std::string_view kMareFile = kInFolder<kOptionFolder, catalogue_detail::kMare>;
inline constexpr std::string_view kStallionFile =
    kInFolder<kOptionFolder, catalogue_detail::kStallion>;
inline constexpr std::string_view kKyosobaFile =
    kInFolder<kOptionFolder, catalogue_detail::kKyosoba>;
// The placing records of the recently run horses.
inline constexpr std::string_view kRecentPlacingFile =
    kInFolder<kOptionFolder, catalogue_detail::kKyosobaA>;
inline constexpr std::string_view kDonichiFile =
    kInFolder<kOptionFolder, catalogue_detail::kDonichi>;
// Dam summaries that an alternative routine looks up; no step writes them.
inline constexpr std::string_view kDamHorseFile =
    kInFolder<kOptionFolder, catalogue_detail::kHahauma>;

// --- The course types of the factor window ----------------------------------------
// Each type's words, its files, the track codes that make a race of it, and
// the category window's controls that choose it and build its ITEM file.
struct CourseKind {
  std::string_view word;        // of the course horse lists: SIBA<month>N.dat
  std::string_view model_word;  // of the model and category files: Siba
  std::string_view horse_list;  // the list of an extraction from 201801
  std::string_view item_file;   // the ITEM file
  int lowest_track, highest_track;
  std::string_view option, option_caption;          // chooses the type for the extraction
  std::string_view build, build_caption;            // writes the ITEM file
  std::string_view categorise, categorise_caption;  // writes the category files
};
inline constexpr CourseKind kCourseKinds[3] = {
    {"SIBA", "Siba", "SIBA201801N.dat", "SIBAITEM201801N2024.dat", 0, 22, "Option1", "芝",
     "Command2", "芝因子設定", "Command5", "芝カテゴリー化"},
    {"DIRT", "Dirt", "DIRT201801N.dat", "DIRTITEM201801N2024.dat", 23, 29, "Option2", "ダート",
     "Command3", "ダ因子設定", "Command6", "ダカテゴリー化"},
    {"SHOG", "Shog", "SHOG201801N.dat", "SHOGITEM201801N2024.dat", 51, 59, "Option3", "障害",
     "Command4", "障因子設定", "Command7", "障カテゴリー化"},
};
// The window of the course types' steps.
inline constexpr std::string_view kCategoryWindow = "FormCATEGORYSETUP2024ZZ";
// The category window's extraction, which writes the course horse lists.
inline constexpr std::string_view kExtractionButton = "Command1";
inline constexpr std::string_view kExtractionCaption = "抽出";
// The course horse list of an extraction from `month` (as typed):
// SIBA201801N.dat for turf from 201801.
std::string CourseHorseList(std::string_view word, std::string_view month);
// The course type and month of course horse list `file` (digits between the
// course word and "N.dat"); nullptr for another file.
const CourseKind* CourseOfHorseList(std::string_view file, std::string_view& month);

// The files of a course type named by its model word: the categorisation
// writes the first six into the data directory; the models made from them
// outside the system (the category list, the totals and the three weight
// sets) are read from OPTION1N.
enum class CourseFile {
  ItemCategory,       // SibaItemCategory201801N2024.dat
  ItemCategoryCount,  // SibaItemCategoryCount201801N2024.dat
  TotalData,          // QA1SibaTotalData201801N2024.dat
  AgariData,
  PaceData,
  SohaData,
  AgariWeightData,  // QA1SibaAgariWeightData201801N2024.dat
  PaceWeightData,
  SohaWeightData,
};
std::string CourseFileName(CourseFile file, std::string_view model_word);
// The six files the categorisation of a course type writes, in the order it
// writes them: the first six above.
std::vector<std::string> CategorisationOutputs(std::string_view model_word);
// "OPTION1N/<name>", where the models are put.
std::string InOptionFolder(std::string_view name);

// --- The build program's buttons ----------------------------------------------------
// What a button does; the program's main window wires each to its routine.
enum class BuildStep {
  Race,                 // RA NEW file
  RaceEntry,            // SE NEW file
  Horse,                // UM NEW file, horse lists, placing counts
  Jockey,               // KS NEW file, jockey list and tally
  TrainerBreederOwner,  // CH/BR/BN NEW files and tallies
  Breeding,             // HN NEW file, female-line list
  DamOffspring,         // SK NEW file, dam lists and summaries
  SireOffspring,        // SK NEW file, sire lists and summaries
  DamOffspringFiles,    // a dam's foals per dam
  HorseEntryFiles,      // a horse's race entries per horse
  JockeyEntryFiles,     // a jockey's rides per jockey
  RecentHorses,         // recent horses, their placings, jockey place counts
  OpenExtended,         // opens the extended-record window
  Margin,               // winner margins of the recent horses
  OpenCategory,         // opens the category window
  Nothing,              // a button that does nothing
  ExBuild,              // the extended-record window: every listed horse's EX file
  StandardTimes,        // the extended-record window: the standard-time table
};

struct BuildButton {
  std::string_view window;   // the window's class name
  std::string_view control;  // the control's name
  std::string_view caption;  // UTF-8
  BuildStep step;
  // The files its step goes through record by record or item by item, those
  // it only consults, and its outputs in the order it writes them (a folder
  // of per-entity files as "FOLDER/"): what the step checks before it
  // changes anything.
  std::vector<std::string_view> walks, consults, writes;
  // What else it reads that another step writes: folders of per-entity
  // files, and tables its window read when it opened. A step cut short that
  // writes one of these, or of walks and consults, keeps it from running.
  std::vector<std::string_view> also_reads = {};
};

inline constexpr std::string_view kMainWindow = "FormVolqBuild";
inline constexpr std::string_view kExtendedWindow = "FormVOLQNQ4DEXPDSETUP2024ZZ";

// Every button of the main window in the order their steps need each other's
// files (the order the window lists them), then the extended-record window's.
const std::vector<BuildButton>& BuildButtons();
// The button of a step; every step has exactly one.
const BuildButton& ButtonOf(BuildStep step);

// A button as reports name it: "Command3 (UM(競走馬))"; the control alone
// when it has no caption.
std::string ButtonShown(const BuildButton& b);

// The buttons of `window` that do something, in the table's order, as
// reports name them: "Command1 (計算), Command2 (表示)".
std::string ButtonOrder(std::string_view window);

// What a report of a missing input tells the user to do, from the table of
// buttons: "download first with volqfetch" for a file of the download,
// "write it first: press Command3 (UM(競走馬))" for a file a step writes (a
// button of another window named with the one that opens it, the course
// lists and ITEM files with the category window's presses); "" for a file
// no program writes (the models, made outside the system). `from` is the
// window the user is in: a press of another window starts with the way
// there ("window 1, press Command3 (UM(競走馬))" from the extended-record
// window), one of the same window names the press alone.
std::string WriteItFirst(std::string_view file, std::string_view from = kMainWindow);

// The catalogue as scripts read it (`volqbuild --catalogue`): one line
// "folder NAME" per folder, then "button WINDOW CONTROL STEP CAPTION" per
// button in the table's order, STEP a word: "step", "opens" or "none".
std::string CatalogueText();

}  // namespace volq
