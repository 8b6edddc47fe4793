#include <algorithm>
#include <cerrno>
#include <charconv>
#include <vector>

#include "build/factors/form_categorysetup2024zz.h"
#include "build/step/step_inputs.h"
#include "build/step/step_runner.h"
#include "common/data_dir_catalogue.h"
#include "common/list_layout.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/file_system.h"
#include "platform/fs/text_list.h"

namespace volq {

// Tables the window loads when it opens: the horse number list, the dam-line
// table and the three category-weight models made outside the system. A file
// that is missing, short or malformed is reported and the window opens with
// what could be read: a model is taken whole or not at all, since a model
// with shifted or missing categories would score every entry wrongly.

namespace {

constexpr int32_t kMostCategories = 6000;

// The models as the field reference gives them: a count per column, then one
// category (and one weight) a value.
static_assert(EntryCount(kModelTotalLines) == kFactorCount);
static_assert(EntryCount(kModelCategoryItems) == 1 && EntryCount(kModelWeightItems) == 1);

std::string ModelFile(CourseFile file, const std::string& word) {
  return InOptionFolder(CourseFileName(file, word));
}

// The next value of a model file; a file that ends early is short.
std::string NextValue(TextListReader& r, const std::string& file) {
  if (r.Eof()) FailFile(file + ": short");
  return r.Next();
}

// A weight as written by the tool that fits the models: a decimal number,
// perhaps with an exponent, kept in single precision.
float Weight(std::string_view t, const std::string& file) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  float v = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (t.empty() || ec != std::errc() || end != t.data() + t.size()) {
    FailConversion(file + ": not a number: '" + std::string(t) + "'");
  }
  return v;
}

TextListReader OpenModelFile(DataDir& dir, const std::string& file) {
  TextListReader r(dir.Path(file));
  if (r.error() == ENOENT) FailFile(file + ": missing");
  if (!r.ok()) FailFileOp("cannot read", dir.Path(file), r.error());
  return r;
}

// A table the load could not read, reported as a step reports its inputs:
// missing, as read as empty; unreadable, with its reason.
void ReportUnread(StepFrame& frame, std::string_view name, int error) {
  if (error == ENOENT) {
    ReportMissingInput(frame, name);
  } else if (error != 0) {
    frame.Skipped("cannot read input " + std::string(name), SeamErrorText(error));
  }
}

CategoryModel LoadModel(DataDir& dir, const std::string& word) {
  CategoryModel m;
  const std::string totals = ModelFile(CourseFile::TotalData, word);
  TextListReader t = OpenModelFile(dir, totals);
  for (int k = 1; k <= kFactorCount; ++k) {
    const std::string v = NextValue(t, totals);
    int32_t n = 0;
    try {
      n = Integer(v);
    } catch (const Failure&) {
      FailConversion(totals + ": count of column " + std::to_string(k) + " not a number: '" + v +
                     "'");
    }
    if (n < 0 || n > kMostCategories) {
      FailIndex(totals + ": count of column " + std::to_string(k) + " is " + std::to_string(n) +
                ", outside 0 to 6000");
    }
    m.count[k] = n;
  }
  // Exactly 30 counts: a total file of the categorisation still carries its
  // leading pair of record count and 30, which shifts every count.
  while (!t.Eof()) {
    if (!t.Next().empty()) FailFile(totals + ": more than 30 counts");
  }

  const std::string categories = ModelFile(CourseFile::ItemCategory, word);
  TextListReader c = OpenModelFile(dir, categories);
  for (int k = 1; k <= kFactorCount; ++k) {
    m.list[k].reserve(static_cast<size_t>(m.count[k]) + 1);
    m.list[k].emplace_back();  // position 0 holds no category
    for (int32_t j = 1; j <= m.count[k]; ++j) m.list[k].push_back(NextValue(c, categories));
  }

  const std::string agari = ModelFile(CourseFile::AgariWeightData, word);
  const std::string pace = ModelFile(CourseFile::PaceWeightData, word);
  const std::string soha = ModelFile(CourseFile::SohaWeightData, word);
  TextListReader a = OpenModelFile(dir, agari);
  TextListReader p = OpenModelFile(dir, pace);
  TextListReader s = OpenModelFile(dir, soha);
  for (int k = 1; k <= kFactorCount; ++k) {
    // Position 0 weighs 0: a value outside the list adds nothing.
    m.agari[k].assign(1, 0.0f);
    m.pace[k].assign(1, 0.0f);
    m.soha[k].assign(1, 0.0f);
    for (int32_t j = 1; j <= m.count[k]; ++j) {
      m.agari[k].push_back(Weight(NextValue(a, agari), agari));
      m.pace[k].push_back(Weight(NextValue(p, pace), pace));
      m.soha[k].push_back(Weight(NextValue(s, soha), soha));
    }
  }
  IndexCategories(m);
  return m;
}

constexpr CourseFile kModelFiles[] = {CourseFile::TotalData, CourseFile::ItemCategory,
                                      CourseFile::AgariWeightData, CourseFile::PaceWeightData,
                                      CourseFile::SohaWeightData};

// A model none of whose five files is there has not been made yet: the
// normal state of a new data directory, since no step writes the models. A
// model with some of its files is a damaged one and is loaded (and refused)
// as such. A look that fails raises its file Failure: the model is then
// reported as one that could not be read.
bool ModelAbsent(DataDir& dir, const std::string& word) {
  for (CourseFile file : kModelFiles) {
    if (dir.Exists(ModelFile(file, word))) return false;
  }
  return true;
}

// What the window does without the models and what makes them.
std::string NoModelsNote(DataDir& dir, const std::vector<std::string>& absent) {
  const bool all = absent.size() == 3;
  std::string which;
  for (size_t i = 0; i < absent.size(); ++i) {
    which += (i == 0 ? "" : i + 1 == absent.size() ? " and " : ", ") + absent[i];
  }
  const std::string missing =
      ModelFile(CourseFile::TotalData, absent.front()) + " and the other model files are missing";
  return (all ? "OPTION1N holds no models yet (" + which + ": " + missing
              : "OPTION1N holds no " + which + " model yet (" + missing) +
         "): factors 17 and 29 score against an empty model; no step writes the models: "
         "after this window's categorisations, out/tools/models/volqmodels --data-dir " +
         dir.root().string() +
         " writes sample ones (tools/models), or write your own fitted ones in the shapes "
         "docs/factors.md gives; then open the category window again";
}

}  // namespace

void FormCATEGORYSETUP2024ZZ::Form_Load() {
  StepFrame frame;
  frame.window = name();
  FactorFrame& f = Factors;

  f.HorseList.assign(1, std::string());
  TextListReader horses(f.dir().Path(kHorseList));
  HorseListError = horses.error();
  ReportUnread(frame, kHorseList, HorseListError);
  while (!horses.Eof()) f.HorseList.push_back(horses.Next());
  f.HorseListCount = static_cast<int32_t>(f.HorseList.size() - 1);

  // Thirteen lines of six values per mare; a row cut short keeps what it has.
  f.FemaleLineSource = std::make_unique<TextListReader>(f.dir().Path(kFemaleLineList));
  TextListReader& lines = *f.FemaleLineSource;
  // The table (13 lines a mare, some 140,000 mares) is sized once rather
  // than grown by copying rows of 78 texts.
  f.FemaleLineTable.assign(1, FemaleLineRow{});
  f.FemaleLineTable.reserve(static_cast<size_t>(lines.LineEnds() / 13 + 2));
  UnreadableTable.clear();
  if (lines.error() != 0 && lines.error() != ENOENT) UnreadableTable = kFemaleLineList;
  ReportUnread(frame, kFemaleLineList, lines.error());
  while (!lines.Eof()) {
    FemaleLineRow& row = f.FemaleLineTable.emplace_back();
    int values = 0;
    for (auto& line : row) {
      for (auto& value : line) {
        if (lines.Eof()) break;
        value = lines.NextView();
        ++values;
      }
    }
    if (values < 13 * 6) {
      frame.Skipped("load " + std::string(kFemaleLineList),
                    "short: row " + std::to_string(f.FemaleLineTable.size() - 1) + " holds " +
                        std::to_string(values) + " of 78 values");
    }
  }

  std::vector<std::string> absent;
  for (int course : {kTurf, kDirt, kSteeple}) {
    const std::string word = ModelWord(course);
    f.Models[course] = CategoryModel{};
    try {
      if (ModelAbsent(f.dir(), word)) {
        absent.push_back(word);
        continue;
      }
      f.Models[course] = LoadModel(f.dir(), word);
    } catch (const Failure& e) {
      f.Models[course] = CategoryModel{};
      frame.Skipped("load model " + word, e.text() + "; the model is empty");
      if (e.error() != 0 && UnreadableTable.empty()) UnreadableTable = e.subject();
    }
  }

  if (!absent.empty()) ReportNotes({NoModelsNote(f.dir(), absent)});
  ReportSkipped(*this, frame);
}

void FormCATEGORYSETUP2024ZZ::StopOnUnreadTables(bool walks_horse_list) const {
  if (walks_horse_list && HorseListError == ENOENT) StopOnMissingAtLoad(kHorseList, name());
  if (walks_horse_list && HorseListError != 0) {
    StopOnUnreadAtLoad("cannot read input " + std::string(kHorseList));
  }
  if (!walks_horse_list && !UnreadableTable.empty()) {
    StopOnUnreadAtLoad("cannot read " + UnreadableTable);
  }
}

}  // namespace volq
