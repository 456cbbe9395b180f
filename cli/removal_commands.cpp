// zorvan remove: the mapper's "delete application" and "delete file", which
// move what a map lists into the trash with one log record each.
#include <ostream>
#include <unordered_map>
#include <unordered_set>

#include "cli/command_steps.h"
#include "cli/commands.h"
#include "cli/dry_run.h"
#include "cli/formats.h"
#include "mapper/engine/entry_path.h"
#include "mapper/engine/messages.h"
#include "mapper/trash/removal.h"
#include "mapper/trash/safe_paths.h"
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
    case StayCause::kOtherCase:
      return "not moved: the disk has it only in another letter case, which may be another file's name";
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

// The entries of `listing` still on disk, in its order.
std::vector<std::string> PresentEntries(const MapListing& listing) {
  std::vector<std::string> present;
  for (const MapItem& item : listing.items) {
    if (item.state == 1) present.push_back(item.caption);
  }
  return present;
}

// Whether every name in `folder` is one of `gone` (keys as PathKey gives),
// so that the folder would be empty by then. False when it cannot be listed.
bool EmptiedBy(Host& host, const std::string& folder, const std::unordered_set<std::string>& gone) {
  std::vector<FolderEntry> names;
  if (!host.ListFolder(folder, &names)) return false;
  const std::string prefix = ToHostPath(folder) + "/";
  for (const FolderEntry& name : names) {
    if (gone.count(PathKey(host, prefix + name.name)) == 0) return false;
  }
  return true;
}

// The removal's questions and moves, made by none: `asked` the entries on
// disk the command is about in the viewer's order, `present` every entry
// of the map on disk. The confirmation is shown, and what follows is what
// a yes brings; the other questions take the command line's answers.
int PreviewRemove(CommandContext& c, const std::string& confirmation, const std::vector<std::string>& asked,
                  const std::vector<std::string>& present) {
  Mapper& m = c.mapper;
  DryRunLines lines(c.out);
  lines.Ask(confirmation, c.invocation.yes, "--yes");
  const std::unique_ptr<TreeHandle> windows = m.host.OpenTree(m.windows_folder);
  std::unordered_set<std::string> gone;  // PathKey of each entry that would move
  std::unordered_set<std::string> moved;
  std::vector<std::string> stayed;
  std::vector<TrashStay> causes;
  const auto stay = [&](const std::string& entry, StayCause cause) {
    stayed.push_back(entry);
    causes.push_back({entry, cause, {}});
  };
  // Whether the removal may take what the disk spells for `entry`: its own
  // spelling always, another letter case only as the removal's rule allows.
  std::vector<std::string> log_lines;
  bool log_read = false;
  OtherCaseRule other_case(m);
  const auto may_take_spelling = [&](const std::string& entry) {
    const std::string relative(EntryTarget(entry));
    const TreeEntry found = m.host.LookInTree(*windows, relative);
    if (found.what != TreeFind::kFile || ToHostPath(entry) == found.spelled) return true;
    if (!log_read) {
      log_read = true;
      try {
        log_lines = SplitLines(ReadTrashLog(m));
      } catch (const HostError&) {
        // No log yet: no record names the entry.
      }
    }
    return other_case.MayStandFor(entry, found.spelled, log_lines);
  };
  // Last row first, as the removal goes: files before their folders, and
  // each folder after the folders inside it.
  for (auto entry = asked.rbegin(); entry != asked.rend(); ++entry) {
    const std::string relative(EntryTarget(*entry));
    const std::string full = m.WindowsPath(relative);
    if (LeavesWindowsFolder(*entry) || !ReachableInTree(m.host, *windows, relative)) {
      stay(*entry, StayCause::kRefused);
    } else if (IsFolderEntry(*entry) && !EmptiedBy(m.host, full, gone)) {
      stay(*entry, StayCause::kFolderNotEmpty);
    } else if (!IsFolderEntry(*entry) && !may_take_spelling(*entry)) {
      stay(*entry, StayCause::kOtherCase);
    } else if (!IsFolderEntry(*entry) && m.host.IsReadOnly(full) &&
               !lines.Ask(ReadOnlyQuestion(m, full, "*VIO-MOVE?"), c.invocation.force, "--force")) {
      stay(*entry, StayCause::kDeclined);
    } else {
      gone.insert(PathKey(m.host, full));
      moved.insert(*entry);
      lines.Would("move", EntryLabel(c, *entry));
    }
  }
  std::vector<std::string> left;
  for (const std::string& entry : present) {
    if (moved.count(entry) == 0) left.push_back(entry);
  }
  const StayReport report = SortStays(stayed, left, causes);
  for (const std::string& folder : report.kept_folders) {
    lines.Stay(EntryLabel(c, folder), "it also holds what this map does not list");
  }
  for (const auto& [entry, why] : report.failed) lines.Stay(EntryLabel(c, entry), why);
  c.person.Say("dry run: " + std::to_string(lines.done()) + " of " +
               Counted(asked.size(), "entry on disk", "entries on disk") + " would move into the trash " +
               DisplayPath(TrashFolderPath(m)) + "; nothing was changed.");
  return report.failed.empty() ? kDone : kFailed;
}

int RunRemove(CommandContext& c) {
  Mapper& m = c.mapper;
  const std::string& given = c.invocation.entry;
  const bool dry_run = c.invocation.dry_run;
  // The removal ends with the mapper's refresh, which scans; and it needs
  // the trash folder start-up makes (a dry run makes nothing).
  if (!ReadyToScan(c) || (!dry_run && !CreateTrashStore(m))) return kFailed;
  if (!SelectNamedMap(c, c.invocation.arguments[0])) return kFailed;
  const std::string name = m.maps.SelectedName();
  const MapListing before = DetailedListing(m, m.maps.selected);
  const std::string trash = DisplayPath(TrashFolderPath(m));

  bool ran = false;
  std::vector<std::string> asked;  // the entries the command is about
  RemovalOutcome outcome;
  if (given.empty()) {
    asked = PresentEntries(before);
    if (dry_run) {
      return PreviewRemove(c, LookupMessage(m, "*ATODEL") + name + "\"\n" + LookupMessage(m, "*AMOVEDTO") + trash,
                           asked, asked);
    }
    c.person.SetProgressCaption("Removing \"" + name + "\"");
    c.person.SetProgressMessage(Counted(asked.size(), "entry", "entries"));
    c.person.ShowProgress(true);
    ran = DeleteApplication(m, &outcome);
    c.person.ShowProgress(false);
  } else {
    const MapItem* item = FindEntry(m, before, given);
    if (item == nullptr) {
      c.person.Say("the map \"" + name + "\" lists no entry \"" + given + "\". zorvan show \"" + name +
                   "\" lists its entries.");
      return kFailed;
    }
    asked.push_back(item->caption);
    if (!dry_run) {
      ran = DeleteSelectedFile(m, item, &outcome);
    } else if (item->state == 1) {
      return PreviewRemove(c, LookupMessage(m, "*FTODEL") + DisplayPath(item->caption) + "\"\n" +
                                  LookupMessage(m, "*FMOVEDTO") + trash,
                           asked, PresentEntries(before));
    } else {
      // As the removal refuses an entry already gone.
      c.person.ShowNotice(m.main_caption, LookupMessage(m, "*GIADEL"));
    }
  }
  if (!ran) {
    c.person.Say("nothing was moved into the trash.");
    return kFailed;
  }

  // What is still on disk afterwards stayed, but for what was put into the
  // trash while a name of another letter case, which the map's entry also
  // names, is still there.
  const int row = RowOf(m, name);
  const MapListing after = row >= 0 ? DetailedListing(m, row) : MapListing{};
  const std::unordered_set<std::string> about(asked.begin(), asked.end());
  const std::unordered_set<std::string> moved(outcome.moved.begin(), outcome.moved.end());
  const std::vector<std::string> present = PresentEntries(after);
  std::vector<std::string> stayed, twins_left;
  for (const std::string& entry : present) {
    if (about.count(entry) == 0) continue;
    (moved.count(entry) != 0 ? twins_left : stayed).push_back(entry);
  }
  c.person.ClearProgressLine();
  c.out << "\"" << name << "\": " << asked.size() - stayed.size() << " of "
        << Counted(asked.size(), "entry on disk", "entries on disk") << " moved into the trash "
        << DisplayPath(TrashFolderPath(m)) << ".\n";
  for (const std::string& entry : twins_left) {
    c.person.Say("moved into the trash, though a name that differs only in letter case is still on disk: " +
                 EntryLabel(c, entry));
  }
  const StayReport report = SortStays(stayed, present, outcome.stayed);
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
      .options = kEntryOption | kForceOption | kDryRunOption,
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
