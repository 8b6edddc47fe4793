#pragma once
// The field reference (docs/fields.md) as Markdown, from the layout tables of
// common/: for every record file an analyst reads its files, the button that
// writes each, its record length and every field with its 1-based bytes,
// width and meaning; for every text list its items (or lines) in order.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/layout_table.h"
#include "common/list_layout.h"

namespace volq {

// One file of a section and what writes it.
struct ReferenceFile {
  std::string name;
  std::string writer;
};

// A record file kind: the files that hold its records and its table.
struct RecordSection {
  std::string title;
  std::vector<ReferenceFile> files;
  std::span<const LayoutEntry> table;
  std::string note;
};

// A text list kind: its files and the entries of one line (or one file).
struct ListSection {
  std::string title;
  std::vector<ReferenceFile> files;
  std::string lines;
  std::span<const ListEntry> entries;
  bool by_line = false;
};

// Every record file kind and text list of the reference, in page order.
std::vector<RecordSection> RecordSections();
std::vector<ListSection> ListSections();

// The rows of one table as the reference prints them; an entry without a
// meaning is named in `missing` ("UM: ancestor[0..13].name").
std::string RecordTable(std::string_view title, std::span<const LayoutEntry> table,
                        std::vector<std::string>& missing);

// The whole page. A table entry without a meaning is listed in `missing`
// (the page is still made, so that all of them are named at once).
std::string FieldReference(std::vector<std::string>& missing);

}  // namespace volq
