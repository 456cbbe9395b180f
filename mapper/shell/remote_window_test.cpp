// The remote-control window on its own (its hooks recorded) and attached to
// the main window, whose menu items its buttons trigger.
#include "mapper/shell/remote_window.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>
#include <filesystem>

#include "mapper/engine/messages.h"
#include "mapper/shell/qt_text.h"
#include "mapper/shell/startup.h"
#include "mapper/shell/window_test_support.h"
#include "platform/posix_test_support.h"
#include "tests/support/process.h"

namespace zv {
namespace {

using remote::ButtonRect;
using testing::WaitUntil;
using testing::WriteLines;
using Lines = std::vector<std::string>;

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

class RemoteWindowTest : public ::testing::Test {
 protected:
  RemoteWindowTest() {
    remote_.read_catalogue = [this] {
      ++catalogue_reads_;
      return Lines{"*KEY", "text", "[RemoteBtns]", "edit", "rename", "unmap", "delete file", "delete app", "refresh"};
    };
    remote_.on_status = [this](Colour colour, const std::string& text) {
      statuses_.push_back(text);
      EXPECT_EQ(colour, kButtonFace);
    };
    remote_.on_update = [this] { ++updates_; };
    for (int i = 0; i < remote::kButtons; ++i) {
      auto* item = new QAction(&items_owner_);
      QObject::connect(item, &QAction::triggered, [this, i] { runs_.push_back(i); });
      remote_.SetCommand(i, item);
    }
  }

  // Shows the window; its timer is stopped so the tests tick it.
  void Show() {
    remote_.show();
    remote_.RemoteTimer.stop();
  }
  bool Showing(QWidget* part) const { return !part->isHidden(); }

  QObject items_owner_;
  TRemote remote_;
  int catalogue_reads_ = 0;
  int updates_ = 0;
  Lines statuses_;
  std::vector<int> runs_;
};

TEST_F(RemoteWindowTest, TheFirstShowingBuildsTheButtonsOnceAndTheTickRunsOnWhileHidden) {
  EXPECT_FALSE(remote_.Built());
  EXPECT_EQ(remote_.size(), QSize(104, 145));
  EXPECT_TRUE(remote_.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(remote_.windowType(), Qt::Tool);
  EXPECT_EQ(remote_.BkgTxture.size(), QSize(68, 41));
  const QImage plain = remote_.Ground();
  const auto before = remote_.findChildren<QWidget*>().size();

  remote_.show();
  ASSERT_TRUE(remote_.Built());
  EXPECT_TRUE(remote_.RemoteTimer.isActive());
  EXPECT_EQ(remote_.Hint(0), "edit");
  EXPECT_EQ(remote_.Hint(5), "refresh");
  EXPECT_NE(remote_.Ground(), plain) << "the pictures are painted onto the ground";
  const auto parts = remote_.findChildren<QWidget*>().size();
  EXPECT_EQ(parts, before + 7) << "six overlays and the marker";
  for (int i = 0; i < remote::kButtons; ++i) EXPECT_FALSE(Showing(remote_.Overlay(i)));

  remote_.hide();
  remote_.show();
  EXPECT_EQ(catalogue_reads_, 1);
  EXPECT_EQ(remote_.findChildren<QWidget*>().size(), parts);

  // Hidden, the window still ticks: the pointer resting where a button
  // would be writes its hint.
  remote_.hide();
  QCursor::setPos(remote_.Background->mapToGlobal(ButtonRect(2).center()));
  EXPECT_TRUE(WaitUntil([&] { return !statuses_.empty() && statuses_.back() == "unmap"; }));
  EXPECT_TRUE(remote_.RemoteTimer.isActive());
}

TEST_F(RemoteWindowTest, TheMarkerAndTheRedCopyFollowThePointerFromFourPixelsAway) {
  Show();
  remote_.MarkButton(ButtonRect(1).topLeft() - QPoint(4, 4));
  EXPECT_EQ(remote_.Hovered(), 1);
  EXPECT_TRUE(Showing(remote_.Overlay(1)));
  EXPECT_TRUE(Showing(remote_.Marker()));
  EXPECT_EQ(remote_.Marker()->geometry(), QRect(40, 65, 24, 24));
  EXPECT_EQ(statuses_, Lines{"rename"});

  remote_.MarkButton(ButtonRect(4).bottomRight() + QPoint(4, 4));
  EXPECT_EQ(remote_.Hovered(), 4);
  EXPECT_FALSE(Showing(remote_.Overlay(1)));
  EXPECT_TRUE(Showing(remote_.Overlay(4)));

  remote_.MarkButton({ButtonRect(0).right() + 7, ButtonRect(0).center().y()});  // between buttons 0 and 1
  EXPECT_EQ(remote_.Hovered(), -1);
  EXPECT_FALSE(Showing(remote_.Overlay(4)));
  EXPECT_FALSE(Showing(remote_.Marker()));
  EXPECT_EQ(statuses_.size(), 2u) << "no hint without a button";
}

TEST_F(RemoteWindowTest, AReleaseOverAButtonRunsItsCommandWhereverThePressWas) {
  Show();
  QWidget* ground = remote_.Background;
  SendMouse(ground, QEvent::MouseButtonPress, {5, 140});
  SendMouse(ground, QEvent::MouseButtonRelease, ButtonRect(5).center());
  SendMouse(ground, QEvent::MouseButtonPress, ButtonRect(1).center(), Qt::RightButton);
  SendMouse(ground, QEvent::MouseButtonRelease, ButtonRect(1).center(), Qt::RightButton);
  EXPECT_EQ(runs_, (std::vector<int>{5, 1}));

  SendMouse(ground, QEvent::MouseButtonPress, ButtonRect(0).center());
  SendMouse(ground, QEvent::MouseButtonRelease, {50, 130});  // moved off the buttons
  QAction disabled;
  disabled.setEnabled(false);
  QObject::connect(&disabled, &QAction::triggered, [this] { runs_.push_back(-1); });
  remote_.SetCommand(2, &disabled);
  SendMouse(ground, QEvent::MouseButtonRelease, ButtonRect(2).center());
  EXPECT_EQ(runs_, (std::vector<int>{5, 1})) << "nothing off the buttons, nothing from a disabled item";
}

TEST_F(RemoteWindowTest, AWindowDraggedAlmostOffTheScreenComesBackAtTheNextTick) {
  Show();
  const QRect screen = QGuiApplication::primaryScreen()->virtualGeometry();
  remote_.move(screen.left() - 500, screen.top() - 400);
  remote_.RemoteTimerTimer();
  EXPECT_EQ(remote_.frameGeometry().right() + 1, screen.left() + 20);
  EXPECT_EQ(remote_.frameGeometry().bottom() + 1, screen.top() + 20);

  remote_.move(screen.right() + 300, screen.bottom() + 300);
  remote_.RemoteTimerTimer();
  EXPECT_EQ(remote_.pos(), QPoint(screen.right() + 1 - 20, screen.bottom() + 1 - 20));
  EXPECT_TRUE(remote_.RemoteTimer.isActive()) << "the tick starts its timer again";
}

TEST_F(RemoteWindowTest, TheUpdateLinkIsRedWhilePressedAndOpensWhenReleasedOverIt) {
  Show();
  QLabel* link = remote_.UpdateLnk;
  auto colour = [link] { return link->palette().color(QPalette::WindowText); };
  EXPECT_EQ(colour(), QColor(Qt::blue));
  SendMouse(link, QEvent::MouseButtonPress, {5, 5});
  EXPECT_EQ(colour(), QColor(Qt::red));
  SendMouse(link, QEvent::MouseButtonRelease, {5, 5});
  EXPECT_EQ(colour(), QColor(Qt::blue));
  EXPECT_EQ(updates_, 1);

  SendMouse(link, QEvent::MouseButtonPress, {5, 5});
  SendMouse(link, QEvent::MouseButtonRelease, {5, 60});
  EXPECT_EQ(colour(), QColor(Qt::blue));
  EXPECT_EQ(updates_, 1) << "released away from the link";
  EXPECT_TRUE(runs_.empty());
}

// The remote window as the program has it: created first, attached to the
// main window, in the shipped English language.
class RemoteInMainWindowTest : public ::testing::Test, public testing::WindowFixture {
 protected:
  RemoteInMainWindowTest() {
    form_->AttachRemote(&remote_);
    UseShippedEnglish();
  }
  void ReleaseOver(int button) {
    SendMouse(remote_.Background, QEvent::MouseButtonRelease, ButtonRect(button).center());
  }

  TRemote remote_;
};

TEST_F(RemoteInMainWindowTest, ClosingHidesTheWindowAndLeavesItsItemTicked) {
  QAction* item = form_->Remotecontrol1;
  EXPECT_FALSE(remote_.isVisible());
  item->trigger();  // F10
  EXPECT_TRUE(remote_.isVisible());
  EXPECT_TRUE(item->isChecked());

  remote_.close();  // the close box
  EXPECT_FALSE(remote_.isVisible());
  EXPECT_TRUE(item->isChecked());
  EXPECT_TRUE(mapper_.options.remote_control);

  item->trigger();
  EXPECT_FALSE(item->isChecked());
  EXPECT_FALSE(remote_.isVisible());
  item->trigger();
  EXPECT_TRUE(item->isChecked());
  EXPECT_TRUE(remote_.isVisible());
}

TEST_F(RemoteInMainWindowTest, TheButtonsTriggerTheMapCommandsAndTheStatusLineReachesTheWindow) {
  EXPECT_EQ(remote_.windowTitle(), "Remote control");
  remote_.show();
  remote_.RemoteTimer.stop();
  EXPECT_EQ(remote_.Hint(0), "Edit the selected map");
  EXPECT_EQ(remote_.Hint(5), "Reload the maps and scan the Windows folder again");

  mapper_.person.SetStatus(kLime, "3 new files");
  EXPECT_EQ(remote_.ZVHint->text(), "3 new files");
  EXPECT_EQ(remote_.ZVHint->font().pointSizeF(), remote_.Background->font().pointSizeF());
  EXPECT_TRUE(remote_.ZVHint->toolTip().isEmpty());
  // A long text is drawn smaller so that it fits the small area, or, when
  // even that cannot be, can be read whole in the tooltip.
  const std::string long_text = "205 entries examined: none of them is new, so there is nothing to map.";
  mapper_.person.SetStatus(kButtonFace, long_text);
  EXPECT_EQ(FromQ(remote_.ZVHint->text()), long_text);
  EXPECT_LT(remote_.ZVHint->font().pointSizeF(), remote_.Background->font().pointSizeF());
  const std::string longer(400, 'x');
  mapper_.person.SetStatus(kButtonFace, longer);
  EXPECT_EQ(FromQ(remote_.ZVHint->toolTip()), longer);
  remote_.MarkButton(ButtonRect(2).center());
  EXPECT_EQ(form_->StatusPanel->text(), "Unmap the selected map (its files stay on disk)");
  EXPECT_EQ(remote_.ZVHint->text(), form_->StatusPanel->text());

  // A button runs its command: refresh reports that it is done.
  WriteLines(program_ / "IGNORLST.TXT", {});
  ReleaseOver(5);
  EXPECT_EQ(FromQ(form_->StatusPanel->text()), LookupMessage(mapper_, "*REFDONE"));

  // Each button triggers its own item: recorded here instead of running.
  const std::array<QAction*, remote::kButtons> items = {form_->Edit1, form_->RenameMapID1, form_->Unmap1,
                                                        form_->Deleteselectedfile1, form_->DeleteApplication1,
                                                        form_->Refresh1};
  std::vector<int> runs;
  for (int i = 0; i < remote::kButtons; ++i) {
    QAction* item = items[static_cast<std::size_t>(i)];
    QObject::disconnect(item, &QAction::triggered, form_.get(), nullptr);
    item->setEnabled(true);
    QObject::connect(item, &QAction::triggered, [&runs, i] { runs.push_back(i); });
  }
  for (int i = 0; i < remote::kButtons; ++i) ReleaseOver(i);
  EXPECT_EQ(runs, (std::vector<int>{0, 1, 2, 3, 4, 5}));

  // The link opens the site as the logo does.
  SendMouse(remote_.UpdateLnk, QEvent::MouseButtonPress, {5, 5});
  SendMouse(remote_.UpdateLnk, QEvent::MouseButtonRelease, {5, 5});
  form_->LogoClick();
  ASSERT_GE(shell_.opens.size(), 2u);
  EXPECT_EQ(shell_.opens[shell_.opens.size() - 2], shell_.opens.back());
  EXPECT_EQ(shell_.opens.back(), program_ / "null.htm|||3");
}

TEST_F(RemoteInMainWindowTest, PlaceAndVisibilityGoThroughTheSettingsFile) {
  const testing::WorkingFolder here(program_.path());
  host_testing::EnvGuard env;
  env.Set("ZORVAN_WINDIR", program_ / "WIN");
  env.Set(kProgramFolderVariable, program_.path());
  testing::WriteBytes(program_ / "Zorvan32", "#!/bin/sh\n");
  WriteLines(program_ / "IGNORLST.TXT", {});
  WriteLines(program_ / "Games.MAP", {"***Games***", "Games\\Chess.exe"});
  WriteLines(program_ / "ZV.INI", {"Zorvan 3.0", "Version=3.0", "RemoteX=123", "RemoteY=45", "RemoteON=Y",
                                   "Language=English.lng"});

  ASSERT_TRUE(FormCreate(*form_, mapper_, "", program_ / "home"));
  EXPECT_EQ(remote_.pos(), QPoint(123, 45));
  EXPECT_TRUE(remote_.isVisible());
  EXPECT_TRUE(form_->Remotecontrol1->isChecked());

  remote_.move(200, 150);  // dragged
  remote_.close();
  FormClose(*form_, mapper_);
  const Lines saved = testing::ReadLines(program_ / "ZV.INI");
  for (const std::string line : {"RemoteX=200", "RemoteY=150", "RemoteON=N"}) {
    EXPECT_NE(std::find(saved.begin(), saved.end(), line), saved.end()) << line;
  }
}

}  // namespace
}  // namespace zv
