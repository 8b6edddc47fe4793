#include "build/extended/market_sale_table.h"

#include "common/records.h"

namespace volq {

MarketSaleRow MarketSaleRowOf(std::string_view line) {
  MarketSaleParsed p;
  ParseHS(line, p);
  return {p.Get("pedigree_number"),
          p.Get("market_code"),
          p.Get("organiser_name"),
          p.Get("market_name"),
          p.Get("start_date"),
          p.Get("end_date"),
          p.Get("age"),
          p.Get("price")};
}

}  // namespace volq
