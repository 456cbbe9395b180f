// A first start of the mapper driven through its windows: the language, the
// links, and the default ignore list in the editor before the first scan.
#include "mapper/shell/startup.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
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

TEST_F(FirstStartTest, AnInstalledMapperKeepsItsFilesInThePersonsFolderAndLeavesTheMenuToTheInstallation) {
  // The installation: the programs, the shared files and the menu entry.
  const std::string programs = home_ / "usr/lib/zorvan";
  const std::string shared = home_ / "usr/share/zorvan";
  const std::string entry = home_ / "usr/share/applications/zorvan.desktop";
  WriteBytes(programs + "/Zorvan32", "#!/bin/sh\n");
  WriteBytes(shared + "/English.lng", ReadBytes(program_ / "English.lng"));
  WriteBytes(shared + "/Zvhelp.htm", "help");
  WriteBytes(entry, "[Desktop Entry]\n");
  std::remove((program_ / "English.lng").c_str());
  const std::string own = home_ / "data/zorvan";
  shell_.places = ProgramPlaces{own, programs, shared, true, entry};

  AnswerModals({
      [&](QWidget*) {
        EXPECT_EQ(dialog_.FileListBox1->count(), 1) << "the installation's language files";
        dialog_.OkBtn->click();
      },
      [&](QWidget*) { editor_.Continue->click(); },  // the ignore list; no menu question before it
  });
  ASSERT_TRUE(FormCreate(*form_, mapper_, "", home_.path()));

  EXPECT_TRUE(Exists(own + "/Windows (1st map).MAP"));
  EXPECT_TRUE(Exists(own + "/MESSAGES.DAT"));
  EXPECT_TRUE(Exists(own + "/#TRASH/!TRASH!.DAT"));
  EXPECT_EQ(testing::ListNames(programs), std::vector<std::string>{"Zorvan32"});
  EXPECT_EQ(testing::ListNames(shared), (std::vector<std::string>{"English.lng", "Zvhelp.htm"}));
  EXPECT_FALSE(Exists(home_ / "data/applications/Zorvan.desktop")) << "no second menu entry";
  EXPECT_NE(ReadBytes(home_ / "config/autostart/Zorvan - Vigilo probe.desktop").find("\nExec=" + programs + "/Vigilo32\n"),
            std::string::npos);
  EXPECT_EQ(form_->Icon1->text().toStdString(),
            "Start Menu ic&on (your own: the installed Zorvan is in the menu already)");

  // A folder of the person's inside the Windows folder would be mapped by every scan.
  shell_.places->folder = program_ / "WIN/zorvan";
  QString notice;
  testing::AnswerNextModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    notice = box->text();
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_FALSE(FormCreate(*form_, mapper_, "", home_.path()));
  EXPECT_TRUE(notice.startsWith(QString::fromStdString("Zorvan cannot keep its files in " + program_ / "WIN/zorvan")))
      << notice.toStdString();
  EXPECT_FALSE(Exists(program_ / "WIN/zorvan"));
}

}  // namespace
}  // namespace zv
