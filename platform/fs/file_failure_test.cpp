#include "platform/fs/file_failure.h"

#include <gtest/gtest.h>

#include "platform/fs/fs_test_support.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

TEST(FailureFold, FoldsRepeatedTextsWithoutAnOperation) {
  FailureFold l;
  l.Add("", "RA20180101.dat is not open");
  l.Add("", "cannot write HS20180101.dat");
  l.Add("", "RA20180101.dat is not open");
  EXPECT_EQ(l.Lines(), (std::vector<std::string>{"RA20180101.dat is not open (2 times)",
                                                 "cannot write HS20180101.dat"}));
}

}  // namespace
}  // namespace volq
