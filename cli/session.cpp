#include "cli/session.h"

#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "cli/no_write_host.h"
#include "mapper/engine/messages.h"
#include "mapper/engine/program_locks.h"
#include "mapper/shell/config.h"
#include "mapper/shell/startup_steps.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

constexpr const char* kCatalogue = "MESSAGES.DAT";

// Says who keeps the program folder busy, and what to do.
void SayBusy(Mapper& m, TerminalPerson& person) {
  const std::string holder = m.host.FolderLockHolder(m.program_folder);
  const std::string folder = DisplayPath(m.program_folder);
  if (StartsWith(holder, kMapperHolder)) {
    person.Say(holder + " is running on the program folder " + folder + ", and only one program may change its "
               "files at a time. Close it and run this command again, or add --wait to wait until it is closed "
               "(zorvan maps and zorvan show work meanwhile).");
    return;
  }
  person.Say((holder.empty() ? std::string("another program") : holder) + " is changing the files of the program "
             "folder " + folder + " right now. Run this command again when it has finished, or add --wait to wait "
             "for it (zorvan maps and zorvan show work meanwhile).");
}

// Takes the program folder's lock, as long as --wait says trying again;
// false, with its holder said, when it stays taken.
bool TakeFolderLock(Mapper& m, const Invocation& call, TerminalPerson& person) {
  const std::string holder = "zorvan " + call.command->name;
  m.program_folder_lock = m.host.AcquireFolderLock(m.program_folder, holder);
  if (m.program_folder_lock != nullptr) return true;
  if (!call.wait) {
    SayBusy(m, person);
    return false;
  }
  const std::string waited_for = m.host.FolderLockHolder(m.program_folder);
  person.Say("waiting for " + (waited_for.empty() ? std::string("another program") : waited_for) +
             " to finish with the program folder " + DisplayPath(m.program_folder) + "...");
  const auto start = std::chrono::steady_clock::now();
  const auto limit = std::chrono::duration<double>(*call.wait);
  while (*call.wait == kWaitForever || std::chrono::steady_clock::now() - start < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    m.program_folder_lock = m.host.AcquireFolderLock(m.program_folder, holder);
    if (m.program_folder_lock != nullptr) return true;
  }
  SayBusy(m, person);
  return false;
}

// The checks the mapper makes at start-up before it writes anything.
bool ProgramFolderUsable(Mapper& m, TerminalPerson& person) {
  if (!m.host.FileExists(m.ProgramsFile(kMapperProgram))) {
    person.Say(DisplayPath(m.ProgramsFolder()) + " is not a Zorvan program folder: it holds no " + kMapperProgram +
               ". Give the folder that holds " + kMapperProgram + " with --program-folder DIR.");
    return false;
  }
  if (ProgramInsideWindowsFolder(m.program_folder, m.windows_folder)) {
    person.Say("the program folder " + DisplayPath(m.program_folder) + " lies inside the Windows folder " +
               DisplayPath(m.windows_folder) + ", so every scan would map Zorvan's own files. Move the program "
               "folder out of it, or set ZORVAN_WINDIR to the folder you mean to map.");
    return false;
  }
  return true;
}

// Makes sure the catalogue of texts can be read: where the mapper never
// unpacked it, the language file of the settings is unpacked as the mapper
// does at start-up (through the command's host, so a command that only
// reads keeps it in memory).
bool PrepareTexts(Mapper& m, TerminalPerson& person) {
  if (!m.host.FileExists(m.ProgramFile(kCatalogue))) {
    if (m.host.FileExists(m.ProgramFile("ZV.INI"))) {
      const std::string language = ConfigValue(ReadSettingsLines(m), "Language");
      if (!language.empty()) m.language_file = language;
    }
    const UnpackResult unpacked = UnpackLanguageFile(m, m.language_file);
    if (unpacked == UnpackResult::kMissing) {
      person.Say("error: Cannot find " + m.language_file + " in " + DisplayPath(m.SharedFolder()) +
                 ". The texts of Zorvan come from it: copy the language files (*.lng) into the program folder, "
                 "or give the right folder with --program-folder DIR.");
      return false;
    }
    if (unpacked == UnpackResult::kCorrupt) {
      person.Say("error: " + m.language_file + " file corrupt? It ends before its last part: copy a whole "
                 "language file into the program folder and run the command again.");
      return false;
    }
  }
  m.texts.is_deleted = LookupMessage(m, "*IsDeleted");
  m.texts.is_folder = LookupMessage(m, "*IsFolder");
  return true;
}

}  // namespace

int RunCommand(const Invocation& call, System& system, TerminalPerson& person, std::ostream& out) {
  const Command& command = *call.command;
  ListingMemoryHost listings(system.host);
  // A dry run reads as the commands that only read do: no lock, and
  // whatever the engine writes on its way stays in memory.
  const bool writes = command.changes_files && !call.dry_run;
  std::optional<NoWriteHost> reading;
  if (!writes) reading.emplace(listings);
  Host& host = writes ? static_cast<Host&>(listings) : *reading;

  Mapper mapper(host, person);
  mapper.version_text = kVersionText;
  mapper.main_caption = std::string("Zorvan ") + kVersionText;
  const ProgramPlaces places = host.FindProgramPlaces(call.program_folder);
  mapper.UsePlaces(places);
  mapper.windows_folder = host.GetSystemFolder(0);
  // An installation's folder of the person's own is made at the first start.
  if (places.installed) system.host.MakeDirs(mapper.program_folder);
  if (!host.FolderExists(mapper.program_folder)) {
    person.Say("there is no folder " + DisplayPath(mapper.program_folder) +
               ". Give the program folder, the one that holds Zorvan32, with --program-folder DIR.");
    return kFailed;
  }

  if (writes && !TakeFolderLock(mapper, call, person)) return kBusy;
  // A dry run refuses what the real run would refuse.
  if (command.changes_files && !ProgramFolderUsable(mapper, person)) return kFailed;
  if (!PrepareTexts(mapper, person)) return kFailed;

  CommandContext context{call, mapper, person, listings, out, system.run_program};
  return command.run(context);
}

}  // namespace zv::cli
