#pragma once
// "計算": the EX file UMAGOTOEXSETUP/<horse>EX.dat of every horse of
// KETTONUM20180101.dat, record j extending record j of the horse's race-entry
// file UMAGOTOSETUP/<horse>.dat with its race (RA NEW), the horse (UM NEW),
// its jockey (KS NEW), its last market sale and its place among its dam's
// foals (HAHAHAN/<dam>.dat).
#include <string>

#include "build/extended/market_sale_table.h"
#include "build/step/step_frame.h"

namespace volq {

// Writes the EX files and returns the end message "終わり". Each listed
// horse's file ends holding exactly its records (empty without race entries).
std::string ExtendedRecordBuild(StepContext& ctx, const MarketSaleTable& sales);

// Foal order text of a position among the dam's foals (0: not among them):
// the last two digits of position + 100.
std::string FoalOrderText(int32_t position);

}  // namespace volq
