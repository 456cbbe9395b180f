#include "mapper/engine/guarded.h"

#include "mapper/engine/messages.h"
#include "platform/text.h"

namespace zv {
namespace {

using BeforeBox = std::function<bool()>;

// What the checks need of a source, whether a path or a tree place.
struct Source {
  std::string shown;  // its path in boxes
  bool is_file = false;
  bool read_only = false;
  std::function<bool(bool)> set_read_only;
};

Source PathSource(Mapper& m, const std::string& path) {
  const bool is_file = m.host.FileExists(path);
  return {path, is_file, is_file && m.host.IsReadOnly(path),
          [&m, path](bool read_only) { return m.host.SetReadOnly(path, read_only); }};
}

std::string Shown(const TreePlace& place) { return place.tree.root() + "\\" + place.relative; }

Source TreeSource(Mapper& m, const TreePlace& place) {
  const TreeEntry entry = m.host.LookInTree(place.tree, place.relative);
  const bool is_file = entry.what == TreeFind::kFile;
  return {Shown(place), is_file, is_file && entry.read_only, [&m, &place](bool read_only) {
            return m.host.SetReadOnlyInTree(place.tree, place.relative, read_only);
          }};
}

// False when the caller's hook says no box may be shown any more.
bool Announce(const BeforeBox& before_box) { return !before_box || before_box(); }

// The notice for a source that is missing or names a folder.
bool SourceMissing(Mapper& m, const std::string& title_key, const Source& source,
                   const BeforeBox& before_box = nullptr) {
  if (source.is_file) return false;
  if (!Announce(before_box)) return true;
  m.person.ShowNotice(LookupMessage(m, title_key),
                      QuotedPath(source.shown) + " " + LookupMessage(m, "*VIO-NOTFOUND"));
  return true;
}

enum class ReadOnly { kNotSo, kCleared, kKept };

// Asks before a read-only file is touched; clears read-only on Yes. The
// question: the quoted path, "*VIO-FRONLY", a line break, `gap` and the
// text of `question_key` (built only when asked: each look-up reads the
// catalogue).
ReadOnly AskAboutReadOnly(Mapper& m, const Source& source, const char* gap, const std::string& question_key,
                          const BeforeBox& before_box = nullptr) {
  if (!source.read_only) return ReadOnly::kNotSo;
  if (!Announce(before_box)) return ReadOnly::kKept;
  const std::string question = QuotedPath(source.shown) + " " + LookupMessage(m, "*VIO-FRONLY") + "\n" + gap +
                               LookupMessage(m, question_key);
  if (!m.person.AskTouchReadOnly(question)) return ReadOnly::kKept;
  source.set_read_only(false);
  return ReadOnly::kCleared;
}

// Offers to create a missing destination folder (`shown` in the box) with
// `make`. Whatever the answer, the operation is attempted afterwards; false
// only when the caller's hook stopped the offer.
bool OfferFolder(Mapper& m, const std::string& shown, const std::function<void()>& make,
                 const BeforeBox& before_box = nullptr) {
  const std::string question = LookupMessage(m, "*VIO-DIR") + " " + QuotedPath(shown) + " " +
                               LookupMessage(m, "*VIO-NOTFOUND") + ".\n" + LookupMessage(m, "*VIO-CREADIR?");
  if (!Announce(before_box)) return false;
  if (m.person.AskConfirm(question)) make();
  return true;
}

// The destination path's folder, offered when missing (one level).
bool OfferPathFolder(Mapper& m, const std::string& destination) {
  const std::string host = ToHostPath(destination);
  const std::size_t slash = host.find_last_of('/');
  if (slash == std::string::npos) return true;
  const std::string folder = host.substr(0, slash + 1);
  if (m.host.FolderExists(folder)) return true;
  return OfferFolder(m, folder, [&m, &folder] { m.host.MakeFolder(folder); });
}

// Creates every missing folder of `folder` below the tree's root, one
// level at a time; a level that is blocked (a link) stops it.
void MakeFoldersInTree(Host& host, TreeHandle& tree, const std::string& folder) {
  for (std::size_t cut = folder.find_first_of("\\/"); ; cut = folder.find_first_of("\\/", cut + 1)) {
    const std::string level = folder.substr(0, cut);
    const TreeFind what = host.LookInTree(tree, level).what;
    if (what == TreeFind::kNothing) host.MakeFolderInTree(tree, level);
    else if (what != TreeFind::kFolder) return;
    if (cut == std::string::npos) return;
  }
}

// The destination place's folder, offered when missing: on yes, every
// missing level is made.
bool OfferTreeFolder(Mapper& m, const TreePlace& destination, const BeforeBox& before_box) {
  const std::size_t slash = destination.relative.find_last_of("\\/");
  if (slash == std::string::npos) return true;
  const std::string folder = destination.relative.substr(0, slash + 1);
  if (m.host.LookInTree(destination.tree, folder).what != TreeFind::kNothing) return true;
  return OfferFolder(
      m, destination.tree.root() + "\\" + folder,
      [&] { MakeFoldersInTree(m.host, destination.tree, folder.substr(0, slash)); }, before_box);
}

bool Delete(Mapper& m, const Source& source, const std::function<bool()>& remove) {
  if (SourceMissing(m, "*VIO-DELFAIL", source)) return false;
  const ReadOnly read_only = AskAboutReadOnly(m, source, "", "*VIO-DELETE?");
  if (read_only == ReadOnly::kKept) return false;
  if (remove()) return true;
  if (read_only == ReadOnly::kCleared) source.set_read_only(true);
  return false;
}

}  // namespace

std::optional<PreparedMove> PrepareGuardedMove(Mapper& m, const TreePlace& source, const TreePlace& destination,
                                               const BeforeBox& before_box) {
  const Source checked = TreeSource(m, source);
  if (SourceMissing(m, "*VIO-CANTMOVE", checked, before_box)) return std::nullopt;
  PreparedMove prepared;
  const ReadOnly read_only = AskAboutReadOnly(m, checked, " ", "*VIO-MOVE?", before_box);
  if (read_only == ReadOnly::kKept) return std::nullopt;
  prepared.cleared_read_only = read_only == ReadOnly::kCleared;
  if (!OfferTreeFolder(m, destination, before_box)) {
    UndoPreparedMove(m, source, prepared);
    return std::nullopt;
  }
  return prepared;
}

void UndoPreparedMove(Mapper& m, const TreePlace& source, const PreparedMove& prepared) {
  if (prepared.cleared_read_only) m.host.SetReadOnlyInTree(source.tree, source.relative, true);
}

bool GuardedMove(Mapper& m, const TreePlace& source, const TreePlace& destination, bool flush) {
  const std::optional<PreparedMove> prepared = PrepareGuardedMove(m, source, destination);
  if (!prepared) return false;
  if (m.host.MoveBetweenTrees(source.tree, source.relative, destination.tree, destination.relative, flush)) {
    return true;
  }
  UndoPreparedMove(m, source, *prepared);
  return false;
}

bool GuardedDelete(Mapper& m, const TreePlace& place) {
  return Delete(m, TreeSource(m, place), [&] { return m.host.DeleteInTree(place.tree, place.relative); });
}

bool GuardedMove(Mapper& m, const std::string& source, const std::string& destination) {
  const Source checked = PathSource(m, source);
  if (SourceMissing(m, "*VIO-CANTMOVE", checked)) return false;
  const std::string full = m.host.ExpandPath(destination);
  const ReadOnly read_only = AskAboutReadOnly(m, checked, " ", "*VIO-MOVE?");
  if (read_only == ReadOnly::kKept) return false;
  OfferPathFolder(m, full);
  if (m.host.MoveFile(source, full)) return true;
  if (read_only == ReadOnly::kCleared) checked.set_read_only(true);
  return false;
}

bool GuardedDelete(Mapper& m, const std::string& path) {
  return Delete(m, PathSource(m, path), [&] { return m.host.DeleteFile(path); });
}

bool GuardedCopy(Mapper& m, const std::string& source, const std::string& destination) {
  if (SourceMissing(m, "*VIO-CANTCOPY", PathSource(m, source))) return false;
  const std::string full = m.host.ExpandPath(destination);
  OfferPathFolder(m, full);
  return m.host.CopyFile(source, full);
}

}  // namespace zv
