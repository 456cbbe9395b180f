// The texts of the help and the manual page.
#include "cli/help.h"

#include <cctype>

#include "cli/formats.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

constexpr const char* kProgramUsage = "zorvan [OPTIONS] COMMAND [ARGUMENTS]";

std::vector<std::string> Lead() {
  return {
      "zorvan records, from a terminal, which files each installed application added below one folder, the "
      "Windows folder, so that they can be found and removed later. It works on the same program folder and the "
      "same files as the mapper Zorvan32: a map is the file NAME.MAP listing what one installation added, and "
      "what zorvan maps the mapper's windows show, and the other way round.",
  };
}

std::vector<HelpItem> GlobalOptions() {
  return {
      {"--program-folder DIR",
       "Work on the program folder DIR instead of the folder of the zorvan executable."},
      {"--yes", "Answer yes to every yes/no question the command asks, but the one before a read-only file is "
                "touched, which only --force answers."},
      {"--wait[=SECONDS]", "For a command that changes files: when another program is changing the files of the "
                           "program folder, wait until it has finished (at most SECONDS) instead of ending at once "
                           "with exit status 3."},
      {"--", "End the options: every word after it is an argument, even one that begins with \"-\" (zorvan show -- "
             "-dash). For track, the first \"--\" after NAME starts the program to run."},
      {"-h, --help", "Show this help; after a command's name, everything about that command."},
      {"--version", "Show the version."},
  };
}

std::vector<HelpItem> CommandOptions(const Command& command) {
  std::vector<HelpItem> items;
  if (command.options & kFormatOption) {
    items.push_back({"--format=text|tsv|json",
                     "How to print: text (the default) in aligned columns for reading, in the words of the language "
                     "file; tsv and json for scripts, the same in every language (see Formats in zorvan --help)."});
  }
  if (command.options & kHostPathsOption) {
    items.push_back({"--host-paths",
                     "Print full paths in the host's form (\"/\" between names, a folder ending with \"/\") "
                     "instead of names and entries as the maps store them."});
  }
  if (command.options & kEntryOption) {
    items.push_back({"--entry ENTRY",
                     "Only this entry of the map: as the map lists it (SYSTEM\\Foo.dll, <DIR> SYSTEM\\NewDir), "
                     "with / between names (SYSTEM/Foo.dll), or as its full path; letter case is ignored."});
  }
  if (command.options & kRowsOption) {
    items.push_back({"--map NAME", "The rows of the trash removed under the map NAME."});
    items.push_back({"--name NAME",
                     "The rows of the trash whose file or folder is named NAME, or, with a folder part, came from "
                     "there (SYSTEM/Foo.dll, or its full path)."});
  }
  if (command.options & kAllOption) items.push_back({"--all", "Every row of the trash."});
  if (command.options & kNulOption) {
    items.push_back({"-0", "End each path with a NUL byte instead of a line break (for xargs -0)."});
  }
  if (command.options & kListSkippedOption) {
    items.push_back({"--list-skipped", "List each name the scan left out, and why, on standard output."});
  }
  if (command.options & kDryRunOption) {
    items.push_back({"--dry-run",
                     "Say what the command would do, and change nothing: not the Windows folder, the trash folder, "
                     "its log, the maps or the snapshot; no lock is taken. Standard output gets one line per "
                     "action, in text only: \"would ask: QUESTION: yes (--yes)\" or \"would ask: QUESTION: open "
                     "(--yes answers yes)\" for each question (--force answers the one before a read-only file), "
                     "\"would move: ENTRY\", \"would restore: ENTRY\" or \"would delete: ENTRY\" for each entry "
                     "or row it acts on, and \"would stay: ENTRY: CAUSE\" for each that would stay. After the "
                     "first confirmation the lines show what a yes brings; every other open question counts as "
                     "no, as without a terminal. The exit status is the one the command would then give, and a "
                     "line on standard error counts what would be done."});
  }
  if (command.options & kForceOption) {
    items.push_back({"--force",
                     "Touch read-only files: move or delete them all the same (they lose their read-only mark, as "
                     "in the mapper). Without it a read-only file stays, and is named."});
  }
  return items;
}

// "scan, new-map and track": the names of the commands that change files,
// or of those that only read.
std::string CommandNames(bool changing) {
  std::vector<std::string> names;
  for (const Command& command : Commands()) {
    if (command.changes_files == changing) names.push_back(command.name);
  }
  return JoinWords(names, "and");
}

std::vector<HelpSection> GeneralSections() {
  HelpSection folders{"Folders"};
  folders.paragraphs = {
      "The program folder holds the maps and the other files of Zorvan: the one --program-folder gives, else "
      "the one $ZORVAN_PROGRAM_FOLDER names, else the folder of the zorvan executable. Commands that change "
      "files need it to hold Zorvan32, as the mapper does, and refuse when it lies inside the Windows folder "
      "(every scan would then map Zorvan's own files).",
      "An installed zorvan (one with the file zorvan-installation beside it, as the package puts it) keeps each "
      "person's maps and files in $XDG_DATA_HOME/zorvan (~/.local/share/zorvan), made at the first start, and "
      "reads Zorvan32 and the language files from the installation; --program-folder and "
      "$ZORVAN_PROGRAM_FOLDER still name a program folder of its own.",
      "The Windows folder is the folder that is mapped, found as the mapper finds it: $ZORVAN_WINDIR when it is "
      "set; else $WINEPREFIX/drive_c/windows when that folder exists; else ~/.wine/drive_c/windows when it "
      "exists; else /usr/local.",
  };
  HelpSection names{"Names"};
  names.paragraphs = {
      "A map lists its entries relative to the Windows folder, with \"\\\" between names and \"<DIR> \" before "
      "a folder (SYSTEM\\Foo.dll, <DIR> SYSTEM\\NewDir), and zorvan prints them that way. With --host-paths, "
      "where a command offers it, it prints full paths instead (/usr/local/SYSTEM/Foo.dll, "
      "/usr/local/SYSTEM/NewDir/).",
      "One rule holds for every map name, in new-map, track, rename and the mapper's dialogs: it may not hold any "
      "of \\ / : * ? \" < > |, a control character or .MAP, be blank, begin with a dot, or be longer than 251 "
      "bytes. A name that begins with \"-\" is given after \"--\": zorvan show -- -dash, zorvan track -- -dash -- "
      "make install.",
  };
  HelpSection formats{"Formats"};
  formats.paragraphs = {
      "tsv: one row per line, the fields separated by tabs, a line of column names first, no line of totals. In "
      "every field a backslash, tab, CR and LF are written as \\\\, \\t, \\r and \\n, so each field decodes "
      "back to its exact bytes; other bytes stand as they are.",
      "json: one document, an object whose \"format\" member (now " + std::to_string(kJsonFormat) + ") grows when "
      "a member changes its meaning or goes. The document is UTF-8: a name whose bytes are not UTF-8 text keeps "
      "every byte XX that is not part of a UTF-8 character as the escape \\udcXX, so no two names print alike and "
      "each decodes back to its exact bytes (Python: os.fsencode(json.loads(...))).",
      "In both, the words are fixed whatever the language file: type is file or folder, state present or missing, "
      "sizes are byte counts (bytes), an entry is written without \"<DIR> \", and map always holds the map's name "
      "as the commands take it (with --host-paths, map_file holds its file's path and entries are full paths). "
      "docs/formats.md describes every column.",
  };
  HelpSection texts{"Texts and the ignore list"};
  texts.paragraphs = {
      "The engine's messages come from the catalogue MESSAGES.DAT that Zorvan32 unpacks from the language file of "
      "its settings ZV.INI. Where the mapper never ran, a command unpacks that language file itself (English.LNG "
      "when ZV.INI names none): a command that changes files writes the catalogue into the program folder as the "
      "mapper would, a command that only reads keeps it in memory.",
      "Before a scan, when the program folder has no ignore list IGNORLST.TXT, zorvan writes the default one, as "
      "the mapper's first start does, and says so. Edit it to leave more folders out of every scan: a line "
      "\\Cookies\\ leaves out every folder named Cookies, a plain word every folder whose name contains it.",
  };
  HelpSection writers{"One writer at a time"};
  writers.paragraphs = {
      "Commands that change files (" + CommandNames(true) + ") run only while no other program changes the "
      "files of the same program folder: Zorvan32 started from it, or another such command on it. Otherwise "
      "they end at once with exit status 3, change nothing and name the program that holds the folder (with its "
      "process id); with --wait they wait for it instead. Commands on other program folders go on meanwhile. "
      "While one of them runs, Zorvan32 does not start on that folder and says why. Commands that only read (" +
          CommandNames(false) + ") run at any time and never write a file. trash list counts as one that changes "
      "files: listing the trash tidies its log, as the mapper's trash manager does.",
      "remove, trash restore and trash purge with --dry-run say what they would do and change nothing: they take "
      "no lock and run at any time, as the commands that only read.",
  };
  HelpSection questions{"Questions, messages and progress"};
  questions.paragraphs = {
      "Questions are answered on the command line: a map's name by its argument, a yes/no question by --yes, "
      "the question before a read-only file is moved or deleted by --force. When standard input is a terminal, "
      "a question the command line leaves open is asked there; otherwise it is declined at once (exit status "
      "1), and a message says which argument or option answers it.",
      "What a command was asked for goes to standard output; messages go to standard error, each saying what to "
      "do next. While a long step runs and standard error is a terminal that can redraw a line (TERM is set and "
      "not dumb), one progress line there shows the step, its count and the count's rate; otherwise none.",
  };
  HelpSection exits{"Exit status"};
  exits.items = {
      {"0", "The command did what it was asked; finding nothing new to map, or an empty trash for --all, counts "
            "as done."},
      {"1", "A refused or failed operation; the message says why and what to do. Also: identify or owner found "
            "no map for one of its files or paths, or standard output could not be written (a closed pipe ends "
            "the command quietly)."},
      {"2", "The command line is wrong; the message says what and where to look."},
      {"3", "Busy: Zorvan32 or another zorvan command is changing the files of the program folder. Run the "
            "command again when it has finished, or give --wait."},
      {"126, 127, 128+N, other", "track only, when COMMAND did not succeed: 127 no such program, 126 it cannot "
                                 "be run, 128+N ended by the signal N, else COMMAND's own exit status."},
  };
  return {folders, names, formats, texts, writers, questions, exits};
}

HelpSection CommandBody(const Command& command, const std::string& title, int level) {
  HelpSection body{title, level};
  body.paragraphs = command.description;
  for (const ArgumentHelp& argument : command.arguments) {
    std::string text = argument.text;
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    body.items.push_back({argument.name, text + "."});
  }
  if (command.takes_program) {
    body.items.push_back({"COMMAND [ARGS...]", "The program to run, looked up in PATH, and its arguments."});
  }
  for (HelpItem& item : CommandOptions(command)) body.items.push_back(std::move(item));
  body.examples = command.examples;
  return body;
}

}  // namespace

HelpDocument ProgramHelp() {
  HelpSection top{""};
  top.paragraphs = {std::string("Usage: ") + kProgramUsage};
  for (const std::string& paragraph : Lead()) top.paragraphs.push_back(paragraph);
  HelpSection commands{"Commands"};
  for (const Command& command : Commands()) commands.items.push_back({command.Synopsis(), command.summary});
  HelpSection options{"Options of every command"};
  options.items = GlobalOptions();
  HelpDocument document = {top, commands, options};
  for (HelpSection& section : GeneralSections()) document.push_back(std::move(section));
  HelpSection more{""};
  more.paragraphs = {"Run 'zorvan COMMAND --help' for everything about one command."};
  document.push_back(more);
  return document;
}

HelpDocument GroupHelp(const std::string& group) {
  HelpSection top{""};
  top.paragraphs = {"Usage: zorvan [OPTIONS] " + group + " COMMAND"};
  HelpSection commands{"Commands"};
  for (const Command& command : Commands()) {
    if (StartsWith(command.name, group + " ")) commands.items.push_back({command.Synopsis(), command.summary});
  }
  HelpSection more;
  more.paragraphs = {"Run 'zorvan " + group + " COMMAND --help' for everything about one of them, and 'zorvan "
                     "--help' for the folders, the exit status and the other commands."};
  return {top, commands, more};
}

HelpDocument CommandHelp(const Command& command) {
  HelpSection body = CommandBody(command, "", 1);
  body.paragraphs.insert(body.paragraphs.begin(), "Usage: zorvan [OPTIONS] " + command.Synopsis());
  HelpSection own("Arguments and options");
  own.items = std::move(body.items);
  own.examples = std::move(body.examples);
  body.items.clear();
  body.examples.clear();
  HelpSection options("Options of every command");
  options.items = GlobalOptions();
  HelpSection more;
  more.paragraphs = {"Run 'zorvan --help' for the folders, the exit status and the other commands."};
  HelpDocument document = {body};
  if (!own.items.empty() || !own.examples.empty()) document.push_back(own);
  document.push_back(options);
  document.push_back(more);
  return document;
}

HelpDocument ManualPage() {
  HelpSection name{"NAME"};
  name.paragraphs = {"zorvan - map what each installation adds below the Windows folder, from a terminal"};
  HelpSection synopsis{"SYNOPSIS"};
  for (const Command& command : Commands()) synopsis.paragraphs.push_back("zorvan [OPTIONS] " + command.Synopsis());
  HelpSection description{"DESCRIPTION"};
  description.paragraphs = Lead();
  HelpDocument document = {name, synopsis, description, HelpSection{"COMMANDS"}};
  for (const Command& command : Commands()) document.push_back(CommandBody(command, command.Synopsis(), 2));
  HelpSection options{"OPTIONS"};
  options.paragraphs = {"These options may stand before or after the command's name, but not after \"--\"."};
  HelpSection completion{"SHELL COMPLETION"};
  completion.paragraphs = {
      "The program folder holds completion for bash (zorvan.bash), zsh (_zorvan) and fish (zorvan.fish): "
      "commands, options, and the names of the maps of the program folder. Source zorvan.bash from ~/.bashrc, "
      "put _zorvan in a folder of $fpath, or copy zorvan.fish into ~/.config/fish/completions."};
  options.items = GlobalOptions();
  document.push_back(options);
  for (HelpSection& section : GeneralSections()) document.push_back(std::move(section));
  document.push_back(completion);
  HelpSection environment{"ENVIRONMENT"};
  environment.items = {
      {"ZORVAN_WINDIR", "The Windows folder, when set."},
      {"ZORVAN_PROGRAM_FOLDER", "The program folder, when set and --program-folder is not given."},
      {"XDG_DATA_HOME", "An installed zorvan keeps the program folder in its zorvan folder (else "
                        "~/.local/share/zorvan)."},
      {"WINEPREFIX", "Its drive_c/windows folder is the Windows folder when ZORVAN_WINDIR is not set."},
      {"XDG_RUNTIME_DIR", "Where the locks that keep the writers one at a time live (else /tmp)."},
      {"TERM", "No progress line when it is unset or dumb."},
  };
  document.push_back(environment);
  HelpSection files{"FILES"};
  files.paragraphs = {"In the program folder:"};
  files.items = {
      {"NAME.MAP", "The map NAME: a header line, then one entry per line."},
      {"WINDIR.TMP, vigilo.ini", "The snapshot of the last scan, and the folders the probe Vigilo32 watches."},
      {"IGNORLST.TXT", "The ignore list: folders every scan leaves out."},
      {"ZV.INI", "The mapper's settings; zorvan reads the language from it."},
      {"*.lng, MESSAGES.DAT", "The language files, and the catalogue of texts unpacked from one of them."},
  };
  document.push_back(files);
  HelpSection see_also{"SEE ALSO"};
  see_also.paragraphs = {"Zorvan32(1), the mapper, and Vigilo32(1), the probe, in the same program folder."};
  document.push_back(see_also);
  return document;
}

}  // namespace zv::cli
