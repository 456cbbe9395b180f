#include "probe/traybar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>

#include "probe/fake_tray_area.h"

namespace zv {
namespace {

QIcon Filled(Qt::GlobalColor colour) {
  QPixmap pixmap(16, 16);
  pixmap.fill(colour);
  return QIcon(pixmap);
}

class TraybarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tray.SetHint("Zorvan - Vigilo probe");
    tray.SetIcon(red);
    tray.Onclick = [this](QObject* sender) { Record("click", sender); };
    tray.OnDblClick = [this](QObject* sender) { Record("double", sender); };
    tray.OnRightClick = [this](QObject* sender) { Record("right", sender); };
  }
  void Record(const std::string& event, QObject* sender) {
    events.push_back(event);
    EXPECT_EQ(sender, &tray);
  }
  qint64 ShownKey() const { return area.shown() ? area.shown()->icon.cacheKey() : 0; }

  FakeTrayArea area;
  TTraybar tray{area, nullptr};
  QIcon red = Filled(Qt::red);
  QIcon blue = Filled(Qt::blue);
  std::vector<std::string> events;
};

TEST_F(TraybarTest, AddModifyDeleteSucceedOnlyInTheRightStateAndRefusalsChangeNothing) {
  EXPECT_FALSE(tray.ModifyIcon());
  EXPECT_EQ(area.shown(), nullptr);
  EXPECT_FALSE(tray.DeleteIcon());

  tray.SetIcon(blue);
  tray.SetHint("first");
  EXPECT_EQ(area.shown(), nullptr) << "setting the properties does not touch the area";
  EXPECT_TRUE(tray.AddIcon());
  EXPECT_EQ(ShownKey(), blue.cacheKey());
  EXPECT_EQ(area.shown()->tip, "first");

  tray.SetIcon(red);
  tray.SetHint("second");
  EXPECT_FALSE(tray.AddIcon());
  EXPECT_EQ(ShownKey(), blue.cacheKey()) << "a refused add leaves the shown picture";
  EXPECT_EQ(area.shown()->tip, "first");
  EXPECT_TRUE(tray.ModifyIcon());
  EXPECT_EQ(ShownKey(), red.cacheKey());
  EXPECT_EQ(area.shown()->tip, "second");

  EXPECT_TRUE(tray.DeleteIcon());
  EXPECT_EQ(area.shown(), nullptr);
  EXPECT_FALSE(tray.DeleteIcon());
  EXPECT_FALSE(tray.ModifyIcon());
}

TEST_F(TraybarTest, RecordHasTheFixedFieldsAndTheTipCutTo63Characters) {
  struct Case {
    std::string hint, tip;
  };
  const std::string hundred = std::string(50, 'a') + std::string(50, 'b');
  const Case cases[] = {
      {hundred, hundred.substr(0, 63)},
      {std::string(63, 'x'), std::string(63, 'x')},
      {std::string(64, 'y'), std::string(63, 'y')},
      // A character of several bytes that would not fit whole is left out.
      {std::string(62, 'z') + "\xC3\xA9", std::string(62, 'z')},
      {std::string(61, 'z') + "\xE2\x82\xAC", std::string(61, 'z')},
      {std::string(60, 'z') + "\xE2\x82\xAC", std::string(60, 'z') + "\xE2\x82\xAC"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hint.size());
    tray.SetHint(QString::fromUtf8(c.hint));
    ASSERT_TRUE(tray.AddIcon());
    EXPECT_EQ(area.shown()->tip, c.tip);
    EXPECT_EQ(tray.record().tip.back(), '\0');
    ASSERT_TRUE(tray.DeleteIcon());
  }
  tray.SetHint("");
  tray.AddIcon();
  for (char byte : tray.record().tip) EXPECT_EQ(byte, '\0') << "an empty hint is 64 zero bytes";
  const NotifyIconData& record = tray.record();
  EXPECT_EQ(record.size, 88u);
  EXPECT_EQ(record.id, 1u);
  EXPECT_EQ(record.flags, 7u);
  EXPECT_EQ(record.callback_message, 0x0800u);
  EXPECT_NE(record.window, nullptr);
}

TEST_F(TraybarTest, MouseCodesBecomeEventsAndADoubleClickIsFirstAClick) {
  ASSERT_TRUE(tray.AddIcon());
  struct Case {
    QSystemTrayIcon::ActivationReason reason;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {QSystemTrayIcon::Trigger, {"click"}},
      {QSystemTrayIcon::DoubleClick, {"click", "double"}},
      {QSystemTrayIcon::Context, {"right"}},
      {QSystemTrayIcon::MiddleClick, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    events.clear();
    EXPECT_TRUE(area.Activate(c.reason));
    EXPECT_EQ(events, c.events);
  }
  events.clear();
  for (std::uint32_t other : {0x0200u, 0x0202u, 0x0204u, 0x0206u, 0x0207u}) area.Send(other);
  EXPECT_TRUE(events.empty()) << "other mouse codes are ignored";
  tray.record().window->Send(0x0801, 1, kTrayLeftButtonDown);
  EXPECT_TRUE(events.empty()) << "other messages are ignored";
}

TEST_F(TraybarTest, RightClickOpensThePopupMenuOnlyWithoutOnRightClick) {
  ASSERT_TRUE(tray.AddIcon());
  tray.OnRightClick = nullptr;
  area.Send(kTrayRightButtonUp);  // neither handler nor menu: nothing at all
  EXPECT_TRUE(events.empty());

  QMenu menu;
  menu.addAction("Close");
  int opened = 0;
  QObject::connect(&menu, &QMenu::aboutToShow, [&] { ++opened; });
  tray.SetPopupMenu(&menu);
  area.Send(kTrayRightButtonUp);
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(menu.isVisible());
  menu.hide();

  tray.OnRightClick = [this](QObject* sender) { Record("right", sender); };
  area.Send(kTrayRightButtonUp);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(events, std::vector<std::string>{"right"});
  EXPECT_FALSE(menu.isVisible());
}

TEST_F(TraybarTest, DestroyingTheComponentRemovesItsIcon) {
  FakeTrayArea own;
  {
    TTraybar shortlived(own, nullptr);
    ASSERT_TRUE(shortlived.AddIcon());
    ASSERT_NE(own.shown(), nullptr);
  }
  EXPECT_EQ(own.shown(), nullptr);
}

TEST(TrayActivationDecoderTest, TheFirstPressOfADoubleClickCountsOnce) {
  TrayActivationDecoder decoder;
  // As Qt reports a double click: the first press alone, then the double click.
  EXPECT_EQ(decoder.Decode(QSystemTrayIcon::Trigger), std::vector<std::uint32_t>{kTrayLeftButtonDown});
  EXPECT_EQ(decoder.Decode(QSystemTrayIcon::DoubleClick), std::vector<std::uint32_t>{kTrayLeftButtonDoubleClick});
  // A double click reported without its press brings the press along.
  EXPECT_EQ(decoder.Decode(QSystemTrayIcon::DoubleClick),
            (std::vector<std::uint32_t>{kTrayLeftButtonDown, kTrayLeftButtonDoubleClick}));
  EXPECT_EQ(decoder.Decode(QSystemTrayIcon::Context), std::vector<std::uint32_t>{kTrayRightButtonUp});
  EXPECT_EQ(decoder.Decode(QSystemTrayIcon::DoubleClick),
            (std::vector<std::uint32_t>{kTrayLeftButtonDown, kTrayLeftButtonDoubleClick}));
}

TEST(SystemTrayAreaTest, WithoutANotificationAreaAddingFailsAndNothingElseIsAccepted) {
  if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "this desktop has a notification area";
  SystemTrayArea area;
  TTraybar tray(area, nullptr);
  EXPECT_FALSE(tray.AddIcon());
  EXPECT_FALSE(tray.ModifyIcon());
  EXPECT_FALSE(tray.DeleteIcon());
}

}  // namespace
}  // namespace zv
