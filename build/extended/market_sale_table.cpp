#include "build/extended/market_sale_table.h"

#include "common/record_layout.h"

namespace volq {

MarketSaleRow MarketSaleRowOf(std::string_view line) {
  // The line is the delivered record, whose stored and delivered layouts are
  // one: each field is resolved in the table when compiled.
  auto field = [line](Slice s) { return std::string(s.Of(line)); };
  return {field(MarketSaleField("pedigree_number")),
          field(MarketSaleField("market_code")),
          field(MarketSaleField("organiser_name")),
          field(MarketSaleField("market_name")),
          field(MarketSaleField("start_date")),
          field(MarketSaleField("end_date")),
          field(MarketSaleField("age")),
          field(MarketSaleField("price"))};
}

}  // namespace volq
