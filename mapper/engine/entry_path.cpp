#include "mapper/engine/entry_path.h"

#include "platform/text.h"

namespace zv {

bool LeavesWindowsFolder(std::string_view entry) {
  if (StartsWith(entry, "<DIR> ")) entry.remove_prefix(6);
  if (entry.size() >= 2 && entry[1] == ':') return true;
  if (!entry.empty() && (entry[0] == '\\' || entry[0] == '/')) return true;
  for (std::size_t start = 0; start <= entry.size();) {
    std::size_t end = entry.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = entry.size();
    if (entry.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

}  // namespace zv
