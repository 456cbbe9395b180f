#include "mapper/trash/trash_manager.h"

#include <algorithm>
#include <unordered_map>

#include "mapper/engine/messages.h"
#include "mapper/engine/presence.h"
#include "mapper/engine/guarded.h"
#include "mapper/trash/safe_paths.h"
#include "mapper/trash/trash_log.h"
#include "platform/text.h"

namespace zv {

bool IsFolderRow(const TrashRow& row) { return FindNoCase(row.trashed, kFolderTrashedName) != std::string::npos; }

namespace {

// Whether `relative` names a folder below the cache's root (the root itself
// when empty), as FolderExists would tell.
bool FolderThere(PresenceCache& cache, std::string_view relative) {
  while (!relative.empty() && (relative.back() == '\\' || relative.back() == '/')) relative.remove_suffix(1);
  if (relative.empty()) return true;
  EntryKind kind;
  std::string found;
  return cache.Find(relative, &kind, &found) && kind == EntryKind::kFolder;
}

bool FileThere(PresenceCache& cache, std::string_view relative) {
  EntryKind kind;
  std::string found;
  return cache.Find(relative, &kind, &found) && kind == EntryKind::kFile;
}

// The trash lines' records by trashed name (case ignored), so that each
// row's own record is found without reading every line.
class RecordIndex {
 public:
  explicit RecordIndex(const std::vector<std::string>& lines) : lines_(lines) {
    for (std::size_t i = 1; i < lines.size(); ++i) by_trashed_[UpperAscii(RecordField(lines[i], 'T'))].push_back(i);
  }
  // The first line not dropped yet whose N, M, T and P are the row's, or -1.
  // Matching every field, not only T, tells apart the folder records (all
  // named "<DIR>") and any two records that share a trashed name.
  int Find(const TrashRow& row, const std::vector<bool>& dropped) const {
    const auto group = by_trashed_.find(UpperAscii(row.trashed));
    if (group == by_trashed_.end()) return -1;
    for (const std::size_t i : group->second) {
      const std::string_view line = lines_[i];
      if (!dropped[i] && RecordField(line, 'N') == row.name && RecordField(line, 'M') == row.map &&
          RecordField(line, 'T') == row.trashed && RecordField(line, 'P') == row.place) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }

 private:
  const std::vector<std::string>& lines_;
  std::unordered_map<std::string, std::vector<std::size_t>> by_trashed_;
};

}  // namespace

int OriginalPathWidth(int list_width, int other_columns_width) {
  return std::max(100, list_width - other_columns_width - 20);
}

std::string SelectedFilesText(std::size_t selected) { return "Selected files: " + std::to_string(selected); }

void TrashManager::Refresh() {
  rows_.clear();
  lines_.clear();
  status_.clear();
  const std::string log = TrashLogPath(m_);
  if (m_.host.PathExists(log)) lines_ = SplitLines(m_.host.ReadFile(log));
  const bool recreated = lines_.empty();
  if (recreated) {
    lines_.push_back(kStartLogHeader);
    if (!m_.host.FolderExists(TrashFolderPath(m_))) m_.host.MakeFolder(TrashFolderPath(m_));
  }

  // Both tidying passes in one sweep each. Whether a line goes depends on
  // that line and the disk only, so repeating a pass after each removal, as
  // the log's first readers did, drops exactly these lines.
  const std::string& windows = m_.windows_folder;
  PresenceCache windows_cache(m_.host, windows);
  std::size_t kept = 1;
  for (std::size_t i = 1; i < lines_.size(); ++i) {
    std::string& line = lines_[i];
    if (IsLegacyLine(line)) line = ConvertLegacyLine(line);
    if (IsFolderLine(line) && FolderThere(windows_cache, RecordField(line, 'P'))) continue;
    if (kept != i) lines_[kept] = std::move(line);
    ++kept;
  }
  lines_.resize(kept);
  PresenceCache trash_cache(m_.host, TrashFolderPath(m_));
  kept = 1;
  for (std::size_t i = 1; i < lines_.size(); ++i) {
    std::string& line = lines_[i];
    if (!IsFolderLine(line) && !FileThere(trash_cache, RecordField(line, 'T'))) continue;
    if (kept != i) lines_[kept] = std::move(line);
    ++kept;
  }
  lines_.resize(kept);
  m_.host.WriteFile(log, JoinLines(lines_));

  rows_.reserve(lines_.size() - 1);
  for (std::size_t i = 1; i < lines_.size(); ++i) {
    TrashRecord record = ParseRecord(lines_[i]);
    std::string path = DisplayPath(windows + "\\" + record.place);
    rows_.push_back({std::move(record.name), std::move(record.map), std::move(record.trashed), std::move(path),
                     std::move(record.place)});
  }
  std::stable_sort(rows_.begin(), rows_.end(),
                   [](const TrashRow& a, const TrashRow& b) { return LessNoCase(a.name, b.name); });
  lines_[0] = kManagerLogHeader;
  m_.host.WriteFile(log, JoinLines(lines_));
  status_ = std::to_string(lines_.size() - 1) + " file(s)";
  if (recreated) status_ += "; trash log re-created";
}

bool TrashManager::RowIsSafe(const TrashRow& row, TreeHandle& windows) {
  if (IsFolderRow(row)) {
    if (!row.place.empty() && ReachableInTree(m_.host, windows, row.place)) return true;
    ShowLeavesWindowsFolder(m_, row.place);
    return false;
  }
  if (!IsPlainName(row.trashed) || EqualsNoCase(row.trashed, kTrashLogName)) {
    ShowNotInTrashFolder(m_, row.trashed);
    return false;
  }
  if (IsPlainName(row.name) && ReachableInTree(m_.host, windows, row.place + row.name)) return true;
  ShowLeavesWindowsFolder(m_, row.place + row.name);
  return false;
}

void TrashManager::ForEachSelected(std::vector<std::size_t> selected, const RowAct& act) {
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  std::vector<bool> dropped(lines_.size(), false);
  if (act) {
    const RecordIndex index(lines_);
    const std::unique_ptr<TreeHandle> windows = m_.host.OpenTree(m_.windows_folder);
    const std::unique_ptr<TreeHandle> trash = m_.host.OpenTree(TrashFolderPath(m_));
    for (const std::size_t r : selected) {
      if (r >= rows_.size()) continue;
      const TrashRow& row = rows_[r];
      if (!RowIsSafe(row, *windows)) continue;
      const int line = index.Find(row, dropped);
      if (line < 0) {
        m_.person.ShowNotice("Error", "Cannot find " + row.trashed + " in !TRASH!.DAT");
        continue;
      }
      if (act(row, *windows, *trash)) dropped[static_cast<std::size_t>(line)] = true;
    }
  }
  std::vector<std::string> remaining;
  remaining.reserve(lines_.size());
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (!dropped[i]) remaining.push_back(lines_[i]);
  }
  m_.host.WriteFile(TrashLogPath(m_), JoinLines(remaining));
  Refresh();
}

void TrashManager::Restore(std::vector<std::size_t> selected, const std::string& button_caption) {
  if (selected.empty()) {
    m_.person.ShowNotice(button_caption, LookupMessage(m_, "*RESTOR1ST"));
    return;
  }
  ForEachSelected(std::move(selected), [this](const TrashRow& row, TreeHandle& windows, TreeHandle& trash) {
    if (IsFolderRow(row)) return m_.host.MakeFolderInTree(windows, row.place);
    return GuardedMove(m_, {trash, row.trashed}, {windows, row.place + row.name});
  });
}

void TrashManager::DeleteForGood(std::vector<std::size_t> selected, const std::string& button_caption) {
  if (selected.empty()) {
    m_.person.ShowNotice(button_caption, LookupMessage(m_, "*MUSTSELF"));
    return;
  }
  const bool yes = m_.person.AskConfirm(LookupMessage(m_, "*F2KILL") + "\n" + LookupMessage(m_, "*DELFOREVER"));
  RowAct act;
  if (yes) {
    // Nothing of a folder is kept in the trash: its record simply goes.
    act = [this](const TrashRow& row, TreeHandle&, TreeHandle& trash) {
      return IsFolderRow(row) || GuardedDelete(m_, TreePlace{trash, row.trashed});
    };
  }
  ForEachSelected(std::move(selected), act);
}

void TrashManager::OpenTrashFolder() { m_.host.ShellOpen(TrashFolderPath(m_), "", "", 1); }

void TrashManager::OpenHelp() { m_.host.ShellOpen(m_.ProgramFile("zvhelp.htm"), "", "", 3); }

}  // namespace zv
