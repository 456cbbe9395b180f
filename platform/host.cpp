#include "platform/host.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/system_error.h"
#include "platform/text.h"

namespace zv {

HostError::HostError(const std::string& path, const std::string& reason)
    : std::runtime_error(DisplayPath(path) + ": " + reason), path_(path), reason_(reason) {}

std::string SystemReason(int error_number) {
  char buffer[256];
  // The GNU strerror_r answers a pointer that may or may not be `buffer`.
  return strerror_r(error_number, buffer, sizeof buffer);
}

void ThrowSystemError(const std::string& path, int error_number) {
  throw HostError(path, SystemReason(error_number));
}

void Host::AppendFile(const std::string& path, std::string_view data, bool) {
  if (!FileExists(path)) ThrowSystemError(path, FolderExists(path) ? EISDIR : ENOENT);
  FileRules rules;
  rules.follow_link = false;
  WriteOwnFile(path, ReadOwnFile(path, rules).append(data), rules);
}

namespace {

// Gathers the pieces in one block grown with realloc, which moves pages
// instead of copying bytes, so a file of tens of megabytes never needs a
// second block of its size; Commit hands the whole to WriteFile.
class FileGatheredForWriteFile : public FileInPieces {
 public:
  FileGatheredForWriteFile(Host& host, std::string path) : host_(host), path_(std::move(path)) {}
  ~FileGatheredForWriteFile() override { std::free(data_); }
  void Add(std::string_view data) override {
    if (data.size() > capacity_ - size_) {
      std::size_t capacity = capacity_ < 65536 ? 65536 : capacity_ * 2;
      while (capacity - size_ < data.size()) capacity *= 2;
      void* grown = std::realloc(data_, capacity);
      if (grown == nullptr) throw std::bad_alloc();
      data_ = static_cast<char*>(grown);
      capacity_ = capacity;
    }
    if (!data.empty()) std::memcpy(data_ + size_, data.data(), data.size());
    size_ += data.size();
  }
  void Commit() override { host_.WriteFile(path_, std::string_view(data_, size_)); }

 private:
  Host& host_;
  std::string path_;
  char* data_ = nullptr;
  std::size_t size_ = 0, capacity_ = 0;
};

// The path of `name` in the open folder, or "" when `name` is not one plain
// name, which alone stays one level of a path (a backslash would become a
// separator).
std::string SubfolderPath(const FolderHandle& parent, const std::string& name) {
  if (!IsPlainName(name)) return {};
  const std::string& folder = parent.path();
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The sizes ListFolderSizes gives for `entries`, the listing of the folder
// at `path`, asked of FileSize one file at a time.
void SizesByPath(Host& host, const std::string& path, const std::vector<FolderEntry>& entries,
                 std::vector<std::int64_t>* sizes) {
  sizes->clear();
  const std::string prefix = path.empty() || path.back() == '/' || path.back() == '\\' ? path : path + "/";
  for (const FolderEntry& entry : entries) {
    // FileSize would read a "\\" in the name as a separator.
    const bool one_name = entry.name.find('\\') == std::string::npos;
    sizes->push_back(entry.kind == EntryKind::kFile && one_name ? host.FileSize(prefix + entry.name) : -1);
  }
}

}  // namespace

bool Host::ListFolderSizes(const std::string& path, std::vector<FolderEntry>* out, std::vector<std::int64_t>* sizes) {
  sizes->clear();
  if (!ListFolder(path, out)) return false;
  SizesByPath(*this, path, *out, sizes);
  return true;
}

bool Host::ListSubfolderSizes(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                              std::vector<std::int64_t>* sizes, std::unique_ptr<FolderHandle>* opened) {
  sizes->clear();
  std::unique_ptr<FolderHandle> held;
  const bool listed = ListSubfolder(parent, name, out, &held);
  if (listed) SizesByPath(*this, held ? held->path() : SubfolderPath(parent, name), *out, sizes);
  if (opened != nullptr) *opened = std::move(held);
  return listed;
}

std::unique_ptr<FileInPieces> Host::WriteFileInPieces(const std::string& path) {
  return std::make_unique<FileGatheredForWriteFile>(*this, path);
}

bool Host::ReadFolderStamp(const std::string&, FolderStamp*) { return false; }

bool Host::ReadFileStamp(const std::string&, FileStamp*) { return false; }

std::unique_ptr<FolderHandle> Host::OpenFolder(const std::string& path) {
  return FolderExists(path) ? std::make_unique<FolderHandle>(path) : nullptr;
}

bool Host::ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                         std::unique_ptr<FolderHandle>* opened) {
  if (opened != nullptr) opened->reset();
  const std::string path = SubfolderPath(parent, name);
  // FileExists answers true for a link, which is never followed.
  if (path.empty() || FileExists(path) || !ListFolder(path, out)) {
    out->clear();
    return false;
  }
  if (opened != nullptr) *opened = std::make_unique<FolderHandle>(path);
  return true;
}

bool Host::ReadOpenFolderStamp(FolderHandle& folder, FolderStamp* out) { return ReadFolderStamp(folder.path(), out); }

std::unique_ptr<FolderHandle> Host::OpenSubfolder(FolderHandle& parent, const std::string& name) {
  const std::string path = SubfolderPath(parent, name);
  if (path.empty() || FileExists(path) || !FolderExists(path)) return nullptr;
  return std::make_unique<FolderHandle>(path);
}

bool Host::MakeDirs(const std::string& path) {
  const std::string host = ToHostPath(path);
  if (FolderExists(host)) return true;
  // Each prefix ending before a separator is one level; a level that already
  // exists (perhaps as a link to a folder) simply fails to be made again.
  for (std::size_t slash = host.find('/', 1); slash != std::string::npos;
       slash = host.find('/', slash + 1)) {
    if (host[slash - 1] == '/') continue;
    const std::string prefix = host.substr(0, slash);
    if (!FolderExists(prefix)) MakeFolder(prefix);
  }
  MakeFolder(host);
  return FolderExists(host);
}

}  // namespace zv
