// zorvan remove: the mapper's "delete application" and "delete file", which
// move what a map lists into the trash with one log record each.
#include <ostream>
#include <unordered_map>
#include <unordered_set>

#include "cli/command_steps.h"
#include "cli/commands.h"
#include "cli/formats.h"
#include "mapper/engine/entry_path.h"
#include "mapper/trash/removal.h"
#include "mapper/trash/trash_log.h"
#include "mapper/trash/trash_store.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

// The item of `listing` that `given` names: the entry as the map holds it,
// or its path as GivenEntryPath reads it; an exact spelling first, then
// any letter case. Null when none.
const MapItem* FindEntry(const Mapper& m, const MapListing& listing, const std::string& given) {
  const std::string path = GivenEntryPath(m, given);
  const std::vector<std::string> wanted = {given, path, std::string(kFolderMark) + path};
  for (const bool exact : {true, false}) {
    for (const std::string& name : wanted) {
      for (const MapItem& item : listing.items) {
        if (exact ? item.caption == name : EqualsNoCase(item.caption, name)) return &item;
      }
    }
  }
  return nullptr;
}

// The row of the map `name` in the catalogue, or -1.
int RowOf(const Mapper& m, const std::string& name) {
  for (std::size_t row = 0; row < m.maps.rows.size(); ++row) {
    if (EqualsNoCase(m.maps.rows[row], name)) return static_cast<int>(row);
  }
  return -1;
}

// The entries that stayed, sorted into folders kept because they hold what
// the map does not list (the normal case when applications share a folder)
// and entries that failed, each with its cause in words.
struct StayReport {
  std::vector<std::string> kept_folders;
  std::vector<std::pair<std::string, std::string>> failed;
};

std::string CauseText(const TrashStay* stay) {
  if (stay == nullptr) return "not moved (the message above says why)";
  switch (stay->cause) {
    case StayCause::kRefused:
      return "refused: it leaves the Windows folder or lies below a symbolic link";
    case StayCause::kDeclined:
      return "read-only, and moving it was declined (--force moves it)";
    case StayCause::kMoveFailed:
      return stay->reason.empty() ? "the move into the trash failed" : "cannot be moved: " + stay->reason;
    case StayCause::kFolderNotEmpty:
      return "the folder still holds files of this map";
    case StayCause::kLogFailed:
      return "not moved, as the trash log cannot be written" + (stay->reason.empty() ? "" : ": " + stay->reason);
  }
  return {};
}

// `stayed`: the entries the command was about that are still on disk;
// `present`: every entry of the map still on disk.
StayReport SortStays(const std::vector<std::string>& stayed, const std::vector<std::string>& present,
                     const std::vector<TrashStay>& causes) {
  std::unordered_map<std::string, const TrashStay*> cause_of;
  for (const TrashStay& stay : causes) cause_of.emplace(stay.entry, &stay);
  // A folder stays of its own accord unless a file of this map below it is
  // still there.
  const auto holds_own_file = [&](const std::string& folder) {
    const std::string prefix(EntryTarget(folder));
    for (const std::string& entry : present) {
      const std::string_view target = EntryTarget(entry);
      if (!entry.starts_with(kFolderMark) && target.size() > prefix.size() &&
          IsPathSeparator(target[prefix.size()]) && EqualsNoCase(target.substr(0, prefix.size()), prefix)) {
        return true;
      }
    }
    return false;
  };
  StayReport report;
  for (const std::string& entry : stayed) {
    const auto found = cause_of.find(entry);
    const TrashStay* stay = found == cause_of.end() ? nullptr : found->second;
    if (stay != nullptr && stay->cause == StayCause::kFolderNotEmpty && !holds_own_file(entry)) {
      report.kept_folders.push_back(entry);
    } else {
      report.failed.emplace_back(entry, CauseText(stay));
    }
  }
  return report;
}

int RunRemove(CommandContext& c) {
  Mapper& m = c.mapper;
  const std::string& given = c.invocation.entry;
  // The removal ends with the mapper's refresh, which scans; and it needs
  // the trash folder start-up makes.
  if (!ReadyToScan(c) || !CreateTrashStore(m)) return kFailed;
  if (!SelectNamedMap(c, c.invocation.arguments[0])) return kFailed;
  const std::string name = m.maps.SelectedName();
  const MapListing before = DetailedListing(m, m.maps.selected);

  bool ran = false;
  std::vector<std::string> asked;  // the entries the command is about
  std::vector<TrashStay> causes;
  if (given.empty()) {
    for (const MapItem& item : before.items) {
      if (item.state == 1) asked.push_back(item.caption);
    }
    c.person.SetProgressCaption("Removing \"" + name + "\"");
    c.person.SetProgressMessage(Counted(asked.size(), "entry", "entries"));
    c.person.ShowProgress(true);
    ran = DeleteApplication(m, &causes);
    c.person.ShowProgress(false);
  } else {
    const MapItem* item = FindEntry(m, before, given);
    if (item == nullptr) {
      c.person.Say("the map \"" + name + "\" lists no entry \"" + given + "\". zorvan show \"" + name +
                   "\" lists its entries.");
      return kFailed;
    }
    asked.push_back(item->caption);
    ran = DeleteSelectedFile(m, item, &causes);
  }
  if (!ran) {
    c.person.Say("nothing was moved into the trash.");
    return kFailed;
  }

  // What is still on disk afterwards stayed.
  const int row = RowOf(m, name);
  const MapListing after = row >= 0 ? DetailedListing(m, row) : MapListing{};
  const std::unordered_set<std::string> about(asked.begin(), asked.end());
  std::vector<std::string> stayed, present;
  for (const MapItem& item : after.items) {
    if (item.state != 1) continue;
    present.push_back(item.caption);
    if (about.count(item.caption) != 0) stayed.push_back(item.caption);
  }
  c.person.ClearProgressLine();
  c.out << "\"" << name << "\": " << asked.size() - stayed.size() << " of "
        << Counted(asked.size(), "entry on disk", "entries on disk") << " moved into the trash "
        << DisplayPath(TrashFolderPath(m)) << ".\n";
  const StayReport report = SortStays(stayed, present, causes);
  if (!report.kept_folders.empty()) {
    std::string kept;
    for (const std::string& folder : report.kept_folders) {
      kept += (kept.empty() ? "" : ", ") + EntryLabel(c, folder);
    }
    const bool one = report.kept_folders.size() == 1;
    c.person.Say(std::string(one ? "a folder stays, as it also holds" : "folders stay, as they also hold") +
                 " what this map does not list: " + kept + ".");
  }
  if (report.failed.empty()) {
    c.person.Say("run 'zorvan trash list' to see them and 'zorvan trash restore --map \"" + name +
                 "\"' to bring them back.");
    return kDone;
  }
  for (const auto& [entry, why] : report.failed) c.person.Say("still on disk: " + EntryLabel(c, entry) + ": " + why);
  c.person.Say(Counted(report.failed.size(), "entry", "entries") + " stayed where " +
               (report.failed.size() == 1 ? "it was" : "they were") + ", for the cause given.");
  return kFailed;
}

}  // namespace

Command RemoveCommand() {
  return {
      .name = "remove",
      .summary = "Move an application's files, or one entry, into the trash.",
      .arguments = {{"MAP", "the map's name, as zorvan maps lists it (letter case is ignored)"}},
      .options = kEntryOption | kForceOption,
      .changes_files = true,
      .description = {
          "Deletes the application MAP as the mapper's \"delete application\" does: after one question (--yes "
          "answers it), every entry of the map still on disk goes into the trash folder #TRASH of the program "
          "folder, files first and each folder after what it holds, with one record each in the trash log "
          "#TRASH/!TRASH!.DAT. Nothing is deleted for good, and the map itself stays (its entries show as "
          "missing); zorvan trash restore --map MAP brings everything back, zorvan unmap MAP forgets the map. "
          "Then the maps are reloaded and the snapshot taken again, as the mapper's refresh does.",
          "With --entry, only that entry goes, as the mapper's \"delete file\" does; an entry already gone from "
          "the disk is refused. A folder entry goes only when its folder is empty.",
          "A read-only file moves only with --force (or when the person answers yes on a terminal). A folder "
          "that still holds what the map does not list (another application's files) stays, as it should, and "
          "is named on one line. Every other entry that stays is named with its cause, and the exit status is "
          "then 1.",
      },
      .examples = {"zorvan remove \"Foo 2.1\" --yes", "zorvan remove Foo --entry SYSTEM/Foo.dll --yes --force"},
      .run = RunRemove,
  };
}

}  // namespace zv::cli
