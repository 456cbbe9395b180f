#include "mapper/engine/messages.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "mapper/engine/fake_person.h"
#include "platform/posix_test_support.h"
#include "platform/text.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using testing::WriteLines;

class MessagesTest : public ::testing::Test {
 protected:
  MessagesTest() : host_(NewPosixHost()), mapper_(*host_, person_) { mapper_.program_folder = dir_.path(); }

  std::string Lookup(const std::string& key) { return LookupMessage(mapper_, key); }

  // A language file holding `plain` lines, each scrambled with its own seed.
  static std::string Pack(const std::vector<std::string>& plain, unsigned seed = 7) {
    std::vector<std::string> stored;
    for (std::size_t i = 0; i < plain.size(); ++i) stored.push_back("#" + EncodeLanguageLine(plain[i], seed + i));
    return JoinLines(stored);
  }

  UnpackResult Unpack(const std::string& bytes) {
    WriteBytes(dir_ / "Test.lng", bytes);
    return UnpackLanguageFile(mapper_, "Test.lng");
  }

  ScratchFolder dir_;
  std::unique_ptr<Host> host_;
  FakePerson person_;
  Mapper mapper_;
};

TEST_F(MessagesTest, LookupStopsAtTheFirstLineEqualToTheKeyOrTheEndMark) {
  WriteLines(dir_ / "MESSAGES.DAT", {"*ONE", "first one", "*ONE", "second one", "*TWIN", "*THREE",
                                     "*THREE", "real three", "*ENDMESSAGES", "*AFTER", "after text"});
  const struct {
    std::string key, text;
  } cases[] = {
      {"*ONE", "first one"},          // a key twice: the first occurrence wins
      {"*TWIN", "*THREE"},            // the text of a key is any line
      {"*THREE", "*THREE"},           // a text line equal to a key is taken for it
      {"*AFTER", "[*AFTER not found]"},  // keys after the end mark are never found
      {"*one", "[*one not found]"},   // letter case counts
      {"*NONE", "[*NONE not found]"},
  };
  for (const auto& c : cases) EXPECT_EQ(Lookup(c.key), c.text) << c.key;
}

TEST_F(MessagesTest, LookupWithoutEndMarkOrCatalogue) {
  EXPECT_EQ(Lookup("*NOFSEL"), "NOFSEL");  // no catalogue: the bare key
  // Found whatever the case of its name; read afresh on every call.
  WriteBytes(dir_ / "messages.dat", "*K\nkept\n*LAST");
  EXPECT_EQ(Lookup("*K"), "kept");
  EXPECT_EQ(Lookup("*LAST"), "");  // the key on the last line has an empty text
  EXPECT_EQ(Lookup("*MISSING"), "[*MISSING not found]");
  WriteBytes(dir_ / "messages.dat", "*K\r\nchanged\r\n");
  EXPECT_EQ(Lookup("*K"), "changed");
}

TEST(LanguageLineTest, DecodesByTheFormula) {
  // Key 5 (stored 38); "H" "i" "!" follow with prev rem 10 carried.
  EXPECT_EQ(DecodeLanguageLine("e\x26\xC4\xE7\xA2"), "Hi!");
  // A negative value: its remainder is negative too (-108 rem 10 = -8).
  EXPECT_EQ(DecodeLanguageLine("e\x26\x10\x80"), std::string("\x94\x0C"));
  // A stored key byte below 33 wraps to a key above 200, which the next
  // byte's remainder shows (175 rem 10, not -81 rem 10).
  EXPECT_EQ(DecodeLanguageLine("e\x01\x50\x80"), std::string("\xAF\xDA"));
  EXPECT_EQ(DecodeLanguageLine("d"), "");
  // Too short for what it announces: decoded as far as it goes.
  EXPECT_EQ(DecodeLanguageLine(""), "");
  EXPECT_EQ(DecodeLanguageLine("h\x30\x31"), "");  // key of 4, two key bytes
  EXPECT_EQ(DecodeLanguageLine("\x10\x81"), std::string("\x00", 1));  // no key: key byte 0
}

TEST(LanguageLineTest, EncodeIsTheExactInverseAndStoresNoLineBreakOrNul) {
  std::string every_byte;
  for (int i = 0; i < 256; ++i) every_byte.push_back(static_cast<char>(i));
  const std::string printable = "Map file of \"Foo\" not found. Cancella l'applicazione? &File|Esci";
  for (unsigned seed = 0; seed < 300; ++seed) {
    std::string plain = every_byte;
    for (unsigned k = 0; k < seed % 4; ++k) plain += every_byte;  // up to 1024 bytes
    std::rotate(plain.begin(), plain.begin() + seed % 256, plain.end());
    for (const std::string& text : {plain, printable + printable + printable, std::string(), std::string("\r\n")}) {
      const std::string stored = EncodeLanguageLine(text, seed);
      ASSERT_EQ(stored.find_first_of(std::string("\r\n\0", 3)), std::string::npos) << seed;
      ASSERT_EQ(DecodeLanguageLine(stored), text) << seed;
    }
  }
}

TEST_F(MessagesTest, UnpackWritesEachCarriedFileAndStopsAtEnd) {
  WriteBytes(dir_ / "OTHER.TXT", "old content that is replaced\r\n");
  const std::string lng = Pack({"***MESSAGES.DAT***", "*A", "text A", "", "***OTHER.TXT***", "x", "***END***",
                                "***EVIL.TXT***", "never read"}) +
                          "\xFF\r\n";  // a line that could not even be decoded sensibly
  EXPECT_EQ(Unpack(lng), UnpackResult::kDone);
  EXPECT_EQ(ReadBytes(dir_ / "MESSAGES.DAT"), "*A\r\ntext A\r\n\r\n");
  EXPECT_EQ(ReadBytes(dir_ / "OTHER.TXT"), "x\r\n");
  EXPECT_FALSE(Exists(dir_ / "EVIL.TXT"));
  EXPECT_EQ(Lookup("*A"), "text A");
}

TEST_F(MessagesTest, UnpackFailures) {
  EXPECT_EQ(UnpackLanguageFile(mapper_, "Nowhere.lng"), UnpackResult::kMissing);

  // Ends before END: the complete files are written, the cut one is not.
  EXPECT_EQ(Unpack(Pack({"***MESSAGES.DAT***", "*A", "a", "***PART.TXT***", "half"})), UnpackResult::kCorrupt);
  EXPECT_EQ(ReadBytes(dir_ / "MESSAGES.DAT"), "*A\r\na\r\n");
  EXPECT_FALSE(Exists(dir_ / "PART.TXT"));

  EXPECT_THROW(Unpack(Pack({"*A", "***MESSAGES.DAT***"})), HostError);
  // A carried file never lands outside the program folder: it is refused,
  // named in the error box, and the files after it are still unpacked.
  for (const std::string name : {"../ESCAPE.TXT", "SUB\\X.TXT", "/tmp/X.TXT", ""}) {
    person_ = FakePerson();
    EXPECT_EQ(Unpack(Pack({"***" + name + "***", "x", "***AFTER.TXT***", "y", "***END***"})), UnpackResult::kDone);
    ASSERT_EQ(person_.notices.size(), 1u) << name;
    EXPECT_NE(person_.notices[0].text.find("\n" + name + ": "), std::string::npos) << person_.notices[0].text;
    EXPECT_EQ(ReadBytes(dir_ / "AFTER.TXT"), "y\r\n");
  }
  EXPECT_FALSE(Exists(dir_ / "../ESCAPE.TXT"));
  EXPECT_FALSE(Exists(dir_ / "SUB"));
}

TEST(CarriedFileRefusalTest, PlainNamesOnlyAndNeverTheProgramsOwnFiles) {
  for (const char* name : {"MESSAGES.DAT", "Zvhelp.htm", "ReadMe.txt", "Zorvan32.txt", "Vigilo32.exe.txt",
                           "MAP", "Old.MAP.bak", "ZV.INI.txt", "TRASH", "Ünïcode.txt"}) {
    EXPECT_EQ(CarriedFileRefusal(name), "") << name;
  }
  for (const std::string& name :
       {std::string("Zorvan32"), std::string("zorvan32.EXE"), std::string("VIGILO32"), std::string("Vigilo32.exe"),
        std::string("Keep.MAP"), std::string("keep.map"), std::string("zv.ini"), std::string("ignorlst.txt"),
        std::string("WinDir.tmp"), std::string("VIGILO.INI"), std::string("Vigilo.Dat"), std::string("#trash"),
        std::string(""), std::string("."), std::string(".."), std::string(".hidden"), std::string("a/b"),
        std::string("a\\b"), std::string("tab\tname"), std::string(256, 'n')}) {
    EXPECT_NE(CarriedFileRefusal(name), "") << name;
  }
  EXPECT_EQ(CarriedFileRefusal(std::string(255, 'n')), "");
}

// A language may bring files of its own (a help page, a read-me), but never
// one that replaces or makes a program, a map or a file the program keeps;
// and what it writes never runs. Each refusal is named in one box, and the
// rest of the language is unpacked.
TEST_F(MessagesTest, CarriedFilesNeverReplaceProgramsMapsOrSettings) {
  ScratchFolder outside;
  WriteBytes(outside / "profile", "outside");
  const std::vector<std::string> kept_files = {"Vigilo32", "Keep.MAP", "ZV.INI", "Tool"};
  for (const std::string& name : kept_files) WriteBytes(dir_ / name, "original " + name);
  ASSERT_EQ(chmod((dir_ / "Vigilo32").c_str(), 0755), 0);
  ASSERT_EQ(chmod((dir_ / "Tool").c_str(), 0700), 0);
  ASSERT_EQ(symlink((outside / "profile").c_str(), (dir_ / "ReadMe.txt").c_str()), 0);
  WriteBytes(dir_ / "Old.txt", "old");
  ASSERT_EQ(chmod((dir_ / "Old.txt").c_str(), 0644), 0);

  const std::vector<std::string> refused = {"Vigilo32", "vigilo32.EXE", "Keep.MAP", "zv.ini", "Tool", "ReadMe.txt"};
  std::vector<std::string> plain = {"***MESSAGES.DAT***", "*A", "a"};
  for (const std::string& name : refused) {
    plain.push_back("***" + name + "***");
    plain.push_back("#!/bin/sh");
  }
  for (const char* name : {"Help.htm", "Old.txt"}) {
    plain.push_back("***" + std::string(name) + "***");
    plain.push_back("page");
  }
  plain.push_back("***END***");
  EXPECT_EQ(Unpack(Pack(plain)), UnpackResult::kDone);

  for (const std::string& name : kept_files) EXPECT_EQ(ReadBytes(dir_ / name), "original " + name);
  EXPECT_EQ(ReadBytes(outside / "profile"), "outside");
  EXPECT_FALSE(Exists(dir_ / "vigilo32.EXE"));
  EXPECT_EQ(ReadBytes(dir_ / "Help.htm"), "page\r\n");
  EXPECT_EQ(ReadBytes(dir_ / "Old.txt"), "page\r\n");
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(host_testing::ModeOf(dir_ / "Help.htm"), 0666u & ~mask);
  EXPECT_EQ(host_testing::ModeOf(dir_ / "Old.txt"), 0644u);
  EXPECT_EQ(Lookup("*A"), "a");

  ASSERT_EQ(person_.notices.size(), 1u);
  EXPECT_EQ(person_.notices[0].title, "Error");
  const std::string& text = person_.notices[0].text;
  EXPECT_EQ(text.rfind("Test.lng", 0), 0u) << text;
  for (const std::string& name : refused) EXPECT_NE(text.find(name + ": "), std::string::npos) << name;
  EXPECT_EQ(text.find("Help.htm"), std::string::npos);
}

// The language file and its catalogue are small files: only regular files
// are read, none blocks, and none over 16 MB fills the memory.
TEST_F(MessagesTest, LanguageFilesAndTheCatalogueMustBeSmallRegularFiles) {
  ASSERT_EQ(mkfifo((dir_ / "Pipe.lng").c_str(), 0600), 0);
  EXPECT_THROW(UnpackLanguageFile(mapper_, "Pipe.lng"), RefusedFileError);
  EXPECT_THROW(UnpackLanguageFile(mapper_, "/dev/zero"), RefusedFileError);
  WriteBytes(dir_ / "Huge.lng", "");
  std::filesystem::resize_file(dir_ / "Huge.lng", kSmallFileLimit + 1);  // sparse: no disk used
  EXPECT_THROW(UnpackLanguageFile(mapper_, "Huge.lng"), RefusedFileError);

  WriteBytes(dir_ / "MESSAGES.DAT", "*K\r\ntext\r\n");
  std::filesystem::resize_file(dir_ / "MESSAGES.DAT", kSmallFileLimit + 1);
  EXPECT_THROW(Lookup("*K"), RefusedFileError);
  std::filesystem::remove(dir_ / "MESSAGES.DAT");
  ASSERT_EQ(mkfifo((dir_ / "MESSAGES.DAT").c_str(), 0600), 0);
  EXPECT_THROW(Lookup("*K"), RefusedFileError);
}

TEST_F(MessagesTest, UnpackOfATruncatedFileNeverWritesAHalfFile) {
  const std::vector<std::string> plain = {"***MESSAGES.DAT***", "*A", "text A", "*B", "text B",
                                          "***SECOND.TXT***", "one", "two", "***END***"};
  const std::string lng = Pack(plain);
  const std::string messages = "*A\r\ntext A\r\n*B\r\ntext B\r\n", second = "one\r\ntwo\r\n";
  for (std::size_t cut = 0; cut <= lng.size(); ++cut) {
    std::remove((dir_ / "MESSAGES.DAT").c_str());
    std::remove((dir_ / "SECOND.TXT").c_str());
    try {
      const UnpackResult result = Unpack(lng.substr(0, cut));
      EXPECT_NE(result, UnpackResult::kMissing) << cut;
    } catch (const HostError&) {
      // A cut header names no file: an error, like any unwritable name.
    }
    if (Exists(dir_ / "MESSAGES.DAT")) {
      EXPECT_EQ(ReadBytes(dir_ / "MESSAGES.DAT"), messages) << cut;
    }
    if (Exists(dir_ / "SECOND.TXT")) {
      EXPECT_EQ(ReadBytes(dir_ / "SECOND.TXT"), second) << cut;
    }
  }
  EXPECT_EQ(Unpack(lng), UnpackResult::kDone);
}

}  // namespace
}  // namespace zv
