#include "platform/fs/text_list.h"

#include <gtest/gtest.h>

#include "platform/fs/fs_test_support.h"
#include "platform/fs/record_file.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

TEST_F(FsTest, TextListRoundTrip) {
  fs::path p = root_ / "L.dat";
  {
    TextListWriter w(p);
    w.String("2019100001").EndLine();
    w.String("").String("a b").Number(-5).Number(0).String("x").Number(123456).EndLine();
    w.Close();
  }
  EXPECT_EQ(ReadWholeFile(p), "\"2019100001\"\r\n\"\",\"a b\",-5,0,\"x\",123456\r\n");
  TextListReader r(p);
  ASSERT_TRUE(r.ok());
  std::vector<std::string> items;
  while (!r.Eof()) items.push_back(r.Next());
  EXPECT_EQ(items, (std::vector<std::string>{"2019100001", "", "a b", "-5", "0", "x", "123456"}));
  EXPECT_THROW(r.Next(), Failure);

  // Formatted into memory, the same items are the same bytes.
  TextListText text;
  text.String("2019100001").EndLine();
  text.String("").String("a b").Number(-5).Number(0).String("x").Number(123456).EndLine();
  EXPECT_EQ(text.Take(), ReadWholeFile(p));

  bool found = true;
  EXPECT_TRUE(ReadListItems(root_ / "missing.dat", &found).empty());
  EXPECT_FALSE(found);
}

TEST_F(FsTest, TextListItemsEndAtCommasAndLineEnds) {
  // Items are read one by one up to a comma or a line end, so an empty line or
  // a comma before the line end stands for an empty item.
  const struct {
    const char* bytes;
    std::vector<std::string> items;
  } cases[] = {
      {"\"a\"\r\n\r\n\"b\"\r\n", {"a", "", "b"}},
      {"1,\r\n2\r\n", {"1", "", "2"}},
      {"  \"a,b\" , 7 \r\n", {"a,b", "7"}},
      {"\"x\"", {"x"}},
      {"", {}},
  };
  fs::path p = root_ / "L.dat";
  for (const auto& c : cases) {
    WriteWholeFile(p, c.bytes);
    EXPECT_EQ(ReadListItems(p), c.items) << c.bytes;
  }
}

TEST(TextList, Numbers) {
  EXPECT_EQ(ToNumber("  0012 "), 12);
  EXPECT_EQ(ToNumber("-3"), -3);
  EXPECT_EQ(ToNumber("\t12\r\n"), 12);  // every blank, as the other readers take it
  EXPECT_THROW(ToNumber(""), Failure);
  EXPECT_THROW(ToNumber("1a"), Failure);
  EXPECT_THROW(ToNumber("1.5"), Failure);  // a whole number only
}

TEST_F(FsTest, LinesSplitAtCrLf) {
  fs::path p = root_ / "HS.dat";
  WriteWholeFile(p, "one\r\ntwo\r\nthree");
  EXPECT_EQ(ReadLines(p), (std::vector<std::string>{"one", "two", "three"}));
}

}  // namespace
}  // namespace volq
