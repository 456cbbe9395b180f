#include "mapper/trash/alike_rows.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(AlikeRowsTest, RowsAlikeAreTakenOncePerAddInTheOrderAdded) {
  AlikeRows rows(4);
  rows.Add("a", 3);
  rows.Add("b", 1);
  rows.Add("a", 0);
  rows.Add(std::string("a\0x", 3), 7);  // keys join fields with NULs
  EXPECT_EQ(rows.Take("a"), std::optional<std::size_t>(3));
  EXPECT_EQ(rows.Take(std::string("a\0x", 3)), std::optional<std::size_t>(7));
  EXPECT_EQ(rows.Take("a"), std::optional<std::size_t>(0));
  EXPECT_EQ(rows.Take("a"), std::nullopt);
  EXPECT_EQ(rows.Take("b"), std::optional<std::size_t>(1));
  EXPECT_EQ(rows.Take("c"), std::nullopt);
}

}  // namespace
}  // namespace zv
