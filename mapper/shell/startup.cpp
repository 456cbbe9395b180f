#include "mapper/shell/startup.h"

#include <QGuiApplication>
#include <QScreen>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/maintenance.h"
#include "mapper/engine/new_map.h"
#include "mapper/engine/scanner.h"
#include "mapper/engine/shell_links.h"
#include "mapper/shell/command_lock.h"
#include "mapper/shell/config.h"
#include "mapper/shell/main_window.h"
#include "mapper/shell/startup_steps.h"
#include "mapper/trash/trash_store.h"
#include "platform/text.h"

namespace zv {
namespace {

// Reads "ZV.INI" when it exists; answers whether this is a first run.
bool ReadSettings(TForm1& form, Mapper& m, const std::string& argument) {
  const std::string file = m.ProgramFile("ZV.INI");
  if (!m.host.FileExists(file)) return true;
  bool first_run = false;
  try {
    first_run = ReadConfiguration(m, ReadSettingsLines(m), argument, {[&form] { form.BlueClick(); }});
  } catch (...) {
    // The keys read before the error are stored: their marks must say so.
    form.ShowOptions();
    throw;
  }
  form.ShowOptions();
  return first_run;
}

void ChooseFirstLanguage(TForm1& form, Mapper& m) {
  m.language_file = "English.LNG";
  // With no language file to offer, the chooser would have nothing to show;
  // applying the default then reports the missing file and ends the program.
  if (!m.host.FindFiles(m.SharedFolder(), "*.lng").empty()) form.Languagefile1Click();
}

void FirstRunSetup(TForm1& form, Mapper& m) {
  const QSize screen = QGuiApplication::primaryScreen()->size();
  const QSize window = form.frameGeometry().size();
  PlaceRemoteForFirstRun(m.options, screen.width(), screen.height(), window.width(), window.height());
  m.options.scan_on_start = true;
  m.options.use_sys_icons = true;
  m.options.vigilo_on_startup = true;
  form.ShowOptions();
  SetUpFirstRunLinks(m);
}

}  // namespace

bool FormCreate(TForm1& form, Mapper& m, const std::string& argument, const std::string& home) {
  ProgramPlaces places;
  try {
    m.windows_folder = m.host.GetSystemFolder(0);
    places = m.host.FindProgramPlaces("");
  } catch (const HostError& error) {
    // Every file of the program is named from its folder, so nothing could
    // be read or saved.
    m.person.ShowNotice(m.main_caption, "Zorvan cannot start: its program folder cannot be found (" +
                                            error.reason() + ")");
    return false;
  }
  m.UsePlaces(places);
  if (places.installed) {
    if (!MakeUserProgramFolder(m)) return false;
  } else if (!m.host.FolderExists(m.program_folder)) {
    m.person.ShowNotice(m.main_caption,
                        "Zorvan cannot start: its program folder " + DisplayPath(m.program_folder) + " is missing");
    return false;
  }
  // While a zorvan command changes this folder's files, the mapper waits
  // for it to finish rather than write beside it.
  if (!HoldProgramFolder(m)) return false;
  if (!places.installed && ProgramInsideWindowsFolder(m.program_folder, m.windows_folder)) {
    RelocateProgram(m, home);
    return false;
  }
  m.version_text = kVersionText;
  form.SetCaption(std::string("Zorvan ") + kVersionText);

  const bool first_run = ReadSettings(form, m, argument);
  if (first_run) {
    CleanUpOldFiles(m);
    ChooseFirstLanguage(form, m);
  }
  form.ApplyLanguage(m.language_file);
  if (first_run) FirstRunSetup(form, m);
  ReadLinkStates(m);
  form.ShowOptions();
  if (!CreateTrashStore(m)) return false;

  if (!m.host.FileExists(m.ProgramFile(kIgnoreListFile))) {
    // The person adjusts the new list before the first scan reads it.
    WriteDefaultIgnoreList(m);
    m.person.SetBusy(false);
    EditIgnoreList(m);
  }

  m.person.SetProgressCaption("Loading...");
  m.person.ShowProgress(true);
  LoadMaps(m, "");
  form.ShowMapsList();

  if (!CheckProgramFolder(m)) return false;
  if (MapFiles(m).empty()) {
    m.options.scan_on_start = true;
    form.ShowOptions();
  }
  if (m.options.scan_on_start) {
    form.New1Click();
  } else {
    ScanWithProgress(m, m.windows_folder, "Refreshing tree...");
  }

  m.person.ShowProgress(true);
  form.ShowMap();
  m.person.ShowProgress(false);
  // Filling the file list wrote its progress over what the scan had to say.
  ShowScanReport(m);
  if (m.options.remote_control) form.ShowRemote(true);
  return true;
}

void FormClose(TForm1& form, Mapper& m) {
  // What is saved is whether the remote-control window shows, not its item.
  RunExitSteps(m, m.main_caption, form.RemoteVisible());
}

}  // namespace zv
