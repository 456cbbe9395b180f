#include "mapper/engine/map_texts.h"

#include <gtest/gtest.h>

#include <map>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/fake_person.h"
#include "mapper/engine/new_map.h"
#include "mapper/engine/recording_view.h"
#include "mapper/engine/scanner.h"
#include "mapper/engine/viewer.h"
#include "platform/forwarding_host.h"
#include "platform/text.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using testing::WriteLines;

// Gives the real stamps of files as if they had been read ten seconds after
// the files last changed, so that files just written count as settled, and
// counts the reads of each file.
class SettledStampsHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  bool ReadFileStamp(const std::string& path, FileStamp* out) override {
    if (!real_->ReadFileStamp(path, out)) return false;
    out->read_ns = std::max(out->modified_ns, out->changed_ns) + 10 * MapTexts::kSettledNs;
    return true;
  }
  std::string ReadOwnFile(const std::string& path, const FileRules& rules) override {
    ++reads[LastComponent(path)];
    return ForwardingHost::ReadOwnFile(path, rules);
  }
  std::unique_ptr<Host> real_ = NewPosixHost();
  std::map<std::string, int> reads;
};

TEST(MapTextsTest, KeepsATextOnlyWhileItsFileStaysAsItWas) {
  ScratchFolder folder;
  const std::unique_ptr<Host> real = NewPosixHost();
  SettledStampsHost host(*real);
  const std::string path = folder / "A.MAP";
  WriteBytes(path, "***A***\r\nx\r\n");
  FileStamp stamp;
  ASSERT_TRUE(host.ReadFileStamp(path, &stamp));
  const auto text = std::make_shared<const std::string>(ReadBytes(path));

  MapTexts texts;
  texts.Keep(path, stamp, stamp, text);
  EXPECT_EQ(texts.Find(host, path), text);
  EXPECT_EQ(texts.Find(host, folder / "B.MAP"), nullptr);

  // A stamp that changed while the text was read, a stamp too young to
  // vouch for it, or a text of another size than the file: nothing kept.
  FileStamp other = stamp;
  other.modified_ns += 1;
  FileStamp young = stamp;
  young.read_ns = std::max(stamp.modified_ns, stamp.changed_ns) + 1;
  const struct {
    const char* what;
    FileStamp before, after;
    std::string text;
  } refused[] = {
      {"changed during the read", stamp, other, *text},
      {"young", young, young, *text},
      {"another size", stamp, stamp, *text + "y"},
  };
  for (const auto& c : refused) {
    MapTexts fresh;
    fresh.Keep(path, c.before, c.after, std::make_shared<const std::string>(c.text));
    EXPECT_EQ(fresh.Find(host, path), nullptr) << c.what;
  }

  // Replaced (another inode), or written in place (another size; within
  // one tick of the clock only the size would tell, which is why a young
  // stamp vouches for nothing): read again.
  real->WriteFile(path, "***A***\r\ny\r\n");
  EXPECT_EQ(texts.Find(host, path), nullptr);
  ASSERT_TRUE(host.ReadFileStamp(path, &stamp));
  texts.Keep(path, stamp, stamp, std::make_shared<const std::string>(ReadBytes(path)));
  ASSERT_NE(texts.Find(host, path), nullptr);
  WriteBytes(path, "***A***\r\nzz\r\n");
  EXPECT_EQ(texts.Find(host, path), nullptr);
  texts.Clear();
}

// After a catalogue load, the comparison of a new-map run and the file list
// take the maps from memory, the file list lets go of them, and a map that
// changed in between is read again, so its new lines count.
TEST(MapTextsTest, TheLoadServesTheComparisonAndTheFileListUnlessAMapChanged) {
  ScratchFolder windows, program;
  WriteBytes(windows / "a.txt", "x");
  WriteBytes(windows / "b.txt", "x");
  WriteLines(program / kIgnoreListFile, {"\\Cookies\\"});
  WriteLines(program / "Base.MAP", {"***Base***", "a.txt"});
  const std::unique_ptr<Host> real = NewPosixHost();
  SettledStampsHost host(*real);
  FakePerson person;
  Mapper mapper(host, person);
  mapper.windows_folder = windows.path();
  mapper.program_folder = program.path();
  RecordingView view;
  mapper.view = &view;

  LoadMaps(mapper, "");
  EXPECT_EQ(host.reads["Base.MAP"], 1);
  // "b.txt" is new: the run asks for a name; the comparison read no map.
  person.QueueText("Second");
  CreateNewMap(mapper, windows.path());
  EXPECT_EQ(ReadBytes(program / "Second.MAP"), "***Second***\r\nb.txt\r\n");
  const int after_first_run = host.reads["Base.MAP"];
  EXPECT_EQ(after_first_run, 2);  // the first load, and the load after the new map

  // The load after the new map kept both; the file list took its own and
  // let go of the rest.
  LoadMaps(mapper, "Base");
  ShowMap(mapper, view);
  EXPECT_EQ(host.reads["Base.MAP"], after_first_run + 1);  // by the load only
  ShowMap(mapper, view);
  EXPECT_EQ(host.reads["Base.MAP"], after_first_run + 2);

  // A map changed after the load is read again by the comparison.
  LoadMaps(mapper, "Base");
  WriteBytes(windows / "c.txt", "x");
  WriteLines(program / "Base.MAP", {"***Base***", "a.txt", "c.txt"});
  person.QueueText("Never");
  CreateNewMap(mapper, windows.path());
  EXPECT_EQ(person.text_requests.size(), 1u) << "c.txt was taken for new";
  EXPECT_FALSE(testing::Exists(program / "Never.MAP"));
}

}  // namespace
}  // namespace zv
