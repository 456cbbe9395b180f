#include "cli/no_write_host.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <memory>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/fake_person.h"
#include "mapper/engine/map_texts.h"
#include "mapper/engine/messages.h"
#include "tests/support/process.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::Contents;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteLines;

TEST(NoWriteHostTest, TheEngineRunsAsUsualWhileTheDiskStaysAsItWas) {
  ScratchFolder program;
  testing::WriteBytes(program / "English.lng", ReadBytes(testing::BuiltProgramFolder() + "/English.lng"));
  WriteLines(program / "foo.map", {"whatever", "win.ini", "SYSTEM\\A.hlp", "WIN.INI"});
  ::chmod((program / "foo.map").c_str(), 0444);
  const auto before = Contents(program.path());

  const std::unique_ptr<Host> posix = NewPosixHost();
  NoWriteHost host(*posix);
  FakePerson person;
  Mapper mapper(host, person);
  mapper.program_folder = program.path();

  ASSERT_EQ(UnpackLanguageFile(mapper, "English.lng"), UnpackResult::kDone);
  EXPECT_EQ(LookupMessage(mapper, "*IsFolder"), "Folder");
  EXPECT_EQ(host.FindFiles(program.path(), "*.DAT"), std::vector<std::string>{"MESSAGES.DAT"});
  LoadMaps(mapper, "");
  EXPECT_EQ(mapper.maps.rows, std::vector<std::string>{"foo"});
  EXPECT_EQ(host.ReadFile(program / "FOO.MAP"), "***foo***\r\nSYSTEM\\A.GID\r\nSYSTEM\\A.hlp\r\nwin.ini\r\n")
      << "what was written is read back, whatever the letter case";
  EXPECT_FALSE(host.IsReadOnly(program / "foo.map"));
  EXPECT_EQ(host.FileSize(program / "foo.map"), 48);

  // Anything but writing whole files is refused outright.
  EXPECT_THROW(host.DeleteFile(program / "foo.map"), HostError);
  EXPECT_THROW(host.MoveFile(program / "foo.map", program / "bar.map"), HostError);
  EXPECT_THROW(host.MakeFolder(program / "#TRASH"), HostError);
  ::chmod((program / "English.lng").c_str(), 0444);
  EXPECT_THROW(host.WriteFile(program / "English.lng", "x"), HostError) << "a read-only file stays unwritable";
  ::chmod((program / "English.lng").c_str(), 0644);

  EXPECT_EQ(Contents(program.path()), before);
}

// A file on the disk has the disk's stamp, so a map text read earlier is
// still handed out; once the engine writes the file (whole or in pieces)
// the text lives only in memory and has no stamp, so the stale one from the
// disk is never handed out for it.
TEST(NoWriteHostTest, AWrittenFileHasNoStampAndPiecesAreKeptInMemory) {
  ScratchFolder program;
  WriteLines(program / "foo.map", {"***foo***", "WIN.INI"});
  const auto before = Contents(program.path());
  const std::unique_ptr<Host> posix = NewPosixHost();
  NoWriteHost host(*posix);

  FileStamp stamp, direct;
  ASSERT_TRUE(host.ReadFileStamp(program / "foo.map", &stamp));
  ASSERT_TRUE(posix->ReadFileStamp(program / "foo.map", &direct));
  EXPECT_TRUE(stamp.SameAs(direct));
  MapTexts texts;
  stamp.read_ns = std::max(stamp.modified_ns, stamp.changed_ns) + 2 * MapTexts::kSettledNs;
  texts.Keep(program / "foo.map", stamp, stamp, std::make_shared<const std::string>(ReadBytes(program / "foo.map")));
  ASSERT_NE(texts.Find(host, program / "foo.map"), nullptr);

  host.WriteFileInPieces(program / "FOO.MAP")->Add("abandoned");
  EXPECT_EQ(host.ReadFile(program / "foo.map"), ReadBytes(program / "foo.map"));
  const auto file = host.WriteFileInPieces(program / "FOO.MAP");
  file->Add("***foo***\r\n");
  file->Add("SYSTEM.INI\r\n");
  file->Commit();
  EXPECT_EQ(host.ReadFile(program / "foo.map"), "***foo***\r\nSYSTEM.INI\r\n");
  EXPECT_FALSE(host.ReadFileStamp(program / "foo.map", &stamp));
  EXPECT_EQ(texts.Find(host, program / "foo.map"), nullptr);

  const auto fresh = host.WriteFileInPieces(program / "WINDIR.TMP");
  fresh->Add("x");
  fresh->Commit();
  EXPECT_EQ(host.ReadFile(program / "WINDIR.TMP"), "x");
  EXPECT_FALSE(host.ReadFileStamp(program / "windir.tmp", &stamp));
  EXPECT_EQ(Contents(program.path()), before);
}

}  // namespace
}  // namespace zv
