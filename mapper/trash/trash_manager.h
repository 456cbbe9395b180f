// The trash manager's logic. The window `TTrash32` lists rows(), shows
// status() on its status panel, and hands its buttons and menu items to the
// calls below with the rows selected; it keeps nothing else.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mapper/engine/mapper.h"
#include "mapper/trash/trash_log.h"

namespace zv {

// One row of `TrashList`: one record of the log.
struct TrashRow {
  std::string name;     // "Original name", the row caption: N
  std::string map;      // "Original map": M
  std::string trashed;  // "Trashed as": T
  std::string path;     // "Original path": the Windows folder + "\" + P, shown with "/"
  std::string place;    // P as the record holds it
};

// Whether the row records a folder: its "Trashed as" is the folder mark
// (kFolderTrashedName, letter case ignored) instead of a name in the trash
// folder.
bool IsFolderRow(const TrashRow& row);

struct TrashColumn {
  const char* caption;
  int width;  // initial width in pixels
};
inline constexpr std::array<TrashColumn, 4> kTrashColumns = {
    {{"Original name", 100}, {"Original map", 120}, {"Trashed as", 100}, {"Original path", 500}}};
// On resize, "Original path" takes the list's width less the other three
// columns' widths and 20, but at least 100 pixels.
int OriginalPathWidth(int list_width, int other_columns_width);
// The status panel while rows are selected: "Selected files: " + count.
std::string SelectedFilesText(std::size_t selected);

class TrashManager {
 public:
  explicit TrashManager(Mapper& mapper) : m_(mapper) {}

  // RefreshBtnClick (and each showing): reloads the log, tidies it (legacy
  // lines become records; a folder's record goes when the folder exists
  // again, a file's when its trashed file is no longer in the trash), writes
  // it, lists one row per record sorted by name, and writes it once more
  // with the header "*** TrashManager v2.0 ***". The result is the one of
  // repeating each tidying pass until it removes nothing, reached in one
  // pass each. A missing or empty log is created again with its header,
  // which the status says this once. A line that cannot be read as a
  // record stays in the log as it is, is listed nowhere and acted on never;
  // when the trash folder cannot be listed no file record is dropped. The
  // status says both. Throws HostError when the log cannot be read or
  // written (the rows are then empty), RefusedFileError when a symbolic
  // link or anything but a plain file stands in the log's place.
  void Refresh();

  const std::vector<TrashRow>& rows() const { return rows_; }
  // "<records> file(s)", folder records counted too.
  const std::string& status() const { return status_; }

  // RestoreBtnClick with the selected rows (indexes into rows(), any order;
  // they are done in the list's order). Each file goes back through the
  // guarded move (which never replaces a file, takes its name as the record
  // spells it even beside a twin in another case, and offers to create a
  // missing folder with every missing level); a folder row creates its
  // folder, one level. The record of each row that came back is dropped,
  // then the log is written and the list refreshed. `button_caption`
  // titles the notice for an empty selection.
  void Restore(std::vector<std::size_t> selected, const std::string& button_caption);
  // Restore of the rows in the order given (a row given again is skipped),
  // with the same checks, as one piece of work: one flush, then the log
  // written and the list refreshed once. For a caller that brings folders
  // back before the files inside them. Nothing at all is done for no rows.
  void RestoreInOrder(const std::vector<std::size_t>& rows);
  // DeleteBtnClick: asks once; on Yes each selected file is deleted from the
  // trash (guarded) and its record dropped, a folder row's record simply
  // dropped. Yes or No, the log is written and the list refreshed.
  void DeleteForGood(std::vector<std::size_t> selected, const std::string& button_caption);
  // FolderBtnClick: opens the trash folder in the desktop's file manager.
  void OpenTrashFolder();
  // N1Click ("&?"): opens the help page, maximised.
  void OpenHelp();

  // The trash lines as last loaded and tidied (line 0 the header).
  const std::vector<std::string>& lines() const { return lines_; }

  // When set, the restores and DeleteForGood call it after every 64th
  // row they handled, with the number handled so far: one call may act
  // on thousands of rows, and a progress line should move meanwhile.
  std::function<void(std::size_t handled)> on_progress;

 private:
  // Restore and delete for good: each selected row, in the order given
  // and once, is checked, found in the trash lines and handed to `act`
  // (none when `act` is empty); the records of the rows it succeeds for
  // are dropped. Then the log is written and the list refreshed.
  // `act` gets the Windows folder and the trash folder held open, which it
  // acts in.
  using RowAct = std::function<bool(const TrashRow&, TreeHandle& windows, TreeHandle& trash)>;
  void ForEachSelected(const std::vector<std::size_t>& selected, const RowAct& act);
  // True when the row may be restored or deleted; otherwise says why.
  bool RowIsSafe(const TrashRow& row, TreeHandle& windows);

  Mapper& m_;
  std::vector<std::string> lines_;
  // The record of each line, where it can be read (index 0, the header, none).
  std::vector<std::optional<TrashRecord>> records_;
  std::vector<TrashRow> rows_;
  std::string status_;
};

}  // namespace zv
