#include "mapper/engine/guarded.h"

#include "mapper/engine/messages.h"
#include "platform/text.h"

namespace zv {
namespace {

using BeforeBox = std::function<bool()>;

// False when the caller's hook says no box may be shown any more.
bool Announce(const BeforeBox& before_box) { return !before_box || before_box(); }

// The notice for a source that is missing or names a folder.
bool SourceMissing(Mapper& m, const std::string& title_key, const std::string& source,
                   const BeforeBox& before_box = nullptr) {
  if (m.host.FileExists(source)) return false;
  if (!Announce(before_box)) return true;
  m.person.ShowNotice(LookupMessage(m, title_key), QuotedPath(source) + " " + LookupMessage(m, "*VIO-NOTFOUND"));
  return true;
}

enum class ReadOnly { kNotSo, kCleared, kKept };

// Asks before a read-only file is touched; clears read-only on Yes. The
// question: the quoted path, "*VIO-FRONLY", a line break, `gap` and the
// text of `question_key` (built only when asked: each look-up reads the
// catalogue).
ReadOnly AskAboutReadOnly(Mapper& m, const std::string& path, const char* gap, const std::string& question_key,
                          const BeforeBox& before_box = nullptr) {
  if (!m.host.IsReadOnly(path)) return ReadOnly::kNotSo;
  if (!Announce(before_box)) return ReadOnly::kKept;
  const std::string question =
      QuotedPath(path) + " " + LookupMessage(m, "*VIO-FRONLY") + "\n" + gap + LookupMessage(m, question_key);
  if (!m.person.AskTouchReadOnly(question)) return ReadOnly::kKept;
  m.host.SetReadOnly(path, false);
  return ReadOnly::kCleared;
}

// Offers to create the destination's missing folder (one level). Whatever
// the answer, the operation is attempted afterwards; false only when the
// caller's hook stopped the offer.
bool OfferFolder(Mapper& m, const std::string& destination, const BeforeBox& before_box = nullptr) {
  const std::string host = ToHostPath(destination);
  const std::size_t slash = host.find_last_of('/');
  if (slash == std::string::npos) return true;
  const std::string folder = host.substr(0, slash + 1);
  if (m.host.FolderExists(folder)) return true;
  const std::string question = LookupMessage(m, "*VIO-DIR") + " " + QuotedPath(folder) + " " +
                               LookupMessage(m, "*VIO-NOTFOUND") + ".\n" + LookupMessage(m, "*VIO-CREADIR?");
  if (!Announce(before_box)) return false;
  if (m.person.AskConfirm(question)) m.host.MakeFolder(folder);
  return true;
}

}  // namespace

std::optional<PreparedMove> PrepareGuardedMove(Mapper& m, const std::string& source,
                                               const std::string& destination, const BeforeBox& before_box) {
  if (SourceMissing(m, "*VIO-CANTMOVE", source, before_box)) return std::nullopt;
  PreparedMove prepared{m.host.ExpandPath(destination)};
  const ReadOnly read_only = AskAboutReadOnly(m, source, " ", "*VIO-MOVE?", before_box);
  if (read_only == ReadOnly::kKept) return std::nullopt;
  prepared.cleared_read_only = read_only == ReadOnly::kCleared;
  if (!OfferFolder(m, prepared.destination, before_box)) {
    UndoPreparedMove(m, source, prepared);
    return std::nullopt;
  }
  return prepared;
}

void UndoPreparedMove(Mapper& m, const std::string& source, const PreparedMove& prepared) {
  if (prepared.cleared_read_only) m.host.SetReadOnly(source, true);
}

bool GuardedMove(Mapper& m, const std::string& source, const std::string& destination) {
  const std::optional<PreparedMove> prepared = PrepareGuardedMove(m, source, destination);
  if (!prepared) return false;
  if (m.host.MoveFile(source, prepared->destination)) return true;
  UndoPreparedMove(m, source, *prepared);
  return false;
}

bool GuardedDelete(Mapper& m, const std::string& path) {
  if (SourceMissing(m, "*VIO-DELFAIL", path)) return false;
  const ReadOnly read_only = AskAboutReadOnly(m, path, "", "*VIO-DELETE?");
  if (read_only == ReadOnly::kKept) return false;
  if (m.host.DeleteFile(path)) return true;
  if (read_only == ReadOnly::kCleared) m.host.SetReadOnly(path, true);
  return false;
}

bool GuardedCopy(Mapper& m, const std::string& source, const std::string& destination) {
  if (SourceMissing(m, "*VIO-CANTCOPY", source)) return false;
  const std::string full = m.host.ExpandPath(destination);
  OfferFolder(m, full);
  return m.host.CopyFile(source, full);
}

}  // namespace zv
