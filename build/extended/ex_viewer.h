#pragma once
// The viewer of one horse's EX records: one grid column per race, the newest
// first, one row per field or group of fields, the labels in column 0.
#include <string_view>

#include "platform/fs/data_dir.h"
#include "platform/ui/controls.h"

namespace volq {

inline constexpr int kViewerRows = 129;  // row 0: the column headings

// Fills `grid` from UMAGOTOEXSETUP/<file> (a list entry "<horse>EX.dat"; a
// missing file shows only the labels and is not made).
// A name that is not a plain file name or a file that cannot be read raises
// a file Failure before the grid is touched.
void ShowUmaExRecords(DataDir& dir, std::string_view file, Grid& grid);

}  // namespace volq
