#include "common/data_dir_catalogue.h"

#include <stdexcept>

namespace volq {

std::string CourseHorseList(std::string_view word, std::string_view month) {
  return std::string(word) + std::string(month) + "N.dat";
}

namespace {

bool IsDigits(std::string_view s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

const CourseKind* CourseOfHorseList(std::string_view file, std::string_view& month) {
  constexpr std::string_view kEnd = "N.dat";
  for (const CourseKind& k : kCourseKinds) {
    if (file.size() <= k.word.size() + kEnd.size() || !file.starts_with(k.word) ||
        !file.ends_with(kEnd)) {
      continue;
    }
    const std::string_view between =
        file.substr(k.word.size(), file.size() - k.word.size() - kEnd.size());
    if (!IsDigits(between)) continue;
    month = between;
    return &k;
  }
  return nullptr;
}

std::string CourseFileName(CourseFile file, std::string_view model_word) {
  struct Pattern {
    std::string_view before, after;  // around the model word
  };
  // clang-format off
  static constexpr Pattern kPatterns[] = {
      {"", "ItemCategory201801N2024.dat"},    {"", "ItemCategoryCount201801N2024.dat"},
      {"QA1", "TotalData201801N2024.dat"},    {"QA1", "AgariData201801N2024.dat"},
      {"QA1", "PaceData201801N2024.dat"},     {"QA1", "SohaData201801N2024.dat"},
      {"QA1", "AgariWeightData201801N2024.dat"}, {"QA1", "PaceWeightData201801N2024.dat"},
      {"QA1", "SohaWeightData201801N2024.dat"}};
  // clang-format on
  const Pattern& p = kPatterns[static_cast<size_t>(file)];
  return std::string(p.before) + std::string(model_word) + std::string(p.after);
}

std::vector<std::string> CategorisationOutputs(std::string_view model_word) {
  // The category list, its record counts, the total file and the three speed
  // data sets.
  std::vector<std::string> names;
  for (CourseFile f :
       {CourseFile::ItemCategory, CourseFile::ItemCategoryCount, CourseFile::TotalData,
        CourseFile::AgariData, CourseFile::PaceData, CourseFile::SohaData}) {
    names.push_back(CourseFileName(f, model_word));
  }
  return names;
}

std::string InOptionFolder(std::string_view name) {
  return std::string(kOptionFolder) + std::string(catalogue_detail::kSeparator) + std::string(name);
}

const std::vector<BuildButton>& BuildButtons() {
  using S = BuildStep;
  constexpr std::string_view w = kMainWindow;
  // clang-format off
  static const std::vector<BuildButton> buttons = {
      {w, "Command1", "RA(レース）", S::Race, {kRaRawFile}, {}, {kRaNewFile}},
      {w, "Command2", "SE(詳細)", S::RaceEntry, {kSeRawFile}, {}, {kSeNewFile}},
      {w, "Command3", "UM(競走馬)", S::Horse, {kUmRawFile}, {},
       {kUmNewFile, kHorseList, kRetiredHorseList, kFolderOutput<kHorseCountFolder>,
        kFolderOutput<kHorseNumberFolder>, kKyosobaFile}},
      {w, "Command12", "KS(騎手）", S::Jockey, {kKsRawFile}, {},
       {kKsNewFile, kJockeyList, kJockeyTallyFile}},
      {w, "Command14", "CH/BR/BN", S::TrainerBreederOwner, {kChRawFile, kBrRawFile, kBnRawFile},
       {},
       {kChNewFile, kTrainerTallyFile, kBrNewFile, kBreederTallyFile, kBnNewFile,
        kOwnerTallyFile}},
      {w, "Command7", "HN（繁殖）", S::Breeding, {kHnRawFile}, {}, {kHnNewFile, kFemaleLineList}},
      {w, "Command4", "SK（母産駒）", S::DamOffspring, {kSkRawFile, kUmNewFile}, {},
       {kSkNewFile, kDamList, kFolderOutput<kDamBlockFolder>, kFolderOutput<kDamTotalFolder>,
        kMareFile}},
      {w, "Command5", "SK（父産駒）", S::SireOffspring, {kSkRawFile, kUmNewFile}, {},
       {kSkNewFile, kDamList, kSireList, kFolderOutput<kSireBlockFolder>,
        kFolderOutput<kSireTotalFolder>, kStallionFile}},
      {w, "Command11", "SK/HN", S::DamOffspringFiles, {kDamList, kSkNewFile}, {},
       {kFolderOutput<kDamOffspringFolder>}},
      {w, "Command6", "SE/UM", S::HorseEntryFiles, {kHorseList, kSeNewFile}, {},
       {kFolderOutput<kHorseEntryFolder>}},
      {w, "Command15", "SE/KS", S::JockeyEntryFiles, {kJockeyList, kSeNewFile}, {},
       {kFolderOutput<kJockeyEntryFolder>}},
      {w, "Command8", "血統Q、騎手", S::RecentHorses, {kHorseList, kJockeyList}, {kKyosobaFile},
       {kRecentHorseList, kRecentPlacingFile, kFolderOutput<kJockeyPlacingFolder>, kDonichiFile},
       {kFolderOutput<kHorseEntryFolder>, kFolderOutput<kJockeyEntryFolder>}},
      {w, "Command9", "VOLQNQ4DEXPD", S::OpenExtended, {}, {}, {}},
      {w, "Command13", "着差", S::Margin, {kRecentHorseList}, {}, {},
       {kFolderOutput<kUmaExFolder>}},
      {w, "Command10", "CATEGORY2006", S::OpenCategory, {}, {}, {}},
      {w, "Command16", "", S::Nothing, {}, {}, {}},
      {kExtendedWindow, "Command1", "計算", S::ExBuild, {kHorseList},
       {kUmNewFile, kKsNewFile, kRaNewFile}, {kFolderOutput<kUmaExFolder>},
       {kFolderOutput<kHorseEntryFolder>, kFolderOutput<kDamOffspringFolder>}},
      {kExtendedWindow, "Command2", "表示", S::StandardTimes, {kRecentHorseList}, {},
       {kStandardTimeFile}, {kFolderOutput<kUmaExFolder>}},
  };
  // clang-format on
  return buttons;
}

const BuildButton& ButtonOf(BuildStep step) {
  for (const BuildButton& b : BuildButtons()) {
    if (b.step == step) return b;
  }
  throw std::logic_error("a build step without its button");
}

std::string ButtonShown(const BuildButton& b) {
  std::string shown(b.control);
  if (!b.caption.empty()) shown += " (" + std::string(b.caption) + ")";
  return shown;
}

std::string ButtonOrder(std::string_view window) {
  std::string order;
  for (const BuildButton& b : BuildButtons()) {
    if (b.window != window || b.step == BuildStep::Nothing) continue;
    order += (order.empty() ? "" : ", ") + ButtonShown(b);
  }
  return order;
}

namespace {

// "window 1, " from a window other than the main window (always window 1:
// the program starts with it).
std::string ToMainWindow(std::string_view from) {
  return from == kMainWindow ? std::string() : "window 1, ";
}

// The press of button b from window `from`: a button of another window
// after the way there.
std::string PressOf(const BuildButton& b, std::string_view from) {
  if (b.window == from) return "press " + ButtonShown(b);
  if (b.window == kMainWindow) return ToMainWindow(from) + "press " + ButtonShown(b);
  return ToMainWindow(from) + "press " + ButtonShown(ButtonOf(BuildStep::OpenExtended)) +
         ", then " + ButtonShown(b) + " in the window it opens";
}

}  // namespace

std::string WriteItFirst(std::string_view file, std::string_view from) {
  for (const RawRecordFile& raw : kRawFiles) {
    if (file == raw.file) return "download first with volqfetch";
  }
  for (const BuildButton& b : BuildButtons()) {
    for (std::string_view output : b.writes) {
      if (output == file) return "write it first: " + PressOf(b, from);
    }
  }
  const std::string category = from == kCategoryWindow
                                   ? std::string("write it first: ")
                                   : "write it first: " + ToMainWindow(from) + "press " +
                                         ButtonShown(ButtonOf(BuildStep::OpenCategory)) +
                                         ", then in the window it opens ";
  for (const CourseKind& k : kCourseKinds) {
    const std::string choose =
        "press " + std::string(k.option) + " (" + std::string(k.option_caption) + ")";
    if (file == k.item_file) {
      return category + choose + " and " + std::string(k.build) + " (" +
             std::string(k.build_caption) + ")";
    }
    // SIBA201801N.dat: the extraction from the month between word and "N.dat".
    std::string_view month;
    if (CourseOfHorseList(file, month) == &k) {
      return category + "type Text1 " + std::string(month) + ", " + choose + " and " +
             std::string(kExtractionButton) + " (" + std::string(kExtractionCaption) + ")";
    }
  }
  return "";
}

std::string CatalogueText() {
  std::string text;
  for (std::string_view f : kDataDirFolders) text += "folder " + std::string(f) + "\n";
  for (const BuildButton& b : BuildButtons()) {
    const char* kind = b.step == BuildStep::Nothing ? "none"
                       : b.step == BuildStep::OpenExtended || b.step == BuildStep::OpenCategory
                           ? "opens"
                           : "step";
    text += "button " + std::string(b.window) + " " + std::string(b.control) + " " + kind;
    if (!b.caption.empty()) text += " " + std::string(b.caption);
    text += "\n";
  }
  return text;
}

}  // namespace volq
