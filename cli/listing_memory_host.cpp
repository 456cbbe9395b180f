#include "cli/listing_memory_host.h"

#include <algorithm>

namespace zv {
namespace {

// The folders this host hands out: the target's own open folder when one
// was opened, else only the path (a folder answered from memory is not
// opened at all).
class MemoryHandle : public FolderHandle {
 public:
  MemoryHandle(std::string path, std::unique_ptr<FolderHandle> real)
      : FolderHandle(std::move(path)), real_(std::move(real)) {}
  FolderHandle* real() const { return real_.get(); }

 private:
  std::unique_ptr<FolderHandle> real_;
};

std::string ChildPath(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

void ListingMemoryHost::SetMode(Mode mode) {
  if (mode == Mode::kRemember) memory_.clear();
  if (mode == Mode::kReplay) replayed_ = 0;
  mode_ = mode;
}

bool ListingMemoryHost::Replay(const std::string& path, std::vector<FolderEntry>* out) {
  if (mode_ != Mode::kReplay) return false;
  const auto found = memory_.find(path);
  if (found == memory_.end()) return false;
  const FolderStamp& then = found->second.stamp;
  FolderStamp now;
  if (!target_.ReadFolderStamp(path, &now) || !now.SameAs(then)) return false;
  *out = found->second.entries;
  ++replayed_;
  return true;
}

template <typename List>
bool ListingMemoryHost::ListAndRemember(const std::string& path, std::vector<FolderEntry>* out, List&& list) {
  FolderStamp stamp;
  // The stamp is read first: a change made while the folder is listed then
  // moves the folder's times past the stamp, and the next walk reads it again.
  const bool stamped = mode_ == Mode::kRemember && target_.ReadFolderStamp(path, &stamp) &&
                       std::max(stamp.modified_ns, stamp.changed_ns) <= stamp.read_ns - kStampTrustedAfterNs;
  if (!list()) return false;
  if (stamped) memory_[path] = Remembered{stamp, *out};
  return true;
}

bool ListingMemoryHost::ListFolder(const std::string& path, std::vector<FolderEntry>* out) {
  if (Replay(path, out)) return true;
  return ListAndRemember(path, out, [&] { return target_.ListFolder(path, out); });
}

std::unique_ptr<FolderHandle> ListingMemoryHost::OpenFolder(const std::string& path) {
  std::unique_ptr<FolderHandle> real = target_.OpenFolder(path);
  if (real == nullptr) return nullptr;
  return std::make_unique<MemoryHandle>(path, std::move(real));
}

bool ListingMemoryHost::ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                                      std::unique_ptr<FolderHandle>* opened) {
  if (opened != nullptr) opened->reset();
  auto* own = dynamic_cast<MemoryHandle*>(&parent);
  if (own == nullptr) return target_.ListSubfolder(parent, name, out, opened);
  const std::string path = ChildPath(parent.path(), name);
  const bool plain = !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
  if (!plain) {
    out->clear();
    return false;
  }
  if (Replay(path, out)) {
    if (opened != nullptr) *opened = std::make_unique<MemoryHandle>(path, nullptr);
    return true;
  }
  std::unique_ptr<FolderHandle> real;
  const bool listed = ListAndRemember(path, out, [&] {
    if (own->real() != nullptr) return target_.ListSubfolder(*own->real(), name, out, opened ? &real : nullptr);
    // The parent came from memory and is not open: the child goes by its
    // path, and a link (a file entry, never walked) is refused as the
    // target refuses it.
    if (target_.FileExists(path) || !target_.ListFolder(path, out)) {
      out->clear();
      return false;
    }
    return true;
  });
  if (listed && opened != nullptr) *opened = std::make_unique<MemoryHandle>(path, std::move(real));
  return listed;
}

}  // namespace zv
