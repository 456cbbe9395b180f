// zorvan scan, new-map and track: the snapshot and new maps, through the
// same engine calls as the mapper's scan and new-map commands.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ostream>
#include <set>

#include "cli/command_steps.h"
#include "cli/commands.h"
#include "cli/formats.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/messages.h"
#include "mapper/engine/new_map.h"
#include "mapper/engine/old_maps.h"
#include "mapper/engine/scanner.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

// What a new-map run came to.
enum class NewMapOutcome { kStored, kNothingNew, kCancelled };

// What the scan left out, in the language's words, with what to do.
void ReportLeftOut(CommandContext& c) {
  const std::string report = ScanReportText(c.mapper);
  if (report.empty()) return;
  c.person.Say(report + ". No map can list what was left out: rename such names, or make the folders readable" +
               (c.invocation.list_skipped ? "." : "; zorvan scan --list-skipped names each one."));
}

// The catalogue's rows as loading lists them, without reading the maps: the
// new map's run reads and normalises every map when it stores one, so a
// load before it would read them all once more for nothing.
void ListCatalogue(Mapper& m) {
  ConvertOldMaps(m);
  m.maps = MapsList();
  for (const std::string& file : MapFiles(m)) m.maps.rows.push_back(MapNameOf(file));
}

// The name checks of the new-map dialog, made before anything is scanned;
// a name refused ends the command with nothing written.
bool NameAccepted(CommandContext& c, const std::string& name) {
  if (NewMapNameAccepted(c.mapper, name, LookupMessage(c.mapper, "*NEWMAP"))) return true;
  c.person.Say("no map was written. Run the command again with another name.");
  return false;
}

// CreateNewMap over the Windows folder, told apart by its result: a map
// that was not in the catalogue before is selected afterwards when one was
// stored. The stored map's status line goes to standard output.
NewMapOutcome MapNewEntries(CommandContext& c) {
  Mapper& m = c.mapper;
  std::set<std::string> before;
  for (const std::string& row : m.maps.rows) before.insert(UpperAscii(row));
  CreateNewMap(m, m.windows_folder);
  c.person.ClearProgressLine();
  ReportLeftOut(c);
  const std::string selected = m.maps.SelectedName();
  if (!selected.empty() && before.count(UpperAscii(selected)) == 0) {
    // The count the engine's status line reports: the new lines, without
    // the help companions added to them.
    const std::string reported = " \"" + selected + LookupMessage(m, "*HASMAP");
    const std::string& status = c.person.status();
    const std::uint64_t entries =
        StartsWith(status, reported) ? std::strtoull(status.c_str() + reported.size(), nullptr, 10) : 0;
    c.out << "\"" << selected << "\" mapped: " << Counted(entries, "new entry", "new entries") << " found.\n";
    return NewMapOutcome::kStored;
  }
  if (c.person.status() == LookupMessage(m, "*ABORT")) {
    c.person.Say(c.person.status());
    return NewMapOutcome::kCancelled;
  }
  return NewMapOutcome::kNothingNew;
}

// The fixed word for why a scan left a name out.
const char* WhyWord(LeftOutName::Why why) {
  switch (why) {
    case LeftOutName::Why::kBadName: return "bad-name";
    case LeftOutName::Why::kCaseTwin: return "case-twin";
    case LeftOutName::Why::kUnreadable: return "unreadable";
  }
  return "";
}

int RunScan(CommandContext& c) {
  if (!ReadyToScan(c)) return kFailed;
  Mapper& m = c.mapper;
  std::vector<LeftOutName> left_out;
  if (c.invocation.list_skipped) m.left_out = &left_out;
  c.person.SetProgressCaption("Scanning");
  c.person.ShowProgress(true);
  ScanWithProgress(m, m.windows_folder, "Scanning");
  c.person.ShowProgress(false);
  m.left_out = nullptr;
  const std::string folders = m.host.ReadFile(m.ProgramFile(kProbeFolderList));
  const auto folder_count = static_cast<std::uint64_t>(std::count(folders.begin(), folders.end(), '\n'));
  const std::string summary = "Snapshot of " + DisplayPath(m.windows_folder) + ": " +
                              Counted(m.entry_counter, "entry", "entries") + " in " + kSnapshotFile + ", " +
                              Counted(folder_count, "folder", "folders") + " in " + kProbeFolderList + ", " +
                              Counted(m.skipped_names, "name", "names") + " skipped, " +
                              std::to_string(m.twin_names) + " lost to a twin in another letter case, " +
                              Counted(m.unreadable_folders, "folder", "folders") + " unreadable.";
  if (!c.invocation.list_skipped) {
    c.out << summary << '\n';
    ReportLeftOut(c);
    return kDone;
  }
  // Standard output holds the list alone, for a script to read.
  c.person.Say(summary);
  ReportLeftOut(c);
  const std::string windows = ToHostPath(m.windows_folder);
  for (const LeftOutName& name : left_out) {
    c.out << WhyWord(name.why) << '\t' << TsvField(windows + "/" + name.path) << '\n';
  }
  return kDone;
}

int RunNewMap(CommandContext& c) {
  if (!ReadyToScan(c)) return kFailed;
  Mapper& m = c.mapper;
  ListCatalogue(m);
  const std::string name = c.invocation.arguments.empty() ? std::string() : c.invocation.arguments[0];
  if (m.maps.rows.empty()) {
    if (!name.empty()) {
      c.person.Say("there is no map yet, so this first map takes the whole Windows folder and is named \"" +
                   std::string(kFirstMapName) + "\". Map what you install next with zorvan new-map " + name + ".");
    }
  } else if (!name.empty()) {
    if (!NameAccepted(c, name)) return kFailed;
    c.person.QueueAnswer(name);
  }
  c.person.SetAnswerHint("give the new map's name on the command line: zorvan new-map NAME");
  return MapNewEntries(c) == NewMapOutcome::kCancelled ? kFailed : kDone;
}

// The first map, taken before the program runs when there is none, so that
// the new map holds only what the program adds. An empty Windows folder
// gives an empty first map.
void MapFirst(CommandContext& c) {
  Mapper& m = c.mapper;
  c.person.Say("there is no map yet: the Windows folder as it stands is mapped first as \"" +
               std::string(kFirstMapName) + "\".");
  MapNewEntries(c);
  if (!m.maps.rows.empty()) return;
  m.host.WriteFile(m.ProgramFile(std::string(kFirstMapName) + ".MAP"), "***" + std::string(kFirstMapName) + "***\r\n");
  LoadMaps(m, kFirstMapName);
  c.person.Say("the Windows folder holds nothing to map yet, so the first map \"" + std::string(kFirstMapName) +
               "\" is empty.");
}

// The exit code of a program that could not run or did not succeed, as
// env and timeout answer it: 127 when there is no such program, 126 when it
// cannot be run, 128 + n when the signal n ended it, else its own code.
int ProgramCode(const ProgramEnd& end) {
  if (!end.started) return end.error_number == ENOENT ? 127 : 126;
  return end.signal != 0 ? 128 + end.signal : end.exit_code;
}

// Says how the program ended.
void ReportProgramEnd(CommandContext& c, const ProgramEnd& end) {
  const std::string& program = c.invocation.program[0];
  if (end.signal != 0) {
    c.person.Say(program + " was ended by the signal " + std::to_string(end.signal) +
                 (end.signal_name.empty() ? std::string() : " (" + end.signal_name + ")") + ".");
    return;
  }
  c.person.Say(program + " ended with exit code " + std::to_string(end.exit_code) + ".");
}

int RunTrack(CommandContext& c) {
  if (!ReadyToScan(c)) return kFailed;
  Mapper& m = c.mapper;
  const std::string& name = c.invocation.arguments[0];
  const std::vector<std::string>& program = c.invocation.program;
  ListCatalogue(m);
  if (!NameAccepted(c, name)) return kFailed;

  // With no map yet, the tree as it stands is mapped first, and that walk
  // is remembered, so that the one after the program reads again only the
  // folders whose names changed. With maps, nothing needs a walk before the
  // program: the new map compares the walk after it with every map, and
  // its snapshot replaces any taken before, so one would only cost time.
  const bool first_map = m.maps.rows.empty();
  if (first_map) {
    c.listings.SetMode(ListingMemoryHost::Mode::kRemember);
    MapFirst(c);
    c.listings.SetMode(ListingMemoryHost::Mode::kForward);
  }

  c.person.ClearProgressLine();
  c.out.flush();
  const ProgramEnd end = c.run_program(program);
  if (!end.started) {
    // A program that never ran added nothing: a map now would only gather
    // what no map lists from before, under its name.
    c.person.Say("cannot run " + program[0] + ": " + end.error +
                 ". Check the program's name (it is looked up in PATH); nothing was mapped.");
    return ProgramCode(end);
  }
  ReportProgramEnd(c, end);
  const bool succeeded = end.signal == 0 && end.exit_code == 0;

  if (first_map) c.listings.SetMode(ListingMemoryHost::Mode::kReplay);
  c.person.QueueAnswer(name);
  c.person.SetAnswerHint("run zorvan new-map NAME to map what it added");
  const NewMapOutcome outcome = MapNewEntries(c);
  c.listings.SetMode(ListingMemoryHost::Mode::kForward);

  if (outcome == NewMapOutcome::kNothingNew) {
    c.person.Say(program[0] + " added nothing below " + DisplayPath(m.windows_folder) +
                 " that a map does not list, so no map \"" + name +
                 "\" was written. If it installs elsewhere, point ZORVAN_WINDIR at that folder.");
  }
  if (!succeeded && outcome == NewMapOutcome::kStored) {
    c.person.Say("what " + program[0] + " added before it failed is mapped all the same, so that it can be "
                 "found and removed.");
  }
  if (!succeeded) return ProgramCode(end);
  return outcome == NewMapOutcome::kCancelled ? kFailed : kDone;
}

}  // namespace

Command ScanCommand() {
  return {
      .name = "scan",
      .summary = "Take a fresh snapshot of the Windows folder (and the probe's folder list).",
      .arguments = {},
      .options = kListSkippedOption,
      .changes_files = true,
      .description = {
          "Walks the Windows folder as the mapper's scan does, leaving out the folders the ignore list names, and "
          "writes the snapshot WINDIR.TMP and the probe's folder list vigilo.ini into the program folder. It "
          "reports how many entries and folders it found, and how many names it skipped because a map line cannot "
          "hold them (a backslash or a control character in the name), how many lines it dropped because an earlier "
          "name differs from them only in letter case (maps compare without regard to case), and how many folders "
          "it could not read. No map changes.",
          "With --list-skipped, standard output lists each name left out instead, one line each: why (bad-name, "
          "case-twin or unreadable), a tab, and its full path written as a tsv field (a backslash, tab, CR or LF "
          "escaped as \\\\, \\t, \\r, \\n); the summary goes to standard error.",
      },
      .examples = {"zorvan scan"},
      .run = RunScan,
  };
}

Command NewMapCommand() {
  return {
      .name = "new-map",
      .summary = "Map as NAME what no map lists yet (the mapper's new map).",
      .arguments = {{"NAME", "the new map's name", false}},
      .changes_files = true,
      .description = {
          "Runs the mapper's new map: scans the Windows folder, compares every entry with the entries of all maps "
          "(letter case ignored), and stores those no map lists as the map NAME, the file NAME.MAP in the program "
          "folder; then reloads the maps as the mapper does. NAME is checked as the mapper's dialog checks it, "
          "before the scan: it may not contain \\ / : * ? \" < > |, and there may be no map of that name.",
          "When there is no map yet, the first map takes the whole Windows folder and is named \"Windows (1st map)\" "
          "without asking, as at the mapper's first start; NAME is then not used. When nothing is new, zorvan says "
          "so and writes nothing (exit status 0).",
          "Without NAME, the name is asked when standard input is a terminal (an empty answer takes the proposed "
          "name, the end of input cancels); without a terminal the command refuses and writes no map.",
      },
      .examples = {"zorvan new-map \"Foo 2.1\""},
      .run = RunNewMap,
  };
}

Command TrackCommand() {
  return {
      .name = "track",
      .summary = "Run an installation and map what it added as NAME.",
      .arguments = {{"NAME", "the new map's name, checked as new-map checks it before anything runs"}},
      .takes_program = true,
      .changes_files = true,
      .description = {
          "Runs COMMAND with its arguments (its input and output are zorvan's, so what it prints passes through), "
          "says how it ended, and then maps what it added below the Windows folder as NAME, as new-map NAME would "
          "right after it: a fresh snapshot compared with every map. Entries that were below the Windows folder "
          "before but that no map lists are mapped as NAME too, as the mapper's new map would map them: run "
          "new-map first to map them apart.",
          "When there is no map yet, the Windows folder as it stands before COMMAND is mapped first as \"Windows "
          "(1st map)\" (an empty map when the folder is empty), so that NAME holds only what COMMAND added; the "
          "walk after COMMAND then reads again only the folders whose names changed while it ran.",
          "When COMMAND added nothing that a map does not list, zorvan says so and writes no map. While COMMAND "
          "runs, the terminal's interrupt key ends COMMAND, not zorvan, which then maps what it had added.",
          "A NAME that begins with \"-\" is given after a first \"--\": zorvan track -- -NAME -- COMMAND. The first "
          "\"--\" after NAME starts COMMAND, so COMMAND's own options and \"--\" pass to it untouched.",
          "Exit status as env and timeout give it: when COMMAND failed, its own exit status (what it added is "
          "mapped all the same, so that it can be found and removed); 128+N when the signal N ended it (mapped "
          "too); 127 when there is no such program and 126 when it cannot be run (nothing is mapped then: it "
          "added nothing). When COMMAND succeeded: 0 when its map was stored or nothing was new, 1 when the map "
          "could not be stored.",
      },
      .examples = {"zorvan track \"Foo 2.1\" -- make install",
                        "zorvan track requests -- pip install --prefix \"$ZORVAN_WINDIR\" requests"},
      .run = RunTrack,
  };
}

}  // namespace zv::cli
