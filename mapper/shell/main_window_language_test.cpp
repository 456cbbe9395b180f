#include <gtest/gtest.h>

#include <stdexcept>

#include "mapper/shell/qt_text.h"
#include "mapper/shell/window_test_support.h"

namespace zv {
namespace {

using testing::AnswerNextModal;
using testing::WriteLanguageFile;

// "[Menu]" in order: each top menu, then its items; separators where "-".
std::vector<std::string> MenuSection(const std::string& prefix) {
  std::vector<std::string> lines;
  for (int i = 0; i < 33; ++i) lines.push_back(prefix + std::to_string(i));
  for (int separator : {10, 13, 21, 25}) lines[static_cast<std::size_t>(separator)] = "-";
  return lines;
}

std::vector<std::string> Catalogue(const std::string& menu_header, const std::vector<std::string>& menu) {
  std::vector<std::string> lines = {"*MAPPEDAPPS", "Mapped apps", "*RCLICK", "Right-click for commands",
                                    "*IsDeleted", "gone", "*ENDMESSAGES"};
  lines.push_back(menu_header);
  lines.insert(lines.end(), menu.begin(), menu.end());
  for (const char* line : {"[MainBtns]", "New|Make a map", "Identify|Find", "Trash|Bin", "About|Who", "Vigilo"})
    lines.push_back(line);
  for (const char* line : {"[Trash]", "&Restore", "&Delete", "&Folder", "&Quit"}) lines.push_back(line);
  return lines;
}

class LanguageTest : public ::testing::Test, public testing::WindowFixture {
 protected:
  void Apply(const std::string& name, const std::vector<std::string>& catalogue) {
    WriteLanguageFile(program_ / name, catalogue);
    form_->ApplyLanguage(name);
  }
  std::string Text(const QAction* item) const { return FromQ(item->text()); }
};

TEST_F(LanguageTest, MenuCaptionsLandByPosition) {
  Apply("English.lng", Catalogue("[Menu]", MenuSection("M")));
  TForm1& f = *form_;
  const std::vector<std::pair<const QAction*, std::string>> expected = {
      {f.File1->menuAction(), "M0"},  {f.Vigilo1, "M1"},          {f.Exit1, "M2"},
      {f.Scan1->menuAction(), "M3"},  {f.Createnew1, "M4"},       {f.Identifyafile1, "M5"},
      {f.Map1->menuAction(), "M6"},   {f.Edit1, "M7"},            {f.Unmap1, "M9"},
      {f.Deleteallmappedfiles1, "M11"}, {f.Deleteselectedfile1, "M12"}, {f.Refresh1, "M14"},
      {f.Options1->menuAction(), "M15"}, {f.Remotecontrol1, "M16"}, {f.GraphicFX1, "M20"},
      {f.Languagefile1, "M23"},       {f.DetailedList1, "M28"},   {f.Trash1, "M29"},
      {f.Help1->menuAction(), "M30"}, {f.About1, "M31"},          {f.Contents1, "M32"},
      // The popup menus copy the Map menu's captions.
      {f.EditMap1, "M7"},             {f.RenameMapID1, "M8"},     {f.UnMap2, "M9"},
      {f.DeleteApplication2, "M11"},  {f.DeleteFile1, "M12"},     {f.DeleteApplication1, "M11"},
  };
  for (const auto& [item, caption] : expected) EXPECT_EQ(Text(item), caption);
  EXPECT_TRUE(f.N1->isSeparator());
  EXPECT_TRUE(f.N4->isSeparator());
  EXPECT_EQ(f.EditMap1->data().toInt(), 2);
  EXPECT_EQ(mapper_.scan_menu_caption, "M3");
  EXPECT_EQ(f.RemoteTitle(), "16");
  EXPECT_EQ(FromQ(f.GroupBox1->title()), "Mapped apps");
  EXPECT_EQ(mapper_.texts.rclick, "Right-click for commands");
  EXPECT_EQ(mapper_.texts.is_deleted, "gone");
  EXPECT_EQ(mapper_.texts.is_folder, "[*IsFolder not found]");
  EXPECT_EQ(f.PopGroup->Hint(0), "New|Make a map");
  EXPECT_EQ(f.PopGroup->Hint(4), "Vigilo");
  EXPECT_EQ(f.TrashCaptions()[3], "&Quit");

  // The remote window's title is the caption without its first character,
  // all of its bytes.
  std::vector<std::string> menu = MenuSection("M");
  menu[16] = "\xC3\x89" "cran";
  Apply("Accent.lng", Catalogue("[Menu]", menu));
  EXPECT_EQ(f.RemoteTitle(), "cran");
}

TEST_F(LanguageTest, SectionHeadersAreFoundIgnoringCaseAndAMissingOneCountsFromTheTop) {
  Apply("Lower.lng", Catalogue("[mEnU]", MenuSection("L")));
  EXPECT_EQ(Text(form_->Vigilo1), "L1");
  EXPECT_EQ(Text(form_->Contents1), "L32");

  // Without a "[Menu]" line the captions come from the catalogue's first lines.
  Apply("NoHeader.lng", Catalogue("[Something]", MenuSection("N")));
  EXPECT_EQ(FromQ(form_->File1->title()), "*MAPPEDAPPS");
  EXPECT_EQ(Text(form_->Vigilo1), "Mapped apps");
  EXPECT_EQ(Text(form_->Exit1), "*RCLICK");
}

TEST_F(LanguageTest, ASeparatorLineOtherThanADashBecomesAnItemAndADashASeparator) {
  std::vector<std::string> menu = MenuSection("S");
  menu[10] = "Not a line";
  menu[1] = "-";
  Apply("Odd.lng", Catalogue("[Menu]", menu));
  EXPECT_FALSE(form_->N1->isSeparator());
  EXPECT_EQ(Text(form_->N1), "Not a line");
  EXPECT_TRUE(form_->Vigilo1->isSeparator());
  EXPECT_TRUE(Text(form_->Vigilo1).empty());  // no style draws it as a heading
}

TEST_F(LanguageTest, AShortSectionRaisesTheListIndexErrorAndKeepsLaterCaptions) {
  Apply("Full.lng", Catalogue("[Menu]", MenuSection("F")));
  std::vector<std::string> menu = MenuSection("T");
  menu.resize(12);  // ends inside the Map menu
  std::vector<std::string> catalogue = {"*ENDMESSAGES", "[Menu]"};
  catalogue.insert(catalogue.end(), menu.begin(), menu.end());
  WriteLanguageFile(program_ / "Short.lng", catalogue);
  try {
    form_->ApplyLanguage("Short.lng");
    FAIL() << "a short section must raise the list index error";
  } catch (const std::out_of_range& error) {
    EXPECT_STREQ(error.what(), "List index out of bounds (14)");
  }
  EXPECT_EQ(Text(form_->Deleteallmappedfiles1), "T11");  // set before the end
  EXPECT_EQ(Text(form_->Deleteselectedfile1), "F12");    // the first missing line
  EXPECT_EQ(Text(form_->Contents1), "F32");
  EXPECT_EQ(Text(form_->EditMap1), "F7");  // popups are set after the menus
  EXPECT_EQ(form_->PopGroup->Hint(0), "New|Make a map");
}

TEST_F(LanguageTest, TheChooserAppliesTheFirstFileWhenNoneIsSelectedAndRestoresTheDialog) {
  WriteLanguageFile(program_ / "Beta.lng", Catalogue("[Menu]", MenuSection("B")));
  WriteLanguageFile(program_ / "Alpha.lng", Catalogue("[Menu]", MenuSection("A")));
  testing::WriteBytes(program_ / "notes.txt", "not a language");

  QStringList offered;
  AnswerNextModal([&](QWidget* modal) {
    offered.clear();
    for (int i = 0; i < dialog_.FileListBox1->count(); ++i) offered << dialog_.FileListBox1->item(i)->text();
    EXPECT_EQ(modal->windowTitle(), "Do you speak...?");
    EXPECT_TRUE(dialog_.Edit1->isHidden());
    EXPECT_TRUE(dialog_.CancelBtn->isHidden());
    dialog_.OkBtn->click();
  });
  form_->Languagefile1Click();
  EXPECT_EQ(offered, QStringList({"Alpha.lng", "Beta.lng"}));
  EXPECT_EQ(mapper_.language_file, "Alpha.lng");
  EXPECT_EQ(Text(form_->Vigilo1), "A1");
  EXPECT_FALSE(dialog_.Edit1->isHidden());
  EXPECT_FALSE(dialog_.CancelBtn->isHidden());
  EXPECT_TRUE(dialog_.FileListBox1->isHidden());

  // Closing the chooser by its close box still applies a language: the one
  // selected.
  AnswerNextModal([&](QWidget* modal) {
    dialog_.FileListBox1->setCurrentRow(1);
    modal->close();
  });
  form_->Languagefile1Click();
  EXPECT_EQ(mapper_.language_file, "Beta.lng");
  EXPECT_EQ(Text(form_->Vigilo1), "B1");
}

TEST_F(LanguageTest, AMissingOrTruncatedLanguageFileEndsTheProgramWithItsMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::vector<std::string> stored = {"#" + EncodeLanguageLine("***MESSAGES.DAT***", 1),
                                     "#" + EncodeLanguageLine("*RCLICK", 2)};
  testing::WriteLines(program_ / "Cut.lng", stored);
  // Unattended, the box prints its text instead of waiting for a person.
  const auto apply = [this](const std::string& name) {
    qputenv("ZORVAN_UNATTENDED", "1");
    form_->ApplyLanguage(name);
  };
  EXPECT_EXIT(apply("Missing.lng"), ::testing::ExitedWithCode(0), "Cannot find Missing.lng");
  EXPECT_EXIT(apply("Cut.lng"), ::testing::ExitedWithCode(0), "Cut.lng file corrupt\\?");
}

}  // namespace
}  // namespace zv
