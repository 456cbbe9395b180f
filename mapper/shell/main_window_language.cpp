// The window side of a language: the captions of the main window and its
// menus, the bar hints, the texts kept for later windows, and the chooser.
#include <QMessageBox>
#include <cstdlib>
#include <stdexcept>
#include <unordered_map>

#include "mapper/engine/messages.h"
#include "mapper/engine/shell_links.h"
#include "mapper/shell/app.h"
#include "mapper/shell/main_window.h"
#include "mapper/shell/qt_text.h"
#include "platform/text.h"

namespace zv {
namespace {

// The catalogue's lines, read by position; a position outside them is the
// list-index error every caller reports.
class CatalogueLines {
 public:
  explicit CatalogueLines(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  const std::string& At(int index) const {
    if (index < 0 || index >= static_cast<int>(lines_.size())) {
      throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    }
    return lines_[static_cast<std::size_t>(index)];
  }

  // The position after a section header (letter case ignored, anywhere in
  // the file); without the header, positions count from the first line.
  int SectionStart(const std::string& header) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (EqualsNoCase(lines_[i], header)) return static_cast<int>(i) + 1;
    }
    return 0;
  }

 private:
  std::vector<std::string> lines_;
};

// A caption of "-" makes the item a separator line, any other caption an
// item. A separator carries no text: styles would draw it as a heading.
void SetItemCaption(QAction* item, const std::string& caption) {
  const bool separator = caption == "-";
  item->setText(separator ? QString() : ToQ(caption));
  item->setSeparator(separator);
}

}  // namespace

void TForm1::ApplyLanguage(const std::string& file) {
  const UnpackResult unpacked = UnpackLanguageFile(mapper_, file);
  if (unpacked != UnpackResult::kDone) {
    const std::string text = unpacked == UnpackResult::kMissing ? "Cannot find " + file : file + " file corrupt?";
    QMessageBox box(QMessageBox::Critical, "Error", ToQ(text), QMessageBox::Ok);
    ExecMessageBox(box);
    // Every data file is written atomically, so ending here loses nothing.
    std::_Exit(0);
  }

  GroupBox1->setTitle(ToQ(LookupMessage(mapper_, "*MAPPEDAPPS")));
  mapper_.texts.edit_warn = LookupMessage(mapper_, "*EDITWARN");
  mapper_.texts.add_ignore = LookupMessage(mapper_, "*ADDIGNORE");
  mapper_.texts.is_deleted = LookupMessage(mapper_, "*IsDeleted");
  mapper_.texts.is_folder = LookupMessage(mapper_, "*IsFolder");
  mapper_.texts.rclick = LookupMessage(mapper_, "*RCLICK");

  const CatalogueLines lines(ReadCatalogueLines(mapper_));

  std::unordered_map<const QAction*, std::string> given;
  int p = lines.SectionStart("[Menu]");
  for (const MenuColumn& column : menu_columns_) {
    const std::string& caption = lines.At(p++);
    column.top->setText(ToQ(caption));
    if (column.top == Scan1->menuAction()) mapper_.scan_menu_caption = caption;
    for (QAction* item : column.items) {
      given[item] = lines.At(p++);
      SetItemCaption(item, given[item]);
    }
  }

  // The person's own menu entry would stand beside the installation's.
  if (InstalledMenuEntryExists(mapper_)) SetItemCaption(Icon1, given[Icon1] + LookupMessage(mapper_, "*OWNICON"));

  const std::string& remote = given[Remotecontrol1];
  remote_title_ = CutAtCharacters(remote, 1);
  if (remote_ != nullptr) remote_->setWindowTitle(ToQ(remote_title_));

  const std::array<QAction*, 3> map_items = {Edit1, Rename1, Unmap1};
  const std::array<QAction*, 3> popup_items = {EditMap1, RenameMapID1, UnMap2};
  for (std::size_t i = 0; i < map_items.size(); ++i) {
    const std::string& caption = given[map_items[i]];
    SetItemCaption(popup_items[i], caption);
    popup_items[i]->setData(static_cast<int>(caption.size()));
  }
  SetItemCaption(DeleteApplication2, given[Deleteallmappedfiles1]);
  SetItemCaption(DeleteFile1, given[Deleteselectedfile1]);
  SetItemCaption(DeleteApplication1, given[Deleteallmappedfiles1]);

  p = lines.SectionStart("[MainBtns]");
  for (int k = 0; k < TPopGroup::kButtons; ++k) PopGroup->SetHint(k, lines.At(p + k));

  p = lines.SectionStart("[Trash]");
  for (std::size_t i = 0; i < trash_captions_.size(); ++i) trash_captions_[i] = lines.At(p + static_cast<int>(i));
}

void TForm1::Languagefile1Click() {
  dialog_.Note->setText("");
  dialog_.setWindowTitle("Do you speak...?");
  dialog_.CancelBtn->hide();
  dialog_.Edit1->hide();
  dialog_.FillFileList(mapper_.host.FindFiles(mapper_.SharedFolder(), "*.lng"));
  dialog_.FileListBox1->show();
  // Unattended, the first file is taken, as OK without a choice takes it.
  if (!RunsUnattended()) dialog_.exec();

  QListWidget* files = dialog_.FileListBox1;
  if (files->count() > 0) {
    const QList<QListWidgetItem*> chosen = files->selectedItems();
    const QListWidgetItem* item = chosen.isEmpty() ? files->item(0) : chosen.front();
    mapper_.language_file = FromQ(item->text());
  }
  dialog_.CancelBtn->show();
  dialog_.Edit1->show();
  files->hide();
  ApplyLanguage(mapper_.language_file);
}

}  // namespace zv
