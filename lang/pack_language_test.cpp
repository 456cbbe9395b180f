// The shipped languages: packed files that read back to their sources, a
// text for every message key, caption sections of the right shape; and the
// packer's refusals of sources it cannot pack faithfully.
#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lang/language_packer.h"
#include "mapper/engine/fake_person.h"
#include "mapper/engine/mapper.h"
#include "mapper/engine/messages.h"
#include "platform/host.h"
#include "platform/text.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::ReadBytes;
using testing::ReadLines;
using testing::ScratchFolder;

const char* const kLanguages[] = {"English", "Italiano"};

std::vector<std::string> SourceLines(const std::string& language) {
  return ReadLines(std::string(ZORVAN_LANG_SOURCE_DIR) + "/" + language + ".txt");
}

std::vector<std::string> Vocabulary() {
  std::vector<std::string> keys;
  for (const std::string& key : ReadLines(std::string(ZORVAN_LANG_SOURCE_DIR) + "/keys.txt"))
    if (!key.empty()) keys.push_back(key);
  return keys;
}

// The language file the build put into the program folder.
std::string BuiltLanguageFile(const std::string& language) {
  return std::string(ZORVAN_BUILT_PROGRAM_DIR) + "/" + language + ".lng";
}

// The lines of the catalogue, MESSAGES.DAT, as the source carries them.
std::vector<std::string> CatalogueLines(const std::vector<std::string>& source) {
  return {source.begin() + 1, source.end() - 1};
}

// The lines after a caption section's header, up to the next header.
std::vector<std::string> Section(const std::vector<std::string>& catalogue, const std::string& header) {
  std::vector<std::string> lines;
  bool inside = false;
  for (const std::string& line : catalogue) {
    if (inside && StartsWith(line, "[")) break;
    if (inside) lines.push_back(line);
    if (EqualsNoCase(line, header)) inside = true;
  }
  return lines;
}

// The access key of a caption (the letter after "&"), or 0.
char AccessKey(const std::string& caption) {
  const std::size_t amp = caption.find('&');
  if (amp == std::string::npos || amp + 1 >= caption.size()) return 0;
  return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[amp + 1])));
}

TEST(ShippedLanguages, PackedFilesReadBackToTheirSources) {
  for (const std::string language : kLanguages) {
    SCOPED_TRACE(language);
    const std::vector<std::string> source = SourceLines(language);
    const std::string stored = ReadBytes(BuiltLanguageFile(language));

    // Every stored line, behind its ignored first character, is one source line.
    const std::vector<std::string> stored_lines = SplitLines(stored);
    ASSERT_EQ(stored_lines.size(), source.size());
    EXPECT_EQ(JoinLines(stored_lines), stored) << "every stored line ends with CR LF";
    for (std::size_t i = 0; i < source.size(); ++i) {
      ASSERT_FALSE(stored_lines[i].empty());
      EXPECT_EQ(DecodeLanguageLine(std::string_view(stored_lines[i]).substr(1)), source[i]) << "line " << i + 1;
    }

    // The program's own unpacker writes exactly the catalogue of the source,
    // and lookups in it find the source's texts.
    ScratchFolder program;
    testing::WriteBytes(program / (language + ".lng"), stored);
    auto host = NewPosixHost();
    FakePerson person;
    Mapper mapper(*host, person);
    mapper.program_folder = program.path();
    ASSERT_EQ(UnpackLanguageFile(mapper, language + ".lng"), UnpackResult::kDone);
    EXPECT_EQ(ReadLines(program / "MESSAGES.DAT"), CatalogueLines(source));
    EXPECT_EQ(LookupMessage(mapper, "*SITE"), "zorvan.example.org");
    const auto key = std::find(source.begin(), source.end(), "*NOFSEL");
    ASSERT_NE(key, source.end());
    EXPECT_EQ(LookupMessage(mapper, "*NOFSEL"), *(key + 1));
  }
}

TEST(ShippedLanguages, EveryKeyHasATextAndNoStrayKeys) {
  const std::vector<std::string> vocabulary = Vocabulary();
  ASSERT_GE(vocabulary.size(), 40u);
  const std::set<std::string> known(vocabulary.begin(), vocabulary.end());
  for (const std::string language : kLanguages) {
    SCOPED_TRACE(language);
    const std::vector<std::string> catalogue = CatalogueLines(SourceLines(language));
    std::map<std::string, std::string> texts;
    std::size_t i = 0;
    for (; i < catalogue.size() && catalogue[i] != "*ENDMESSAGES"; i += 2) {
      const std::string& key = catalogue[i];
      ASSERT_TRUE(StartsWith(key, "*")) << "line " << i + 2 << " should be a key: " << key;
      ASSERT_LT(i + 1, catalogue.size());
      const std::string& text = catalogue[i + 1];
      EXPECT_TRUE(known.count(key)) << "not a key the program looks up: " << key;
      EXPECT_TRUE(texts.emplace(key, text).second) << "key given twice: " << key;
      // A text equal to a key would be taken for that key by the lookup.
      EXPECT_FALSE(known.count(text)) << key << " has a text that reads as a key";
      EXPECT_NE(text, "*ENDMESSAGES") << key;
    }
    ASSERT_LT(i, catalogue.size()) << "no *ENDMESSAGES line";
    for (const std::string& key : vocabulary) {
      ASSERT_TRUE(texts.count(key)) << "missing key " << key;
      EXPECT_FALSE(texts[key].empty()) << "empty text for " << key;
    }
    // The site is a host: the redirect page puts "http://" before it.
    EXPECT_EQ(texts["*SITE"].find_first_of(":/ "), std::string::npos) << texts["*SITE"];
    EXPECT_NE(texts["*SITE"].find(".example.org"), std::string::npos) << texts["*SITE"];
  }
}

TEST(ShippedLanguages, CaptionSectionsHaveTheirShape) {
  // [Menu]: six menus (File, Scan, Map, Options, Trash, ?), each caption
  // followed by its items; separators at their four fixed places.
  const std::vector<std::size_t> menu_items = {2, 2, 8, 13, 0, 2};
  const std::set<std::size_t> separators = {10, 13, 21, 25};
  const std::size_t remote_control = 16;
  for (const std::string language : kLanguages) {
    SCOPED_TRACE(language);
    const std::vector<std::string> catalogue = CatalogueLines(SourceLines(language));

    const std::vector<std::string> menu = Section(catalogue, "[Menu]");
    ASSERT_EQ(menu.size(), 33u);
    for (std::size_t p = 0; p < menu.size(); ++p) {
      EXPECT_EQ(menu[p] == "-", separators.count(p) == 1) << "[Menu] line " << p + 1 << ": " << menu[p];
      EXPECT_FALSE(menu[p].empty()) << "[Menu] line " << p + 1;
    }
    // The remote window's title is this caption without its first character.
    EXPECT_TRUE(StartsWith(menu[remote_control], "&")) << menu[remote_control];

    // Access keys: unique among the menu bar, and within each menu.
    std::set<char> bar_keys;
    std::size_t p = 0;
    for (std::size_t items : menu_items) {
      const char bar_key = AccessKey(menu[p]);
      EXPECT_NE(bar_key, 0) << menu[p];
      EXPECT_TRUE(bar_keys.insert(bar_key).second) << "access key used twice on the menu bar: " << menu[p];
      std::set<char> item_keys;
      for (std::size_t k = 1; k <= items; ++k) {
        const std::string& item = menu[p + k];
        if (item == "-") continue;
        const char key = AccessKey(item);
        EXPECT_NE(key, 0) << item;
        EXPECT_TRUE(item_keys.insert(key).second) << "access key used twice in " << menu[p] << ": " << item;
      }
      p += 1 + items;
    }

    const std::vector<std::string> buttons = Section(catalogue, "[MainBtns]");
    ASSERT_EQ(buttons.size(), 5u);
    for (const std::string& line : buttons) {
      const std::size_t bar = line.find('|');
      ASSERT_NE(bar, std::string::npos) << line;
      EXPECT_GT(bar, 0u) << "empty button caption: " << line;
      EXPECT_LE(bar, 16u) << "a caption this long never finishes its wave: " << line;
      EXPECT_LT(bar + 1, line.size()) << "empty status text: " << line;
    }

    const std::vector<std::string> trash = Section(catalogue, "[Trash]");
    ASSERT_EQ(trash.size(), 4u);
    const std::vector<std::string> remote = Section(catalogue, "[RemoteBtns]");
    ASSERT_EQ(remote.size(), 6u);
    for (const std::string& line : trash) EXPECT_FALSE(line.empty());
    for (const std::string& line : remote) EXPECT_FALSE(line.empty());
  }
}

TEST(PackLanguageSource, RefusesSourcesItCannotPackFaithfully) {
  struct Case {
    const char* what;
    std::string source;
    const char* line;  // the line the error names, or "" when none
  };
  const Case cases[] = {
      {"no header first", "hello\n***END***\n", "line 1"},
      {"empty source", "", "line 1"},
      {"header without a name", "******\n***END***\n", "line 1"},
      {"CR inside a line", "***A***\nab\rcd\n***END***\n", "line 2"},
      {"CR at the very end", "***A***\n***END***\r", "line 2"},
      {"NUL inside a line", "***A***\n" + std::string("x\0y", 3) + "\n***END***\n", "line 2"},
      {"no closing header", "***A***\ntext\n", ""},
      {"lines after the closing header", "***A***\ntext\n***END***\nlost\n", "line 4"},
      {"a malformed header", "***A***\n***B\n***END***\n", "line 2"},
      {"a path in a header", "***A***\n***../B***\n***END***\n", "line 2"},
      // Whatever the unpacker would refuse to write.
      {"a parent folder", "***A***\n***..***\n***END***\n", "line 2"},
      {"the folder itself", "***.***\n***END***\n", "line 1"},
      {"a hidden file", "***A***\n***.profile***\n***END***\n", "line 2"},
      {"a name too long for a file", "***A***\n***" + std::string(256, 'n') + "***\n***END***\n", "line 2"},
      {"the probe", "***A***\n***vigilo32.exe***\n***END***\n", "line 2"},
      {"a map", "***A***\n***Keep.map***\n***END***\n", "line 2"},
      {"the settings", "***ZV.INI***\n***END***\n", "line 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const PackedLanguage packed = PackLanguageSource(c.source);
    EXPECT_FALSE(packed.ok);
    EXPECT_FALSE(packed.error.empty());
    EXPECT_NE(packed.error.find(c.line), std::string::npos) << packed.error;
    EXPECT_TRUE(packed.stored.empty());
  }
}

TEST(PackLanguageSource, KeepsEveryByteAndIsTheSameForLfAndCrLfSources) {
  const std::string lf = "***MESSAGES.DAT***\n*K\n  two blanks, a trailing one \n\n\xE8 \xC3\xA8 \xFF\n***END***\n";
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);

  const PackedLanguage a = PackLanguageSource(lf);
  const PackedLanguage b = PackLanguageSource(crlf);
  ASSERT_TRUE(a.ok) << a.error;
  ASSERT_TRUE(b.ok) << b.error;
  EXPECT_EQ(a.stored, b.stored);
  EXPECT_EQ(PackLanguageSource(lf).stored, a.stored) << "packing is deterministic";

  const std::vector<std::string> plain = SplitLines(lf);
  const std::vector<std::string> stored = SplitLines(a.stored);
  ASSERT_EQ(stored.size(), plain.size());
  for (std::size_t i = 0; i < plain.size(); ++i) {
    EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(stored[i][0]))) << stored[i];
    EXPECT_EQ(stored[i].find('\0'), std::string::npos);
    EXPECT_EQ(DecodeLanguageLine(std::string_view(stored[i]).substr(1)), plain[i]);
  }
}

}  // namespace
}  // namespace zv
