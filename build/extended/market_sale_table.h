#pragma once
// `MarketSaleTable`: the market-sale file HS20180101.dat as the extended-record
// window holds it, one row per line in file order, nothing filtered or merged.
#include <string>
#include <string_view>
#include <vector>

namespace volq {

struct MarketSaleRow {
  std::string pedigree;    // 11:10, the horse sold
  std::string code;        // 45:6
  std::string host;        // 51:40
  std::string name;        // 91:80
  std::string start_date;  // 171:8, year month day
  std::string end_date;    // 179:8
  std::string age;         // 187:1, age at the sale
  std::string price;       // 188:10, in yen

  bool operator==(const MarketSaleRow&) const = default;
};

using MarketSaleTable = std::vector<MarketSaleRow>;

// The row of one line (without its CR LF); fields past the end of a short
// line are short or empty.
MarketSaleRow MarketSaleRowOf(std::string_view line);

}  // namespace volq
