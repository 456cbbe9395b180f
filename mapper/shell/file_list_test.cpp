// The file list through the real main window: the rows, texts, icons and
// order a mixed map shows in both list modes, the commands that take the
// selected row (acting on the entry's bytes, also for a name that is not
// UTF-8), and another map chosen while a large one is still being read.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QIcon>
#include <QMouseEvent>
#include <QTimer>

#include "mapper/engine/catalogue.h"
#include "mapper/engine/messages.h"
#include "mapper/shell/map_list_model.h"
#include "mapper/shell/pictures.h"
#include "mapper/shell/qt_text.h"
#include "mapper/shell/window_test_support.h"
#include "mapper/trash/trash_store.h"
#include "tests/support/process.h"

namespace zv {
namespace {

using testing::AnswerModals;
using testing::AnswerNextModal;
using testing::Exists;
using testing::WriteBytes;
using testing::WriteLines;
using Lines = std::vector<std::string>;

// A name that is not UTF-8: "café" in Latin-1.
const std::string kLatin1 = "caf\xE9.txt";

class FileListTest : public ::testing::Test, public testing::WindowFixture {
 protected:
  FileListTest() {
    UseShippedEnglish();
    WriteBytes(program_ / "WIN/Apps/Tool.exe", std::string(1536, 't'));
    WriteBytes(program_ / ("WIN/Apps/" + kLatin1), "latin");
    WriteBytes(program_ / "WIN/HELP/Tool.HLP", "0123456789");
    WriteBytes(program_ / "WIN/readme.TXT", "");
    // Unsorted, and the help file's index companion (Tool.GID) left for the
    // catalogue to add.
    WriteLines(program_ / "Mixed.MAP", {"***Mixed***", "readme.TXT", "Apps\\Tool.exe", "<DIR> Apps", "Apps\\Gone.dll",
                                         "HELP\\Tool.HLP", "<DIR> Apps\\Old", "Apps\\" + kLatin1});
    WriteLines(program_ / "Small.MAP", {"***Small***", "Apps\\Tool.exe", "readme.TXT"});
    LoadMaps(mapper_, "Mixed");
    form_->ShowMapsList();
  }

  void Show(bool detailed) {
    (detailed ? form_->DetailedList1 : form_->SimpleList1)->trigger();
  }
  const QAbstractItemModel& Model() const { return *form_->Map->model(); }
  QModelIndex At(int row, int column = 0) const { return Model().index(row, column); }
  // The presence mark a row carries.
  int State(int row) const { return At(row).data(MapListModel::kStateRole).toInt(); }
  QPixmap Decoration(int row) const {
    return At(row).data(Qt::DecorationRole).value<QIcon>().pixmap(form_->Map->iconSize());
  }
  QString Header(int column) const { return Model().headerData(column, Qt::Horizontal).toString(); }
  std::string Status() const { return FromQ(form_->StatusPanel->text()); }

  // A double-click on row `row`, as the mouse gives it.
  void DoubleClick(int row) {
    QWidget* viewport = form_->Map->viewport();
    const QPointF at = form_->Map->visualRect(At(row)).center();
    const QPointF global = viewport->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
      const bool down = type != QEvent::MouseButtonRelease;
      QMouseEvent event(type, at, global, Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(viewport, &event);
    }
  }
};

TEST_F(FileListTest, AMixedMapShowsItsRowsTextsIconsAndOrderInBothModes) {
  const Lines order = {"<DIR> Apps",         "<DIR> Apps\\Old", "Apps\\" + kLatin1, "Apps\\Gone.dll",
                       "Apps\\Tool.exe",     "HELP\\Tool.GID",  "HELP\\Tool.HLP",   "readme.TXT"};
  const std::string folder = mapper_.texts.is_folder;
  const std::string gone = mapper_.texts.is_deleted;
  ASSERT_FALSE(folder.empty());
  ASSERT_FALSE(gone.empty());

  Show(true);
  ASSERT_EQ(FileRowCount(), 8);
  const Lines sizes = {folder, gone, "5 bytes", gone, "1.5 Kb", gone, "10 bytes", "0 bytes"};
  const std::vector<int> states = {1, 2, 1, 2, 1, 2, 1, 1};
  for (int row = 0; row < 8; ++row) {
    // Shown as the code page reads the bytes; the row keeps the bytes.
    EXPECT_EQ(FileText(row), ToQ(order[row])) << row;
    EXPECT_EQ(FromQ(FileText(row, 1)), sizes[row]) << row;
    EXPECT_EQ(At(row, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_EQ(State(row), states[row]) << row;
    SelectFileRow(row);
    EXPECT_EQ(form_->View().SelectedItem()->caption, order[row]) << row;
    // The presence mark leads every row's picture, the file's icon beside it.
    const QPixmap picture = Decoration(row);
    ASSERT_EQ(picture.size(), QSize(34, 16)) << row;
    EXPECT_EQ(picture.copy(0, 0, 16, 16).toImage(), PresencePicture(states[row]).toImage()) << row;
  }
  EXPECT_TRUE(FileText(2).contains(QChar(0xFFFD))) << "the Latin-1 byte has no character of its own";
  EXPECT_EQ(FromQ(Header(0)), "5/8" + LookupMessage(mapper_, "*FSTILL"));
  EXPECT_EQ(FromQ(Header(1)), "1.51 Kb");  // 1536 + 5 + 10 bytes
  EXPECT_EQ(Model().headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
            int(Qt::AlignRight | Qt::AlignVCenter));
  EXPECT_FALSE(form_->Map->isHeaderHidden());
  EXPECT_FALSE(form_->Map->isColumnHidden(1));
  EXPECT_EQ(FromQ(form_->GroupBox2->title()), LookupMessage(mapper_, "*FINSTBY") + "Mixed\"");
  SelectFileRow(4);
  EXPECT_EQ(form_->View().SelectedItem()->icon_path, program_ / "WIN/Apps/Tool.exe");

  // The plain list: the same rows in the same order, no sizes, no marks,
  // and without system icons no picture at all.
  form_->Usesysicons1->trigger();
  ASSERT_FALSE(mapper_.options.use_sys_icons);
  Show(false);
  EXPECT_EQ(FileRows(), order);
  EXPECT_TRUE(form_->Map->isHeaderHidden());
  EXPECT_TRUE(form_->Map->isColumnHidden(1));
  EXPECT_EQ(form_->Map->iconSize(), QSize(16, 16));
  for (int row = 0; row < 8; ++row) {
    EXPECT_EQ(State(row), 0) << row;
    EXPECT_FALSE(At(row).data(Qt::DecorationRole).isValid()) << row;
    EXPECT_TRUE(FileText(row, 1).isEmpty()) << row;
  }
  // Back in the detailed list without system icons: the mark alone.
  Show(true);
  EXPECT_EQ(Decoration(1).copy(0, 0, 16, 16).toImage(), PresencePicture(2).toImage());
  EXPECT_EQ(Decoration(1).copy(18, 0, 16, 16).toImage(), [] {
    QPixmap empty(16, 16);
    empty.fill(Qt::transparent);
    return empty.toImage();
  }());
}

TEST_F(FileListTest, AFileIconFollowsTheKindOfTheNameAndWhetherItIsOnDisk) {
  // A theme of one picture per colour for the names the file types may
  // ask for, so that the icons can be told apart.
  const std::string theme = program_ / "icons/test";
  WriteBytes(theme + "/16/.made", "");
  WriteBytes(theme + "/index.theme", "[Icon Theme]\nName=test\nDirectories=16\n\n[16]\nSize=16\nType=Fixed\n");
  int hue = 0;
  for (const char* name : {"text-plain", "text-x-generic", "application-octet-stream", "application-x-generic",
                           "application-x-sharedlib", "application-x-msdownload", "application-x-executable"}) {
    QPixmap picture(16, 16);
    picture.fill(QColor::fromHsv((hue += 40) % 360, 255, 255));
    picture.save(QString::fromStdString(theme + "/16/" + name + ".png"));
  }
  const QStringList paths = QIcon::themeSearchPaths();
  const QString name = QIcon::themeName();
  QIcon::setThemeSearchPaths({QString::fromStdString(program_ / "icons")});
  QIcon::setThemeName("test");

  WriteBytes(program_ / "WIN/Apps/Here.dll", "here");
  // A missing file of a kind comes first, and the name that is not UTF-8
  // before one of its kind that is.
  WriteLines(program_ / "Kinds.MAP", {"***Kinds***", "Apps\\Gone.dll", "Apps\\Here.dll", "Apps\\" + kLatin1,
                                      "readme.TXT"});
  LoadMaps(mapper_, "Kinds");
  form_->ShowMapsList();
  QPixmap none(16, 16);
  none.fill(Qt::transparent);
  // The file's icon, the right part of the picture beside a presence mark.
  const auto file_icon = [&](int row) {
    if (At(row).data(Qt::DecorationRole).value<QIcon>().isNull()) return none.toImage();
    const QPixmap picture = Decoration(row);
    return picture.copy(picture.width() - 16, 0, 16, 16).toImage();
  };
  for (const bool detailed : {true, false}) {
    Show(detailed);
    const std::string gone = detailed ? "Apps\\Gone.dll missing" : "Apps\\Gone.dll";
    ASSERT_EQ(FileRows(), (Lines{"Apps\\" + kLatin1, gone, "Apps\\Here.dll", "readme.TXT"}));
    EXPECT_NE(file_icon(0), none.toImage()) << "a name that is not UTF-8 shows its kind's icon";
    EXPECT_EQ(file_icon(0), file_icon(3)) << "\".txt\" and \".TXT\" are one kind";
    EXPECT_EQ(file_icon(1), none.toImage()) << "a missing entry has no icon";
    EXPECT_NE(file_icon(2), none.toImage()) << "present, though a missing one of its kind came first";
    EXPECT_NE(file_icon(2), file_icon(3));
  }
  QIcon::setThemeSearchPaths(paths);
  QIcon::setThemeName(name);
}

TEST_F(FileListTest, EveryCommandTakesTheSelectedRowsBytes) {
  EXPECT_TRUE(CreateTrashStore(mapper_));
  WriteLines(program_ / "IGNORLST.TXT", {"\\Temp\\"});
  Show(true);
  form_->show();
  const std::string latin = program_ / ("WIN/Apps/" + kLatin1);

  // A double-click opens the entry under its own bytes.
  ASSERT_TRUE(testing::WaitUntil([&] { return form_->Map->visualRect(At(2)).isValid(); }));
  DoubleClick(2);
  ASSERT_EQ(shell_.opens.size(), 1u);
  EXPECT_EQ(shell_.opens[0], latin + "|||1");

  // The identify dialog is prefilled with the entry; taken as it stands,
  // it finds the file in its map.
  SelectFileRow(2);
  Lines results;
  QString prefill;
  AnswerModals({
      [&](QWidget*) {
        prefill = dialog_.Edit1->text();
        dialog_.OkBtn->click();
      },
      [&](QWidget*) {
        for (const QListWidget* list : dialog_.findChildren<QListWidget*>()) {
          if (list == dialog_.FileListBox1) continue;
          for (int i = 0; i < list->count(); ++i) results.push_back(FromQ(list->item(i)->text()));
        }
        dialog_.OkBtn->click();
      },
  });
  form_->Identifyafile1->trigger();
  EXPECT_EQ(prefill, ToQ("Apps\\" + kLatin1));
  ASSERT_EQ(results.size(), 1u);
  EXPECT_NE(results[0].find("Mixed"), std::string::npos) << results[0];

  // Delete moves exactly that file into the trash; the refresh then shows
  // it missing.
  SelectFileRow(2);
  std::string question;
  AnswerNextModal([&](QWidget*) {
    question = FromQ(dialog_.Note->text());
    dialog_.OkBtn->click();
  });
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QApplication::sendEvent(form_->Map, &press);
  // The question shows the name as the code page reads it.
  EXPECT_EQ(question.substr(0, question.find('\n')), "Delete the file \"" + FromQ(ToQ("Apps/" + kLatin1)) + "\"");
  EXPECT_FALSE(Exists(latin));
  EXPECT_TRUE(Exists(program_ / ("#TRASH/DEL0" + kLatin1)));
  EXPECT_EQ(FileText(2), ToQ("Apps\\" + kLatin1));
  EXPECT_EQ(State(2), 2);
  form_->PopGroup->PopTimer.stop();
  form_->LogoTimer.stop();
  form_->hide();
}

TEST_F(FileListTest, AnotherMapChosenWhileALargeOneIsReadIsTheOneShown) {
  Lines big = {"***Big***"};
  for (int i = 0; i < 5000; ++i) big.push_back("Many\\File" + std::to_string(i) + ".dat");
  WriteLines(program_ / "Big.MAP", big);
  LoadMaps(mapper_, "Mixed");
  form_->ShowMapsList();
  Show(true);
  const auto row_of = [&](const std::string& name) {
    const auto at = std::find(mapper_.maps.rows.begin(), mapper_.maps.rows.end(), name);
    return static_cast<int>(at - mapper_.maps.rows.begin());
  };
  // The progress repaints every 64 rows, and lets the window's events in.
  mapper_.progress_period = std::chrono::milliseconds(0);
  int shown_while_big = 0;
  QTimer::singleShot(0, form_.get(), [&] {
    shown_while_big = FileRowCount();
    form_->MapsList->setCurrentRow(row_of("Small"));
  });
  form_->MapsList->setCurrentRow(row_of("Big"));
  EXPECT_EQ(shown_while_big, 8) << "the choice came while the large map was read";
  EXPECT_EQ(mapper_.maps.SelectedName(), "Small");
  EXPECT_EQ(FileRows(), (Lines{"Apps\\Tool.exe", "readme.TXT"}));
  EXPECT_EQ(FromQ(form_->GroupBox2->title()), LookupMessage(mapper_, "*FINSTBY") + "Small\"");
  EXPECT_EQ(FromQ(Header(0)), "2/2" + LookupMessage(mapper_, "*FSTILL"));

  // Chosen again with nothing in the way, it fills, its progress shown in
  // "i/count" steps of 64.
  form_->MapsList->setCurrentRow(row_of("Big"));
  EXPECT_EQ(FileRowCount(), 5000);
  EXPECT_EQ(Status(), "4992/5000");
  EXPECT_EQ(FromQ(Header(0)), "0/5000" + LookupMessage(mapper_, "*FSTILL"));
}

}  // namespace
}  // namespace zv
