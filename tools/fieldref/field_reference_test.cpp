// GCC 12 warns, under the sanitizers' optimised build, that std::regex's
// own std::function members may be used uninitialised (inside libstdc++,
// not this file); the warning is off before any header so that it covers
// them.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include "tools/fieldref/field_reference.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "common/data_dir_catalogue.h"
#include "common/derived_layout.h"
#include "common/record_layout.h"

namespace volq {
namespace {

// A row of a printed table: a name pattern, the first repeat's first byte
// and width, and the strides of its indexes.
struct Row {
  std::regex name;
  int first;
  int width;
  std::vector<int> strides;
};

std::vector<Row> ParseRows(const std::string& table) {
  std::vector<Row> rows;
  std::istringstream in(table);
  std::string line;
  const std::regex row(R"(^\| `([^`]+)` \| (\d+)(?:-\d+)?((?: \+ \d+[ijk])*) \| (\d+) \|)");
  for (std::smatch m; std::getline(in, line);) {
    if (!std::regex_search(line, m, row)) continue;
    std::string pattern;
    for (char c : m[1].str()) {
      if (std::string("[].").find(c) != std::string::npos) pattern += '\\';
      pattern += c;
    }
    pattern = std::regex_replace(pattern, std::regex(R"(\\\[0\\\.\\\.\d+\\\])"), R"(\[(\d+)\])");
    std::vector<int> strides;
    const std::string s = m[3].str();
    const std::regex stride(R"(\+ (\d+)[ijk])");
    for (auto it = std::sregex_iterator(s.begin(), s.end(), stride); it != std::sregex_iterator();
         ++it) {
      strides.push_back(std::stoi((*it)[1].str()));
    }
    rows.push_back({std::regex(pattern), std::stoi(m[2].str()), std::stoi(m[4].str()), strides});
  }
  return rows;
}

// Every field of every record kind of the page, each repeat of each group
// at every index, lies where the printed row says: its first byte by the
// row's strides, 1-based, and its width. The flattened layout the download
// and the listings use is the judge.
TEST(FieldReference, EveryFieldLiesWhereItsRowSays) {
  for (const RecordSection& s : RecordSections()) {
    std::vector<std::string> missing;
    const std::vector<Row> rows = ParseRows(RecordTable(s.title, s.table, missing));
    EXPECT_TRUE(missing.empty()) << s.title << ": " << missing.front();
    const RecordLayout layout(s.title, s.table);
    for (const Field& f : layout.fields()) {
      int matched = 0;
      for (const Row& r : rows) {
        std::smatch m;
        if (!std::regex_match(f.name, m, r.name)) continue;
        ++matched;
        ASSERT_EQ(m.size() - 1, r.strides.size()) << s.title << " " << f.name;
        int at = r.first;
        for (size_t i = 0; i < r.strides.size(); ++i) at += r.strides[i] * std::stoi(m[i + 1]);
        EXPECT_EQ(at, f.offset + 1) << s.title << " " << f.name;
        EXPECT_EQ(r.width, f.width) << s.title << " " << f.name;
      }
      EXPECT_EQ(matched, 1) << s.title << " " << f.name;
    }
  }
}

// Every record type the download keeps and every derived file has its
// table on the page, so that a new file cannot be left out of it.
TEST(FieldReference, EveryRecordFileIsOnThePage) {
  auto on_page = [](const RecordLayout& l) {
    for (const RecordSection& s : RecordSections()) {
      const RecordLayout mine("", s.table);
      if (mine.fields().size() != l.fields().size()) continue;
      bool same = true;
      for (size_t i = 0; i < mine.fields().size() && same; ++i) {
        same = mine.fields()[i].name == l.fields()[i].name &&
               mine.fields()[i].width == l.fields()[i].width;
      }
      if (same) return true;
    }
    return false;
  };
  for (const RawRecordFile& raw : kRawFiles) EXPECT_TRUE(on_page(*LayoutOf(raw.type))) << raw.file;
  for (const DerivedFile& d : DerivedFiles()) EXPECT_TRUE(on_page(d.layout)) << d.path;
}

}  // namespace
}  // namespace volq
