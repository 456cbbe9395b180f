#include "cli/arguments.h"

#include "cli/formats.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

std::string Prefix(const std::string& command) { return command.empty() ? "zorvan" : "zorvan " + command; }

std::string HelpHint(const std::string& command) {
  return "Run '" + Prefix(command) + " --help' to see " +
         (command.empty() ? std::string("the commands and options.") : std::string("how to use it."));
}

// The value of an option given as "--name=value" or "--name value".
std::string OptionValue(const std::vector<std::string>& args, std::size_t* i, const std::string& name,
                        const std::string& command) {
  const std::string& arg = args[*i];
  if (arg.size() > name.size() && arg[name.size()] == '=') return arg.substr(name.size() + 1);
  if (*i + 1 >= args.size() || args[*i + 1] == "--") throw UsageError(command, name + " needs a value.");
  return args[++*i];
}

Format FormatNamed(const std::string& value, const std::string& command) {
  if (value == "text") return Format::kText;
  if (value == "tsv") return Format::kTsv;
  if (value == "json") return Format::kJson;
  throw UsageError(command, "--format takes text, tsv or json, not '" + value + "'.");
}

// "--wait" (without end) or "--wait=SECONDS", a whole or decimal number.
double WaitSeconds(const std::string& arg, const std::string& command) {
  if (arg == "--wait") return kWaitForever;
  const std::string value = arg.substr(std::string("--wait=").size());
  std::size_t used = 0;
  double seconds = -1;
  try {
    seconds = std::stod(value, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != value.size() || !(seconds >= 0) || seconds > 1e9) {
    throw UsageError(command, "--wait takes a number of seconds, as in --wait=30, not '" + value + "'.");
  }
  return seconds;
}

std::size_t RequiredArguments(const Command& command) {
  std::size_t required = 0;
  for (const ArgumentHelp& argument : command.arguments) required += argument.required ? 1 : 0;
  return required;
}

// The options only some commands take.
struct OwnOption {
  const char* name;
  unsigned bit;    // CommandOption
  bool has_value;  // "--name=value" or "--name value"
};
constexpr OwnOption kOwnOptions[] = {
    {"--format", kFormatOption, true}, {"--host-paths", kHostPathsOption, false},
    {"--force", kForceOption, false},  {"--entry", kEntryOption, true},
    {"--map", kRowsOption, true},      {"--name", kRowsOption, true},
    {"--all", kAllOption, false},      {"-0", kNulOption, false},
    {"--list-skipped", kListSkippedOption, false},
    {"--dry-run", kDryRunOption, false},
};

const OwnOption* OwnOptionOf(const std::string& arg) {
  for (const OwnOption& option : kOwnOptions) {
    const std::string name = option.name;
    if (arg == name || (option.has_value && StartsWith(arg, name + "="))) return &option;
  }
  return nullptr;
}

// Puts the option at args[*i] (and its value) into the call.
void TakeOwnOption(const OwnOption& option, const std::vector<std::string>& args, std::size_t* i,
                   const std::string& command, Invocation* call) {
  const std::string name = option.name;
  if (!option.has_value) {
    (name == "--host-paths" ? call->host_paths
     : name == "--force"    ? call->force
     : name == "-0"         ? call->nul
     : name == "--list-skipped" ? call->list_skipped
     : name == "--dry-run"  ? call->dry_run
                                : call->all) = true;
    return;
  }
  const std::string value = OptionValue(args, i, name, command);
  if (name == "--format") {
    call->format = FormatNamed(value, command);
    return;
  }
  if (value.empty()) throw UsageError(command, name + " needs a value.");
  (name == "--entry" ? call->entry : name == "--map" ? call->map_rows : call->name_rows) = value;
}

// "list, restore or purge": the second words of a two-word command's group.
std::string GroupWords(const std::string& group) {
  std::vector<std::string> words;
  for (const Command& command : Commands()) {
    if (StartsWith(command.name, group + " ")) words.push_back(command.name.substr(group.size() + 1));
  }
  return JoinWords(words, "or");
}

// Checks the options and arguments that only make sense with the command.
void CheckAgainstCommand(const Invocation& call, const std::vector<std::string>& used_options) {
  const Command& command = *call.command;
  for (const std::string& option : used_options) {
    if ((command.options & OwnOptionOf(option)->bit) == 0) {
      throw UsageError(command.name, "it has no option " + option + ".");
    }
  }
  if (call.wait && !command.changes_files) {
    throw UsageError(command.name, "it changes no file, so it never waits: leave out --wait.");
  }
  if (call.help) return;
  if (command.options & kAllOption) {
    const bool some = !call.map_rows.empty() || !call.name_rows.empty();
    if (call.all && some) throw UsageError(command.name, "--all already selects every row: leave out --map and --name.");
    if (!call.all && !some) {
      throw UsageError(command.name, "say which rows of the trash: --map NAME (every row of one map), --name NAME, "
                                     "or --all.");
    }
  }
  if (call.arguments.size() < RequiredArguments(command)) {
    const ArgumentHelp& missing = command.arguments[call.arguments.size()];
    throw UsageError(command.name, "missing " + missing.name + ": " + missing.text + ".");
  }
  if (call.arguments.size() > command.arguments.size() && !command.repeats_last) {
    throw UsageError(command.name, "unexpected argument '" + call.arguments[command.arguments.size()] + "'" +
                                       (command.takes_program ? " (put the program to run after '--')." : "."));
  }
  if (command.takes_program && call.program.empty()) {
    throw UsageError(command.name, "missing the program to run: give it after '--', as in '" + Prefix(command.name) +
                                       " " + command.Synopsis().substr(command.name.size() + 1) + "'.");
  }
}

}  // namespace

UsageError::UsageError(const std::string& command, const std::string& problem)
    : std::runtime_error(Prefix(command) + ": " + problem + " " + HelpHint(command)), command_(command) {}

Invocation ParseArguments(const std::vector<std::string>& args) {
  Invocation call;
  std::vector<std::string> used_options;
  bool options_ended = false;
  const auto name = [&call] { return call.command ? call.command->name : call.group; };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      // Once a command that runs a program has its own arguments, "--"
      // starts the program; before that, the first "--" ends the options.
      const Command* command = call.command;
      if (command != nullptr && command->takes_program && call.arguments.size() >= RequiredArguments(*command)) {
        call.program.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
        break;
      }
      if (!options_ended) {
        options_ended = true;
        continue;
      }
    } else if (options_ended) {
      // Every word is an argument, even one that begins with "-".
    } else if (arg == "-h" || arg == "--help") {
      call.help = true;
      continue;
    } else if (arg == "--version") {
      call.version = true;
      continue;
    } else if (arg == "--yes") {
      call.yes = true;
      continue;
    } else if (arg == "--wait" || StartsWith(arg, "--wait=")) {
      call.wait = WaitSeconds(arg, name());
      continue;
    } else if (arg == "--program-folder" || StartsWith(arg, "--program-folder=")) {
      call.program_folder = OptionValue(args, &i, "--program-folder", name());
      if (call.program_folder.empty()) throw UsageError(name(), "--program-folder needs a folder.");
      continue;
    } else if (const OwnOption* option = OwnOptionOf(arg)) {
      TakeOwnOption(*option, args, &i, name(), &call);
      used_options.push_back(option->name);
      continue;
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError(name(), "unknown option '" + arg + "'" +
                                   (arg[1] != '-' && call.command != nullptr && !call.command->arguments.empty()
                                        ? ": give a name that begins with \"-\" after \"--\", as in 'zorvan " +
                                              call.command->name + " -- " + arg + "'."
                                        : "."));
    }
    if (call.command == nullptr) {
      call.command = FindCommand(call.group.empty() ? arg : call.group + " " + arg);
      if (call.command != nullptr) continue;
      if (!call.group.empty()) {
        throw UsageError(call.group, "unknown command '" + arg + "': give " + GroupWords(call.group) + ".");
      }
      if (GroupWords(arg).empty()) throw UsageError("", "unknown command '" + arg + "'.");
      call.group = arg;
    } else {
      call.arguments.push_back(arg);
    }
  }
  if (call.command == nullptr) {
    if (call.help || call.version) return call;
    if (!call.group.empty()) {
      throw UsageError(call.group, "say what to do: zorvan " + call.group + " " + GroupWords(call.group) + ".");
    }
    throw UsageError("", "no command given.");
  }
  CheckAgainstCommand(call, used_options);
  return call;
}

}  // namespace zv::cli
