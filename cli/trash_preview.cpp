#include "cli/trash_preview.h"

#include <unordered_set>

#include "cli/command_steps.h"
#include "cli/dry_run.h"
#include "cli/formats.h"
#include "mapper/engine/messages.h"
#include "mapper/trash/safe_paths.h"
#include "mapper/trash/trash_log.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

constexpr const char* kRefused = "refused: it leaves the Windows folder, lies below a symbolic link or is no file of "
                                 "the trash folder";

// The trash manager's own check before a row is restored or deleted.
bool RowStaysInside(Host& host, TreeHandle& windows, const TrashRow& row) {
  if (IsFolderRow(row)) return !row.place.empty() && ReachableInTree(host, windows, row.place);
  return IsPlainName(row.trashed) && !EqualsNoCase(row.trashed, kTrashLogName) && IsPlainName(row.name) &&
         ReachableInTree(host, windows, row.place + row.name);
}

// The folder of a host path, with its "/": "/w/SYSTEM/" for "/w/SYSTEM/a"
// and for "/w/SYSTEM/NewDir/"'s parent "/w/SYSTEM/".
std::string FolderOf(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path.substr(0, path.find_last_of('/') + 1);
}

// The folders a dry run has made so far, besides those on disk.
class Folders {
 public:
  explicit Folders(Host& host) : host_(host) {}
  bool There(const std::string& folder) {
    return made_.count(PathKey(host_, folder)) != 0 || host_.FolderExists(folder);
  }
  // Makes `folder` as a folder row's restore does: one level, its parent there.
  bool Make(const std::string& folder) {
    if (!There(FolderOf(folder))) return false;
    made_.insert(PathKey(host_, folder));
    return true;
  }
  // Makes `folder` and every missing level above it inside `root`, as a
  // file's restore does after its one question.
  bool MakeAll(const std::string& folder, const std::string& root) {
    if (There(folder)) return true;
    const std::string parent = FolderOf(folder);
    if (parent.size() < root.size() || !MakeAll(parent, root)) return false;
    made_.insert(PathKey(host_, folder));
    return true;
  }

 private:
  Host& host_;
  std::unordered_set<std::string> made_;
};

// Says how many of `rows` the dry run would have `done`; the exit code:
// failed when one would stay in the trash.
int SayPreviewed(CommandContext& c, const DryRunLines& lines, std::size_t rows, const char* done) {
  c.person.Say("dry run: " + std::to_string(lines.done()) + " of " + Counted(rows, "row", "rows") + " would be " +
               done + "; nothing was changed.");
  return lines.done() == rows ? kDone : kFailed;
}

}  // namespace

std::string OriginalEntry(const TrashRow& row) {
  return IsFolderRow(row) ? "<DIR> " + row.place : row.place + row.name;
}

int PreviewRestore(CommandContext& c, const std::vector<std::vector<TrashRow>>& steps) {
  Mapper& m = c.mapper;
  DryRunLines lines(c.out);
  const std::unique_ptr<TreeHandle> windows = m.host.OpenTree(m.windows_folder);
  Folders folders(m.host);
  std::unordered_set<std::string> placed;  // PathKey of each file back in its place
  std::size_t rows = 0;
  for (const std::vector<TrashRow>& step : steps) {
    for (const TrashRow& row : step) {
      ++rows;
      const std::string label = EntryLabel(c, OriginalEntry(row));
      if (!RowStaysInside(m.host, *windows, row)) {
        lines.Stay(label, kRefused);
      } else if (IsFolderRow(row)) {
        if (folders.Make(ToHostPath(m.WindowsPath(row.place)) + "/")) {
          lines.Would("restore", label);
        } else {
          lines.Stay(label, "the folder it lies in is missing");
        }
      } else {
        const std::string source = TrashedFilePath(m, row.trashed);
        const std::string destination = ToHostPath(m.WindowsPath(row.place + row.name));
        const std::string folder = FolderOf(destination);
        // The engine's order: the read-only question, the offer of the
        // missing folder, then the move, which never replaces a file.
        if (m.host.IsReadOnly(source) &&
            !lines.Ask(ReadOnlyQuestion(m, source, "*VIO-MOVE?"), c.invocation.force, "--force")) {
          lines.Stay(label, "read-only, and moving it was declined (--force moves it)");
        } else if (!folders.There(folder) && !(lines.Ask(MissingFolderQuestion(m, folder), c.invocation.yes, "--yes") &&
                                               folders.MakeAll(folder, ToHostPath(m.windows_folder) + "/"))) {
          lines.Stay(label, "its folder " + folder + " is missing and is not made (--yes makes it)");
        } else if (placed.count(PathKey(m.host, destination)) != 0 || m.host.PathExists(destination)) {
          lines.Stay(label, "a file of that name is in its place again");
        } else {
          placed.insert(PathKey(m.host, destination));
          lines.Would("restore", label);
        }
      }
    }
  }
  return SayPreviewed(c, lines, rows, "restored");
}

int PreviewPurge(CommandContext& c, const std::vector<TrashRow>& rows) {
  Mapper& m = c.mapper;
  DryRunLines lines(c.out);
  lines.Ask(LookupMessage(m, "*F2KILL") + "\n" + LookupMessage(m, "*DELFOREVER"), c.invocation.yes, "--yes");
  const std::unique_ptr<TreeHandle> windows = m.host.OpenTree(m.windows_folder);
  for (const TrashRow& row : rows) {
    const std::string label = EntryLabel(c, OriginalEntry(row));
    const std::string trashed = TrashedFilePath(m, row.trashed);
    if (!RowStaysInside(m.host, *windows, row)) {
      lines.Stay(label, kRefused);
    } else if (!IsFolderRow(row) && m.host.IsReadOnly(trashed) &&
               !lines.Ask(ReadOnlyQuestion(m, trashed, "*VIO-DELETE?"), c.invocation.force, "--force")) {
      lines.Stay(label, "read-only, and deleting it was declined (--force deletes it)");
    } else {
      lines.Would("delete", label);
    }
  }
  return SayPreviewed(c, lines, rows.size(), "deleted for good");
}

}  // namespace zv::cli
