#include "mapper/trash/trash_manager.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "mapper/engine/messages.h"
#include "mapper/engine/presence.h"
#include "mapper/engine/shell_links.h"
#include "mapper/engine/guarded.h"
#include "mapper/trash/alike_rows.h"
#include "mapper/trash/safe_paths.h"
#include "mapper/trash/trash_log.h"
#include "platform/text.h"

namespace zv {

bool IsFolderRow(const TrashRow& row) { return EqualsNoCase(row.trashed, kFolderTrashedName); }

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

// The files of the trash folder, looked up as the host looks up a name: as
// spelled, else ignoring ASCII case (the first match in byte order).
class TrashFiles {
 public:
  // False when the folder cannot be listed: then nothing is known of it.
  bool Load(Host& host, const std::string& folder) {
    std::vector<FolderEntry> entries;
    if (!host.ListFolder(folder, &entries)) return false;
    for (const FolderEntry& entry : entries) {
      const bool file = entry.kind == EntryKind::kFile;
      exact_.emplace(entry.name, file);
      auto [it, added] = by_upper_.try_emplace(UpperAscii(entry.name), entry.name, file);
      if (!added && entry.name < it->second.first) it->second = {entry.name, file};
    }
    return true;
  }
  bool HasFile(const std::string& name) const {
    if (const auto it = exact_.find(name); it != exact_.end()) return it->second;
    const auto it = by_upper_.find(UpperAscii(name));
    return it != by_upper_.end() && it->second.second;
  }

 private:
  std::unordered_map<std::string, bool> exact_;
  std::unordered_map<std::string, std::pair<std::string, bool>> by_upper_;
};

// A record's fields as one key, T in upper case as the trash's names are
// looked up; no field holds a NUL.
std::string RecordKey(const std::string& name, const std::string& map, const std::string& trashed,
                      const std::string& place) {
  return name + '\0' + map + '\0' + UpperAscii(trashed) + '\0' + place;
}

// Selected rows as the buttons take them: in the list's order, once each.
std::vector<std::size_t> InListOrder(std::vector<std::size_t> selected) {
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  return selected;
}

}  // namespace

int OriginalPathWidth(int list_width, int other_columns_width) {
  return std::max(100, list_width - other_columns_width - 20);
}

std::string SelectedFilesText(std::size_t selected) { return "Selected files: " + std::to_string(selected); }

void TrashManager::Refresh() {
  rows_.clear();
  lines_.clear();
  records_.clear();
  status_.clear();
  const std::string log = TrashLogPath(m_);
  if (m_.host.PathExists(log)) lines_ = SplitLines(ReadTrashLog(m_));
  const bool recreated = lines_.empty();
  if (recreated) {
    lines_.push_back(kStartLogHeader);
    if (!m_.host.FolderExists(TrashFolderPath(m_))) m_.host.MakeFolder(TrashFolderPath(m_));
  }

  // Both tidying passes in one sweep each. Whether a line goes depends on
  // that line and the disk only, so repeating a pass after each removal, as
  // the log's first readers did, drops exactly these lines. A line that
  // cannot be read as a record is kept as it is and never acted on.
  const std::string& windows = m_.windows_folder;
  PresenceCache windows_cache(m_.host, windows);
  TrashFiles trash_files;
  // A trash folder that cannot be listed says nothing of its files: their
  // records stay until it can.
  const bool files_known = trash_files.Load(m_.host, TrashFolderPath(m_));
  records_.resize(lines_.size());
  std::size_t kept = 1, unreadable = 0;
  for (std::size_t i = 1; i < lines_.size(); ++i) {
    std::string& line = lines_[i];
    if (IsLegacyLine(line)) line = ConvertLegacyLine(line);
    std::optional<TrashRecord>& record = records_[i];
    if (TrashRecord read; ReadRecord(line, &read)) record = std::move(read);
    if (!record) {
      ++unreadable;
    } else if (IsFolderRecord(*record) ? FolderThere(windows_cache, record->place)
                                       : files_known && !trash_files.HasFile(record->trashed)) {
      continue;
    }
    if (kept != i) {
      lines_[kept] = std::move(line);
      records_[kept] = std::move(record);
    }
    ++kept;
  }
  lines_.resize(kept);
  records_.resize(kept);
  WriteTrashLog(m_, lines_);

  rows_.reserve(lines_.size() - 1);
  for (std::size_t i = 1; i < lines_.size(); ++i) {
    if (!records_[i]) continue;
    const TrashRecord& record = *records_[i];
    rows_.push_back({record.name, record.map, record.trashed, DisplayPath(windows + "\\" + record.place),
                     record.place});
  }
  std::stable_sort(rows_.begin(), rows_.end(),
                   [](const TrashRow& a, const TrashRow& b) { return LessNoCase(a.name, b.name); });
  lines_[0] = kManagerLogHeader;
  WriteTrashLog(m_, lines_);
  status_ = std::to_string(lines_.size() - 1) + " file(s)";
  if (recreated) status_ += "; trash log re-created";
  if (!files_known) status_ += "; the trash folder cannot be listed, so its records are kept as they are";
  if (unreadable != 0) status_ += "; " + std::to_string(unreadable) + " line(s) of the log cannot be read and are kept";
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

void TrashManager::ForEachSelected(const std::vector<std::size_t>& selected, const RowAct& act) {
  std::vector<bool> dropped(lines_.size(), false);
  bool acted = false;
  if (act) {
    // Each row's own record, found by all its fields at once: folder
    // records all share the trashed name "<DIR>", and two records may
    // share any other field. Records alike are taken in the log's order.
    AlikeRows records(lines_.size());
    for (std::size_t i = 1; i < lines_.size(); ++i) {
      if (const auto& r = records_[i]) records.Add(RecordKey(r->name, r->map, r->trashed, r->place), i);
    }
    const std::unique_ptr<TreeHandle> windows = m_.host.OpenTree(m_.windows_folder);
    const std::unique_ptr<TreeHandle> trash = m_.host.OpenTree(TrashFolderPath(m_));
    std::vector<bool> seen(rows_.size(), false);
    std::size_t handled = 0;
    for (const std::size_t r : selected) {
      if (on_progress && handled != 0 && handled % 64 == 0) on_progress(handled);
      ++handled;
      if (r >= rows_.size() || seen[r]) continue;
      seen[r] = true;
      const TrashRow& row = rows_[r];
      if (!RowIsSafe(row, *windows)) continue;
      const std::optional<std::size_t> line = records.Take(RecordKey(row.name, row.map, row.trashed, row.place));
      if (!line) {
        m_.person.ShowNotice("Error", "Cannot find " + row.trashed + " in !TRASH!.DAT");
        continue;
      }
      if (act(row, *windows, *trash)) dropped[*line] = acted = true;
    }
    // The rows' files moved and were deleted without a flush each: one
    // flush of both trees makes them durable before the log forgets their
    // records, so a power cut never leaves a file in the trash unrecorded.
    if (acted) {
      m_.host.FlushTree(*windows);
      m_.host.FlushTree(*trash);
    }
  }
  std::vector<std::string> remaining;
  remaining.reserve(lines_.size());
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (!dropped[i]) remaining.push_back(lines_[i]);
  }
  WriteTrashLog(m_, remaining);
  Refresh();
}

void TrashManager::Restore(std::vector<std::size_t> selected, const std::string& button_caption) {
  if (selected.empty()) {
    m_.person.ShowNotice(button_caption, LookupMessage(m_, "*RESTOR1ST"));
    return;
  }
  RestoreInOrder(InListOrder(std::move(selected)));
}

void TrashManager::RestoreInOrder(const std::vector<std::size_t>& rows) {
  if (rows.empty()) return;
  ForEachSelected(rows, [this](const TrashRow& row, TreeHandle& windows, TreeHandle& trash) {
    if (IsFolderRow(row)) return m_.host.MakeFolderInTree(windows, row.place);
    return GuardedMove(m_, {trash, row.trashed}, {windows, row.place + row.name}, false);
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
  ForEachSelected(InListOrder(std::move(selected)), act);
}

void TrashManager::OpenTrashFolder() { m_.host.ShellOpen(TrashFolderPath(m_), "", "", 1); }

void TrashManager::OpenHelp() { OpenHelpPage(m_); }

}  // namespace zv
