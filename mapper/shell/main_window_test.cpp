#include <gtest/gtest.h>

#include "mapper/engine/catalogue.h"

#include "mapper/shell/qt_text.h"
#include "mapper/shell/window_test_support.h"

namespace zv {
namespace {

class MainWindowTest : public ::testing::Test, public testing::WindowFixture {
 protected:
  MainWindowTest() {
    testing::WriteLanguageFile(program_ / "English.lng",
                               {"*RCLICK", "Right-click", "*ENDMESSAGES", "[Menu]", "&File", "Start &Vigilo",
                                "E&xit", "&Scan", "&Create", "&Identify", "&Map", "&Edit map", "&Rename map",
                                "&Unmap", "-", "Delete &all", "Delete &selected", "-", "Refres&h", "&Options",
                                "&Remote control", "&Scan on start", "&Vigilo at start", "&Icon", "&Graphic FX",
                                "-", "&Ignore", "&Language", "&Font", "-", "&Icons", "&Simple", "&Detailed",
                                "&Trash", "&?", "&About", "&Contents", "[MainBtns]", "A|a", "B|b", "C|c", "D|d",
                                "E|e", "[Trash]", "R", "D", "F", "Q"});
    form_->ApplyLanguage("English.lng");
  }

  std::string Text(const QAction* item) const { return FromQ(item->text()); }
};

TEST_F(MainWindowTest, MapCommandsCarryTheSelectedMapsQuotedName) {
  mapper_.maps.rows = {"Alpha", "Beta"};
  mapper_.maps.selected = -1;
  form_->ShowMapsList();
  form_->PopupMenu1Popup();
  form_->Map1Click();
  for (const QAction* item : {form_->EditMap1, form_->Edit1}) EXPECT_EQ(Text(item), "&Edit map ");
  EXPECT_EQ(Text(form_->UnMap2), "&Unmap ");

  mapper_.maps.selected = 1;
  form_->ShowMapsList();
  EXPECT_EQ(form_->MapsList->currentRow(), 1);
  form_->PopupMenu1Popup();
  form_->Map1Click();
  form_->PopupMenu1Popup();  // labelling twice keeps one name
  EXPECT_EQ(Text(form_->EditMap1), "&Edit map \"Beta\"");
  EXPECT_EQ(Text(form_->RenameMapID1), "&Rename map \"Beta\"");
  EXPECT_EQ(Text(form_->Rename1), "&Rename map \"Beta\"");
  EXPECT_EQ(Text(form_->Unmap1), "&Unmap \"Beta\"");
}

TEST_F(MainWindowTest, BlueSwitchesTheMapListColoursAndBack) {
  const QColor navy(0, 0, 128), blue(0, 0, 255);
  ASSERT_TRUE(mapper_.options.blue);
  EXPECT_EQ(form_->MapsList->palette().color(QPalette::Base), navy);
  EXPECT_EQ(form_->MapsList->palette().color(QPalette::Text), blue);
  form_->BlueClick();
  EXPECT_FALSE(mapper_.options.blue);
  EXPECT_FALSE(form_->Blue->isChecked());
  EXPECT_EQ(form_->MapsList->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
  EXPECT_EQ(form_->MapsList->palette().color(QPalette::Text), QApplication::palette().color(QPalette::Text));
  form_->BlueClick();
  EXPECT_TRUE(form_->Blue->isChecked());
  EXPECT_EQ(form_->MapsList->palette().color(QPalette::Base), navy);
}

TEST_F(MainWindowTest, OptionCommandsMoveTheOptionAndItsCheckMarkTogether) {
  struct Case {
    const char* name;
    std::function<void()> command;
    bool Options::*option;
    QAction* item;
  };
  TForm1& f = *form_;
  const std::vector<Case> cases = {
      {"scan on start", [&] { f.ScanOnStartClick(); }, &Options::scan_on_start, f.ScanOnStart},
      {"graphic effects", [&] { f.GraphicFX1Click(); }, &Options::graphic_fx, f.GraphicFX1},
      {"remote control", [&] { f.Remotecontrol1Click(); }, &Options::remote_control, f.Remotecontrol1},
      {"blue", [&] { f.BlueClick(); }, &Options::blue, f.Blue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool before = mapper_.options.*c.option;
    EXPECT_EQ(c.item->isChecked(), before);
    c.command();
    EXPECT_EQ(mapper_.options.*c.option, !before);
    EXPECT_EQ(c.item->isChecked(), !before);
    c.item->trigger();  // the menu's own click
    EXPECT_EQ(mapper_.options.*c.option, before);
    EXPECT_EQ(c.item->isChecked(), before);
  }
}

TEST_F(MainWindowTest, ShowOptionsShowsEveryStoredOption) {
  Options& o = mapper_.options;
  o.scan_on_start = true;
  o.graphic_fx = false;
  o.use_sys_icons = false;
  o.simple_list = false;
  o.icon1 = true;
  o.vigilo_on_startup = true;
  o.font_name = "DejaVu Serif";
  o.font_size = 14;
  form_->ShowOptions();
  EXPECT_TRUE(form_->ScanOnStart->isChecked());
  EXPECT_FALSE(form_->GraphicFX1->isChecked());
  EXPECT_FALSE(form_->Usesysicons1->isChecked());
  EXPECT_FALSE(form_->SimpleList1->isChecked());
  EXPECT_TRUE(form_->DetailedList1->isChecked());
  EXPECT_TRUE(form_->View().StateImages());
  EXPECT_TRUE(form_->Icon1->isChecked());
  EXPECT_TRUE(form_->Vigiloonstartup1->isChecked());
  for (const QWidget* list : {static_cast<QWidget*>(form_->MapsList), static_cast<QWidget*>(form_->Map)}) {
    EXPECT_EQ(list->font().family(), "DejaVu Serif");
    EXPECT_EQ(list->font().pointSize(), 14);
  }
}

TEST_F(MainWindowTest, TheFontDialogAppliesOnlyNameAndSizeToBothLists) {
  QFont bold = form_->Map->font();
  bold.setBold(true);
  form_->Map->setFont(bold);
  QFont chosen("DejaVu Sans Mono", 30);
  form_->FontDialog1->SetChoice(chosen);
  EXPECT_EQ(form_->FontDialog1->Size(), 20);  // sizes stop at 20
  form_->FontDialog1->FontSize->setCurrentRow(4);
  form_->FontDialog1Apply();
  EXPECT_EQ(mapper_.options.font_size, 12);
  EXPECT_EQ(ToQ(mapper_.options.font_name), form_->FontDialog1->Family());
  EXPECT_EQ(form_->MapsList->font().pointSize(), 12);
  EXPECT_EQ(form_->Map->font().pointSize(), 12);
  EXPECT_EQ(form_->Map->font().family(), form_->FontDialog1->Family());
  EXPECT_TRUE(form_->Map->font().bold());  // style stays
}

TEST_F(MainWindowTest, EveryCommandIsEnabledWithItsKeys) {
  TForm1& f = *form_;
  for (const QAction* item :
       {f.Vigilo1, f.Exit1, f.Createnew1, f.Identifyafile1, f.Edit1, f.Rename1, f.Unmap1, f.Deleteallmappedfiles1,
        f.Deleteselectedfile1, f.Refresh1, f.Remotecontrol1, f.ScanOnStart, f.Vigiloonstartup1, f.Icon1,
        f.GraphicFX1, f.Ignorelist1, f.Languagefile1, f.Usefont1, f.Usesysicons1, f.SimpleList1, f.DetailedList1,
        f.Trash1, f.About1, f.Contents1, f.EditMap1, f.RenameMapID1, f.UnMap2, f.DeleteApplication2, f.Blue,
        f.DeleteFile1, f.DeleteApplication1}) {
    EXPECT_TRUE(item->isEnabled()) << Text(item);
  }
  EXPECT_EQ(f.Remotecontrol1->shortcut(), QKeySequence(Qt::Key_F10));
  EXPECT_EQ(f.About1->shortcut(), QKeySequence(Qt::Key_F1));
  EXPECT_EQ(f.Refresh1->shortcut(), QKeySequence(Qt::Key_F5));
}

TEST_F(MainWindowTest, EachBarButtonIsGreyedExactlyWhileItsMenuItemIs) {
  TForm1& f = *form_;
  const std::array<QAction*, TPopGroup::kButtons> items = {f.Createnew1, f.Identifyafile1, f.Trash1, f.About1,
                                                           f.Vigilo1};
  for (int k = 0; k < TPopGroup::kButtons; ++k) {
    EXPECT_EQ(f.PopGroup->ButtonEnabled(k), items[static_cast<std::size_t>(k)]->isEnabled()) << k;
  }
  f.Trash1->setEnabled(false);
  EXPECT_FALSE(f.PopGroup->ButtonEnabled(2));
  f.Trash1->setEnabled(true);
  EXPECT_TRUE(f.PopGroup->ButtonEnabled(2));
}

TEST_F(MainWindowTest, StatusLineAndCaptionReachTheWindow) {
  form_->SetCaption("Zorvan 3.0");
  EXPECT_EQ(mapper_.main_caption, "Zorvan 3.0");
  EXPECT_EQ(form_->windowTitle(), "Zorvan 3.0");
  mapper_.person.SetStatus(kLime, "5 new files");
  EXPECT_EQ(form_->StatusPanel->text(), "5 new files");
  EXPECT_EQ(form_->StatusPanel->palette().color(QPalette::WindowText), QColor(0, 255, 0));
  EXPECT_EQ(mapper_.view, &form_->View());
}

TEST_F(MainWindowTest, ANarrowWindowKeepsTheFirstColumnAtLeast100Wide) {
  form_->show();
  form_->resize(543, 407);
  ASSERT_TRUE(testing::WaitUntil([&] { return form_->Map->width() > 300; }));
  EXPECT_EQ(form_->Map->columnWidth(0), form_->Map->width() - form_->Map->columnWidth(1) - 20);
  EXPECT_EQ(form_->Logo->x(), form_->width() - form_->Logo->width() - 15);
  EXPECT_EQ(form_->LogoBevel->geometry(), form_->Logo->geometry().adjusted(-2, -2, 2, 2));
  // Back from the plain list, the report's two columns fit the list again.
  MapListing listing;
  listing.items = {{"A.DLL", "1 Kb", 1, ""}};
  listing.simple = true;
  form_->View().ShowListing(listing);
  listing.simple = false;
  form_->View().ShowListing(listing);
  EXPECT_FALSE(form_->Map->isColumnHidden(1));
  EXPECT_EQ(form_->Map->columnWidth(1), 100);
  EXPECT_EQ(form_->Map->columnWidth(0), form_->Map->width() - 100 - 20);

  form_->resize(250, 407);
  ASSERT_TRUE(testing::WaitUntil([&] { return form_->Map->width() < 150; }));
  EXPECT_EQ(form_->Map->columnWidth(0), 100);
  form_->PopGroup->PopTimer.stop();
  form_->hide();
}

TEST_F(MainWindowTest, ChoosingAMapShowsItsFilesInTheChosenListMode) {
  testing::WriteBytes(program_ / "WIN/SYSTEM/A.DLL", std::string(1536, 'a'));
  testing::WriteLines(program_ / "First.MAP", {"***First***", "SYSTEM\\A.DLL", "SYSTEM\\GONE.DLL"});
  testing::WriteLines(program_ / "Second.MAP", {"***Second***", "<DIR> SYSTEM"});
  LoadMaps(mapper_, "Second");
  form_->ShowMapsList();
  ASSERT_EQ(form_->MapsList->count(), 2);

  form_->MapsList->setCurrentRow(0);  // what a click does
  EXPECT_EQ(mapper_.maps.SelectedName(), "First");
  ASSERT_EQ(FileRowCount(), 2);
  EXPECT_EQ(FileText(0), "SYSTEM\\A.DLL");
  EXPECT_TRUE(form_->Map->isHeaderHidden());

  form_->DetailedList1Click();
  EXPECT_FALSE(mapper_.options.simple_list);
  EXPECT_TRUE(form_->DetailedList1->isChecked());
  EXPECT_FALSE(form_->Map->isHeaderHidden());
  EXPECT_EQ(FileText(0, 1), "1.5 Kb");
  EXPECT_EQ(form_->Map->iconSize().width(), 34);  // presence mark beside the icon
  EXPECT_EQ(form_->Map->model()->headerData(1, Qt::Horizontal).toString(), "1.5 Kb");

  form_->SimpleList1Click();
  EXPECT_TRUE(mapper_.options.simple_list);
  EXPECT_TRUE(form_->Map->isColumnHidden(1));
  EXPECT_EQ(form_->Map->iconSize().width(), 16);
  EXPECT_TRUE(form_->LogoTimer.isActive());  // the viewer restarts the animations
  form_->LogoTimer.stop();
}

TEST_F(MainWindowTest, TheLogoCyclesThroughFiveFrames) {
  const QImage first = form_->Logo->canvas;
  std::vector<QImage> frames;
  for (int i = 0; i < 5; ++i) {
    form_->LogoTimerTimer();
    frames.push_back(form_->Logo->canvas);
  }
  form_->LogoTimer.stop();
  EXPECT_NE(frames[0], frames[1]);
  EXPECT_EQ(frames[4].copy(0, 0, 65, 48), first.copy(0, 0, 65, 48));  // back at frame 0
}

}  // namespace
}  // namespace zv
