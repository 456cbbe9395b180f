#include "mapper/engine/walk_path.h"

#include <utility>

namespace zv {

WalkPath::WalkPath(Host& host, std::string root) : host_(host), root_(std::move(root)), levels_(1) {}

bool WalkPath::ListRoot(std::vector<FolderEntry>* out) {
  while (depth_ > 0) Leave();
  const bool read = host_.ListFolder(root_, out);
  if (!read) out->clear();
  levels_[0].folder = host_.OpenFolder(root_);
  return read;
}

bool WalkPath::Enter(const std::string& name, std::vector<FolderEntry>* out) {
  FolderHandle* parent = Reach(depth_);
  ++depth_;
  if (depth_ == levels_.size()) levels_.emplace_back();
  levels_[depth_].name = name;
  std::unique_ptr<FolderHandle> child;
  const bool read = parent != nullptr && host_.ListSubfolder(*parent, name, out, &child);
  if (!read) out->clear();
  Hold(depth_, std::move(child));
  return read;
}

void WalkPath::Leave() {
  Level& level = levels_[depth_];
  if (level.folder) {
    // The current folder is the deepest one held: everything below it is left.
    level.folder.reset();
    held_.pop_back();
  }
  --depth_;
}

FolderHandle* WalkPath::Reach(std::size_t level) {
  if (levels_[level].folder || level == 0) return levels_[level].folder.get();
  std::size_t from = level - 1;
  while (from > 0 && !levels_[from].folder) --from;
  if (!levels_[from].folder) return nullptr;
  for (std::size_t next = from + 1; next <= level; ++next) {
    std::unique_ptr<FolderHandle> folder = host_.OpenSubfolder(*levels_[next - 1].folder, levels_[next].name);
    if (!folder) return nullptr;
    Hold(next, std::move(folder));
  }
  return levels_[level].folder.get();
}

void WalkPath::Hold(std::size_t level, std::unique_ptr<FolderHandle> folder) {
  levels_[level].folder = std::move(folder);
  if (!levels_[level].folder) return;
  held_.push_back(level);
  if (held_.size() > kHeldBelowRoot) {
    levels_[held_.front()].folder.reset();
    held_.pop_front();
  }
}

}  // namespace zv
