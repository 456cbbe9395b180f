#include "mapper/shell/startup_steps.h"

#include "mapper/engine/guarded.h"
#include "mapper/engine/shell_links.h"
#include "mapper/shell/config.h"
#include "mapper/trash/trash_log.h"
#include "platform/text.h"

namespace zv {

bool ProgramInsideWindowsFolder(const std::string& program_folder, const std::string& windows_folder) {
  // A plain substring test would also match an unrelated folder such as
  // /home/ann/usr/local-tools for the Windows folder /usr/local and move the
  // program's files for nothing; only the folder itself and its subtree count.
  std::string windows = ToHostPath(windows_folder);
  while (windows.size() > 1 && windows.back() == '/') windows.pop_back();
  const std::string program = ToHostPath(program_folder);
  if (windows.empty()) return false;
  if (EqualsNoCase(program, windows)) return true;
  const std::string prefix = windows == "/" ? windows : windows + "/";
  return program.size() > prefix.size() && EqualsNoCase(program.substr(0, prefix.size()), prefix);
}

void RelocateProgram(Mapper& m, const std::string& home) {
  const std::string folder = home + "/ZORVAN";
  m.host.MakeFolder(folder);  // it may exist already
  const char* files[] = {"Italiano.lng", "English.lng", "Vigilo32", "ReadMe.txt",
                         "File_id.diz",  "Vendinfo.diz", kMapperProgram};
  for (const char* name : files) GuardedMove(m, m.ProgramFile(name), folder + "/" + name);
  m.person.ShowNotice("Zorvan", "Zorvan files removed from Windows folder.\nNew folder is " + folder +
                                    " Please, move " + kMapperProgram + " to " + folder);
}

std::vector<std::string> ReadSettingsLines(Mapper& m) {
  return SplitLines(m.host.ReadOwnFile(m.ProgramFile("ZV.INI"), {.max_bytes = kSmallFileLimit}));
}

void CleanUpOldFiles(Mapper& m) {
  auto remove = [&m](const std::string& name) {
    if (m.host.FileExists(m.ProgramFile(name))) m.host.DeleteFile(m.ProgramFile(name));
  };
  remove("ZV.DAT");
  if (m.host.FileExists(m.ProgramFile("ZORVAN.EXE")) && m.host.FileExists(m.ProgramFile(kMapperProgram))) {
    remove("ZORVAN.EXE");
  }
  if (m.host.FileExists(m.ProgramFile("Button1.gif"))) {
    for (int n = 1; n <= 8; ++n) remove("Button" + std::to_string(n) + ".GIF");
    remove("Guide.GIF");
  }
}

void PlaceRemoteForFirstRun(Options& o, int screen_width, int screen_height, int window_width,
                            int window_height) {
  o.remote_control = true;
  o.remote_left = screen_width - (screen_width - window_width) / 2 - 85;
  o.remote_top = (screen_height - window_height) / 2 + 150;
}

void ReadLinkStates(Mapper& m) {
  m.options.icon1 = LinkExists(m, ProgramLinkPath(m));
  m.options.vigilo_on_startup = LinkExists(m, ProbeLinkPath(m));
}

bool CheckProgramFolder(Mapper& m) {
  if (m.host.FileExists(m.ProgramsFile(kMapperProgram))) return true;
  m.person.ShowNotice(m.main_caption, "Zorvan cannot start from: " + DisplayPath(m.ProgramsFolder()));
  return false;
}

bool MakeUserProgramFolder(Mapper& m) {
  if (ProgramInsideWindowsFolder(m.program_folder, m.windows_folder)) {
    m.person.ShowNotice(m.main_caption, "Zorvan cannot keep its files in " + DisplayPath(m.program_folder) +
                                            ": it lies inside the Windows folder " + DisplayPath(m.windows_folder) +
                                            ", so every scan would map them. Set XDG_DATA_HOME to a folder "
                                            "outside it, or ZORVAN_WINDIR to the folder you mean to map.");
    return false;
  }
  if (m.host.MakeDirs(m.program_folder)) return true;
  m.person.ShowNotice(m.main_caption, "Zorvan cannot make its folder " + DisplayPath(m.program_folder));
  return false;
}

void RunExitSteps(Mapper& m, const std::string& caption, bool remote_visible) {
  try {
    m.host.WriteFile(m.ProgramFile("ZV.INI"), BuildConfiguration(m, caption, remote_visible));
  } catch (const HostError& e) {
    // The settings are lost for this run only; the clean-up and the probe
    // must still happen.
    m.person.ShowNotice("Error", std::string("The settings could not be saved: ") + e.what() + ".");
  }
  if (m.host.FileExists(m.ProgramFile("null.htm"))) m.host.DeleteFile(m.ProgramFile("null.htm"));
  for (const std::string& name : m.host.FindFiles(m.program_folder, "*.tmp")) {
    m.host.DeleteFile(m.ProgramFile(name));
  }
  // A write killed half-way leaves a hidden temporary that no pattern of
  // ours lists; the host knows its own and which ones are stale. A move
  // into the trash from another file system copies through one as well.
  m.host.RemoveStaleTemporaries(m.program_folder);
  m.host.RemoveStaleTemporaries(TrashFolderPath(m));
  m.host.ShellOpen(m.ProgramsFile(kProbeProgram), "FromZorvan", "", 1);
}

}  // namespace zv
