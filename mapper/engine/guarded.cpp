#include "mapper/engine/guarded.h"

#include "mapper/engine/messages.h"
#include "platform/text.h"

namespace zv {
namespace {

std::string Quoted(const std::string& path) { return "\"" + DisplayPath(path) + "\""; }

// The notice for a source that is missing or names a folder.
bool SourceMissing(Mapper& m, const std::string& title_key, const std::string& source) {
  if (m.host.FileExists(source)) return false;
  m.person.ShowNotice(LookupMessage(m, title_key),
                      Quoted(source) + " " + LookupMessage(m, "*VIO-NOTFOUND"));
  return true;
}

// Asks before a read-only file is touched; clears read-only on Yes.
bool ReadOnlyAllowed(Mapper& m, const std::string& path, const std::string& question) {
  if (!m.host.IsReadOnly(path)) return true;
  if (!m.person.AskConfirm(question)) return false;
  m.host.SetReadOnly(path, false);
  return true;
}

// Offers to create the destination's missing folder (one level). Whatever
// the answer, the operation is attempted afterwards.
void OfferFolder(Mapper& m, const std::string& destination) {
  const std::string host = ToHostPath(destination);
  const std::size_t slash = host.find_last_of('/');
  if (slash == std::string::npos) return;
  const std::string folder = host.substr(0, slash + 1);
  if (m.host.FolderExists(folder)) return;
  const std::string question = LookupMessage(m, "*VIO-DIR") + " " + Quoted(folder) + " " +
                               LookupMessage(m, "*VIO-NOTFOUND") + ".\n" +
                               LookupMessage(m, "*VIO-CREADIR?");
  if (m.person.AskConfirm(question)) m.host.MakeFolder(folder);
}

}  // namespace

bool GuardedMove(Mapper& m, const std::string& source, const std::string& destination) {
  if (SourceMissing(m, "*VIO-CANTMOVE", source)) return false;
  const std::string full = m.host.ExpandPath(destination);
  const std::string question = Quoted(source) + " " + LookupMessage(m, "*VIO-FRONLY") + "\n " +
                               LookupMessage(m, "*VIO-MOVE?");
  if (!ReadOnlyAllowed(m, source, question)) return false;
  OfferFolder(m, full);
  return m.host.MoveFile(source, full);
}

bool GuardedDelete(Mapper& m, const std::string& path) {
  if (SourceMissing(m, "*VIO-DELFAIL", path)) return false;
  const std::string question = Quoted(path) + " " + LookupMessage(m, "*VIO-FRONLY") + "\n" +
                               LookupMessage(m, "*VIO-DELETE?");
  if (!ReadOnlyAllowed(m, path, question)) return false;
  return m.host.DeleteFile(path);
}

bool GuardedCopy(Mapper& m, const std::string& source, const std::string& destination) {
  if (SourceMissing(m, "*VIO-CANTCOPY", source)) return false;
  const std::string full = m.host.ExpandPath(destination);
  OfferFolder(m, full);
  return m.host.CopyFile(source, full);
}

}  // namespace zv
