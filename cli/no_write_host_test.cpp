#include "cli/no_write_host.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/fake_person.h"
#include "mapper/engine/messages.h"
#include "tests/support/process.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteLines;

// Every file of a folder with its bytes and permission bits.
std::map<std::string, std::string> Contents(const ScratchFolder& folder) {
  std::map<std::string, std::string> contents;
  for (const std::string& name : testing::ListNames(folder.path())) {
    struct stat st{};
    ::stat((folder / name).c_str(), &st);
    contents[name] = std::to_string(st.st_mode) + ":" + ReadBytes(folder / name);
  }
  return contents;
}

TEST(NoWriteHostTest, TheEngineRunsAsUsualWhileTheDiskStaysAsItWas) {
  ScratchFolder program;
  testing::WriteBytes(program / "English.lng", ReadBytes(testing::BuiltProgramFolder() + "/English.lng"));
  WriteLines(program / "foo.map", {"whatever", "win.ini", "SYSTEM\\A.hlp", "WIN.INI"});
  ::chmod((program / "foo.map").c_str(), 0444);
  const auto before = Contents(program);

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

  EXPECT_EQ(Contents(program), before);
}

}  // namespace
}  // namespace zv
