#include "platform/host.h"

#include <gtest/gtest.h>

#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::ScratchFolder;

TEST(PosixHostTest, ReadsBackWhatItWrites) {
  ScratchFolder scratch;
  auto host = NewPosixHost();
  host->WriteFile(scratch / "a.txt", "hello\r\n");
  EXPECT_EQ(host->ReadFile(scratch / "a.txt"), "hello\r\n");
}

}  // namespace
}  // namespace zv
