#include "tools/fieldref/field_reference.h"

#include "common/data_dir_catalogue.h"
#include "common/derived_layout.h"
#include "common/record_layout.h"

namespace volq {

namespace {

std::string Code(std::string_view s) { return "`" + std::string(s) + "`"; }

// A table cell: a '|' would end it.
std::string Cell(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '|') out += '\\';
    out += c;
  }
  return out;
}

// One step of a repeated entry: the bytes from one repeat to the next and
// the letter that stands for its index.
struct Stride {
  int bytes;
  char letter;
};

void Rows(std::string_view title, std::span<const LayoutEntry> table, int at,
          const std::string& prefix, const std::vector<Stride>& strides, std::string& out,
          std::vector<std::string>& missing) {
  for (const LayoutEntry& e : table) {
    const int whole = layout_detail::Width(e, true);
    const int one = whole / e.repeat;
    std::string name = prefix + std::string(e.name);
    std::vector<Stride> inner = strides;
    if (e.repeat > 1) {
      name += "[0.." + std::to_string(e.repeat - 1) + "]";
      inner.push_back({one, "ijk"[strides.size()]});
    }
    std::string bytes = std::to_string(at + 1);
    if (one > 1) bytes += "-" + std::to_string(at + one);
    for (const Stride& s : inner) bytes += " + " + std::to_string(s.bytes) + s.letter;
    if (e.meaning.empty()) missing.push_back(std::string(title) + ": " + name);
    out += "| " + Code(name) + " | " + bytes + " | " + std::to_string(one) + " | " +
           Cell(e.meaning) + " |\n";
    if (!e.group.empty()) Rows(title, e.group, at, name + ".", inner, out, missing);
    at += whole;
  }
}

// What writes `output` (a file, or "FOLDER/" for per-entity files), from
// the catalogue's buttons; the download's files are named as such.
std::string WriterOf(std::string_view output) {
  for (const RawRecordFile& raw : kRawFiles) {
    if (output == raw.file) return "the download (volqfetch)";
  }
  std::string by;
  for (const BuildButton& b : BuildButtons()) {
    for (std::string_view w : b.writes) {
      if (w != output) continue;
      if (!by.empty()) by += " and ";
      by += ButtonShown(b);
      if (b.window != kMainWindow) {
        by += " in the window " + ButtonShown(ButtonOf(BuildStep::OpenExtended)) + " opens";
      }
    }
  }
  return by.empty() ? "no step of volqbuild" : by;
}

std::string CategoryButtons(bool extraction) {
  std::string by;
  for (const CourseKind& k : kCourseKinds) {
    if (!by.empty()) by += ", ";
    by += std::string(k.option) + " (" + std::string(k.option_caption) + ")";
    if (!extraction)
      by += " then " + std::string(k.build) + " (" + std::string(k.build_caption) + ")";
  }
  if (extraction) {
    by = "Text1 the first month, one of " + by + ", then " + std::string(kExtractionButton) + " (" +
         std::string(kExtractionCaption) + ")";
  }
  return by + ", in the window " + ButtonShown(ButtonOf(BuildStep::OpenCategory)) + " opens";
}

std::string Entity(std::string_view folder, std::string_view what,
                   std::string_view suffix = ".dat") {
  return std::string(folder) + "/<" + std::string(what) + ">" + std::string(suffix);
}

std::string Folder(std::string_view folder) { return std::string(folder) + "/"; }

ReferenceFile Raw(std::string_view type) {
  for (const RawRecordFile& raw : kRawFiles) {
    if (raw.type == type) return {std::string(raw.file), WriterOf(raw.file)};
  }
  return {};
}

ReferenceFile Made(std::string_view file) { return {std::string(file), WriterOf(file)}; }

ReferenceFile InFolder(std::string_view folder, std::string_view what,
                       std::string_view suffix = ".dat") {
  return {Entity(folder, what, suffix), WriterOf(Folder(folder))};
}

// The files of one kind, course type by course type: the categorisation's
// outputs with the button that writes each, or the models of OPTION1N.
std::vector<ReferenceFile> CourseFiles(CourseFile file, bool model) {
  std::vector<ReferenceFile> files;
  for (const CourseKind& k : kCourseKinds) {
    const std::string name = CourseFileName(file, k.model_word);
    if (model) {
      files.push_back({InOptionFolder(name), "written outside the system"});
    } else {
      files.push_back({name, std::string(k.categorise) + " (" + std::string(k.categorise_caption) +
                                 ") in the window " +
                                 ButtonShown(ButtonOf(BuildStep::OpenCategory)) + " opens"});
    }
  }
  return files;
}

// The three speed data sets, or the three weight sets, course by course.
std::vector<ReferenceFile> ThreeSpeedFiles(bool model) {
  std::vector<ReferenceFile> files;
  const CourseFile kinds[2][3] = {
      {CourseFile::AgariData, CourseFile::PaceData, CourseFile::SohaData},
      {CourseFile::AgariWeightData, CourseFile::PaceWeightData, CourseFile::SohaWeightData}};
  for (CourseFile f : kinds[model ? 1 : 0]) {
    for (ReferenceFile& r : CourseFiles(f, model)) files.push_back(std::move(r));
  }
  return files;
}

}  // namespace

// How the summaries and tallies write their numbers.
const std::string kFieldTexts =
    "Rates (RateField6) are the proportion times 100000 in six digits, rounded down (7 of 10 "
    "gives 069999, none of 0 gives 000000); counts (CountField6) six digits, money (MoneyField9) "
    "nine, with leading zeros.";

std::vector<RecordSection> RecordSections() {
  const std::string items = CategoryButtons(false);
  std::string item_files;
  for (const CourseKind& k : kCourseKinds) {
    item_files += (item_files.empty() ? "" : ", ") + std::string(k.item_file);
  }
  return {
      {"RA: a race", {Raw("RA"), Made(kRaNewFile)}, kRaceTable, ""},
      {"SE: a race entry",
       {Raw("SE"), Made(kSeNewFile), InFolder(kHorseEntryFolder, "pedigree number"),
        InFolder(kJockeyEntryFolder, "jockey code")},
       kRaceEntryTable,
       "A horse's file holds its race entries, a jockey's his rides, in the order of "
       "SE20180101NEW.dat."},
      {"UM: a horse", {Raw("UM"), Made(kUmNewFile)}, kHorseTable, ""},
      {"HN: a breeding horse", {Raw("HN"), Made(kHnNewFile)}, kBreedingHorseTable, ""},
      {"KS: a jockey",
       {Raw("KS"), Made(kKsNewFile)},
       kJockeyTable,
       "The four prize totals of a results block are delivered 10 wide and stored 9 wide: the "
       "stored record is 12 bytes shorter than the delivered one."},
      {"SK: an offspring",
       {Raw("SK"), Made(kSkNewFile), InFolder(kDamOffspringFolder, "breeding number")},
       kOffspringTable,
       "A dam's file holds the offspring records of her foals."},
      {"CH: a trainer",
       {Raw("CH"), Made(kChNewFile)},
       kTrainerTable,
       "The prize totals of a results block are stored 9 wide, as in the KS record."},
      {"BR: a breeder", {Raw("BR"), Made(kBrNewFile)}, kBreederTable, ""},
      {"BN: an owner", {Raw("BN"), Made(kBnNewFile)}, kOwnerTable, ""},
      {"HS: a market sale",
       {Raw("HS")},
       kMarketSaleTable,
       "Lines as delivered, each 200 bytes with its CR LF."},
      {"EX: the extended record of a race entry",
       {InFolder(kUmaExFolder, "pedigree number", kUmaExSuffix)},
       kUmaExTable,
       "Record j extends record j of the horse's UMAGOTOSETUP file with its race, the horse, its "
       "jockey and its market sale."},
      {"ITEM: the factor item record",
       {{item_files, items}},
       kFactorItemTable,
       "One record per race entry the factor build kept, in the order of the course horse list "
       "and of each horse's EX file; a code a routine could not make keeps the previous "
       "record's."},
      {"MARE and STALLION: a parent's offspring summary",
       {Made(kMareFile), Made(kStallionFile)},
       kMareStallionTable,
       "Record k belongs to line k of HAHAHANNUM20180101.dat (dams) or TITIHANNUM20180101.dat "
       "(sires). " +
           kFieldTexts},
      {"KYOSOBA: a horse's placing record",
       {Made(kKyosobaFile), Made(kRecentPlacingFile)},
       kKyosobaTable,
       "Record i of KYOSOBA.dat belongs to record i of UM20180101NEW.dat; KYOSOBAA.dat holds the "
       "records of the recent horses (KETTONUM20180101Q.dat). " +
           kFieldTexts},
      {"KISHUSEISEI and CHOKYOSEISEI: jockey and trainer tallies",
       {Made(kJockeyTallyFile), Made(kTrainerTallyFile)},
       kResultsTallyTable,
       "Record k belongs to record k of KS20180101NEW.dat or CH20180101NEW.dat. " + kFieldTexts},
      {"BREEDERSEISEI and BANUSISEISEI: breeder and owner tallies",
       {Made(kBreederTallyFile), Made(kOwnerTallyFile)},
       kSmallTallyTable,
       "Record k belongs to record k of BR20180101NEW.dat or BN20180101NEW.dat. " + kFieldTexts},
      {"DONICHI: a jockey's place rates by racecourse and day",
       {Made(kDonichiFile)},
       kDonichiTable,
       "Record k belongs to line k of KISHUNUM20180101.dat. " + kFieldTexts},
  };
}

std::vector<ListSection> ListSections() {
  return {
      {"The horse lists",
       {Made(kHorseList),
        Made(kRecentHorseList),
        {"SIBA<month>N.dat, DIRT<month>N.dat, SHOG<month>N.dat", CategoryButtons(true)}},
       "KETTONUM20180101.dat: one line per current horse of UM20180101NEW.dat (not a deregistered "
       "horse that never ran, and a pedigree number from 2010 on), in its order; "
       "KETTONUM20180101Q.dat: those whose last race was in 2000 or later; a course horse list: "
       "those with a race of the course type since the month",
       kPedigreeListItems},
      {"KETTOMASSHO: every horse with its deregistration",
       {Made(kRetiredHorseList)},
       "one line per record of UM20180101NEW.dat, in its order",
       kRetiredHorseItems},
      {"KISHUNUM: the jockey list",
       {Made(kJockeyList)},
       "one line per record of KS20180101NEW.dat, in its order",
       kJockeyListItems},
      {"HAHAHANNUM and TITIHANNUM: the dam and sire lists",
       {Made(kDamList), Made(kSireList)},
       "one line per dam (or sire) of a horse of UM20180101NEW.dat",
       kParentListItems},
      {"FL: the female line",
       {Made(kFemaleLineList)},
       "13 lines per mare of HN20180101NEW.dat, in its order",
       kFemaleLineItems},
      {"KIJUNTIME: the standard-time sample",
       {Made(kStandardTimeFile)},
       "one line per EX record of a recent horse in a conditional race of 1200, 1600, 1700, "
       "1800 or 2000 m at a central racecourse in 2001 to 2008, run at age 3 or 4",
       kStandardTimeItems},
      {"KYOSOBA, HAHA and SHUBOBA: placing blocks",
       {InFolder(kHorseCountFolder, "pedigree number"),
        InFolder(kDamBlockFolder, "breeding number"),
        InFolder(kSireBlockFolder, "breeding number")},
       "a horse's block is 29 lines of six quoted items; a dam's or sire's file holds the blocks "
       "of its offspring one after another, in UM20180101NEW.dat order",
       kPlacingBlockLines,
       true},
      {"KYOSOBAN, HAHAN and SHUBOBAN: the block's numbers",
       {InFolder(kHorseNumberFolder, "pedigree number"),
        InFolder(kDamTotalFolder, "breeding number"),
        InFolder(kSireTotalFolder, "breeding number")},
       "174 lines of one bare whole number",
       kPlacingNumberLines,
       true},
      {"KISHUFUKUSHO: a jockey's place counts",
       {InFolder(kJockeyPlacingFolder, "jockey code")},
       "20 lines, racecourse 1 to 10 and within it day class 1 and 2",
       kPlaceCountItems},
      {"ItemCategory: the category lists", CourseFiles(CourseFile::ItemCategory, false),
       "one line per category of the course type's ITEM file, column 1 to 30; a column's "
       "categories by their record counts, most first, those of columns 8, 12, 24 and 28 by "
       "their code texts, ascending (\"10\" before \"9\")",
       kCategoryListItems},
      {"ItemCategoryCount: the categories' record counts",
       CourseFiles(CourseFile::ItemCategoryCount, false),
       "as many lines as the category list, in its order", kCategoryCountItems},
      {"QA1 TotalData: the category counts", CourseFiles(CourseFile::TotalData, false), "31 lines",
       kCategoryTotalLines, true},
      {"QA1 speed data sets: a speed and the category indexes of each record",
       ThreeSpeedFiles(false),
       "the 31 lines of the total file, then one line of 31 bare numbers per record of the "
       "ITEM file, in record order: the material for fitting the models",
       kSpeedDataItems},
      {"The models' category counts", CourseFiles(CourseFile::TotalData, true),
       "exactly 30 values, one bare whole number a line", kModelTotalLines, true},
      {"The models' category lists", CourseFiles(CourseFile::ItemCategory, true),
       "one line per category, as many as the 30 counts of the model's total file add up to",
       kModelCategoryItems},
      {"The models' weights", ThreeSpeedFiles(true),
       "one line per category, in the order of the model's category list", kModelWeightItems},
  };
}

namespace {

std::string Anchor(std::string_view title) {
  std::string a;
  for (char c : title) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-') {
      a += c;
    } else if (c >= 'A' && c <= 'Z') {
      a += static_cast<char>(c - 'A' + 'a');
    } else if (c == ' ') {
      a += '-';
    }
  }
  return a;
}

std::string FilesTable(const std::vector<ReferenceFile>& files) {
  std::string out = "| file | written by |\n|---|---|\n";
  for (const ReferenceFile& f : files) out += "| " + Code(f.name) + " | " + Cell(f.writer) + " |\n";
  return out;
}

const char kIntro[] =
    "# Field reference: the files an analyst reads\n"
    "\n"
    "Generated by `tools/fieldref` from the layout tables of `common/` "
    "(`record_layout.h`, `derived_layout.h`, `list_layout.h`) and the buttons of the "
    "catalogue (`data_dir_catalogue.h`); do not edit it by hand. After a change to a table, "
    "write it anew with `cmake --build --preset default --target fields-doc` (the test "
    "`field_reference_current` fails until then).\n"
    "\n"
    "Record files hold fixed-width records of code page 932 (Shift-JIS) text, each ended by "
    "CR LF, which the record length counts. Bytes are numbered from 1 within a record, as "
    "`cut -b` takes them; a number or code is text of digits, padded with zeros or blanks to "
    "its width. A name `x[0..n]` is a field (or group) repeated n + 1 times, back to back: its "
    "row gives the bytes of `x[0]`, and `+ 6i` says that `x[i]` lies 6 bytes further per "
    "step of i (`j` and `k` are the indexes of a second and third repeat in the name). A "
    "group's row is followed by the rows of its members. Names in parentheses are the "
    "system's own Japanese names of the fields; `README.md` shows how to cut a field out.\n"
    "\n"
    "Text lists are lines of comma-separated items, strings in double quotes, numbers bare, "
    "each line ended by CR LF.\n";

}  // namespace

std::string RecordTable(std::string_view title, std::span<const LayoutEntry> table,
                        std::vector<std::string>& missing) {
  std::string out = "| field | bytes | width | meaning |\n|---|---|---|---|\n";
  Rows(title, table, 0, "", {}, out, missing);
  return out;
}

std::string FieldReference(std::vector<std::string>& missing) {
  const std::vector<RecordSection> records = RecordSections();
  const std::vector<ListSection> lists = ListSections();
  std::string out = kIntro;
  out += "\n## Contents\n\nRecord files:\n\n";
  for (const RecordSection& s : records) out += "- [" + s.title + "](#" + Anchor(s.title) + ")\n";
  out += "\nText lists:\n\n";
  for (const ListSection& s : lists) out += "- [" + s.title + "](#" + Anchor(s.title) + ")\n";

  for (const RecordSection& s : records) {
    const int length = StoredLength(s.table);
    out += "\n## " + s.title + "\n\n" + FilesTable(s.files) + "\n";
    out += "Record length " + std::to_string(length) + " bytes, its CR LF (bytes " +
           std::to_string(length - 1) + "-" + std::to_string(length) +
           ") included: record n of a file begins at byte " + std::to_string(length) +
           " × (n − 1) + 1.";
    if (!s.note.empty()) out += " " + s.note;
    out += "\n\n" + RecordTable(s.title.substr(0, s.title.find(':')), s.table, missing);
  }
  for (const ListSection& s : lists) {
    out += "\n## " + s.title + "\n\n" + FilesTable(s.files) + "\n";
    out += "Lines: " + s.lines + ".\n\n";
    out += s.by_line ? "| lines | name | meaning |\n|---|---|---|\n"
                     : "| items | name | meaning |\n|---|---|---|\n";
    int at = 1;
    for (const ListEntry& e : s.entries) {
      std::string place = std::to_string(at);
      if (e.count > 1) place += "-" + std::to_string(at + e.count - 1);
      if (e.meaning.empty()) missing.push_back(s.title + ": " + std::string(e.name));
      out += "| " + place + " | " + Code(e.name) + " | " + Cell(e.meaning) + " |\n";
      at += e.count;
    }
  }
  return out;
}

}  // namespace volq
