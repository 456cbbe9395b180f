// zorvan trash list, restore and purge: the trash manager's rows and its
// two buttons, through the same engine calls, so the same tidying, checks,
// questions and log records.
#include <algorithm>
#include <map>
#include <optional>
#include <ostream>

#include "cli/command_steps.h"
#include "cli/commands.h"
#include "cli/formats.h"
#include "cli/trash_preview.h"
#include "mapper/engine/maintenance.h"
#include "mapper/trash/alike_rows.h"
#include "mapper/trash/trash_log.h"
#include "mapper/trash/trash_manager.h"
#include "mapper/trash/trash_store.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

// A row's fields as one key; no field holds a NUL.
std::string RowKey(const TrashRow& row) {
  return row.name + '\0' + row.map + '\0' + row.trashed + '\0' + row.place;
}

// Whether --map and --name (when given) both take the row. --name takes
// the original name, or the original entry in the map's form or as a path.
bool Selects(const CommandContext& c, const TrashRow& row) {
  const Invocation& call = c.invocation;
  if (!call.map_rows.empty() && !EqualsNoCase(row.map, call.map_rows)) return false;
  if (call.name_rows.empty()) return true;
  if (EqualsNoCase(row.name, call.name_rows)) return true;
  const std::string path = GivenEntryPath(c.mapper, call.name_rows);
  return EqualsNoCase(IsFolderRow(row) ? row.place : row.place + row.name, path);
}

// The rows the command line selects, in the list's order.
std::vector<TrashRow> SelectedRows(const CommandContext& c, const TrashManager& trash) {
  std::vector<TrashRow> rows;
  for (const TrashRow& row : trash.rows()) {
    if (Selects(c, row)) rows.push_back(row);
  }
  return rows;
}

// Where `wanted` stand in the trash's rows now; those gone are left out.
// Two rows alike stand for two records alike.
std::vector<std::size_t> IndexesOf(const TrashManager& trash, const std::vector<TrashRow>& wanted) {
  AlikeRows rows(trash.rows().size());
  for (std::size_t i = 0; i < trash.rows().size(); ++i) rows.Add(RowKey(trash.rows()[i]), i);
  std::vector<std::size_t> indexes;
  indexes.reserve(wanted.size());
  for (const TrashRow& row : wanted) {
    if (const std::optional<std::size_t> index = rows.Take(RowKey(row))) indexes.push_back(*index);
  }
  return indexes;
}

// The rows of `wanted` still in the trash.
std::vector<TrashRow> StillThere(const TrashManager& trash, const std::vector<TrashRow>& wanted) {
  std::vector<TrashRow> rows;
  for (const std::size_t i : IndexesOf(trash, wanted)) rows.push_back(trash.rows()[i]);
  return rows;
}

// The trash manager, its log tidied, with the trash folder made first as
// the mapper's start makes it. False, with the reason said, when there is
// no trash folder and none can be made. A dry run makes no folder: without
// one the trash is empty, and the tidied log stays in memory.
bool OpenTrash(CommandContext& c, TrashManager& trash) {
  if (c.invocation.dry_run) {
    if (c.mapper.host.FolderExists(TrashFolderPath(c.mapper))) trash.Refresh();
    return true;
  }
  if (!CreateTrashStore(c.mapper)) return false;
  trash.Refresh();
  return true;
}

// --all on an empty trash: nothing to do, which is done, said.
bool EmptyAndAll(CommandContext& c, const TrashManager& trash) {
  if (!c.invocation.all || !trash.rows().empty()) return false;
  c.person.Say("the trash is empty: nothing to do.");
  return true;
}

// The selected rows; none is a refusal, said.
bool SelectSome(CommandContext& c, const TrashManager& trash, std::vector<TrashRow>* rows) {
  *rows = SelectedRows(c, trash);
  if (!rows->empty()) return true;
  std::string which;
  if (!c.invocation.map_rows.empty()) which += " of the map \"" + c.invocation.map_rows + "\"";
  if (!c.invocation.name_rows.empty()) which += " named \"" + c.invocation.name_rows + "\"";
  c.person.Say(trash.rows().empty() ? "the trash is empty." : "the trash holds no row" + which +
                                                                  ". Run 'zorvan trash list' to see its rows.");
  return false;
}

// Names each row that stayed in the trash and says `why`; the exit code.
int ReportStayed(CommandContext& c, const std::vector<TrashRow>& stayed, const std::string& why) {
  if (stayed.empty()) return kDone;
  for (const TrashRow& row : stayed) {
    c.person.Say("still in the trash: " + EntryLabel(c, OriginalEntry(row)) + " (" + row.trashed + ", map \"" +
                 row.map + "\")");
  }
  c.person.Say(Counted(stayed.size(), "row", "rows") + " stayed in the trash: " + why);
  return kFailed;
}

int RunTrashList(CommandContext& c) {
  TrashManager trash(c.mapper);
  if (!OpenTrash(c, trash)) return kFailed;
  const std::vector<TrashRow> rows = SelectedRows(c, trash);
  const bool filtered = rows.size() != trash.rows().size();
  switch (c.invocation.format) {
    case Format::kText: {
      if (!rows.empty()) {
        TextTable table({false, false, false, false});
        table.Add({"NAME", "MAP", "TRASHED AS", "ORIGINAL"});
        for (const TrashRow& row : rows) {
          table.Add({row.name, MapLabel(c, row.map), row.trashed, EntryLabel(c, OriginalEntry(row))});
        }
        c.out << table.Render();
      }
      c.out << (filtered ? std::to_string(rows.size()) + " of " : std::string())
            << Counted(trash.rows().size(), "record", "records") << " in the trash\n";
      break;
    }
    case Format::kTsv:
      c.out << "name\t" << MapTsvHeader(c) << "\ttrashed\ttype\toriginal\n";
      for (const TrashRow& row : rows) {
        c.out << TsvField(row.name) << '\t' << MapTsvFields(c, row.map) << '\t'
              << (IsFolderRow(row) ? std::string() : TsvField(row.trashed)) << '\t' << TypeWord(IsFolderRow(row))
              << '\t' << TsvField(EntryField(c, OriginalEntry(row))) << '\n';
      }
      break;
    case Format::kJson:
      c.out << JsonListStart("rows");
      for (std::size_t i = 0; i < rows.size(); ++i) {
        const TrashRow& row = rows[i];
        c.out << JsonRowBreak(i) << "{\"name\": " << JsonString(row.name) << ", " << MapJsonMembers(c, row.map)
              << ", \"trashed\": " << (IsFolderRow(row) ? std::string("null") : JsonString(row.trashed))
              << ", \"type\": \"" << TypeWord(IsFolderRow(row))
              << "\", \"original\": " << JsonString(EntryField(c, OriginalEntry(row))) << "}";
      }
      c.out << JsonListEnd(rows.size());
      break;
  }
  return kDone;
}

// The depth of a folder row's folder below the Windows folder.
std::size_t Depth(const TrashRow& row) { return static_cast<std::size_t>(std::count(row.place.begin(), row.place.end(), '\\')); }

// The trash manager's Restore button takes rows in the list's order, by
// name, and makes a folder one level only: a file whose folder (or that
// folder's parent) is still in the trash could not come back before it.
// So the folders go first, shallow ones before deeper ones, and then the
// files.
std::vector<std::vector<TrashRow>> RestoreSteps(const std::vector<TrashRow>& wanted) {
  std::map<std::size_t, std::vector<TrashRow>> folders_by_depth;
  std::vector<TrashRow> files;
  for (const TrashRow& row : wanted) {
    if (IsFolderRow(row)) {
      folders_by_depth[Depth(row)].push_back(row);
    } else {
      files.push_back(row);
    }
  }
  std::vector<std::vector<TrashRow>> steps;
  for (auto& [depth, rows] : folders_by_depth) steps.push_back(std::move(rows));
  if (!files.empty()) steps.push_back(std::move(files));
  return steps;
}

int RunTrashRestore(CommandContext& c) {
  Mapper& m = c.mapper;
  // A restore ends with the mapper's refresh, which scans.
  if (!ReadyToScan(c)) return kFailed;
  TrashManager trash(m);
  std::vector<TrashRow> wanted;
  if (!OpenTrash(c, trash)) return kFailed;
  if (EmptyAndAll(c, trash)) return kDone;
  if (!SelectSome(c, trash, &wanted)) return kFailed;

  const std::vector<std::vector<TrashRow>> steps = RestoreSteps(wanted);
  if (c.invocation.dry_run) return PreviewRestore(c, steps);
  // The steps one after another, as one restore of the trash manager (one
  // flush, one rewrite of the log, one refresh); the progress line moves
  // with its rows.
  std::vector<TrashRow> in_order;
  in_order.reserve(wanted.size());
  for (const std::vector<TrashRow>& step : steps) in_order.insert(in_order.end(), step.begin(), step.end());
  const std::string of = " of " + Counted(wanted.size(), "row", "rows");
  trash.on_progress = [&](std::size_t handled) { c.person.SetProgressMessage(std::to_string(handled) + of); };
  c.person.SetProgressCaption("Restoring");
  c.person.SetProgressMessage("0" + of);
  c.person.ShowProgress(true);
  trash.RestoreInOrder(IndexesOf(trash, in_order));
  c.person.ShowProgress(false);

  const std::vector<TrashRow> stayed = StillThere(trash, wanted);
  if (stayed.size() < wanted.size()) {
    c.person.ShowProgress(true);
    RefreshMaps(m);
    c.person.ShowProgress(false);
  }
  c.out << wanted.size() - stayed.size() << " of " << Counted(wanted.size(), "row", "rows") << " restored; the trash "
        << "holds " << Counted(trash.rows().size(), "record", "records") << ".\n";
  return ReportStayed(c, stayed,
                      "a file of that name is in its place again, its folder could not be made, or it is read-only "
                      "(--force lets it move). Mend the cause and run the command again.");
}

int RunTrashPurge(CommandContext& c) {
  TrashManager trash(c.mapper);
  std::vector<TrashRow> wanted;
  if (!OpenTrash(c, trash)) return kFailed;
  if (EmptyAndAll(c, trash)) return kDone;
  if (!SelectSome(c, trash, &wanted)) return kFailed;
  if (c.invocation.dry_run) return PreviewPurge(c, wanted);
  c.person.SetProgressCaption("Deleting");
  c.person.SetProgressMessage(Counted(wanted.size(), "row", "rows"));
  c.person.ShowProgress(true);
  trash.DeleteForGood(IndexesOf(trash, wanted), "Delete");
  c.person.ShowProgress(false);
  const std::vector<TrashRow> stayed = StillThere(trash, wanted);
  if (stayed.size() == wanted.size() && c.person.refused()) {
    // A declined question has said already why the answer was no.
    c.person.Say(c.person.declined() ? "nothing was deleted." : "nothing was deleted: the answer was no.");
    return kFailed;
  }
  c.out << wanted.size() - stayed.size() << " of " << Counted(wanted.size(), "row", "rows")
        << " deleted for good; the trash holds " << Counted(trash.rows().size(), "record", "records") << ".\n";
  return ReportStayed(c, stayed, "a read-only file is deleted only with --force. Run the command again.");
}

// What --map and --name select, the same for every trash command.
constexpr const char* kRowsText =
    "--map NAME selects every row of the map (application) NAME, --name NAME the rows of files or folders named "
    "NAME (or, given with a folder part, the one that came from there: SYSTEM/Foo.dll or its full path); given "
    "together, a row must match both. Letter case is ignored.";

}  // namespace

Command TrashListCommand() {
  return {
      .name = "trash list",
      .summary = "List what lies in the trash, as the trash manager lists it (and tidy its log).",
      .arguments = {},
      .options = kFormatOption | kHostPathsOption | kRowsOption,
      .changes_files = true,
      .description = {
          "Lists the trash manager's rows: one per record of the trash log, sorted by the original name, with the "
          "map it was removed under, its name in the trash folder (<DIR> for a folder, of which nothing is "
          "kept), and where it came from (with \"<DIR> \" before a folder). The last line says how many records "
          "the log holds.",
          "Listing tidies the log as the trash manager does each time it shows: lines of earlier versions become "
          "records, a record whose file is gone from the trash or whose folder exists again is dropped, and the "
          "log is written again. So this command changes files: it takes the locks of a writer and refuses while "
          "Zorvan32 runs.",
          std::string(kRowsText) + " Without them every row is listed.",
          "Columns in tsv: name, map (with --host-paths map_file after it), trashed (the name in the trash folder, "
          "empty for a folder), type (file or folder), original (where it came from, without \"<DIR> \"; with "
          "--host-paths its full path). In json: {\"format\": 1, \"rows\": [...]}, one object per row with the "
          "same names (trashed null for a folder).",
      },
      .examples = {"zorvan trash list", "zorvan trash list --map \"Foo 2.1\" --host-paths"},
      .run = RunTrashList,
  };
}

Command TrashRestoreCommand() {
  return {
      .name = "trash restore",
      .summary = "Bring rows of the trash back to where they came from.",
      .arguments = {},
      .options = kRowsOption | kAllOption | kForceOption | kDryRunOption,
      .changes_files = true,
      .description = {
          "Restores the selected rows as the trash manager's Restore button does: each file moves back to its "
          "place (never over a file that is there again), each folder is made again, and their records leave "
          "the log. Folders come back first, each before the folders inside it, then the files, so a whole "
          "application comes back in one step: zorvan trash restore --map NAME. A file keeps its contents and "
          "permission bits (a read-only file lost its read-only mark when --force let it into the trash, as in "
          "the mapper). When a file's folder is missing, the question whether to make it is answered by --yes; "
          "a read-only file moves only with --force. When something came back, the maps are then reloaded and the "
          "snapshot taken again, as the mapper does after its trash manager closes.",
          std::string(kRowsText) + " --all selects every row. One of them must be given.",
          "Every row that stays in the trash is named, and the exit status is then 1.",
      },
      .examples = {"zorvan trash restore --map \"Foo 2.1\" --yes", "zorvan trash restore --name win.ini"},
      .run = RunTrashRestore,
  };
}

Command TrashPurgeCommand() {
  return {
      .name = "trash purge",
      .summary = "Delete rows of the trash for good.",
      .arguments = {},
      .options = kRowsOption | kAllOption | kForceOption | kDryRunOption,
      .changes_files = true,
      .description = {
          "Deletes the selected rows for good as the trash manager's Delete button does: after one question "
          "(--yes answers it) each file is deleted from the trash folder and its record leaves the log; a "
          "folder's record simply goes. A read-only file is deleted only with --force. What is purged cannot "
          "be restored.",
          std::string(kRowsText) + " --all selects every row. One of them must be given.",
      },
      .examples = {"zorvan trash purge --map \"Foo 2.1\" --yes", "zorvan trash purge --all --yes"},
      .run = RunTrashPurge,
  };
}

}  // namespace zv::cli
