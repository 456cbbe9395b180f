// A first start of the mapper driven through its windows: the language, the
// links, and the default ignore list in the editor before the first scan.
#include "mapper/shell/startup.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "mapper/engine/scanner.h"
#include "mapper/shell/window_test_support.h"
#include "platform/posix_test_support.h"
#include "tests/support/process.h"

namespace zv {
namespace {

using testing::AnswerModals;
using testing::Exists;
using testing::ReadBytes;
using testing::WriteBytes;

class FirstStartTest : public ::testing::Test, public testing::StartUpFixture {
 protected:
  FirstStartTest() {
    WriteBytes(program_ / "WIN/SYSTEM/Foo.dll", "dll");
    form_->AttachRemote(&remote_);
  }

  TRemote remote_;
};

TEST_F(FirstStartTest, LinksTheProgramsAndOpensTheIgnoreListBeforeTheFirstScan) {
  std::string ignore_list_seen;
  bool scanned_before_editor = true;
  AnswerModals({
      [&](QWidget*) { dialog_.OkBtn->click(); },  // the language: the first file offered
      [&](QWidget*) {
        EXPECT_EQ(dialog_.Note->text(), "Put a Zorvan icon in the Start Menu?");
        dialog_.OkBtn->click();
      },
      [&](QWidget* modal) {
        EXPECT_EQ(modal, &editor_);
        EXPECT_EQ(editor_.FileName(), program_ / kIgnoreListFile);
        EXPECT_EQ(editor_.HintLabel->text().toStdString(), mapper_.texts.add_ignore);
        EXPECT_FALSE(QApplication::overrideCursor()) << "the arrow, not the hourglass";
        ignore_list_seen = ReadBytes(program_ / kIgnoreListFile);
        scanned_before_editor = Exists(program_ / kSnapshotFile);
        editor_.Memo1->appendPlainText("\\Private\\");
        editor_.Save1Click();
        editor_.Continue->click();
      },
  });
  ASSERT_TRUE(FormCreate(*form_, mapper_, "", home_.path()));

  EXPECT_NE(ignore_list_seen.find("\\Temporary Internet Files\\\r\n"), std::string::npos);
  EXPECT_FALSE(scanned_before_editor);
  EXPECT_NE(ReadBytes(program_ / kIgnoreListFile).find("\\Private\\\r\n"), std::string::npos);
  EXPECT_TRUE(Exists(program_ / "Windows (1st map).MAP"));
  EXPECT_EQ(ReadBytes(program_ / "#TRASH/!TRASH!.DAT"), "***TrashManager 2.0***\r\n");

  const std::string probe = ReadBytes(home_ / "config/autostart/Zorvan - Vigilo probe.desktop");
  EXPECT_NE(probe.find("\nExec=" + program_.path() + "/Vigilo32\n"), std::string::npos) << probe;
  EXPECT_NE(probe.find("\nPath=" + program_.path() + "\n"), std::string::npos) << probe;
  const std::string menu = ReadBytes(home_ / "data/applications/Zorvan.desktop");
  EXPECT_NE(menu.find("\nExec=" + program_.path() + "/Zorvan32\n"), std::string::npos) << menu;
  EXPECT_TRUE(mapper_.options.icon1);
  EXPECT_TRUE(mapper_.options.vigilo_on_startup);
  EXPECT_TRUE(form_->Icon1->isChecked());

  // The remote window shows, placed beside the main window centred on the screen.
  const QSize screen = QGuiApplication::primaryScreen()->size();
  const QSize window = form_->frameGeometry().size();
  EXPECT_TRUE(remote_.isVisible());
  EXPECT_TRUE(form_->Remotecontrol1->isChecked());
  EXPECT_EQ(remote_.pos(), QPoint(screen.width() - (screen.width() - window.width()) / 2 - 85,
                                  (screen.height() - window.height()) / 2 + 150));
}

}  // namespace
}  // namespace zv
