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
  for (std::size_t start = 0; start <= entry.size();) {
    std::size_t end = entry.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = entry.size();
    if (entry.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
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
