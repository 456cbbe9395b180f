// zorvan remove, trash restore and trash purge with --dry-run as processes:
// not one byte of the program folder or the Windows folder changes, the
// lines say what the real run then does, and the questions a read-only file
// and a missing folder raise are shown with their answers.
#include <sys/stat.h>

#include "tests/zorvan_fixture.h"

namespace zv::testing {
namespace {

class ZorvanDryRunTest : public ZorvanTest {
 protected:
  // Tracks an installation of `App` as the map Foo: a folder of files, one
  // of them read-only, and a folder below.
  void InstallFoo() {
    const std::string install =
        "set -e; cd \"$ZORVAN_WINDIR\"; mkdir -p App/Sub; echo a > App/Sub/a.txt; echo b > App/b.txt; "
        "echo ro > App/ro.dat; chmod 444 App/ro.dat";
    const ZorvanRun run = Zorvan({"track", "Foo", "--", "sh", "-c", install});
    ASSERT_EQ(run.code, 0) << run.err;
  }

  // Both folders, whole.
  std::pair<std::map<std::string, std::string>, std::map<std::string, std::string>> Trees() const {
    return {Tree(program_.path()), Tree(windows_.path())};
  }

  // The lines of `out` that begin with `start`, without it.
  static Lines LinesStarting(const std::string& out, const std::string& start) {
    Lines found;
    std::size_t at = 0;
    while (at < out.size()) {
      const std::size_t end = out.find('\n', at);
      const std::string line = out.substr(at, end - at);
      if (line.starts_with(start)) found.push_back(line.substr(start.size()));
      at = end == std::string::npos ? out.size() : end + 1;
    }
    return found;
  }

  // A record the trash manager's tidying drops: its file is not in the
  // trash. Any rewrite of the log shows in the tree then.
  void AddStaleRecord() {
    const std::string log = program_ / "#TRASH/!TRASH!.DAT";
    WriteBytes(log, ReadBytes(log) + "|N{gone.txt}N|M{Foo}M|T{DEL0gone.txt}T|P{App\\}P|\r\n");
  }
};

TEST_F(ZorvanDryRunTest, RemoveChangesNothingAndSaysWhatTheRemovalDoes) {
  InstallFoo();
  const auto before = Trees();

  // No answers given: the confirmation is open and shown as if yes, the
  // read-only file stays, and so its folder.
  ZorvanRun run = Zorvan({"remove", "Foo", "--dry-run"});
  EXPECT_EQ(run.code, 1) << run.err;
  EXPECT_EQ(Trees(), before);
  std::cout << run.out << "---\n" << run.err;
}

}  // namespace
}  // namespace zv::testing
