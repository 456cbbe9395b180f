#include "mapper/engine/entry_path.h"

#include "platform/text.h"

namespace zv {
namespace {

// Equal ignoring ASCII case, "\" and "/" taken as the same separator.
bool SamePath(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i]) && !(IsPathSeparator(a[i]) && IsPathSeparator(b[i]))) return false;
  }
  return true;
}

}  // namespace

namespace {

// True when every component of `path` is empty or ".": it names its root.
bool NamesRoot(std::string_view path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsPathSeparator(path[end])) ++end;
    const std::string_view component = path.substr(start, end - start);
    if (!component.empty() && component != ".") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

bool LeavesWindowsFolder(std::string_view entry) {
  entry = EntryTarget(entry);
  if (NamesRoot(entry)) return true;
  if (entry.size() >= 2 && entry[1] == ':') return true;
  if (!entry.empty() && IsPathSeparator(entry[0])) return true;
  // Every map entry passes here: look for ".." and check its neighbours,
  // rather than splitting the entry into components.
  for (std::size_t dots = entry.find(".."); dots != std::string_view::npos; dots = entry.find("..", dots + 1)) {
    const bool starts = dots == 0 || IsPathSeparator(entry[dots - 1]);
    const bool ends = dots + 2 == entry.size() || IsPathSeparator(entry[dots + 2]);
    if (starts && ends) return true;
  }
  return false;
}

bool EntryOnDisk(PresenceCache& presence, std::string_view entry, std::int64_t* size) {
  if (LeavesWindowsFolder(entry)) return false;
  const EntryKind wanted = entry.starts_with(kFolderMark) ? EntryKind::kFolder : EntryKind::kFile;
  EntryKind kind;
  return presence.Find(EntryTarget(entry), &kind, nullptr, size) && kind == wanted;
}

void ShowLeavesWindowsFolder(Mapper& mapper, std::string_view path) {
  mapper.person.ShowNotice("Error", "Refused: " + QuotedPath(path) + " leaves the Windows folder");
}

std::size_t LegacyPrefixLength(std::string_view entry, const std::vector<std::string>& forms) {
  if (entry.size() < 2 || entry[1] != ':') return 0;
  for (const std::string& form : forms) {
    const std::size_t cut = form.size() + 1;
    if (entry.size() > cut && SamePath(entry.substr(0, form.size()), form) && IsPathSeparator(entry[form.size()])) {
      return cut;
    }
  }
  return 0;
}

}  // namespace zv
