#pragma once
// The extended-record window. For now it opens with its caption and loads the
// market-sale file into memory, as its later steps need it.
#include <string>
#include <vector>

#include "platform/fs/data_dir.h"
#include "platform/ui/window.h"

namespace volq {

class FormVOLQNQ4DEXPDSETUP2024ZZ : public Window {
 public:
  explicit FormVOLQNQ4DEXPDSETUP2024ZZ(DataDir& dir);

  TextBox Text1{this, "Text1"};

  // Reads HS20180101.dat, one market-sale line per entry.
  void Form_Load() override;

  // The market-sale lines as read (without their CR LF).
  const std::vector<std::string>& market_sales() const { return market_sales_; }

 private:
  DataDir& dir_;
  std::vector<std::string> market_sales_;
};

}  // namespace volq
