// The mapper's main window `TForm1`: the map list `MapsList` on the left, the
// file list `Map` of the current map on the right, the animated button bar
// `PopGroup` with the logo across the top, the status bar, the main menu and
// the two popup menus. It routes commands to the engine, keeps every option
// in mapper.options together with its check mark, and applies languages.
#pragma once

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mapper/engine/mapper.h"
#include "mapper/shell/about_box.h"
#include "mapper/shell/button_bar.h"
#include "mapper/shell/font_dialog.h"
#include "mapper/shell/in_dialog.h"
#include "mapper/shell/map_view.h"
#include "mapper/shell/qt_person.h"
#include "mapper/shell/remote_window.h"
#include "mapper/shell/splash.h"

namespace zv {

class TTrash32;

// The logo: a picture with a hand cursor that runs `on_click` when clicked.
class LogoPicture : public QWidget {
 public:
  explicit LogoPicture(QWidget* parent);
  QImage canvas;
  std::function<void()> on_click;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TForm1 : public QMainWindow {
 public:
  // Builds the window and its menus, registers it with the person (status
  // line, visibility) and makes its file list the engine's mapper.view.
  TForm1(Mapper& mapper, TSplash& splash, TInDialog& dialog, QtPerson& person);
  ~TForm1() override;

  // The window's caption; mapper.main_caption follows it.
  void SetCaption(const std::string& caption);
  // Shows mapper.options: every check mark, the Blue colours, the list mode
  // and the font of both lists.
  void ShowOptions();

  // Unpacks a language file and sets every caption from it. A missing or
  // truncated file is shown in an error box and ends the process (exit code
  // 0). A caption section shorter than it must be throws std::out_of_range
  // ("List index out of bounds (N)"); captions set before keep their new
  // text. A catalogue that cannot be read throws HostError.
  void ApplyLanguage(const std::string& file);
  // The language chooser: the "*.lng" files of Mapper::SharedFolder in the
  // input dialog; the selected file, or the first one when none is
  // selected, becomes mapper.language_file and is applied.
  void Languagefile1Click();

  // The map list from mapper.maps (rows and selection).
  void ShowMapsList();
  // Refreshes the file list from the selected map.
  void ShowMap();

  // The about box, created after this window; About1Click fills and shows it.
  void AttachAboutBox(TAboutBox* about);
  // The remote-control window, created before this window: it takes its
  // caption from the language, its place from mapper.options (which then
  // follow it), its buttons trigger Edit1, RenameMapID1, Unmap1,
  // Deleteselectedfile1, DeleteApplication1 and Refresh1, its link opens
  // the site as the logo does, and the status line reaches `ZVHint`.
  void AttachRemote(TRemote* remote);
  // Shows or hides the remote-control window, when there is one.
  void ShowRemote(bool visible);
  bool RemoteVisible() const { return remote_ != nullptr && remote_->isVisible(); }
  // The trash manager, created before this window; it manages this mapper's
  // trash and Trash1Click shows it.
  void AttachTrashWindow(TTrash32* trash);

  // ---- Commands.
  void New1Click();
  // Identifies a file, the dialog prefilled with the selected entry of `Map`.
  void Identifyafile1Click();
  void Vigilo1Click();
  // The map maintenance commands on the selected map, and the refresh.
  void Edit1Click();
  void EditMap1Click() { Edit1Click(); }
  // The rename dialog is titled with the popup item's caption, labelled
  // with the selected map first.
  void RenameMapID1Click();
  void Rename1Click() { RenameMapID1Click(); }
  void Unmap1Click();
  void UnMap2Click() { Unmap1Click(); }
  void Refresh1Click();
  void Ignorelist1Click();
  void Vigiloonstartup1Click();
  void Icon1Click();
  void About1Click();
  void Contents1Click();
  // Keys of the map list: Delete, or D with Alt held, deletes the
  // application; Enter, or R with Alt held, renames. Answers whether the
  // key ran a command.
  bool MapsListKeyDown(int key, Qt::KeyboardModifiers modifiers);
  // Keys of the file list: Delete, or D with Alt held, deletes the selected
  // file. Answers whether the key ran a command.
  bool MapKeyDown(int key, Qt::KeyboardModifiers modifiers);
  // The removal commands on the current map and the file list's selected
  // row; each ends with the refresh.
  void DeleteApplication1Click();
  void Deleteallmappedfiles1Click() { DeleteApplication1Click(); }
  void Deleteselectedfile1Click();
  void DeleteFile1Click() { Deleteselectedfile1Click(); }
  // Shows the trash manager modally (its captions from the language), then
  // refreshes.
  void Trash1Click();
  void Exit1Click() { close(); }
  void Remotecontrol1Click();
  void ScanOnStartClick();
  void GraphicFX1Click();
  void Usesysicons1Click();
  void SimpleList1Click();
  void DetailedList1Click();
  void Usefont1Click();
  // Copies the font dialog's name and size to `MapsList`, then `Map`.
  void FontDialog1Apply();
  void BlueClick();
  void LogoClick();
  void MapsListClick();
  void MapDblClick();
  // Label the first three items of `PopupMenu1` and of the Map menu with
  // the selected map's quoted name.
  void PopupMenu1Popup();
  void Map1Click();
  void LogoTimerTimer();
  void FormResize();

  // The status line's place in this window: the status bar's colour and text.
  void SetStatusLine(Colour colour, const std::string& text);

  // The exit steps, run when the window closes; it closes normally after.
  std::function<void()> on_close;

  // Texts a language gives the windows that come later: the remote
  // window's title and the trash manager's four button captions.
  const std::string& RemoteTitle() const { return remote_title_; }
  const std::array<std::string, 4>& TrashCaptions() const { return trash_captions_; }

  QtMapView& View() { return *view_; }

  // ---- Components.
  TPopGroup* PopGroup;
  QFrame* LogoBevel;
  LogoPicture* Logo;
  QGroupBox* GroupBox1;
  QListWidget* MapsList;
  QGroupBox* GroupBox2;
  QTreeView* Map;
  QStatusBar* StatusBar1;
  QLabel* StatusPanel;
  QImage LogoAniSrc;
  QImage Immagini;
  QTimer LogoTimer;
  TFontDialog* FontDialog1;

  QMenu* File1;
  QAction* Vigilo1;
  QAction* Exit1;
  QMenu* Scan1;
  QAction* Createnew1;
  QAction* Identifyafile1;
  QMenu* Map1;
  QAction* Edit1;
  QAction* Rename1;
  QAction* Unmap1;
  QAction* N1;
  QAction* Deleteallmappedfiles1;
  QAction* Deleteselectedfile1;
  QAction* N2;
  QAction* Refresh1;
  QMenu* Options1;
  QAction* Remotecontrol1;
  QAction* ScanOnStart;
  QAction* Vigiloonstartup1;
  QAction* Icon1;
  QAction* GraphicFX1;
  QAction* N3;
  QAction* Ignorelist1;
  QAction* Languagefile1;
  QAction* Usefont1;
  QAction* N4;
  QAction* Usesysicons1;
  QAction* SimpleList1;
  QAction* DetailedList1;
  QActionGroup* ListModes;
  QAction* Trash1;
  QMenu* Help1;
  QAction* About1;
  QAction* Contents1;

  QMenu* PopupMenu1;
  QAction* EditMap1;
  QAction* RenameMapID1;
  QAction* UnMap2;
  QAction* DeleteApplication2;
  QAction* Blue;
  QAction* N5;
  QAction* Ok2;
  QMenu* PopupMenu2;
  QAction* DeleteFile1;
  QAction* DeleteApplication1;
  QAction* N6;
  QAction* Ok1;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A top-level menu and its items in "[Menu]" order.
  struct MenuColumn {
    QAction* top;
    std::vector<QAction*> items;
  };

  void BuildLayout();
  void BuildMenus();
  void FormShow();
  void SetAnimations(bool running);
  void LabelMapCommands(const std::vector<QAction*>& items);
  void ApplyMapsListColours();
  void ApplyListFont();

  Mapper& mapper_;
  TInDialog& dialog_;
  QtPerson& person_;
  std::unique_ptr<QtMapView> view_;
  std::vector<MenuColumn> menu_columns_;
  std::string remote_title_;
  std::array<std::string, 4> trash_captions_;
  TAboutBox* about_ = nullptr;
  QPointer<TRemote> remote_;
  TTrash32* trash_ = nullptr;
  bool shown_ = false;
  bool maps_hint_ = true;
  // The map list's current row when a mouse button went down on it, so a
  // click on the row already selected shows its map again.
  int row_at_press_ = -1;
  int logo_frame_ = 0;
};

}  // namespace zv
