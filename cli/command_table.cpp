#include "cli/command.h"
#include "cli/commands.h"

namespace zv::cli {

std::string Command::Synopsis() const {
  std::string synopsis = name;
  for (const ArgumentHelp& argument : arguments) {
    synopsis += argument.required ? " " + argument.name : " [" + argument.name + "]";
  }
  if (repeats_last) synopsis += "...";
  if (takes_program) synopsis += " -- COMMAND [ARGS...]";
  return synopsis;
}

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      MapsCommand(),   ShowCommand(),      FilesCommand(),        IdentifyCommand(),   OwnerCommand(),
      ScanCommand(),   NewMapCommand(),    TrackCommand(),        RenameCommand(),     UnmapCommand(),
      RemoveCommand(), TrashListCommand(), TrashRestoreCommand(), TrashPurgeCommand(),
  };
  return commands;
}

const Command* FindCommand(const std::string& name) {
  for (const Command& command : Commands()) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

}  // namespace zv::cli
