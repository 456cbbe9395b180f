// A Host that forwards every call to another. Tests derive from it and
// override one call to inject a fault (the next write fails, a rename fails)
// while everything else still reaches the real file system. The program's
// own files (maps, settings, language files, the probe's mode file) go
// through ReadOwnFile and WriteOwnFile, which a fault meant for them must
// override. A few calls keep the Host defaults rather than forward, so that
// a derived host stays simple: WriteFileInPieces (which ends in WriteFile),
// ListingThreads (one thread at a time) and ReadFileStamp (no stamps, so
// every map is read from the disk).
#pragma once

#include "platform/host.h"

namespace zv {

class ForwardingHost : public Host {
 public:
  explicit ForwardingHost(Host& target) : target_(target) {}

  std::string ReadFile(const std::string& path) override { return target_.ReadFile(path); }
  std::string ReadOwnFile(const std::string& path, const FileRules& rules) override {
    return target_.ReadOwnFile(path, rules);
  }
  void WriteFile(const std::string& path, std::string_view data) override { target_.WriteFile(path, data); }
  void AppendFile(const std::string& path, std::string_view data, bool flush) override {
    target_.AppendFile(path, data, flush);
  }
  void WriteOwnFile(const std::string& path, std::string_view data, const FileRules& rules) override {
    target_.WriteOwnFile(path, data, rules);
  }
  bool FileExists(const std::string& path) override { return target_.FileExists(path); }
  bool FolderExists(const std::string& path) override { return target_.FolderExists(path); }
  bool PathExists(const std::string& path) override { return target_.PathExists(path); }
  std::int64_t FileSize(const std::string& path) override { return target_.FileSize(path); }
  bool IsReadOnly(const std::string& path) override { return target_.IsReadOnly(path); }
  bool SetReadOnly(const std::string& path, bool read_only) override {
    return target_.SetReadOnly(path, read_only);
  }
  bool ListFolder(const std::string& path, std::vector<FolderEntry>* out) override {
    return target_.ListFolder(path, out);
  }
  bool ListFolderSizes(const std::string& path, std::vector<FolderEntry>* out,
                       std::vector<std::int64_t>* sizes) override {
    return target_.ListFolderSizes(path, out, sizes);
  }
  std::unique_ptr<FolderHandle> OpenFolder(const std::string& path) override { return target_.OpenFolder(path); }
  bool ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                     std::unique_ptr<FolderHandle>* opened) override {
    return target_.ListSubfolder(parent, name, out, opened);
  }
  std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name) override {
    return target_.OpenSubfolder(parent, name);
  }
  bool ListSubfolderSizes(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                          std::vector<std::int64_t>* sizes, std::unique_ptr<FolderHandle>* opened) override {
    return target_.ListSubfolderSizes(parent, name, out, sizes, opened);
  }
  bool ReadFolderStamp(const std::string& path, FolderStamp* out) override {
    return target_.ReadFolderStamp(path, out);
  }
  bool ReadOpenFolderStamp(FolderHandle& folder, FolderStamp* out) override {
    return target_.ReadOpenFolderStamp(folder, out);
  }
  std::vector<std::string> FindFiles(const std::string& folder, const std::string& pattern) override {
    return target_.FindFiles(folder, pattern);
  }
  bool MoveFile(const std::string& from, const std::string& to) override { return target_.MoveFile(from, to); }
  bool MoveFileAsSpelled(const std::string& from, const std::string& to) override {
    return target_.MoveFileAsSpelled(from, to);
  }
  bool CopyFile(const std::string& from, const std::string& to) override { return target_.CopyFile(from, to); }
  bool DeleteFile(const std::string& path) override { return target_.DeleteFile(path); }
  bool MakeFolder(const std::string& path) override { return target_.MakeFolder(path); }
  bool RemoveFolder(const std::string& path) override { return target_.RemoveFolder(path); }
  int RemoveStaleTemporaries(const std::string& folder) override { return target_.RemoveStaleTemporaries(folder); }
  std::unique_ptr<TreeHandle> OpenTree(const std::string& root) override { return target_.OpenTree(root); }
  TreeEntry LookInTree(TreeHandle& tree, const std::string& relative) override {
    return target_.LookInTree(tree, relative);
  }
  bool PathClearInTree(TreeHandle& tree, const std::string& relative) override {
    return target_.PathClearInTree(tree, relative);
  }
  bool SetReadOnlyInTree(TreeHandle& tree, const std::string& relative, bool read_only) override {
    return target_.SetReadOnlyInTree(tree, relative, read_only);
  }
  bool DeleteInTree(TreeHandle& tree, const std::string& relative) override {
    return target_.DeleteInTree(tree, relative);
  }
  bool MakeFolderInTree(TreeHandle& tree, const std::string& relative) override {
    return target_.MakeFolderInTree(tree, relative);
  }
  bool RemoveFolderInTree(TreeHandle& tree, const std::string& relative) override {
    return target_.RemoveFolderInTree(tree, relative);
  }
  bool MoveBetweenTrees(TreeHandle& from_tree, const std::string& from, TreeHandle& to_tree, const std::string& to,
                        bool flush) override {
    return target_.MoveBetweenTrees(from_tree, from, to_tree, to, flush);
  }
  void FlushTree(TreeHandle& tree) override { target_.FlushTree(tree); }
  std::string GetSystemFolder(int kind) override { return target_.GetSystemFolder(kind); }
  std::string SpecialFolderPath(int id) override { return target_.SpecialFolderPath(id); }
  std::string GetCurrentFolder() override { return target_.GetCurrentFolder(); }
  std::string ExpandPath(const std::string& path) override { return target_.ExpandPath(path); }
  ProgramPlaces FindProgramPlaces(const std::string& named) override { return target_.FindProgramPlaces(named); }
  int ShellOpen(const std::string& file, const std::string& params, const std::string& folder,
                int show) override {
    return target_.ShellOpen(file, params, folder, show);
  }
  std::unique_ptr<ServiceConversation> OpenConversation(const std::string& service,
                                                        const std::string& topic) override {
    return target_.OpenConversation(service, topic);
  }
  std::unique_ptr<HeldMutex> AcquireNamedMutex(const std::string& name) override {
    return target_.AcquireNamedMutex(name);
  }
  std::unique_ptr<HeldMutex> AcquireFolderLock(const std::string& folder, const std::string& holder) override {
    return target_.AcquireFolderLock(folder, holder);
  }
  std::string FolderLockHolder(const std::string& folder) override { return target_.FolderLockHolder(folder); }

 private:
  Host& target_;
};

}  // namespace zv
