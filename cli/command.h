// The commands of the zorvan program: what each takes, what its help says,
// whether it changes files, and the function that runs it. The table in
// command_table.cpp lists them; the argument parser, the help, the manual
// page and the runner all read that one table, so a command is added by
// writing its Command and adding it there.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/listing_memory_host.h"
#include "cli/terminal_person.h"
#include "mapper/engine/mapper.h"
#include "platform/programs.h"

namespace zv::cli {

// The program's exit codes.
enum ExitCode : int {
  kDone = 0,     // the command did what it was asked (nothing new to map counts)
  kFailed = 1,   // a refused or failed operation, with its message
  kUsage = 2,    // the command line is wrong
  kBusy = 3,     // the mapper or another zorvan command is changing the files
};

enum class Format { kText, kTsv, kJson };

// Options a command may accept besides the ones every command takes.
enum CommandOption : unsigned {
  kFormatOption = 1,     // --format=text|tsv|json
  kHostPathsOption = 2,  // --host-paths
  kForceOption = 4,      // --force: read-only files may be touched
  kEntryOption = 8,      // --entry ENTRY: one entry of the map
  kRowsOption = 16,      // --map NAME, --name NAME: rows of the trash
  kAllOption = 32,       // --all: every row of the trash
  kNulOption = 64,       // -0: NUL after each path instead of a line break
  kListSkippedOption = 128,  // --list-skipped: the names a scan left out
  kDryRunOption = 256,       // --dry-run: say what would change, change nothing
};

// --wait without a number: as long as it takes.
inline constexpr double kWaitForever = -1;

struct ArgumentHelp {
  std::string name;  // "MAP"
  std::string text;  // what it is
  bool required = true;
};

struct CommandContext;

struct Command {
  std::string name;                      // "new-map"; "trash list" for a two-word command
  std::string summary;                   // one line for the list of commands
  std::vector<ArgumentHelp> arguments;   // in order
  bool repeats_last = false;             // the last argument may be given more than once
  // Takes "-- COMMAND [ARGS...]": a program to run, with its arguments.
  bool takes_program = false;
  unsigned options = 0;                  // CommandOption bits
  bool changes_files = false;            // needs the one-writer locks
  std::vector<std::string> description;  // paragraphs of its help
  std::vector<std::string> examples;     // command lines
  std::function<int(CommandContext&)> run;

  // "new-map [NAME]", "identify FILE...", "track NAME -- COMMAND [ARGS...]".
  std::string Synopsis() const;
};

// Every command, in the order the help lists them.
const std::vector<Command>& Commands();
const Command* FindCommand(const std::string& name);

// A parsed command line.
struct Invocation {
  const Command* command = nullptr;
  // The first word of a two-word command ("trash"), kept while its second
  // is missing (zorvan trash --help).
  std::string group;
  std::vector<std::string> arguments;  // the command's own, in order
  std::vector<std::string> program;    // after "--"
  std::string program_folder;          // --program-folder, empty: the executable's folder
  Format format = Format::kText;
  bool host_paths = false;
  bool yes = false;
  bool force = false;
  std::string entry;     // --entry, empty when not given
  std::string map_rows;  // --map
  std::string name_rows; // --name
  bool all = false;      // --all
  bool nul = false;      // -0
  bool list_skipped = false;  // --list-skipped
  bool dry_run = false;       // --dry-run
  // --wait[=SECONDS]: how long a command that changes files waits for the
  // program folder's lock; none: not at all, kWaitForever: without end.
  std::optional<double> wait;
  bool help = false;
  bool version = false;
};

// What a running command works with.
struct CommandContext {
  const Invocation& invocation;
  Mapper& mapper;
  TerminalPerson& person;
  // The host under the mapper's, which can remember a walk (track uses it).
  ListingMemoryHost& listings;
  std::ostream& out;
  std::function<ProgramEnd(const std::vector<std::string>&)> run_program;
};

}  // namespace zv::cli
