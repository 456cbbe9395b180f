// The start-up and exit steps of the mapper that need no window: the version,
// the relocation and program-folder checks, the clean-up of files of earlier
// versions, the link states, and the files written and removed at exit.
#pragma once

#include <string>
#include <vector>

#include "mapper/engine/mapper.h"

namespace zv {

// The program's version text; it changes with every release so that each new
// version runs the first-run steps once.
inline constexpr char kVersionText[] = "3.0";
// The mapper's and the probe's program files as the host names them.
inline constexpr char kMapperProgram[] = "Zorvan32";
inline constexpr char kProbeProgram[] = "Vigilo32.exe";

// True when the program folder is the Windows folder or lies below it
// (compared ignoring ASCII case, at a path boundary).
bool ProgramInsideWindowsFolder(const std::string& program_folder, const std::string& windows_folder);

// Moves the program's own files from the program folder into `home` + "/ZORVAN"
// (each through GuardedMove, so the person is asked about read-only files and
// a file that cannot be moved is reported and skipped), then tells the person
// where they went. The caller ends the process afterwards.
void RelocateProgram(Mapper& mapper, const std::string& home);

// The lines of "ZV.INI", read as the small regular file it is. Throws
// RefusedFileError for a pipe, a device or a file over kSmallFileLimit,
// HostError when it cannot be read.
std::vector<std::string> ReadSettingsLines(Mapper& mapper);

// Removes the files that earlier versions left in the program folder.
void CleanUpOldFiles(Mapper& mapper);

// Where the remote-control window goes on a first run, relative to the main
// window centred on a screen of the given size.
void PlaceRemoteForFirstRun(Options& options, int screen_width, int screen_height, int window_width,
                            int window_height);

// Sets options.icon1 and options.vigilo_on_startup from the links that exist.
void ReadLinkStates(Mapper& mapper);

// The program-folder check: true when the mapper's executable is in the
// folder of the programs (Mapper::ProgramsFolder). Otherwise shows "Zorvan
// cannot start from: " and that folder and answers false; the caller ends
// the process.
bool CheckProgramFolder(Mapper& mapper);

// An installed mapper's own program folder (Mapper::UsePlaces), made with
// its parents when missing. When it lies inside the Windows folder, or
// cannot be made, a notice says so and the answer is false; the caller
// ends the process.
bool MakeUserProgramFolder(Mapper& mapper);

// The exit steps that touch files: writes "ZV.INI" (a failure is shown and
// the other steps still run), deletes "null.htm" and every "*.tmp" of the
// program folder and the stale temporaries killed writes left there and in
// its trash folder (Host::RemoveStaleTemporaries), and starts the probe
// from the folder of the programs.
void RunExitSteps(Mapper& mapper, const std::string& caption, bool remote_visible);

}  // namespace zv
