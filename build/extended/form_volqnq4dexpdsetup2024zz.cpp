#include "build/extended/form_volqnq4dexpdsetup2024zz.h"

#include "platform/fs/failure.h"
#include "platform/fs/text_list.h"
#include "platform/ui/cp932.h"

namespace volq {

FormVOLQNQ4DEXPDSETUP2024ZZ::FormVOLQNQ4DEXPDSETUP2024ZZ(DataDir& dir)
    : Window("FormVOLQNQ4DEXPDSETUP2024ZZ", Cp932("VOLQNQ4DEXPDSETUP2024")), dir_(dir) {}

void FormVOLQNQ4DEXPDSETUP2024ZZ::Form_Load() {
  try {
    market_sales_ = ReadLines(dir_.Path("HS20180101.dat"));
  } catch (const Failure& e) {
    // Without the market-sale file the window still opens; say so.
    ReportFailures({e.what()});
  }
}

}  // namespace volq
