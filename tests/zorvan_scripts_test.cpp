// zorvan as a script meets it: every name reachable, tsv and json that
// decode back to the exact bytes, the same fields in every language, exit
// statuses a script can act on, one lock per program folder, one rule for
// map names, the names a scan leaves out, and no progress line where
// nobody watches.
#include <signal.h>
#include <unistd.h>

#include "platform/text.h"
#include "tests/zorvan_fixture.h"

namespace zv::testing {
namespace {

// The fields of tsv `text` (column names first), each decoded; fails the
// test on an escape the format does not have.
std::vector<Lines> DecodeTsv(const std::string& text) {
  std::vector<Lines> rows;
  EXPECT_TRUE(text.empty() || text.back() == '\n') << text;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    Lines fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\t') {
        fields.emplace_back();
      } else if (line[i] != '\\') {
        fields.back() += line[i];
      } else {
        const char next = i + 1 < line.size() ? line[++i] : '?';
        const std::string decoded = next == '\\' ? "\\" : next == 't' ? "\t" : next == 'r' ? "\r" : next == 'n' ? "\n" : "";
        EXPECT_FALSE(decoded.empty()) << "unknown escape in " << line;
        fields.back() += decoded;
      }
    }
    rows.push_back(fields);
  }
  return rows;
}

// Column `name` of every row of decoded tsv.
Lines Column(const std::vector<Lines>& rows, const std::string& name) {
  Lines column;
  if (rows.empty()) return column;
  const auto at = std::find(rows[0].begin(), rows[0].end(), name);
  EXPECT_NE(at, rows[0].end()) << name;
  if (at == rows[0].end()) return column;
  const auto index = static_cast<std::size_t>(at - rows[0].begin());
  for (std::size_t r = 1; r < rows.size(); ++r) {
    EXPECT_EQ(rows[r].size(), rows[0].size()) << "row " << r;
    if (index < rows[r].size()) column.push_back(rows[r][index]);
  }
  return column;
}

void AppendUtf8(unsigned code, std::string* out) {
  if (code < 0x80) {
    *out += static_cast<char>(code);
  } else if (code < 0x800) {
    *out += static_cast<char>(0xC0 | (code >> 6));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out += static_cast<char>(0xE0 | (code >> 12));
    *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Every string value of the member `key` in json `text`, decoded: a lone
// low surrogate \udcXX gives back the byte XX.
Lines JsonValues(const std::string& text, const std::string& key) {
  Lines values;
  const std::string start = "\"" + key + "\": \"";
  for (std::size_t at = text.find(start); at != std::string::npos; at = text.find(start, at + 1)) {
    std::string value;
    std::size_t i = at + start.size();
    for (; i < text.size() && text[i] != '"'; ++i) {
      if (text[i] != '\\') {
        value += text[i];
        continue;
      }
      const char e = text[++i];
      if (e == 'u') {
        const unsigned code = static_cast<unsigned>(std::stoul(text.substr(i + 1, 4), nullptr, 16));
        i += 4;
        if (code >= 0xDC80 && code <= 0xDCFF) {
          value += static_cast<char>(code - 0xDC00);
        } else {
          AppendUtf8(code, &value);
        }
      } else {
        value += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
      }
    }
    values.push_back(value);
  }
  return values;
}

// True when `text` is valid UTF-8 (no surrogates, no overlong forms).
bool ValidUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const std::size_t n = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
    if (n == 0 || i + n > text.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    if (n == 3 && b == 0xED && static_cast<unsigned char>(text[i + 1]) >= 0xA0) return false;
    i += n;
  }
  return true;
}

Lines Sorted(Lines lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

class ZorvanScriptsTest : public ZorvanTest {
 protected:
  // zorvan run by sh with `script`, in which "$Z" is zorvan on this test's
  // program folder.
  ZorvanRun Shell(const std::string& script) const {
    auto env = Environment();
    env["Z"] = BuiltProgramFolder() + "/zorvan";
    env["P"] = program_.path();
    return Finish(std::make_unique<ChildProcess>("/bin/sh", Lines{"-c", script}, home_.path(), env));
  }
};

TEST_F(ZorvanScriptsTest, NamesBeginningWithADashAreReachableAfterTheSeparator) {
  WriteLines(program_ / "-dash.MAP", {"***-dash***", "win.ini"});
  WriteLines(program_ / "System.MAP", {"***System***", "<DIR> SYSTEM", "SYSTEM\\Foo.dll"});
  ZorvanRun run = Zorvan({"show", "-dash"});
  EXPECT_EQ(run.code, 2);
  EXPECT_TRUE(Holds(run.err, "'zorvan show -- -dash'")) << run.err;

  run = Zorvan({"show", "--format=tsv", "--", "-dash"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "entry\ttype\tstate\tbytes\nwin.ini\tfile\tpresent\t3\n");
  EXPECT_EQ(Zorvan({"files", "--", "-dash"}).out, windows_ / "win.ini" + "\n");
  EXPECT_EQ(Zorvan({"identify", "--", "-x"}).code, 1) << "searched, not taken as an option";

  run = Zorvan({"rename", "--", "-dash", "-other"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Exists(program_ / "-other.MAP"));

  // track: the first "--" ends the options, the one after NAME starts the
  // program, whose own "--" and options pass through.
  run = Zorvan({"track", "--", "-new", "--", "sh", "-c", "touch \"$ZORVAN_WINDIR/new.txt\"; echo \"$1\"", "sh", "--"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Holds(run.out, "--\n")) << run.out;
  EXPECT_EQ(ReadLines(program_ / "-new.MAP"), (Lines{"***-new***", "new.txt"}));

  run = Zorvan({"remove", "--yes", "--", "-new"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_FALSE(Exists(windows_ / "new.txt"));
  run = Zorvan({"unmap", "--yes", "--", "-new"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_FALSE(Exists(program_ / "-new.MAP"));
}

TEST_F(ZorvanScriptsTest, TsvAndJsonDecodeBackToTheExactBytes) {
  const std::string latin1 = "caf\xe9", utf8 = "caf\xc3\xa9";
  WriteBytes(windows_ / (latin1 + ".txt"), "1");
  WriteBytes(windows_ / (utf8 + ".txt"), "22");
  MakeFolders(windows_ / "lib/node_modules");
  const Lines entries = {"<DIR> lib", "<DIR> lib\\node_modules", latin1 + ".txt", utf8 + ".txt"};
  // A map's name cannot hold a line break (its header line could not), so
  // line breaks come through the person's typing below.
  const Lines names = {latin1, utf8, "tab\there", "-lead", "back up"};
  for (const std::string& name : names) {
    Lines lines = {"***" + name + "***"};
    lines.insert(lines.end(), entries.begin(), entries.end());
    WriteLines(program_ / (name + ".MAP"), lines);
  }

  const ZorvanRun tsv = Zorvan({"maps", "--format=tsv"});
  ASSERT_EQ(tsv.code, 0) << tsv.err;
  EXPECT_EQ(Sorted(Column(DecodeTsv(tsv.out), "map")), Sorted(names));
  EXPECT_EQ(std::count(tsv.out.begin(), tsv.out.end(), '\n'), 1 + static_cast<long>(names.size())) << tsv.out;

  const ZorvanRun json = Zorvan({"maps", "--format=json", "--host-paths"});
  ASSERT_EQ(json.code, 0) << json.err;
  EXPECT_TRUE(ValidUtf8(json.out)) << json.out;
  EXPECT_TRUE(StartsWith(json.out, "{\"format\": 1, \"maps\": [")) << json.out;
  EXPECT_EQ(Sorted(JsonValues(json.out, "map")), Sorted(names)) << "the name, even with --host-paths";
  Lines files;
  for (const std::string& name : names) files.push_back(program_ / (name + ".MAP"));
  EXPECT_EQ(Sorted(JsonValues(json.out, "map_file")), Sorted(files));

  const Lines plain = {"lib", "lib\\node_modules", latin1 + ".txt", utf8 + ".txt"};
  const Lines host = {windows_ / "lib/", windows_ / "lib/node_modules/", windows_ / (latin1 + ".txt"),
                      windows_ / (utf8 + ".txt")};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::vector<Lines> rows = DecodeTsv(Zorvan({"show", "--format=tsv", "--", name}).out);
    EXPECT_EQ(Sorted(Column(rows, "entry")), Sorted(plain));
    EXPECT_EQ(Sorted(Column(rows, "type")), (Lines{"file", "file", "folder", "folder"}));
    const std::string shown = Zorvan({"show", "--format=json", "--host-paths", "--", name}).out;
    EXPECT_TRUE(ValidUtf8(shown)) << shown;
    EXPECT_EQ(JsonValues(shown, "map"), Lines{name});
    EXPECT_EQ(Sorted(JsonValues(shown, "entry")), Sorted(host));
    const std::string listed = Zorvan({"files", "-0", "--", name}).out;
    Lines paths;
    for (std::size_t at = 0, end; (end = listed.find('\0', at)) != std::string::npos; at = end + 1) {
      paths.push_back(listed.substr(at, end - at));
    }
    EXPECT_EQ(Sorted(paths), Sorted(host));
  }

  // What the person typed comes back too, whatever it holds.
  const std::string typed = "-odd\\dir\tx\ny/" + latin1 + ".txt";
  const ZorvanRun identified = Zorvan({"identify", "--format=tsv", "--", typed});
  EXPECT_EQ(identified.code, 0) << identified.err;
  const std::vector<Lines> hits = DecodeTsv(identified.out);
  EXPECT_EQ(Column(hits, "file"), Lines(names.size(), typed));
  EXPECT_EQ(Column(hits, "entry"), Lines(names.size(), latin1 + ".txt")) << "caf\\xe9 never reads as café";
  const std::string identified_json = Zorvan({"identify", "--format=json", "--", typed}).out;
  EXPECT_TRUE(ValidUtf8(identified_json));
  EXPECT_EQ(JsonValues(identified_json, "file"), Lines{typed});
  EXPECT_EQ(Sorted(JsonValues(identified_json, "map")), Sorted(names));
}

TEST_F(ZorvanScriptsTest, MachineFieldsAreTheSameInEveryLanguage) {
  WriteLines(program_ / "ZV.INI", {"Zorvan 3.0", "Version=3.0", "Language=Italiano.lng"});
  WriteLines(program_ / "Foo.MAP", {"***Foo***", "<DIR> SYSTEM", "SYSTEM\\Foo.dll", "gone.txt"});
  const ZorvanRun text = Zorvan({"show", "Foo"});
  EXPECT_TRUE(Holds(text.out, "Cartella")) << "the text format speaks the language: " << text.out;

  const std::string w = windows_.path();
  EXPECT_EQ(Zorvan({"show", "Foo", "--format=tsv", "--host-paths"}).out,
            "entry\ttype\tstate\tbytes\n" + w + "/SYSTEM/\tfolder\tpresent\t\n" + w + "/gone.txt\tfile\tmissing\t\n" +
                w + "/SYSTEM/Foo.dll\tfile\tpresent\t3\n");
  EXPECT_EQ(Zorvan({"show", "Foo", "--format=json"}).out,
            "{\"format\": 1, \"map\": \"Foo\",\n \"entries\": [\n"
            "  {\"entry\": \"SYSTEM\", \"type\": \"folder\", \"state\": \"present\", \"bytes\": null},\n"
            "  {\"entry\": \"gone.txt\", \"type\": \"file\", \"state\": \"missing\", \"bytes\": null},\n"
            "  {\"entry\": \"SYSTEM\\\\Foo.dll\", \"type\": \"file\", \"state\": \"present\", \"bytes\": 3}\n ],\n"
            " \"totals\": {\"entries\": 3, \"present\": 2, \"missing\": 1, \"bytes\": 3}}\n");
  EXPECT_EQ(Zorvan({"maps", "--format=tsv", "--host-paths"}).out,
            "map\tmap_file\tentries\tpresent\tmissing\tbytes\nFoo\t" + program_ / "Foo.MAP" + "\t3\t2\t1\t3\n");
  EXPECT_EQ(Zorvan({"identify", "foo.dll", "--format=tsv", "--host-paths"}).out,
            "file\tsearch\tstate\ttype\tmap\tmap_file\tentry\nfoo.dll\tFOO.DLL\tpresent\tfile\tFoo\t" +
                program_ / "Foo.MAP" + "\t" + w + "/SYSTEM/Foo.dll\n");

  ASSERT_EQ(Zorvan({"remove", "Foo", "--yes"}).code, 0);
  EXPECT_EQ(Zorvan({"trash", "list", "--format=tsv", "--host-paths"}).out,
            "name\tmap\tmap_file\ttrashed\ttype\toriginal\n"
            "Foo.dll\tFoo\t" + program_ / "Foo.MAP" + "\tDEL0Foo.dll\tfile\t" + w + "/SYSTEM/Foo.dll\n"
            "SYSTEM\tFoo\t" + program_ / "Foo.MAP" + "\t\tfolder\t" + w + "/SYSTEM/\n");
  const std::string rows = Zorvan({"trash", "list", "--format=json"}).out;
  EXPECT_TRUE(Holds(rows, "{\"name\": \"SYSTEM\", \"map\": \"Foo\", \"trashed\": null, \"type\": \"folder\", "
                          "\"original\": \"SYSTEM\"}")) << rows;
}

TEST_F(ZorvanScriptsTest, ExitStatusesTellWhatHappened) {
  WriteLines(program_ / "Foo.MAP", {"***Foo***", "<DIR> SYSTEM", "SYSTEM\\Foo.dll", "win.ini"});
  // identify as dpkg -S: a file no map lists makes it 1, the hits still print.
  ZorvanRun run = Zorvan({"identify", "foo.dll", "nothing.txt", "--format=tsv"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(DecodeTsv(run.out).size(), 2u);
  EXPECT_TRUE(Holds(run.err, "no map lists \"nothing.txt\"")) << run.err;

  // A failed write to standard output is an error; a closed pipe is quiet.
  run = Shell("\"$Z\" --program-folder \"$P\" show Foo >/dev/full; echo \"status $?\" >&2");
  EXPECT_TRUE(Holds(run.err, "could not be written to standard output (No space left on device)")) << run.err;
  EXPECT_TRUE(Holds(run.err, "status 1")) << run.err;
  Lines many = {"***Many***"};
  for (int i = 0; i < 20000; ++i) many.push_back("SYSTEM\\file" + std::to_string(i) + ".dll");
  WriteLines(program_ / "Many.MAP", many);
  run = Shell("trap '' PIPE; \"$Z\" --program-folder \"$P\" files Many | head -n 1 >/dev/null");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.err, "") << "a reader that went away is no error to report";

  // track answers as env and timeout: the command's own status, after
  // mapping what it added.
  run = Zorvan({"track", "Fails", "--", "sh", "-c", "touch \"$ZORVAN_WINDIR/half.txt\"; exit 7"});
  EXPECT_EQ(run.code, 7) << run.err;
  EXPECT_EQ(ReadLines(program_ / "Fails.MAP"), (Lines{"***Fails***", "half.txt"}));
  run = Zorvan({"track", "False", "--", "false"});
  EXPECT_EQ(run.code, 1) << run.err;
  EXPECT_TRUE(Holds(run.err, "false ended with exit code 1.")) << run.err;
  run = Zorvan({"track", "Killed", "--", "sh", "-c", "touch \"$ZORVAN_WINDIR/killed.txt\"; kill -TERM $$"});
  EXPECT_EQ(run.code, 128 + SIGTERM) << run.err;
  EXPECT_EQ(ReadLines(program_ / "Killed.MAP"), (Lines{"***Killed***", "killed.txt"}));
  run = Zorvan({"track", "Missing", "--", "no-such-program-here"});
  EXPECT_EQ(run.code, 127) << run.err;
  EXPECT_FALSE(Exists(program_ / "Missing.MAP"));
  WriteBytes(home_ / "not-executable", "#!/bin/sh\n");
  run = Zorvan({"track", "Denied", "--", home_ / "not-executable"});
  EXPECT_EQ(run.code, 126) << run.err;

  // Nothing to purge or restore is no failure with --all; a selection that
  // finds nothing is.
  run = Zorvan({"trash", "purge", "--all", "--yes"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Holds(run.err, "the trash is empty")) << run.err;
  EXPECT_EQ(Zorvan({"trash", "restore", "--all"}).code, 0);
  EXPECT_EQ(Zorvan({"trash", "restore", "--map", "Foo"}).code, 1);
}

TEST_F(ZorvanScriptsTest, OneLockPerProgramFolderNamesItsHolder) {
  ScratchFolder other;
  LayOutProgramFolder(other.path());
  WriteLines(program_ / "Foo.MAP", {"***Foo***", "win.ini"});
  const std::string go = home_ / "go";
  auto track = Start({"track", "Bar", "--", "sh", "-c",
                      "touch \"$HOME/started\"; while [ ! -e \"$HOME/go\" ]; do sleep 0.05; done; "
                      "touch \"$ZORVAN_WINDIR/bar.txt\""});
  ASSERT_TRUE(WaitFor([&] { return Exists(home_ / "started"); }, 60s)) << track->ErrorOutput();

  // Another program folder is changed meanwhile, and trash list works there.
  ZorvanRun run = Zorvan({"--program-folder", other.path(), "new-map"}, false);
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(Zorvan({"--program-folder", other.path(), "trash", "list"}, false).code, 0);

  run = Zorvan({"scan"});
  EXPECT_EQ(run.code, 3);
  EXPECT_TRUE(Holds(run.err, "zorvan track (process " + std::to_string(track->pid()) + ") is changing the files"))
      << run.err;
  EXPECT_TRUE(Holds(run.err, "--wait")) << run.err;
  run = Zorvan({"scan", "--wait=0.3"});
  EXPECT_EQ(run.code, 3);
  EXPECT_TRUE(Holds(run.err, "waiting for zorvan track")) << run.err;

  auto waiting = Start({"rename", "Foo", "Baz", "--wait"});
  EXPECT_FALSE(waiting->WaitExit(300ms).has_value()) << "it waits";
  WriteBytes(go, "");
  ASSERT_EQ(track->WaitExit(60s), 0) << track->ErrorOutput();
  EXPECT_EQ(waiting->WaitExit(60s), 0) << waiting->ErrorOutput();
  EXPECT_TRUE(Exists(program_ / "Baz.MAP"));

  // The mapper holding the folder is named as the mapper, with its process.
  const std::unique_ptr<HeldMutex> mapper = HoldFolderLock(program_.path(), "Zorvan32");
  ASSERT_NE(mapper, nullptr);
  run = Zorvan({"unmap", "Baz", "--yes"});
  EXPECT_EQ(run.code, 3);
  EXPECT_TRUE(Holds(run.err, "Zorvan32 (process " + std::to_string(::getpid()) + ") is running on the program folder"))
      << run.err;
  EXPECT_EQ(Zorvan({"--program-folder", other.path(), "scan"}, false).code, 0);
  EXPECT_EQ(Zorvan({"show", "Baz"}).code, 0) << "reading goes on";
}

TEST_F(ZorvanScriptsTest, ARunningMapperKeepsItsOwnProgramFolderOnly) {
  ScratchFolder other;
  LayOutProgramFolder(other.path());
  PrepareForMapper();
  auto mapper = StartMapper();
  ASSERT_TRUE(WaitFor([&] { return Exists(program_ / "vigilo.ini"); }, 30s)) << mapper->ErrorOutput();

  ZorvanRun run = Zorvan({"scan"});
  EXPECT_EQ(run.code, 3);
  EXPECT_TRUE(Holds(run.err, "Zorvan32 (process " + std::to_string(mapper->pid()) + ") is running on the program "
                             "folder " + program_.path())) << run.err;
  run = Zorvan({"--program-folder", other.path(), "scan"}, false);
  EXPECT_EQ(run.code, 0) << run.err;

  mapper->Signal(SIGTERM);
  ASSERT_EQ(mapper->WaitExit(30s), 0) << mapper->ErrorOutput();
  run = Zorvan({"scan"});
  EXPECT_EQ(run.code, 0) << "the lock went with the mapper: " << run.err;
}

TEST_F(ZorvanScriptsTest, OneRuleAndOneMessageForMapNames) {
  ASSERT_EQ(Zorvan({"new-map"}).code, 0);
  WriteLines(program_ / "Foo.MAP", {"***Foo***", "win.ini"});
  const std::string rule = "A map name cannot contain any of these characters";
  for (const std::string bad : {"x:y", "a:b*c?", " ", "x.map.old", ".hidden"}) {
    SCOPED_TRACE(bad);
    for (const Lines& args : {Lines{"new-map", "--", bad}, Lines{"track", "--", bad, "--", "true"},
                              Lines{"rename", "Foo", "--", bad}}) {
      const ZorvanRun run = Zorvan(args);
      EXPECT_EQ(run.code, 1) << args[0];
      EXPECT_TRUE(Holds(run.err, rule)) << args[0] << ": " << run.err;
    }
  }
  EXPECT_EQ(host_->FindFiles(program_.path(), "*.MAP"), (Lines{"Foo.MAP", "Windows (1st map).MAP"}));
}

TEST_F(ZorvanScriptsTest, ScanListsTheNamesItLeftOut) {
  WriteBytes(windows_.path() + "/back\\slash.txt", "b");
  WriteBytes(windows_ / "line\nbreak.txt", "n");
  WriteBytes(windows_ / "Twin/a.txt", "1");
  WriteBytes(windows_ / "TWIN/b.txt", "2");
  ZorvanRun run = Zorvan({"scan"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Holds(run.err, "zorvan scan --list-skipped names each one")) << run.err;

  run = Zorvan({"scan", "--list-skipped"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Holds(run.err, "Snapshot of ")) << "the summary goes to standard error";
  const std::vector<Lines> rows = DecodeTsv(run.out);
  std::vector<Lines> expected = {{"bad-name", windows_.path() + "/back\\slash.txt"}, {"bad-name", windows_ / "line\nbreak.txt"}};
  // Which twin comes first depends on the order of the walk; the other one
  // loses.
  const bool lower_lost = std::find(rows.begin(), rows.end(), Lines{"case-twin", windows_ / "Twin"}) != rows.end();
  expected.push_back({"case-twin", windows_ / (lower_lost ? "Twin" : "TWIN")});
  std::sort(expected.begin(), expected.end());
  std::vector<Lines> got = rows;
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, expected) << run.out;
}

TEST_F(ZorvanScriptsTest, FilesAndOwnerGoBetweenMapsAndPaths) {
  WriteLines(program_ / "Foo.MAP", {"***Foo***", "<DIR> SYSTEM", "SYSTEM\\Foo.dll", "gone.txt"});
  WriteLines(program_ / "Bar.MAP", {"***Bar***", "system\\foo.DLL"});
  EXPECT_EQ(Zorvan({"files", "foo"}).out,
            windows_ / "SYSTEM/" + "\n" + windows_ / "gone.txt" + "\n" + windows_ / "SYSTEM/Foo.dll" + "\n")
      << "in the order of the map, as loading sorts it";
  EXPECT_EQ(Zorvan({"files", "Nope"}).code, 1);

  ZorvanRun run = Zorvan({"owner", windows_ / "SYSTEM/Foo.dll", windows_ / "gone.txt", windows_ / "SYSTEM/"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "Bar: " + windows_ / "SYSTEM/Foo.dll" + "\nFoo: " + windows_ / "SYSTEM/Foo.dll" + "\nFoo: " +
                         windows_ / "gone.txt" + "\nFoo: " + windows_ / "SYSTEM" + "\n");
  run = Zorvan({"owner", windows_ / "win.ini", "/etc/passwd", windows_ / "SYSTEM/Foo.dll"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "Bar: " + windows_ / "SYSTEM/Foo.dll" + "\nFoo: " + windows_ / "SYSTEM/Foo.dll" + "\n");
  EXPECT_TRUE(Holds(run.err, "no map lists \"" + windows_ / "win.ini" + "\"")) << run.err;
  EXPECT_TRUE(Holds(run.err, "\"/etc/passwd\" is not below the Windows folder")) << run.err;

  // A relative path is taken from the current folder (the home folder
  // here), and files feeds owner.
  const std::string relative = "../" + LastComponent(windows_.path()) + "/SYSTEM/../SYSTEM/Foo.dll";
  EXPECT_EQ(Zorvan({"owner", relative}).code, 0);
  run = Shell("\"$Z\" --program-folder \"$P\" files Foo -0 | xargs -0 \"$Z\" --program-folder \"$P\" owner");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 4);
}

TEST_F(ZorvanScriptsTest, CountsAndProgressAsAPersonExpectsThem) {
  ZorvanRun run = Zorvan({"new-map"});
  ASSERT_EQ(run.code, 0) << run.err;
  WriteBytes(windows_ / "one.txt", "1");
  run = Zorvan({"new-map", "One"});
  EXPECT_EQ(run.out, "\"One\" mapped: 1 new entry found.\n");
  run = Zorvan({"scan"});
  EXPECT_TRUE(Holds(run.out, ": 4 entries in WINDIR.TMP, 1 folder in vigilo.ini, 0 names skipped")) << run.out;
  ASSERT_EQ(Zorvan({"remove", "One", "--yes"}).code, 0);
  run = Zorvan({"trash", "restore", "--all"});
  EXPECT_EQ(run.out, "1 of 1 row restored; the trash holds 0 records.\n");
  // Standard error is no terminal here: no progress line, no escapes.
  for (const std::string& err : {run.err, Zorvan({"scan"}).err}) {
    EXPECT_EQ(err.find('\r'), std::string::npos) << err;
    EXPECT_EQ(err.find('\x1b'), std::string::npos) << err;
  }
}

}  // namespace
}  // namespace zv::testing
