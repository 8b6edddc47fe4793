#include "common/record_layout.h"

namespace volq {

#define VOLQ_LAYOUT(Name, type, table)        \
  const RecordLayout& Name() {                \
    static const RecordLayout l(type, table); \
    return l;                                 \
  }
VOLQ_LAYOUT(RaceLayout, "RA", kRaceTable)
VOLQ_LAYOUT(RaceEntryLayout, "SE", kRaceEntryTable)
VOLQ_LAYOUT(HorseLayout, "UM", kHorseTable)
VOLQ_LAYOUT(BreedingHorseLayout, "HN", kBreedingHorseTable)
VOLQ_LAYOUT(JockeyLayout, "KS", kJockeyTable)
VOLQ_LAYOUT(OffspringLayout, "SK", kOffspringTable)
VOLQ_LAYOUT(TrainerLayout, "CH", kTrainerTable)
VOLQ_LAYOUT(BreederLayout, "BR", kBreederTable)
VOLQ_LAYOUT(OwnerLayout, "BN", kOwnerTable)
VOLQ_LAYOUT(MarketSaleLayout, "HS", kMarketSaleTable)
#undef VOLQ_LAYOUT

const RecordLayout* LayoutOf(std::string_view type) {
  if (type == "RA") return &RaceLayout();
  if (type == "SE") return &RaceEntryLayout();
  if (type == "UM") return &HorseLayout();
  if (type == "HN") return &BreedingHorseLayout();
  if (type == "KS") return &JockeyLayout();
  if (type == "SK") return &OffspringLayout();
  if (type == "CH") return &TrainerLayout();
  if (type == "BR") return &BreederLayout();
  if (type == "BN") return &OwnerLayout();
  if (type == "HS") return &MarketSaleLayout();
  return nullptr;
}

}  // namespace volq
