// zorvan rename and unmap: the Map menu's commands on one map, through the
// same engine calls, so the same checks, questions and messages.
#include <ostream>

#include "cli/command_steps.h"
#include "cli/commands.h"
#include "mapper/engine/maintenance.h"
#include "mapper/engine/messages.h"
#include "mapper/engine/new_map.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

int RunRename(CommandContext& c) {
  Mapper& m = c.mapper;
  const std::string& wanted = c.invocation.arguments[0];
  const std::string& new_name = c.invocation.arguments[1];
  if (!SelectNamedMap(c, wanted)) return kFailed;
  const std::string current = m.maps.SelectedName();
  if (new_name == current) {
    c.out << "\"" << current << "\" is already the map's name.\n";
    return kDone;
  }
  // Checked before the rename, as new-map checks its name: a refusal ends
  // the command instead of asking again.
  if (IsBadMapName(new_name)) {
    c.person.Say(LookupMessage(m, "*BADNAME"));
    c.person.Say("nothing was renamed. Run the command again with another name.");
    return kFailed;
  }
  c.person.QueueAnswer(new_name);
  c.person.SetAnswerHint("nothing was renamed; run the command again with another name");
  RenameMap(m, "Rename map \"" + current + "\"");
  const std::string now = m.maps.SelectedName();
  if (now != current && m.host.FileExists(m.ProgramFile(now + ".MAP"))) {
    c.out << "\"" << current << "\" renamed to \"" << now << "\".\n";
    return kDone;
  }
  if (!c.person.declined()) {
    c.person.Say("\"" + current + "\" was not renamed. zorvan maps lists the maps and their names.");
  }
  return kFailed;
}

int RunUnmap(CommandContext& c) {
  Mapper& m = c.mapper;
  if (!ReadyToScan(c)) return kFailed;
  if (!SelectNamedMap(c, c.invocation.arguments[0])) return kFailed;
  const std::string name = m.maps.SelectedName();
  const std::string file = m.ProgramFile(name + ".MAP");
  UnmapMap(m);
  if (m.host.PathExists(file)) {
    c.person.Say("\"" + name + "\" is still mapped: its map file " + DisplayPath(file) + " stays.");
    return kFailed;
  }
  c.out << "\"" << name << "\" unmapped: " << DisplayPath(file) << " is deleted; the application's files stay where "
        << "they are, and the next new map finds them new again.\n";
  return kDone;
}

}  // namespace

Command RenameCommand() {
  return {
      .name = "rename",
      .summary = "Give a map another name (the Map menu's rename).",
      .arguments = {{"MAP", "the map's name, as zorvan maps lists it (letter case is ignored)"},
                    {"NEW", "its new name"}},
      .changes_files = true,
      .description = {
          "Renames the map MAP to NEW as the mapper's rename does: the file MAP.MAP becomes NEW.MAP and its first "
          "line names NEW. A change of letter case only is a rename like any other. When another map has the name "
          "NEW (letter case ignored), the mapper's message says so and nothing changes; on a terminal the new name "
          "is asked again, as the dialog asks it.",
          "NEW follows the one rule of map names that new-map, track and the mapper's dialogs follow too (see "
          "Names in zorvan --help).",
      },
      .examples = {"zorvan rename NewMap \"Foo 2.1\""},
      .run = RunRename,
  };
}

Command UnmapCommand() {
  return {
      .name = "unmap",
      .summary = "Forget a map: delete its map file, leaving the application's files alone.",
      .arguments = {{"MAP", "the map's name, as zorvan maps lists it (letter case is ignored)"}},
      .options = kForceOption,
      .changes_files = true,
      .description = {
          "Unmaps MAP as the mapper's unmap does: asks whether to delete the map file MAP.MAP (--yes answers "
          "yes), deletes it, and then reloads the maps and takes a fresh snapshot, as the mapper's refresh does. "
          "The application's files stay where they are; no map lists them any more, so the next new-map finds "
          "them new again. To remove the files themselves, use zorvan remove first.",
      },
      .examples = {"zorvan unmap \"Foo 2.1\" --yes"},
      .run = RunUnmap,
  };
}

}  // namespace zv::cli
