#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "build/factors/form_categorysetup2024zz.h"
#include "build/step/quick_sort.h"
#include "build/step/step_frame.h"
#include "build/step/step_inputs.h"
#include "common/data_dir_catalogue.h"
#include "common/list_layout.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/record_file.h"
#include "platform/fs/text_list.h"
#include "platform/text/cp932.h"

namespace volq {

// The categorisations: every distinct code of a factor column of the course
// type's ITEM file becomes a category; the lists, their record counts and the
// speed data sets with each record's category indexes are written for the
// category-weight regression made outside the system.

namespace {

struct CourseCategorisation {
  const CourseKind& kind;  // its ITEM file; its model word in the six output names
  int sort_space;          // categories a column may have and still be sorted
  const char* corner;
};

const CourseCategorisation kCourses[] = {
    {kCourseKinds[kTurf], 5700, "芝IC"},
    {kCourseKinds[kDirt], 6000, "ダIC"},
    {kCourseKinds[kSteeple], 6000, "障IC"},
};

// The lines as the field reference gives them: one category (or its record
// count) a line; the header of n and 30, then a count per column; a data line
// of the speed and an index per column.
static_assert(kFactorColumns == kFactorCount);
static_assert(EntryCount(kCategoryListItems) == 1 && EntryCount(kCategoryCountItems) == 1);
static_assert(EntryCount(kCategoryTotalLines) == 1 + kFactorCount);
static_assert(EntryCount(kSpeedDataItems) == 1 + kFactorCount);

// Category positions the lists are made for; the grid shows at most this many
// rows of categories.
constexpr int kCategoryPositions = 6000;
constexpr int kGridCategoryRows = 5700;

// Columns whose categories are ordered by their code texts rather than by
// their record counts.
bool TextOrdered(int k) { return k == 8 || k == 12 || k == 24 || k == 28; }

const char* const kFactorTitles[kFactorCount + 1] = {
    "",
    "(1)年場回日ト",
    "(2)頭数馬番",
    "(3)前回C1234",
    "(4)性別負担",
    "(5)平賞/R",
    "(6)騎手",
    "(7)人気乖離",
    "(8)馬場状態",
    "(9)累積R数",
    "(10)性別負担率",
    "(11)性別馬体重",
    "(12)馬齢",
    "(13)連対率父馬齢",
    "(14)競走間隔",
    "(15)負担増減",
    "(16)馬体重増減",
    "(17)距離見習",
    "(18)生産者",
    "(19)調教師",
    "(20)父馬",
    "(21)母父",
    "(22)第何子",
    "(23)馬記号",
    "(24)騎手年齢",
    "(25)母年齢",
    "(26)ブリンカー",
    "(27)馬主コード",
    "(28)開催月",
    "(29)1着タイム差",
    "(30)前々走馬体重増減",
};

// A speed field (km/h × 100000 in seven digits) as km/h in single precision.
// Seven blanks, which mark a race without a last-furlongs time, read as 0 like
// "0000000".
float SpeedOf(std::string_view field) { return static_cast<float>(Value(field) / 100000.0); }

// A single-precision number as text lists carry it: rounded to seven
// significant digits, no trailing zeros, "0" for zero.
std::string SingleText(float v) {
  if (v == 0) return "0";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.7G", static_cast<double>(v));
  return buf;
}

// Fresh category tables for this run.
void ClearCategories(FormCATEGORYSETUP2024ZZ& w) {
  for (int k = 1; k <= kFactorCount; ++k) {
    w.CategoryValues[k].assign(1, std::string());
    w.CategoryRecordCounts[k].assign(1, 0);
    w.CategoryPositions[k].clear();
  }
}

// Categories in order of first appearance, each counted once per record:
// one pass over the n records of the file for all columns.
void CountCategories(FormCATEGORYSETUP2024ZZ& w, const FramedRecords& items, int32_t n) {
  ItemField fields[kFactorCount + 1] = {};
  for (int k = 1; k <= kFactorCount; ++k) fields[k] = FactorField(k);
  for (int32_t i = 1; i <= n; ++i) {
    const std::string_view rec = items.View(i);
    for (int k = 1; k <= kFactorCount; ++k) {
      const std::string_view v =
          rec.substr(static_cast<size_t>(fields[k].offset), static_cast<size_t>(fields[k].width));
      TextMap<int32_t>& position = w.CategoryPositions[k];
      auto it = position.find(v);
      if (it == position.end()) {
        it = position.emplace(std::string(v), static_cast<int32_t>(w.CategoryValues[k].size()))
                 .first;
        w.CategoryValues[k].emplace_back(v);
        w.CategoryRecordCounts[k].push_back(0);
      }
      ++w.CategoryRecordCounts[k][static_cast<size_t>(it->second)];
    }
  }
}

// Column k in category order: by code text or by record count; a category's
// index is then its position.
void SortCategories(FormCATEGORYSETUP2024ZZ& w, int k, const CourseCategorisation& course,
                    StepFrame& frame) {
  std::vector<std::string>& values = w.CategoryValues[k];
  std::vector<int32_t>& counts = w.CategoryRecordCounts[k];
  const int32_t c = w.ColumnCategoryCounts(k);
  if (c >= kCategoryPositions) {
    frame.Skipped("column " + std::to_string(k) + " categories",
                  std::to_string(c) + " distinct codes, made for fewer than " +
                      std::to_string(kCategoryPositions) + "; all kept");
  }

  if (c > course.sort_space) {
    frame.Skipped("column " + std::to_string(k) + " sort",
                  std::to_string(c) + " categories, more than the " +
                      std::to_string(course.sort_space) +
                      " the sort holds; left in order of first appearance");
  } else if (TextOrdered(k)) {
    QuickSortAsc(values, counts, 1, c);
  } else {
    // Sort the counts with each category's position, then bring the values
    // into the same order.
    std::vector<int32_t> from(static_cast<size_t>(c) + 1);
    for (int32_t j = 0; j <= c; ++j) from[static_cast<size_t>(j)] = j;
    QuickSortDesc(counts, from, 1, c);
    std::vector<std::string> sorted(static_cast<size_t>(c) + 1);
    for (int32_t j = 1; j <= c; ++j) {
      sorted[static_cast<size_t>(j)] = std::move(values[static_cast<size_t>(from[j])]);
    }
    values = std::move(sorted);
  }
  for (int32_t j = 1; j <= c; ++j)
    w.CategoryPositions[k].find(values[static_cast<size_t>(j)])->second = j;
}

// An output that cannot be opened keeps its former content (no writer); the
// others are still written.
std::unique_ptr<TextListWriter> OpenOutput(DataDir& dir, StepFrame& frame,
                                           const std::string& name) {
  std::unique_ptr<TextListWriter> out;
  std::filesystem::path p = dir.Path(name);
  frame.Do("open " + name, [&] { out = std::make_unique<TextListWriter>(p); });
  return out;
}

void CloseOutput(StepFrame& frame, std::unique_ptr<TextListWriter>& out) {
  if (out) frame.Do("write", [&] { out->Close(); });
  out.reset();
}

// The category lists and their record counts, column after column.
void WriteCategoryLists(FormCATEGORYSETUP2024ZZ& w, const std::vector<std::string>& names,
                        StepFrame& frame) {
  auto list = OpenOutput(w.Factors.dir(), frame, names[0]);
  auto count_list = OpenOutput(w.Factors.dir(), frame, names[1]);
  for (int k = 1; k <= kFactorCount; ++k) {
    const int32_t c = w.ColumnCategoryCounts(k);
    for (int32_t j = 1; j <= c; ++j) {
      if (list) list->String(w.CategoryValues[k][static_cast<size_t>(j)]).EndLine();
      if (count_list)
        count_list->Number(w.CategoryRecordCounts[k][static_cast<size_t>(j)]).EndLine();
    }
  }
  CloseOutput(frame, list);
  CloseOutput(frame, count_list);
}

// The total file and the three speed data sets: the same header, then per
// ITEM record its speed and category indexes, read from the file again.
void WriteSpeedData(FormCATEGORYSETUP2024ZZ& w, const std::vector<std::string>& names,
                    const std::filesystem::path& item_path, int32_t n, StepFrame& frame) {
  std::unique_ptr<TextListWriter> out[4] = {
      OpenOutput(w.Factors.dir(), frame, names[2]), OpenOutput(w.Factors.dir(), frame, names[3]),
      OpenOutput(w.Factors.dir(), frame, names[4]), OpenOutput(w.Factors.dir(), frame, names[5])};
  for (auto& o : out) {
    if (!o) continue;
    o->Number(n).Number(kFactorCount).EndLine();
    for (int k = 1; k <= kFactorCount; ++k) o->Number(w.ColumnCategoryCounts(k)).EndLine();
  }
  CloseOutput(frame, out[0]);

  std::unique_ptr<FramedRecords> again;
  frame.Do("open", [&] { again = std::make_unique<FramedRecords>(item_path, kItemLength, ""); });
  const int32_t rows = again ? std::min(n, again->Count()) : 0;
  std::string indexes;
  for (int32_t i = 1; i <= rows; ++i) {
    const std::string_view rec = again->View(i);
    w.Factors.ItemRecord.assign(rec);
    frame.Do("category indexes", [&] { w.LookupCategoryIndexes(); });
    // The three data lines differ only in their speed.
    indexes.clear();
    for (int k = 1; k <= kFactorCount; ++k) {
      indexes += ',';
      indexes += std::to_string(w.RecordCategoryIndexes[k]);
    }
    for (int sp = 0; sp < 3; ++sp) {
      if (out[sp + 1])
        out[sp + 1]->Line(SingleText(SpeedOf(w.Factors.Item(SpeedFieldAt(sp)))) + indexes);
    }
  }
  again.reset();
  for (int sp = 1; sp <= 3; ++sp) CloseOutput(frame, out[sp]);
}

// The grid is not cleared: rows below a column's new count keep their cells.
void FillCategoryGrid(FormCATEGORYSETUP2024ZZ& w, const CourseCategorisation& course,
                      StepFrame& frame) {
  Grid& g = w.ItemCategoryFG;
  g.TextMatrix(0, 0) = Cp932(course.corner);
  w.SetItemCategoryGridTitles();
  for (int k = 1; k <= kFactorCount; ++k) {
    const int32_t c = w.ColumnCategoryCounts(k);
    if (c > kGridCategoryRows) {
      frame.Skipped("column " + std::to_string(k) + " grid",
                    "shows " + std::to_string(kGridCategoryRows) + " of " + std::to_string(c) +
                        " categories");
    }
    for (int32_t j = 1; j <= std::min(c, kGridCategoryRows); ++j) {
      g.TextMatrix(j, 2 * k - 1) = w.CategoryValues[k][static_cast<size_t>(j)];
      g.TextMatrix(j, 2 * k) = std::to_string(w.CategoryRecordCounts[k][static_cast<size_t>(j)]);
    }
  }
}

void Categorise(FormCATEGORYSETUP2024ZZ& w, const CourseCategorisation& course, StepFrame& frame) {
  DataDir& dir = w.Factors.dir();
  const std::filesystem::path item_path = dir.Path(course.kind.item_file);
  StepContext ctx{dir, frame, w.Factors.RecordCount};
  const std::string word(course.kind.model_word);
  const std::vector<std::string> outputs = CategorisationOutputs(word);
  BeginStep(ctx, {{course.kind.item_file}, {}, {outputs.begin(), outputs.end()}});
  std::unique_ptr<FramedRecords> items =
      OpenNewRecords(ctx, course.kind.item_file.data(), kItemLength, "");
  // Without its record count nothing can be written; the former outputs are
  // better kept than overwritten with empty ones.
  if (!items) return;
  ClearCategories(w);
  const int32_t n = items->Count();
  CountCategories(w, *items, n);
  items.reset();

  for (int k = 1; k <= kFactorCount; ++k) SortCategories(w, k, course, frame);
  WriteCategoryLists(w, outputs, frame);
  WriteSpeedData(w, outputs, item_path, n, frame);
  FillCategoryGrid(w, course, frame);
  // No end message: the outcome line says what was counted.
  int64_t categories = 0;
  for (int k = 1; k <= kFactorCount; ++k) categories += w.ColumnCategoryCounts(k);
  w.TellOutcome(Cp932(std::to_string(categories) + " categories counted over the " +
                      std::to_string(kFactorCount) + " factors of " + std::to_string(n) +
                      (n == 1 ? " race entry of " : " race entries of ") +
                      std::string(course.kind.item_file)));
}

}  // namespace

void FormCATEGORYSETUP2024ZZ::Command5_Click() {
  // No end message: the status line stays as it was.
  RunStep("Command5", [this](StepFrame& frame) {
    Categorise(*this, kCourses[kTurf], frame);
    return std::string();
  });
}

void FormCATEGORYSETUP2024ZZ::Command6_Click() {
  // No end message: the status line stays as it was.
  RunStep("Command6", [this](StepFrame& frame) {
    Categorise(*this, kCourses[kDirt], frame);
    return std::string();
  });
}

void FormCATEGORYSETUP2024ZZ::Command7_Click() {
  // No end message: the status line stays as it was.
  RunStep("Command7", [this](StepFrame& frame) {
    Categorise(*this, kCourses[kSteeple], frame);
    return std::string();
  });
}

void FormCATEGORYSETUP2024ZZ::SetItemCategoryGridTitles() {
  for (int row = 1; row <= kGridCategoryRows; ++row) {
    ItemCategoryFG.TextMatrix(row, 0) = std::to_string(row);
  }
  for (int k = 1; k <= kFactorCount; ++k) {
    ItemCategoryFG.TextMatrix(0, 2 * k - 1) = Cp932(kFactorTitles[k]);
    ItemCategoryFG.TextMatrix(0, 2 * k) = "(" + std::to_string(k) + ")n";
  }
}

void FormCATEGORYSETUP2024ZZ::LookupCategoryIndexes() {
  bool overflow = false;
  for (int k = 1; k <= kFactorCount; ++k) {
    int32_t index = CategoryIndexOf(k, Factors.Item(FactorField(k)));
    // A 16-bit index: one that does not fit is not stored.
    if (index > std::numeric_limits<int16_t>::max()) {
      overflow = true;
      continue;
    }
    RecordCategoryIndexes[k] = static_cast<int16_t>(index);
  }
  if (overflow) FailOverflow("category index beyond 16 bits");
}

int32_t FormCATEGORYSETUP2024ZZ::CategoryIndexOf(int k, std::string_view value) {
  if (k < 1 || k > kFactorCount) FailIndex("factor column " + std::to_string(k));
  // Values of a column are distinct, so the first equal entry is the only one.
  // A column no run has counted holds no position: every value gives 0.
  auto it = CategoryPositions[k].find(value);
  if (it == CategoryPositions[k].end() || it->second > ColumnCategoryCounts(k)) return 0;
  return it->second;
}

}  // namespace volq
