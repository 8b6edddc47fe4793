#include "build/extended/form_volqnq4dexpdsetup2024zz.h"

#include <gtest/gtest.h>

#include "build/records/test_support.h"
#include "platform/ui/cp932.h"
#include "platform/ui/headless_host.h"

namespace volq {
namespace {

class ExtendedWindowTest : public testing::StepTest {};

TEST_F(ExtendedWindowTest, ShowingTheWindowLoadsTheMarketSales) {
  // Every line of the market-sale file, in file order, without its CR LF;
  // a line of another layout is kept all the same.
  WriteFile("HS20180101.dat", "HS1202401012019100001\r\nshort\r\n" + Cp932("HS1販売") + "\r\n");
  HeadlessHost host;
  WindowManager wm(host);
  FormVOLQNQ4DEXPDSETUP2024ZZ w(*dir_);
  EXPECT_TRUE(w.market_sales().empty());  // nothing is read before it is shown
  wm.Open(w);
  EXPECT_EQ(ToUtf8(w.Caption), "VOLQNQ4DEXPDSETUP2024");
  EXPECT_EQ(w.market_sales(),
            (std::vector<std::string>{"HS1202401012019100001", "short", Cp932("HS1販売")}));
  EXPECT_TRUE(host.failures.empty());
}

TEST_F(ExtendedWindowTest, WithoutTheMarketSaleFileTheWindowOpensAndSaysSo) {
  HeadlessHost host;
  WindowManager wm(host);
  FormVOLQNQ4DEXPDSETUP2024ZZ w(*dir_);
  wm.Open(w);
  EXPECT_TRUE(w.market_sales().empty());
  ASSERT_EQ(host.failures.size(), 1u);
  EXPECT_NE(host.failures[0].find("HS20180101.dat"), std::string::npos);
  EXPECT_FALSE(Exists("HS20180101.dat"));  // the load never creates it
}

}  // namespace
}  // namespace volq
