#include "mapper/engine/entry_path.h"

#include "platform/text.h"

namespace zv {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Equal ignoring ASCII case, "\" and "/" taken as the same separator.
bool SamePath(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i]) && !(IsSeparator(a[i]) && IsSeparator(b[i]))) return false;
  }
  return true;
}

}  // namespace

bool LeavesWindowsFolder(std::string_view entry) {
  if (StartsWith(entry, "<DIR> ")) entry.remove_prefix(6);
  if (entry.size() >= 2 && entry[1] == ':') return true;
  if (!entry.empty() && IsSeparator(entry[0])) return true;
  // Every map entry passes here: look for ".." and check its neighbours,
  // rather than splitting the entry into components.
  for (std::size_t dots = entry.find(".."); dots != std::string_view::npos; dots = entry.find("..", dots + 1)) {
    const bool starts = dots == 0 || IsSeparator(entry[dots - 1]);
    const bool ends = dots + 2 == entry.size() || IsSeparator(entry[dots + 2]);
    if (starts && ends) return true;
  }
  return false;
}

void ShowLeavesWindowsFolder(Mapper& mapper, std::string_view path) {
  mapper.person.ShowNotice("Error", "Refused: \"" + DisplayPath(path) + "\" leaves the Windows folder");
}

std::size_t LegacyPrefixLength(std::string_view entry, const std::vector<std::string>& forms) {
  if (entry.size() < 2 || entry[1] != ':') return 0;
  for (const std::string& form : forms) {
    const std::size_t cut = form.size() + 1;
    if (entry.size() > cut && SamePath(entry.substr(0, form.size()), form) && IsSeparator(entry[form.size()])) {
      return cut;
    }
  }
  return 0;
}

}  // namespace zv
