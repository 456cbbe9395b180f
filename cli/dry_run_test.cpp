// The lines of a dry run: a question on one line with its answer, and the
// count of what would be done.
#include "cli/dry_run.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zv::cli {
namespace {

TEST(DryRunLinesTest, QuestionsOnOneLineWithTheirAnswersAndTheCount) {
  std::ostringstream out;
  DryRunLines lines(out);
  // Both breaks the engine's questions hold become one space.
  EXPECT_TRUE(lines.Ask("\"/w/a\" is read-only.\n Move it?", true, "--force"));
  EXPECT_FALSE(lines.Ask("Delete?\nFor good.\n", false, "--yes"));
  lines.Would("move", "SYSTEM\\Foo.dll");
  lines.Stay("<DIR> SYSTEM", "the folder still holds files of this map");
  lines.Would("move", "win.ini");
  EXPECT_EQ(out.str(),
            "would ask: \"/w/a\" is read-only. Move it?: yes (--force)\n"
            "would ask: Delete? For good. : open (--yes answers yes)\n"
            "would move: SYSTEM\\Foo.dll\n"
            "would stay: <DIR> SYSTEM: the folder still holds files of this map\n"
            "would move: win.ini\n");
  EXPECT_EQ(lines.done(), 2u);
}

}  // namespace
}  // namespace zv::cli
