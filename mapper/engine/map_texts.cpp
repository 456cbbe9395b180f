#include "mapper/engine/map_texts.h"

#include <algorithm>
#include <utility>

namespace zv {

void MapTexts::Keep(const std::string& path, const FileStamp& before, const FileStamp& after,
                    std::shared_ptr<const std::string> text) {
  const bool settled = std::max(before.modified_ns, before.changed_ns) <= before.read_ns - kSettledNs;
  if (!settled || !before.SameAs(after) || text == nullptr || text->size() != before.size) return;
  kept_[path] = Kept{before, std::move(text)};
}

std::shared_ptr<const std::string> MapTexts::Find(Host& host, const std::string& path) const {
  const auto found = kept_.find(path);
  if (found == kept_.end()) return nullptr;
  FileStamp now;
  if (!host.ReadFileStamp(path, &now) || !now.SameAs(found->second.stamp)) return nullptr;
  return found->second.text;
}

}  // namespace zv
