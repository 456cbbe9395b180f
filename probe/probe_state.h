// The probe's behaviour without its widgets: start-up from "vigilo.ini" and
// "vigilo.dat", the watch tick, stand-by and resume, the tray click and
// menu, the control panel, starting the mapper and the exit sequence. The
// window implements ProbeSurface and forwards each event here, so tests can
// drive the whole probe tick by tick with a plain fake surface.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/host.h"
#include "probe/watch.h"

namespace zv {

// What the probe's logic does to its window, timer and tray icon.
class ProbeSurface {
 public:
  virtual ~ProbeSurface() = default;

  virtual void StartTimer() = 0;
  virtual void StopTimer() = 0;
  // Shows (in its normal state) or hides the window together with its
  // taskbar button.
  virtual void ShowWindow(bool shown) = 0;
  // Shows the window minimised: only its taskbar button is seen.
  virtual void MinimiseWindow() = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetMessages(const std::string& text) = 0;
  virtual void EnableResume(bool enabled) = 0;
  virtual void TickStandByBox(bool ticked) = 0;
  virtual bool StandByBoxTicked() = 0;

  // The tray icon's picture (not shown until the next add or modify).
  virtual void SetTrayPicture(bool active) = 0;
  // The notification-area calls; false when the area refuses.
  virtual bool AddTrayIcon() = 0;
  virtual bool ModifyTrayIcon() = 0;
  virtual bool DeleteTrayIcon() = 0;

  // Closes the window, which leads to Probe::Exit.
  virtual void CloseWindow() = 0;
};

class Probe {
 public:
  static constexpr const char* kIniFile = "vigilo.ini";
  static constexpr const char* kModeFile = "vigilo.dat";
  static constexpr const char* kMapperFile = "Zorvan32.exe";
  static constexpr const char* kMapperArgument = "Vigilo";
  static constexpr const char* kChangesText = ">Changes detected in the Windows folder.";
  static constexpr const char* kFailureText = ">Initialization failure.\n>Please, alert Zorvan and try again.";
  static constexpr const char* kCaption = "Zorvan - Vigilo probe";

  Probe(Host& host, ProbeSurface& surface);

  // Start-up, with the program folder (Host::FindProgramPlaces) as the start
  // folder. Without "vigilo.ini" there: the failure text, Resume disabled,
  // the window shown, nothing tracked. Otherwise the probe hides to the tray
  // and watches (mode "A") or stands by (mode "S"). A program folder that
  // cannot be found or is missing (std::runtime_error saying so) or a
  // HostError reading either file leaves the probe in the failure state and
  // is passed on for the error report.
  void Start();

  // One watch tick: lists every tracked folder; on a change shows the
  // report and leaves the timer stopped, otherwise starts the timer again.
  void Tick();
  // Where the desktop has no notification area, every step that would hide
  // the window in the tray keeps it minimised instead, its caption saying
  // "(Active)" or "(Stand-by)" after the tray picture, so that the person
  // can always reach the probe.

  // Fresh snapshots, active icon, back to the tray, watching.
  void Resume();
  // Fresh snapshots taken at once, then stopped with the stand-by icon.
  void StandBy();
  // Left button on the tray icon: toggles watching, keeping the snapshots.
  void TrayClick();
  // The tray menu opens: watching pauses, the flag stays as it is.
  void MenuPopup();
  // Shows the status text in the window.
  void ControlPanel();
  // Starts the mapper from the folder of the programs, in the start folder,
  // then closes the window.
  void RunMapper();
  // The exit sequence, for every way of closing: stops watching, removes the
  // tray icon, writes "vigilo.dat" (not after an initialization failure).
  // Throws HostError when "vigilo.dat" cannot be written; everything else
  // is done by then.
  void Exit();

  bool initialized() const { return initialized_; }
  bool active() const { return active_; }
  const std::string& start_folder() const { return start_folder_; }
  const std::string& windows_folder() const { return windows_folder_; }
  const std::string& mode_line() const { return mode_line_; }
  // The tracked folders; empty before start-up and after a failure.
  std::vector<std::string> tracked_folders() const;
  const Watch* watch() const { return watch_.get(); }
  std::string StatusText() const;

 private:
  void Fail();
  void HideToTray();
  void ShowFromTray();
  void ShowTrayPicture(bool active);
  void ShowStandInCaption();
  std::string InStartFolder(const char* name) const;

  Host& host_;
  ProbeSurface& surface_;
  bool initialized_ = false;
  bool active_ = true;
  std::string start_folder_;
  std::string programs_folder_;  // where the mapper is; empty when not known
  std::string windows_folder_;
  std::string mode_line_ = "A";
  bool icon_shown_ = false;
  // The minimised window stands in for an icon the desktop could not show.
  bool stand_in_ = false;
  bool picture_active_ = true;
  std::unique_ptr<Watch> watch_;
};

}  // namespace zv
