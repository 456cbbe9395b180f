// The trash manager window `TTrash32`: one row per record of the trash log,
// and buttons to restore the selected rows to their places, delete them for
// good, open the trash folder or quit. One instance, created at start and
// shown modally by the main window's trash command; every showing lists the
// log and the disk afresh. The logic is the engine's TrashManager; the
// window turns its buttons, menu items and selection into calls to it.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "mapper/engine/mapper.h"
#include "mapper/trash/trash_manager.h"

namespace zv {

class TTrash32 : public QDialog {
 public:
  explicit TTrash32(QWidget* parent = nullptr);
  ~TTrash32() override;

  // The mapper whose trash the window manages. The window is created before
  // the mapper's other parts, so this comes later, before the first showing;
  // until then the window lists nothing and its commands do nothing.
  void AttachMapper(Mapper& mapper);
  // The captions of the "[Trash]" section of the language: restore, delete,
  // folder, quit.
  void SetButtonCaptions(const std::array<std::string, 4>& captions);

  // ---- Handlers.
  // Every showing lists the log afresh.
  void FormShow() { RefreshBtnClick(); }
  // "Original path" takes the room the other columns leave.
  void FormResize();
  // Reloads and tidies the log and lists its records; the status panel then
  // says how many there are. An error reading or writing the log reaches the
  // error report, the list showing what was listed.
  void RefreshBtnClick();
  void RestoreBtnClick();
  void DeleteBtnClick();
  void FolderBtnClick();
  // "&?": the help page.
  void N1Click();
  // The status panel while rows are selected: "Selected files: " + count.
  void TrashListChange();
  void QuitBtnClick() { close(); }
  void Quit1Click() { close(); }

  // Indexes of the selected rows, top to bottom.
  std::vector<std::size_t> SelectedRows() const;

  // ---- Components.
  QMenuBar* MainMenu1;
  QMenu* File1;
  QAction* Refresh1;
  QAction* Quit1;
  QAction* N1;
  QFrame* Panel1;
  QPushButton* RestoreBtn;
  QPushButton* DeleteBtn;
  QPushButton* FolderBtn;
  QPushButton* QuitBtn;
  QTreeWidget* TrashList;
  QStatusBar* StatusBar1;
  QLabel* StatusPanel;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Runs one of the manager's commands, then shows its rows and status,
  // also when the command ended with an error.
  template <typename Command>
  void RunAndShow(Command command);
  void ShowRows();

  std::unique_ptr<TrashManager> manager_;
};

}  // namespace zv
