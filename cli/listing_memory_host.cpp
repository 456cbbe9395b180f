#include "cli/listing_memory_host.h"

#include <algorithm>
#include <chrono>

namespace zv {
namespace {

// The folders this host hands out, each with the target's own folder (a
// folder answered from memory is opened only as a place to open its
// subfolders from, which costs no listing).
class MemoryHandle : public FolderHandle {
 public:
  MemoryHandle(std::string path, std::unique_ptr<FolderHandle> real)
      : FolderHandle(std::move(path)), real_(std::move(real)) {}
  FolderHandle* real() const { return real_.get(); }

 private:
  std::unique_ptr<FolderHandle> real_;
};

// The subfolder `name` of `parent` as the target opens it: relative to the
// target's own open folder when `parent` holds one, else by its path.
std::unique_ptr<FolderHandle> OpenReal(Host& target, MemoryHandle& parent, const std::string& name) {
  return target.OpenSubfolder(parent.real() != nullptr ? *parent.real() : parent, name);
}

std::string ChildPath(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

std::int64_t ListingMemoryHost::SystemClock() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void ListingMemoryHost::SetMode(Mode mode) {
  if (mode == Mode::kRemember) memory_.clear();
  if (mode == Mode::kReplay) replayed_ = 0;
  mode_ = mode;
}

void ListingMemoryHost::Remember(const std::string& path, bool stamped, const FolderStamp& stamp,
                                 std::int64_t began_ns, const std::vector<FolderEntry>& entries) {
  // A change of names made at or after `began_ns` would have moved the
  // folder's times past began_ns - granularity; times older than that by
  // the whole margin prove the listing missed none.
  if (!stamped || std::max(stamp.modified_ns, stamp.changed_ns) > began_ns - kStampTrustedAfterNs) return;
  Remembered& kept = memory_[path];
  kept.stamp = stamp;
  kept.names.clear();
  kept.kinds.clear();
  kept.kinds.reserve(entries.size());
  for (const FolderEntry& entry : entries) {
    kept.names.append(entry.name).push_back('\0');
    kept.kinds.push_back(entry.kind);
  }
}

ListingMemoryHost::Memory::iterator ListingMemoryHost::Recall(const std::string& path) {
  return mode_ == Mode::kReplay ? memory_.find(path) : memory_.end();
}

bool ListingMemoryHost::Replay(Memory::iterator found, bool stamped, const FolderStamp& now,
                               std::vector<FolderEntry>* out) {
  const Remembered* kept = &found->second;
  if (!stamped || !now.SameAs(kept->stamp)) return false;
  // The names are written over the caller's, reusing their storage as a
  // listing of the host does. A walk asks for each folder once, so the
  // memory of it goes.
  out->resize(kept->kinds.size());
  std::size_t start = 0;
  for (std::size_t i = 0; i < kept->kinds.size(); ++i) {
    const std::size_t end = kept->names.find('\0', start);
    (*out)[i].name.assign(kept->names, start, end - start);
    (*out)[i].kind = kept->kinds[i];
    start = end + 1;
  }
  memory_.erase(found);
  ++replayed_;
  return true;
}

bool ListingMemoryHost::ListFolder(const std::string& path, std::vector<FolderEntry>* out) {
  FolderStamp stamp;
  if (const auto kept = Recall(path); kept != memory_.end()) {
    if (Replay(kept, target_.ReadFolderStamp(path, &stamp), stamp, out)) return true;
  }
  const std::int64_t began = clock_();
  if (!target_.ListFolder(path, out)) return false;
  if (mode_ == Mode::kRemember) Remember(path, target_.ReadFolderStamp(path, &stamp), stamp, began, *out);
  return true;
}

std::unique_ptr<FolderHandle> ListingMemoryHost::OpenFolder(const std::string& path) {
  std::unique_ptr<FolderHandle> real = target_.OpenFolder(path);
  if (real == nullptr) return nullptr;
  return std::make_unique<MemoryHandle>(path, std::move(real));
}

bool ListingMemoryHost::ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                                      std::unique_ptr<FolderHandle>* opened) {
  auto* own = dynamic_cast<MemoryHandle*>(&parent);
  if (own == nullptr) return target_.ListSubfolder(parent, name, out, opened);
  if (opened != nullptr) opened->reset();
  const bool plain = !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
  if (!plain) {
    out->clear();
    return false;
  }
  const std::string path = ChildPath(parent.path(), name);
  FolderStamp stamp;
  // One look at the stamp by path is cheaper than opening the folder.
  const auto kept = Recall(path);
  if (kept != memory_.end() && Replay(kept, target_.ReadFolderStamp(path, &stamp), stamp, out)) {
    // Only a place to open its subfolders from, relative to it.
    if (opened != nullptr) *opened = std::make_unique<MemoryHandle>(path, OpenReal(target_, *own, name));
    return true;
  }

  const std::int64_t began = clock_();
  const bool remember = mode_ == Mode::kRemember;
  std::unique_ptr<FolderHandle> real;
  if (own->real() != nullptr) {
    if (!target_.ListSubfolder(*own->real(), name, out, opened != nullptr || remember ? &real : nullptr)) return false;
  } else if (target_.FileExists(path) || !target_.ListFolder(path, out)) {
    // The parent was answered from memory and is not open: the folder goes
    // by its path, and a link (a file entry, never walked) is refused as
    // the target refuses it.
    out->clear();
    return false;
  }
  if (remember) {
    const bool stamped = real != nullptr ? target_.ReadOpenFolderStamp(*real, &stamp) : target_.ReadFolderStamp(path, &stamp);
    Remember(path, stamped, stamp, began, *out);
  }
  if (opened != nullptr) *opened = std::make_unique<MemoryHandle>(path, std::move(real));
  return true;
}

std::unique_ptr<FolderHandle> ListingMemoryHost::OpenSubfolder(FolderHandle& parent, const std::string& name) {
  auto* own = dynamic_cast<MemoryHandle*>(&parent);
  if (own == nullptr) return target_.OpenSubfolder(parent, name);
  std::unique_ptr<FolderHandle> real = OpenReal(target_, *own, name);
  if (real == nullptr) return nullptr;
  return std::make_unique<MemoryHandle>(ChildPath(parent.path(), name), std::move(real));
}

bool ListingMemoryHost::ListSubfolderSizes(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                                           std::vector<std::int64_t>* sizes, std::unique_ptr<FolderHandle>* opened) {
  auto* own = dynamic_cast<MemoryHandle*>(&parent);
  if (own == nullptr) return target_.ListSubfolderSizes(parent, name, out, sizes, opened);
  if (mode_ != Mode::kForward || own->real() == nullptr) return Host::ListSubfolderSizes(parent, name, out, sizes, opened);
  std::unique_ptr<FolderHandle> real;
  const bool listed = target_.ListSubfolderSizes(*own->real(), name, out, sizes, opened != nullptr ? &real : nullptr);
  if (opened != nullptr) {
    *opened = listed ? std::make_unique<MemoryHandle>(ChildPath(parent.path(), name), std::move(real)) : nullptr;
  }
  return listed;
}

}  // namespace zv
