#include "probe/probe_state.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "platform/forwarding_host.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::Exists;
using testing::MakeFolders;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using testing::WriteLines;

enum class Picture { kActive, kStandBy };

// The window, timer and notification area as plain state. The tray refuses
// what the platform refuses: adding a shown icon, changing a missing one,
// and anything at all when the desktop has no notification area.
class RecordingSurface : public ProbeSurface {
 public:
  bool no_area = false;
  bool timer = false;
  bool window = false;
  bool minimised = false;
  std::string caption;
  bool resume_enabled = true;
  bool standby_box = false;
  bool closed = false;
  std::string messages = ">";
  Picture picture = Picture::kActive;
  std::optional<Picture> tray;  // what the notification area shows

  void StartTimer() override { timer = true; }
  void StopTimer() override { timer = false; }
  void ShowWindow(bool shown) override {
    window = shown;
    minimised = false;
  }
  void MinimiseWindow() override { window = minimised = true; }
  void SetCaption(const std::string& text) override { caption = text; }
  void SetMessages(const std::string& text) override { messages = text; }
  void EnableResume(bool enabled) override { resume_enabled = enabled; }
  void TickStandByBox(bool ticked) override { standby_box = ticked; }
  bool StandByBoxTicked() override { return standby_box; }
  void SetTrayPicture(bool active) override { picture = active ? Picture::kActive : Picture::kStandBy; }
  bool AddTrayIcon() override {
    if (tray || no_area) return false;
    tray = picture;
    return true;
  }
  bool ModifyTrayIcon() override {
    if (!tray) return false;
    tray = picture;
    return true;
  }
  bool DeleteTrayIcon() override {
    if (!tray) return false;
    tray.reset();
    return true;
  }
  void CloseWindow() override {
    closed = true;
    probe->Exit();
  }
  Probe* probe = nullptr;
};

class ProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_folder_ = std::filesystem::current_path();
    std::filesystem::current_path(program.path());
    setenv("ZORVAN_WINDIR", windir.path().c_str(), 1);
    setenv(kProgramFolderVariable, program.path().c_str(), 1);
    MakeFolders(windir / "SYSTEM\\COLOR");
    MakeFolders(windir / "fonts");
    WriteLines(program / "vigilo.ini", {"SYSTEM", "SYSTEM\\COLOR", "fonts"});
    surface.probe = &probe;
  }
  void TearDown() override {
    std::filesystem::current_path(previous_folder_);
    unsetenv("ZORVAN_WINDIR");
    unsetenv(kProgramFolderVariable);
  }

  void Create(const std::string& relative) { WriteBytes(windir / relative, "data"); }
  // Watching: the timer runs, the window is hidden, the active icon shows.
  void ExpectWatching() {
    EXPECT_TRUE(surface.timer);
    EXPECT_FALSE(surface.window);
    EXPECT_EQ(surface.tray, Picture::kActive);
    EXPECT_TRUE(probe.active());
  }
  void ExpectStandBy() {
    EXPECT_FALSE(surface.timer);
    EXPECT_FALSE(surface.window);
    EXPECT_EQ(surface.tray, Picture::kStandBy);
    EXPECT_FALSE(probe.active());
  }
  void ExpectReported() {
    EXPECT_EQ(surface.messages, Probe::kChangesText);
    EXPECT_TRUE(surface.window);
    EXPECT_FALSE(surface.tray.has_value());
    EXPECT_FALSE(surface.timer);
  }

  ScratchFolder program;
  ScratchFolder windir;
  std::unique_ptr<Host> host = NewPosixHost();
  RecordingSurface surface;
  Probe probe{*host, surface};

 private:
  std::filesystem::path previous_folder_;
};

TEST_F(ProbeTest, StartsWatchingTheIniFoldersThenTheWindowsFolder) {
  probe.Start();
  ExpectWatching();
  EXPECT_EQ(probe.start_folder(), program.path());
  EXPECT_EQ(probe.tracked_folders(),
            (std::vector<std::string>{windir.path() + "\\SYSTEM", windir.path() + "\\SYSTEM\\COLOR",
                                      windir.path() + "\\fonts", windir.path()}));
  EXPECT_EQ(probe.mode_line(), "A");
  EXPECT_FALSE(surface.standby_box);
}

TEST_F(ProbeTest, ModeAFirstTickOnlySnapshotsThenANewFileIsReportedAndTicksStop) {
  probe.Start();
  Create("fonts\\early.ttf");
  probe.Tick();
  ExpectWatching();
  WriteBytes(windir / "fonts\\early.ttf", "new contents, same name");
  probe.Tick();
  ExpectWatching();

  Create("SYSTEM\\COLOR\\new.icm");
  probe.Tick();
  ExpectReported();
  EXPECT_TRUE(probe.active()) << "a report leaves the flag as it was";

  // Only Resume or Stand-by starts watching again; Resume accepts the change.
  probe.Resume();
  ExpectWatching();
  probe.Tick();
  probe.Tick();
  ExpectWatching();
}

TEST_F(ProbeTest, ChangeDuringStandByIsReportedAfterTrayClickButNotAfterResume) {
  for (const bool by_tray_click : {true, false}) {
    SCOPED_TRACE(by_tray_click ? "tray click" : "Resume");
    ScratchFolder folder;
    setenv("ZORVAN_WINDIR", folder.path().c_str(), 1);
    MakeFolders(folder / "SYSTEM\\COLOR");
    MakeFolders(folder / "fonts");
    RecordingSurface s;
    Probe p(*host, s);
    s.probe = &p;
    p.Start();
    p.Tick();
    p.StandBy();
    EXPECT_FALSE(s.timer);
    EXPECT_EQ(s.tray, Picture::kStandBy);
    WriteBytes(folder / "SYSTEM\\setup.dll", "");
    if (by_tray_click) {
      p.TrayClick();
      EXPECT_EQ(s.tray, Picture::kActive);
      EXPECT_TRUE(s.timer);
    } else {
      p.Resume();
    }
    p.Tick();
    EXPECT_EQ(s.messages == Probe::kChangesText, by_tray_click);
    EXPECT_EQ(s.timer, !by_tray_click);
  }
}

TEST_F(ProbeTest, StandByButtonFromTheReportHidesAndKeepsFreshSnapshots) {
  probe.Start();
  probe.Tick();
  Create("new.ini");
  probe.Tick();
  ExpectReported();
  probe.StandBy();
  ExpectStandBy();
  probe.TrayClick();
  ExpectWatching();
  probe.Tick();
  ExpectWatching() ;
}

TEST_F(ProbeTest, DismissedTrayMenuLeavesStandByIconAndStoppedTimerWhileStillActive) {
  probe.Start();
  probe.Tick();
  probe.MenuPopup();
  EXPECT_FALSE(surface.timer);
  EXPECT_EQ(surface.tray, Picture::kStandBy);
  EXPECT_TRUE(probe.active());

  // A tray click now means stand-by (the flag is still true), a second resumes.
  probe.TrayClick();
  ExpectStandBy();
  probe.TrayClick();
  ExpectWatching();

  probe.MenuPopup();
  probe.ControlPanel();
  EXPECT_EQ(surface.messages, "Id name > Vigilo I\nStatus    > Active\nTracking> " + windir.path() +
                                  "\n\nThis probe is an external module of DUVO Team Zorvan. "
                                  "See Zorvan help for more information.");
  EXPECT_TRUE(surface.window);
  EXPECT_FALSE(surface.tray.has_value());
  EXPECT_FALSE(surface.timer);
}

TEST_F(ProbeTest, ModeLineKeepsItsTailAndTakesItsLetterFromTheCheckBox) {
  struct Case {
    const char* dat;  // nullptr: no file
    bool tick_box_at_exit;
    bool starts_in_standby;
    const char* written;
  };
  const Case cases[] = {
      {"Sxyz 12\r\nsecond line\r\n", false, true, "Axyz 12\r\n"},
      {"Sxyz", true, true, "Sxyz\r\n"},
      {"A-keep\n", true, false, "S-keep\r\n"},
      {"Q", false, false, "A\r\n"},
      {"", false, false, "A\r\n"},
      {"\r\nS", false, false, "A\r\n"},
      {nullptr, false, false, "A\r\n"},
      {nullptr, true, false, "S\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dat ? c.dat : "(no file)");
    std::filesystem::remove(program / "vigilo.dat");
    if (c.dat) WriteBytes(program / "vigilo.dat", c.dat);
    RecordingSurface s;
    Probe p(*host, s);
    s.probe = &p;
    p.Start();
    EXPECT_EQ(s.standby_box, c.starts_in_standby);
    EXPECT_EQ(!p.active(), c.starts_in_standby);
    EXPECT_EQ(s.timer, !c.starts_in_standby);
    EXPECT_EQ(s.tray, c.starts_in_standby ? Picture::kStandBy : Picture::kActive);
    if (c.starts_in_standby) {
      EXPECT_FALSE(p.watch()->snapshots().back().empty()) << "stand-by takes its snapshots at once";
    }
    s.standby_box = c.tick_box_at_exit;
    p.Exit();
    EXPECT_FALSE(s.timer);
    EXPECT_FALSE(s.tray.has_value());
    EXPECT_EQ(ReadBytes(program / "vigilo.dat"), c.written);
  }
}

TEST_F(ProbeTest, WithoutANotificationAreaAMinimisedWindowStandsInForTheIcon) {
  surface.no_area = true;
  WriteBytes(program / "vigilo.dat", "S\r\n");
  probe.Start();
  EXPECT_TRUE(surface.window);
  EXPECT_TRUE(surface.minimised);
  EXPECT_EQ(surface.caption, "Zorvan - Vigilo probe (Stand-by)");
  EXPECT_FALSE(surface.timer);
  EXPECT_FALSE(probe.active());

  probe.Resume();
  EXPECT_TRUE(surface.minimised);
  EXPECT_EQ(surface.caption, "Zorvan - Vigilo probe (Active)");
  EXPECT_TRUE(surface.timer);
  probe.Tick();
  EXPECT_TRUE(surface.minimised) << "ticks leave the window in the taskbar";
  Create("SYSTEM\\new.dll");
  probe.Tick();
  EXPECT_EQ(surface.messages, Probe::kChangesText);
  EXPECT_TRUE(surface.window);
  EXPECT_FALSE(surface.minimised);
  EXPECT_EQ(surface.caption, "Zorvan - Vigilo probe");
}

TEST_F(ProbeTest, MissingIniShowsTheFailureAndWatchesNothing) {
  std::filesystem::remove(program / "vigilo.ini");
  probe.Start();
  EXPECT_EQ(surface.messages, ">Initialization failure.\n>Please, alert Zorvan and try again.");
  EXPECT_FALSE(surface.resume_enabled);
  EXPECT_TRUE(surface.window);
  EXPECT_FALSE(surface.tray.has_value());
  EXPECT_FALSE(surface.timer);
  EXPECT_TRUE(probe.tracked_folders().empty());
  probe.Exit();
  EXPECT_FALSE(Exists(program / "vigilo.dat")) << "no mode line was read, so none is written";
}

TEST_F(ProbeTest, TrackedFolderRemovedAfterStartIsReportedAndWatchingGoesOnAfterResume) {
  probe.Start();
  probe.Tick();
  std::filesystem::remove_all(windir / "fonts");  // an uninstaller took it
  probe.Tick();
  ExpectReported();
  probe.Resume();
  probe.Tick();
  ExpectWatching();
  probe.Tick();
  ExpectWatching();
  Create("SYSTEM\\later.dll");
  probe.Tick();
  ExpectReported();
}

// True once `path` exists and holds something, within five seconds.
bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 100 && (!Exists(path) || ReadBytes(path).empty()); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return Exists(path) && !ReadBytes(path).empty();
}

TEST_F(ProbeTest, RunMapperStartsItInTheStartFolderWithVigiloThenCloses) {
  WriteBytes(program / "Zorvan32", "#!/bin/sh\necho \"$(pwd) $*\" > started.tmp\n");
  std::filesystem::permissions(program / "Zorvan32", std::filesystem::perms::owner_all);
  probe.Start();
  std::filesystem::current_path(windir.path());  // the start folder still counts
  probe.RunMapper();
  EXPECT_TRUE(surface.closed);
  EXPECT_EQ(ReadBytes(program / "vigilo.dat"), "A\r\n");
  for (int i = 0; i < 100 && !Exists(program / "started.tmp"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  for (int i = 0; i < 20 && Exists(program / "started.tmp") && ReadBytes(program / "started.tmp").empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(Exists(program / "started.tmp"));
  EXPECT_EQ(ReadBytes(program / "started.tmp"), program.path() + " Vigilo\n");
}

// The places of an installed probe, whatever the executable.
class InstalledHost : public ForwardingHost {
 public:
  InstalledHost(Host& target, ProgramPlaces places) : ForwardingHost(target), places_(std::move(places)) {}
  ProgramPlaces FindProgramPlaces(const std::string&) override { return places_; }

 private:
  ProgramPlaces places_;
};

TEST_F(ProbeTest, ItsFilesAreInTheProgramFolderWhateverTheWorkingFolderAndTheMapperComesFromThePrograms) {
  std::filesystem::current_path(windir.path());
  probe.Start();
  EXPECT_EQ(probe.start_folder(), program.path());
  ExpectWatching();

  // Installed: the person's folder holds the probe's files, the mapper is
  // the installation's and starts in the person's folder.
  ScratchFolder programs;
  WriteBytes(programs / "Zorvan32", "#!/bin/sh\necho \"$(pwd) $*\" > \"$0.txt\"\n");
  std::filesystem::permissions(programs / "Zorvan32", std::filesystem::perms::owner_all);
  InstalledHost installed(*host, {program.path(), programs.path(), programs.path(), true, {}});
  RecordingSurface s;
  Probe p(installed, s);
  s.probe = &p;
  p.Start();
  EXPECT_TRUE(p.initialized());
  p.RunMapper();
  ASSERT_TRUE(WaitForFile(programs / "Zorvan32.txt"));
  EXPECT_EQ(ReadBytes(programs / "Zorvan32.txt"), program.path() + " Vigilo\n");

  // A program folder that is not there is the failure, said.
  RecordingSurface gone;
  InstalledHost missing(*host, {program / "gone", programs.path(), programs.path(), true, {}});
  Probe q(missing, gone);
  gone.probe = &q;
  EXPECT_THROW(q.Start(), std::runtime_error);
  EXPECT_FALSE(q.initialized());
  EXPECT_EQ(gone.messages, Probe::kFailureText);
}

// Fails every read or write of one file name.
class FailingHost : public ForwardingHost {
 public:
  FailingHost(Host& target, std::string name) : ForwardingHost(target), name_(std::move(name)) {}
  std::string ReadFile(const std::string& path) override {
    if (path.ends_with(name_)) throw HostError(path, "Input/output error");
    return ForwardingHost::ReadFile(path);
  }
  std::string ReadOwnFile(const std::string& path, const FileRules& rules) override {
    if (path.ends_with(name_)) throw HostError(path, "Input/output error");
    return ForwardingHost::ReadOwnFile(path, rules);
  }
  void WriteFile(const std::string& path, std::string_view data) override {
    if (path.ends_with(name_)) throw HostError(path, "No space left on device");
    ForwardingHost::WriteFile(path, data);
  }

 private:
  std::string name_;
};

TEST_F(ProbeTest, UnreadableStartFilesLeaveTheFailureStateAndReachTheErrorReport) {
  for (const char* name : {"vigilo.ini", "vigilo.dat"}) {
    SCOPED_TRACE(name);
    WriteBytes(program / "vigilo.dat", "S\r\n");
    FailingHost failing(*host, name);
    RecordingSurface s;
    Probe p(failing, s);
    s.probe = &p;
    EXPECT_THROW(p.Start(), HostError);
    EXPECT_FALSE(p.initialized());
    EXPECT_TRUE(s.window);
    EXPECT_FALSE(s.resume_enabled);
    EXPECT_FALSE(s.timer);
    EXPECT_FALSE(s.tray.has_value());
  }
}

// The mode file is one short line: a pipe never blocks the start and a
// huge file never fills the memory; either ends in the failure state.
TEST_F(ProbeTest, ModeFileThatIsNoSmallRegularFileIsRefused) {
  for (const bool pipe : {true, false}) {
    SCOPED_TRACE(pipe ? "pipe" : "huge");
    std::filesystem::remove(program / "vigilo.dat");
    if (pipe) {
      ASSERT_EQ(mkfifo((program / "vigilo.dat").c_str(), 0600), 0);
    } else {
      WriteBytes(program / "vigilo.dat", "S\r\n");
      std::filesystem::resize_file(program / "vigilo.dat", kSmallFileLimit + 1);
    }
    RecordingSurface s;
    Probe p(*host, s);
    s.probe = &p;
    EXPECT_THROW(p.Start(), RefusedFileError);
    EXPECT_FALSE(p.initialized());
    EXPECT_TRUE(s.window);
    EXPECT_FALSE(s.timer);
  }
}

TEST_F(ProbeTest, UnwritableModeFileStillStopsWatchingAndRemovesTheIcon) {
  FailingHost failing(*host, "vigilo.dat");
  Probe p(failing, surface);
  surface.probe = &p;
  p.Start();
  EXPECT_THROW(p.Exit(), HostError);
  EXPECT_FALSE(surface.timer);
  EXPECT_FALSE(surface.tray.has_value());
}

}  // namespace
}  // namespace zv
