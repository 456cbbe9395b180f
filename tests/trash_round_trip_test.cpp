// A whole session of the mapper in this process, through its real windows
// and dialogs: start-up takes the first map, an application is installed and
// mapped, deleted from the main window into the trash, and brought back from
// the trash manager.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QMessageBox>

#include "mapper/shell/qt_text.h"
#include "mapper/shell/startup.h"
#include "mapper/shell/trash_window.h"
#include "mapper/shell/window_test_support.h"

namespace zv {
namespace {

using testing::AnswerModals;
using testing::Exists;
using testing::ListNames;
using testing::ReadBytes;
using testing::WriteBytes;
using testing::WriteLines;
using Lines = std::vector<std::string>;

// The application: its files below the Windows folder, their contents and
// permission bits.
struct InstalledFile {
  std::string path;
  std::string content;
  mode_t mode;
};
const InstalledFile kPaint[] = {
    {"Paint/paint.exe", "#!/bin/sh\necho paint\n", 0755},
    {"Paint/readme.txt", "read me, do not change me", 0444},
    {"Paint/Brushes/round.br", "round brush", 0640},
    {"SYSTEM/paint.dll", std::string("dll\0with a zero", 15), 0644},
};

mode_t Mode(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Answers every message box with Yes while it lives, recording the texts.
class YesToEveryBox {
 public:
  YesToEveryBox() {
    poll_.setInterval(5);
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts.push_back(FromQ(box->text()));
        box->button(QMessageBox::Yes)->click();
      }
    });
    poll_.start();
  }
  Lines texts;

 private:
  QTimer poll_;
};

class TrashRoundTripTest : public ::testing::Test, public testing::StartUpFixture {
 protected:
  TrashRoundTripTest() {
    form_->AttachTrashWindow(&trash_);
    WriteLines(program_ / "ZV.INI", {"Zorvan 3.0", "Version=3.0", "SimpleMap=N", "Blue=Y", "FX=Y"});
    WriteLines(program_ / "IGNORLST.TXT", {"\\Temp\\"});
    WriteBytes(program_ / "WIN/SYSTEM/kernel.dll", "the system's own");
    WriteBytes(program_ / "WIN/win.ini", "[windows]");
  }

  void Install() {
    for (const InstalledFile& file : kPaint) {
      WriteBytes(program_ / ("WIN/" + file.path), file.content);
      ASSERT_EQ(::chmod((program_ / ("WIN/" + file.path)).c_str(), file.mode), 0);
    }
  }
  Lines MapsRows() const {
    Lines rows;
    for (int i = 0; i < form_->MapsList->count(); ++i) rows.push_back(FromQ(form_->MapsList->item(i)->text()));
    return rows;
  }

  TTrash32 trash_;
};

TEST_F(TrashRoundTripTest, AnApplicationDeletedFromTheMainWindowComesBackWholeFromTheTrashManager) {
  // Start-up: no map yet, so the first map is taken.
  ASSERT_TRUE(FormCreate(*form_, mapper_, "", home_.path()));
  form_->show();
  ASSERT_EQ(MapsRows(), Lines{"Windows (1st map)"});
  EXPECT_EQ(ReadBytes(program_ / "#TRASH/!TRASH!.DAT"), "***TrashManager 2.0***\r\n");

  // Installing Paint and mapping it: the new map's name is asked.
  Install();
  AnswerModals({[&](QWidget*) {
    dialog_.Edit1->setText("Paint");
    dialog_.OkBtn->click();
  }});
  form_->Createnew1->trigger();
  ASSERT_EQ(MapsRows(), (Lines{"Paint", "Windows (1st map)"}));
  ASSERT_EQ(mapper_.maps.SelectedName(), "Paint");
  const Lines entries = {"<DIR> Paint",     "<DIR> Paint\\Brushes", "Paint\\Brushes\\round.br",
                         "Paint\\paint.exe", "Paint\\readme.txt",    "SYSTEM\\paint.dll"};
  ASSERT_EQ(FileRows(), entries);

  // Delete on the map list: confirmed, and the read-only file's question
  // answered Yes.
  std::string read_only_question;
  AnswerModals({
      [&](QWidget*) { dialog_.OkBtn->click(); },
      [&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        read_only_question = FromQ(box->text());
        box->button(QMessageBox::Yes)->click();
      },
  });
  form_->MapsList->setFocus();
  QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QApplication::sendEvent(form_->MapsList, &del);
  EXPECT_EQ(read_only_question, "\"" + program_.path() + "/WIN/Paint/readme.txt\" is a read-only file.\n Move it all the same?");

  EXPECT_EQ(ListNames(program_ / "WIN"), (Lines{"SYSTEM", "win.ini"}));
  EXPECT_EQ(ListNames(program_ / "WIN/SYSTEM"), Lines{"kernel.dll"});
  EXPECT_EQ(ListNames(program_ / "#TRASH"),
            (Lines{"!TRASH!.DAT", "DEL0paint.dll", "DEL0paint.exe", "DEL0readme.txt", "DEL0round.br"}));
  for (const InstalledFile& file : kPaint) {
    const std::string name = file.path.substr(file.path.rfind('/') + 1);
    EXPECT_EQ(ReadBytes(program_ / ("#TRASH/DEL0" + name)), file.content) << name;
  }
  EXPECT_EQ(ReadBytes(program_ / "#TRASH/!TRASH!.DAT"),
            "***TrashManager 2.0***\r\n"
            "|N{Brushes}N|M{Paint}M|T{<DIR>}T|P{Paint\\Brushes}P|\r\n"
            "|N{paint.dll}N|M{Paint}M|T{DEL0paint.dll}T|P{SYSTEM\\}P|\r\n"
            "|N{paint.exe}N|M{Paint}M|T{DEL0paint.exe}T|P{Paint\\}P|\r\n"
            "|N{Paint}N|M{Paint}M|T{<DIR>}T|P{Paint}P|\r\n"
            "|N{readme.txt}N|M{Paint}M|T{DEL0readme.txt}T|P{Paint\\}P|\r\n"
            "|N{round.br}N|M{Paint}M|T{DEL0round.br}T|P{Paint\\Brushes\\}P|\r\n");
  Lines missing;
  for (const std::string& entry : entries) missing.push_back(entry + " missing");
  EXPECT_EQ(FileRows(), missing);

  // The trash manager: every row selected and restored; the folders that
  // are missing on the way are created when it asks.
  std::size_t rows_listed = 0, rows_left = 99;
  std::string status;
  Lines questions;
  AnswerModals({[&](QWidget* modal) {
    ASSERT_EQ(modal, &trash_);
    rows_listed = static_cast<std::size_t>(trash_.TrashList->topLevelItemCount());
    trash_.TrashList->selectAll();
    {
      YesToEveryBox yes;
      trash_.RestoreBtn->click();
      questions = yes.texts;
    }
    rows_left = static_cast<std::size_t>(trash_.TrashList->topLevelItemCount());
    status = FromQ(trash_.StatusPanel->text());
    trash_.QuitBtn->click();
  }});
  form_->Trash1->trigger();
  EXPECT_EQ(rows_listed, 6u);
  EXPECT_EQ(rows_left, 0u);
  EXPECT_EQ(status, "0 file(s)");
  EXPECT_FALSE(questions.empty()) << "a file whose folder is gone asks to create it";
  for (const std::string& question : questions) EXPECT_NE(question.find("Create it now?"), std::string::npos);

  // Every file is back with its contents and permission bits; the read-only
  // one lost only its read-only attribute, which the person agreed to clear.
  for (const InstalledFile& file : kPaint) {
    SCOPED_TRACE(file.path);
    const std::string path = program_ / ("WIN/" + file.path);
    EXPECT_EQ(ReadBytes(path), file.content);
    EXPECT_EQ(Mode(path), file.mode == 0444 ? mode_t{0644} : file.mode);
  }
  EXPECT_EQ(ListNames(program_ / "#TRASH"), Lines{"!TRASH!.DAT"});
  EXPECT_EQ(ReadBytes(program_ / "#TRASH/!TRASH!.DAT"), "*** TrashManager v2.0 ***\r\n");
  // The main window refreshed after the trash manager closed.
  EXPECT_EQ(FileRows(), entries);
  form_->PopGroup->PopTimer.stop();
  form_->LogoTimer.stop();
  form_->hide();
}

}  // namespace
}  // namespace zv
