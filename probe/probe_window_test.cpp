#include "probe/probe_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QProcess>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "probe/fake_tray_area.h"
#include "tests/support/process.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::Exists;
using testing::MakeFolders;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using testing::WriteLines;

class ProbeWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_folder_ = std::filesystem::current_path();
    std::filesystem::current_path(program.path());
    setenv("ZORVAN_WINDIR", windir.path().c_str(), 1);
    setenv(kProgramFolderVariable, program.path().c_str(), 1);
    MakeFolders(windir / "SYSTEM");
    WriteLines(program / "vigilo.ini", {"SYSTEM"});
  }
  void TearDown() override {
    form.reset();
    std::filesystem::current_path(previous_folder_);
    unsetenv("ZORVAN_WINDIR");
    unsetenv(kProgramFolderVariable);
  }

  TForm1& Open() {
    form = std::make_unique<TForm1>(*host, area);
    form->error_report = [this](const std::string& text) { errors.push_back(text); };
    return *form;
  }
  bool ShowsIcon(const QIcon& icon) const { return area.shown() && area.shown()->icon.cacheKey() == icon.cacheKey(); }
  QString Text() const { return form->Messages->text(); }

  ScratchFolder program;
  ScratchFolder windir;
  std::unique_ptr<Host> host = NewPosixHost();
  FakeTrayArea area;
  std::unique_ptr<TForm1> form;
  std::vector<std::string> errors;

 private:
  std::filesystem::path previous_folder_;
};

TEST_F(ProbeWindowTest, ControlsHaveTheirTextsPlacesAndTabOrder) {
  TForm1& f = Open();
  EXPECT_EQ(f.windowTitle().toStdString(), "Zorvan - Vigilo probe");
  EXPECT_EQ(f.size(), QSize(280, 211));
  EXPECT_EQ(f.minimumSize(), f.maximumSize());
  EXPECT_EQ(f.GroupBox1->title(), "Probe report");
  EXPECT_EQ(f.Messages->text(), ">");
  EXPECT_TRUE(f.Messages->wordWrap());
  struct Place {
    QWidget* widget;
    QRect geometry;
  };
  for (const Place& p : {Place{f.GroupBox1, {8, 4, 265, 197}}, Place{f.Panel1, {8, 16, 249, 93}},
                         Place{f.Shape1, {8, 124, 65, 65}}, Place{f.Image2, {28, 141, 32, 32}},
                         Place{f.Image1, {52, 117, 32, 32}}, Place{f.ResumeBtn, {96, 134, 77, 25}},
                         Place{f.RunZVBtn, {180, 134, 77, 25}}, Place{f.StandByBtn, {96, 162, 77, 25}},
                         Place{f.OFFBtn, {180, 162, 77, 25}}, Place{f.CheckBox1, {104, 116, 161, 21}}}) {
    EXPECT_EQ(p.widget->geometry(), p.geometry) << p.widget->metaObject()->className();
  }
  EXPECT_EQ(f.CheckBox1->parentWidget(), &f);
  EXPECT_EQ(f.ResumeBtn->text(), "&Resume");
  EXPECT_EQ(f.RunZVBtn->text(), "Run &mapper");
  EXPECT_EQ(f.StandByBtn->text(), "&Stand-by");
  EXPECT_EQ(f.OFFBtn->text(), "E&xit/close");
  EXPECT_EQ(f.CheckBox1->text(), "Start in stand-by (\"off\") mode");
  EXPECT_EQ(f.ResumeBtn->nextInFocusChain(), f.StandByBtn);
  EXPECT_EQ(f.StandByBtn->nextInFocusChain(), f.RunZVBtn);
  EXPECT_EQ(f.RunZVBtn->nextInFocusChain(), f.OFFBtn);
  EXPECT_EQ(f.Timer1->interval(), 1000);
  EXPECT_EQ(f.About1->text(), "Control panel");
  EXPECT_EQ(f.Close1->text(), "Close");
  EXPECT_EQ(f.Traybar1->Hint(), "Zorvan - Vigilo probe");
  EXPECT_EQ(f.Traybar1->PopupMenu(), f.ProbeMenu);

  // The pictures come from the resources, each in every tray size.
  EXPECT_EQ(f.Image1->pixmap().size(), QSize(32, 32));
  EXPECT_EQ(f.Image2->pixmap().size(), QSize(32, 32));
  for (const QIcon* icon : {&f.ActiveIcon(), &f.StandByIcon()}) {
    EXPECT_EQ(icon->availableSizes().size(), 4);
    EXPECT_FALSE(icon->pixmap(16, 16).isNull());
  }
  EXPECT_NE(f.ActiveIcon().pixmap(16, 16).toImage(), f.StandByIcon().pixmap(16, 16).toImage());
  EXPECT_EQ(f.windowIcon().cacheKey(), f.ActiveIcon().cacheKey());
}

TEST_F(ProbeWindowTest, StartsHiddenInTheTrayWithTheTimerRunning) {
  TForm1& f = Open();
  EXPECT_TRUE(f.Timer1->isActive());
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(ShowsIcon(f.ActiveIcon()));
  EXPECT_EQ(area.shown()->tip, "Zorvan - Vigilo probe");
  EXPECT_TRUE(errors.empty());
}

TEST_F(ProbeWindowTest, ADoubleClickOnTheIconTogglesOnce) {
  TForm1& f = Open();
  area.Activate(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(ShowsIcon(f.StandByIcon()));
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_FALSE(f.probe().active());
  area.Activate(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(ShowsIcon(f.ActiveIcon()));
  EXPECT_TRUE(f.Timer1->isActive());
}

TEST_F(ProbeWindowTest, DismissedTrayMenuPausesWhileControlPanelStillSaysActive) {
  TForm1& f = Open();
  f.Timer1Timer();
  area.Activate(QSystemTrayIcon::Context);
  EXPECT_TRUE(f.ProbeMenu->isVisible());
  f.ProbeMenu->hide();
  EXPECT_TRUE(ShowsIcon(f.StandByIcon()));
  EXPECT_FALSE(f.Timer1->isActive());

  f.About1->trigger();
  EXPECT_TRUE(Text().contains("Status    > Active\nTracking> "));
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(area.shown(), nullptr) << "no tray icon while the window shows";
  EXPECT_FALSE(f.Timer1->isActive());
}

TEST_F(ProbeWindowTest, AReportStopsTheTicksUntilResumeOrStandBy) {
  TForm1& f = Open();
  f.Timer1Timer();
  WriteBytes(windir / "SYSTEM\\setup.log", "");
  f.Timer1Timer();
  EXPECT_EQ(Text(), ">Changes detected in the Windows folder.");
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_EQ(area.shown(), nullptr);

  f.ResumeBtn->click();
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(f.Timer1->isActive());
  EXPECT_TRUE(ShowsIcon(f.ActiveIcon()));

  f.Timer1Timer();
  WriteBytes(windir / "again.txt", "");
  f.Timer1Timer();
  ASSERT_TRUE(f.isVisible());
  f.StandByBtn->click();
  EXPECT_FALSE(f.isVisible());
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_TRUE(ShowsIcon(f.StandByIcon()));
}

TEST_F(ProbeWindowTest, MissingIniShowsTheFailureWithResumeDisabled) {
  std::filesystem::remove(program / "vigilo.ini");
  TForm1& f = Open();
  EXPECT_EQ(Text(), ">Initialization failure.\n>Please, alert Zorvan and try again.");
  EXPECT_FALSE(f.ResumeBtn->isEnabled());
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_EQ(area.shown(), nullptr);
}

TEST_F(ProbeWindowTest, AProgramFolderThatWasRemovedShowsTheFailureAndThePersonCanClose) {
  MakeFolders(program / "gone");
  setenv(kProgramFolderVariable, (program / "gone").c_str(), 1);
  std::filesystem::current_path(program / "gone");
  std::filesystem::remove(program / "gone");
  // The start-up error comes before a test can catch reports: its box is
  // answered from within its own loop.
  QString reported;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      reported = box->text();
      box->button(QMessageBox::Ok)->click();
    }
  });
  TForm1& f = Open();
  EXPECT_TRUE(reported.contains(QString::fromStdString("program folder " + program / "gone" + " is missing")))
      << reported.toStdString();
  EXPECT_EQ(Text(), ">Initialization failure.\n>Please, alert Zorvan and try again.");
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(f.ResumeBtn->isEnabled());
  EXPECT_FALSE(f.Timer1->isActive());

  // Run mapper finds no mapper there, and the probe closes all the same.
  int closed = 0;
  QObject::connect(&f, &TForm1::Closed, [&] { ++closed; });
  f.RunZVBtn->click();
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(errors.empty());
  EXPECT_FALSE(Exists(program / "vigilo.dat"));
}

TEST_F(ProbeWindowTest, ClosingFromTheTrayMenuSavesTheModeAndEnds) {
  WriteBytes(program / "vigilo.dat", "Skeep\r\n");
  TForm1& f = Open();
  ASSERT_TRUE(f.CheckBox1->isChecked());
  ASSERT_FALSE(f.isVisible());
  f.CheckBox1->setChecked(false);
  int closed = 0;
  QObject::connect(&f, &TForm1::Closed, [&] { ++closed; });
  f.Close1->trigger();
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(area.shown(), nullptr);
  EXPECT_FALSE(f.Timer1->isActive());
  EXPECT_EQ(ReadBytes(program / "vigilo.dat"), "Akeep\r\n");
}

TEST_F(ProbeWindowTest, UnwritableModeFileIsReportedAndTheProbeStillEnds) {
  TForm1& f = Open();
  MakeFolders(program / "vigilo.dat");  // a folder cannot be replaced by the file
  int closed = 0;
  QObject::connect(&f, &TForm1::Closed, [&] { ++closed; });
  f.OFFBtn->click();
  EXPECT_EQ(closed, 1);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("vigilo.dat"), std::string::npos);
}

TEST_F(ProbeWindowTest, WithoutANotificationAreaTheProbeWatchesInAMinimisedWindow) {
  if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "this desktop has a notification area";
  SystemTrayArea desktop;
  TForm1 f(*host, desktop);
  // The window stands in for the icon: minimised, its state in its caption.
  EXPECT_TRUE(f.isVisible());
  EXPECT_TRUE(f.isMinimized());
  EXPECT_EQ(f.windowTitle().toStdString(), "Zorvan - Vigilo probe (Active)");
  EXPECT_TRUE(f.Timer1->isActive());
  f.Timer1Timer();
  EXPECT_TRUE(f.isMinimized()) << "a tick leaves it where it is";
  WriteBytes(windir / "SYSTEM\\setup.inf", "");
  f.Timer1Timer();
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(f.isMinimized());
  EXPECT_EQ(f.windowTitle().toStdString(), "Zorvan - Vigilo probe");
  EXPECT_EQ(f.Messages->text(), ">Changes detected in the Windows folder.");

  // Stand-by keeps a window to come back by, and Resume watches again.
  f.StandByBtn->click();
  EXPECT_TRUE(f.isVisible());
  EXPECT_TRUE(f.isMinimized());
  EXPECT_EQ(f.windowTitle().toStdString(), "Zorvan - Vigilo probe (Stand-by)");
  EXPECT_FALSE(f.Timer1->isActive());
  f.showNormal();  // the person brings it back from the taskbar
  f.ResumeBtn->click();
  EXPECT_TRUE(f.isMinimized());
  EXPECT_EQ(f.windowTitle().toStdString(), "Zorvan - Vigilo probe (Active)");
  EXPECT_TRUE(f.Timer1->isActive());
}

TEST(ProbeProgramTest, ASecondProbeEndsAtOnceWithExitCodeZero) {
  const QString binary = QStringLiteral(VIGILO32_PATH);
  ScratchFolder program, windir, runtime;
  WriteLines(program / "vigilo.ini", {});
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.path()));
  env.insert("ZORVAN_WINDIR", QString::fromStdString(windir.path()));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  auto start = [&](QProcess& process) {
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(program.path()));
    process.start(binary, {"FromZorvan"});
    return process.waitForStarted(10000);
  };

  QProcess first;
  ASSERT_TRUE(start(first));
  const std::string lock = runtime / "DUVO_VIGILO-PROBE.lock";
  bool held = false;
  for (int i = 0; i < 200 && !held; ++i) {
    held = testing::HoldsLock(static_cast<pid_t>(first.processId()), lock);
    if (!held) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(held) << "the first probe never took its lock";

  QProcess second;
  ASSERT_TRUE(start(second));
  ASSERT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(second.readAllStandardError().isEmpty()) << "silently";
  EXPECT_EQ(first.state(), QProcess::Running);

  first.kill();
  first.waitForFinished(10000);
  EXPECT_FALSE(Exists(program / "vigilo.dat")) << "neither probe closed through its exit sequence";
}

}  // namespace
}  // namespace zv
