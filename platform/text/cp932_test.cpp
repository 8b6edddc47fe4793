#include "platform/text/cp932.h"

#include <gtest/gtest.h>

#include "platform/base/failure.h"

namespace volq {
namespace {

TEST(Cp932, ConvertsBothWaysAndShowsBadBytes) {
  EXPECT_EQ(Cp932("VOLQF1C：メイン"), "VOLQF1C\x81\x46\x83\x81\x83\x43\x83\x93");
  EXPECT_EQ(Cp932("終了"), "\x8f\x49\x97\xb9");
  EXPECT_EQ(ToUtf8(Cp932("2018年1月1日セットアップ")), "2018年1月1日セットアップ");
  EXPECT_EQ(ToUtf8("A\x82\xa0\xff"
                   "B"),
            "Aあ?B");
  EXPECT_FALSE(
      TryCp932("\xf0\x9f\x90\x8e").has_value());  // a horse emoji has no code page 932 form
  EXPECT_THROW(Cp932("\xf0\x9f\x90\x8e"), Failure);
}

}  // namespace
}  // namespace volq
