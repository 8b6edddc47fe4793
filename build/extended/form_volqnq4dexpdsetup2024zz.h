#pragma once
// The extended-record window: "計算" builds every listed horse's EX file,
// "表示" writes the standard-time sample table and lists the EX files, and a
// click on the list shows one horse's EX records in the grid. The market-sale
// file is read once, when the window opens.
#include <cstdint>
#include <string>

#include "build/extended/market_sale_table.h"
#include "platform/fs/data_dir.h"
#include "platform/ui/window.h"

namespace volq {

class FormVOLQNQ4DEXPDSETUP2024ZZ : public Window {
 public:
  explicit FormVOLQNQ4DEXPDSETUP2024ZZ(DataDir& dir);

  ListBox List1{this, "List1"};
  Grid EXPFG{this, "EXPFG"};
  CommandButton Command1{this, "Command1"};
  CommandButton Command2{this, "Command2"};
  TextBox Text1{this, "Text1"};

  // Reads HS20180101.dat into the market-sale table.
  void Form_Load() override;
  std::string Guide() const override;
  void Command1_Click();
  void Command2_Click();
  void List1_Click();

  const MarketSaleTable& market_sales() const { return market_sales_; }

 private:
  DataDir& dir_;
  MarketSaleTable market_sales_;
  bool market_sales_unread_ = false;  // the file was there but could not be read
  int32_t RecordCount = 0;
};

}  // namespace volq
