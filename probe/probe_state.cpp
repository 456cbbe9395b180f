#include "probe/probe_state.h"

#include <stdexcept>

#include "platform/text.h"

namespace zv {

Probe::Probe(Host& host, ProbeSurface& surface)
    : host_(host), surface_(surface), watch_(std::make_unique<Watch>(host, std::vector<std::string>{})) {}

void Probe::Start() {
  surface_.SetCaption(kCaption);
  surface_.SetTrayPicture(true);
  try {
    const ProgramPlaces places = host_.FindProgramPlaces("");
    start_folder_ = places.folder;
    programs_folder_ = places.programs;
  } catch (const HostError& error) {
    Fail();
    throw std::runtime_error("The probe's program folder cannot be found (" + error.reason() + ")");
  }
  if (!host_.FolderExists(start_folder_)) {
    // A removed folder: the failure shows, and the person can close it.
    Fail();
    throw std::runtime_error("The probe's program folder " + DisplayPath(start_folder_) + " is missing");
  }
  if (!host_.FileExists(InStartFolder(kIniFile))) {
    Fail();
    return;
  }
  std::string windows_folder;
  std::string mode_line = "A";
  std::vector<std::string> ini_lines;
  try {
    windows_folder = host_.GetSystemFolder(0);
    const std::string mode_file = InStartFolder(kModeFile);
    if (host_.FileExists(mode_file)) {
      // One short line: a pipe or a runaway file of that name is refused.
      const std::vector<std::string> lines =
          SplitLines(host_.ReadOwnFile(mode_file, {.max_bytes = kSmallFileLimit}));
      if (!lines.empty() && !lines.front().empty()) mode_line = lines.front();
    }
    ini_lines = SplitLines(host_.ReadFile(InStartFolder(kIniFile)));
  } catch (const HostError&) {
    Fail();
    throw;
  }
  windows_folder_ = windows_folder;
  mode_line_ = mode_line;
  watch_ = std::make_unique<Watch>(host_, TrackedFolders(windows_folder_, ini_lines));
  initialized_ = true;
  HideToTray();
  if (mode_line_.front() == 'S') {
    surface_.TickStandByBox(true);
    StandBy();
  } else {
    surface_.StartTimer();
  }
}

void Probe::Tick() {
  surface_.StopTimer();
  if (!stand_in_) surface_.ShowWindow(false);
  if (watch_->Tick()) {
    surface_.SetMessages(kChangesText);
    ShowFromTray();
  } else {
    surface_.StartTimer();
  }
}

void Probe::Resume() {
  watch_->ClearSnapshots();
  ShowTrayPicture(true);
  HideToTray();
  surface_.StartTimer();
  active_ = true;
}

void Probe::StandBy() {
  watch_->ClearSnapshots();
  Tick();
  surface_.StopTimer();
  active_ = false;
  ShowTrayPicture(false);
  HideToTray();
}

void Probe::TrayClick() {
  if (active_) {
    surface_.StopTimer();
    active_ = false;
    ShowTrayPicture(false);
  } else {
    ShowTrayPicture(true);
    surface_.StartTimer();
    active_ = true;
  }
}

void Probe::MenuPopup() {
  surface_.StopTimer();
  ShowTrayPicture(false);
}

void Probe::ControlPanel() {
  surface_.StopTimer();
  surface_.SetMessages(StatusText());
  ShowFromTray();
}

void Probe::RunMapper() {
  // After an initialization failure no start folder counts: the mapper is
  // started in wherever the process now is (an empty folder), which may no
  // longer exist. It finds its program folder itself, as the probe did.
  const std::string folder = initialized_ ? start_folder_ : std::string();
  host_.ShellOpen(programs_folder_.empty() ? kMapperFile : programs_folder_ + "\\" + kMapperFile, kMapperArgument,
                  folder, 1);
  surface_.CloseWindow();
}

void Probe::Exit() {
  surface_.StopTimer();
  surface_.DeleteTrayIcon();
  icon_shown_ = false;
  watch_->ClearSnapshots();
  if (!initialized_) return;
  mode_line_.front() = surface_.StandByBoxTicked() ? 'S' : 'A';
  host_.WriteFile(InStartFolder(kModeFile), JoinLines({mode_line_}));
}

std::vector<std::string> Probe::tracked_folders() const { return watch_->folders(); }

std::string Probe::StatusText() const {
  return std::string("Id name > Vigilo I\nStatus    > ") + (active_ ? "Active" : "Stand-by") +
         "\nTracking> " + DisplayPath(windows_folder_) +
         "\n\nThis probe is an external module of DUVO Team Zorvan. "
         "See Zorvan help for more information.";
}

void Probe::Fail() {
  initialized_ = false;
  watch_ = std::make_unique<Watch>(host_, std::vector<std::string>{});
  surface_.SetMessages(kFailureText);
  surface_.EnableResume(false);
  ShowFromTray();
}

void Probe::HideToTray() {
  if (!icon_shown_) icon_shown_ = surface_.AddTrayIcon();
  stand_in_ = !icon_shown_;
  if (!stand_in_) {
    surface_.ShowWindow(false);
    return;
  }
  // No notification area: an icon-less, window-less probe could neither be
  // resumed nor closed.
  ShowStandInCaption();
  surface_.MinimiseWindow();
}

void Probe::ShowFromTray() {
  stand_in_ = false;
  surface_.SetCaption(kCaption);
  surface_.ShowWindow(true);
  surface_.DeleteTrayIcon();
  icon_shown_ = false;
}

void Probe::ShowTrayPicture(bool active) {
  picture_active_ = active;
  surface_.SetTrayPicture(active);
  surface_.ModifyTrayIcon();
  if (stand_in_) ShowStandInCaption();
}

void Probe::ShowStandInCaption() {
  surface_.SetCaption(std::string(kCaption) + (picture_active_ ? " (Active)" : " (Stand-by)"));
}

std::string Probe::InStartFolder(const char* name) const {
  // Never a path below "/" for want of a start folder.
  if (start_folder_.empty()) throw std::logic_error("The start folder is not known");
  return start_folder_ + "\\" + name;
}

}  // namespace zv
