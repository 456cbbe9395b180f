// The host of a command that only reads. Whatever the engine writes on its
// way (a map that loading normalises, the catalogue unpacked from a
// language file) is kept in memory and read back from there, and read-only
// marks it clears are remembered, so the engine runs unchanged while the
// disk stays exactly as it was. Any other change (a move, a copy, a
// deletion, a new or removed folder) throws HostError: a command that only
// reads must never make one.
#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/forwarding_host.h"

namespace zv {

class NoWriteHost : public ForwardingHost {
 public:
  explicit NoWriteHost(Host& target) : ForwardingHost(target), target_(target) {}

  // Listings reach the target as they are, so as many threads as it allows
  // may list through this host.
  unsigned ListingThreads() override { return target_.ListingThreads(); }

  // Kept files answer from memory. They do not show in ListFolder;
  // FindFiles lists them.
  std::string ReadFile(const std::string& path) override;
  void WriteFile(const std::string& path, std::string_view data) override;
  // The program's own files likewise: a kept one answers from memory, a
  // written one is kept.
  std::string ReadOwnFile(const std::string& path, const FileRules& rules) override;
  void WriteOwnFile(const std::string& path, std::string_view data, const FileRules& rules) override;
  // A kept file has no stamp (its text lives only here, so no text read
  // earlier may stand for it); any other file's is the target's. Writing
  // in pieces keeps the Host default, which gathers the pieces and ends in
  // WriteFile above, so that file too is kept in memory.
  bool ReadFileStamp(const std::string& path, FileStamp* out) override;
  void AppendFile(const std::string& path, std::string_view data, bool flush) override;
  bool FileExists(const std::string& path) override;
  bool PathExists(const std::string& path) override;
  std::int64_t FileSize(const std::string& path) override;
  bool IsReadOnly(const std::string& path) override;
  bool SetReadOnly(const std::string& path, bool read_only) override;
  std::vector<std::string> FindFiles(const std::string& folder, const std::string& pattern) override;

  bool MoveFile(const std::string& from, const std::string& to) override;
  bool MoveFileAsSpelled(const std::string& from, const std::string& to) override;
  int RemoveStaleTemporaries(const std::string& folder) override;
  bool CopyFile(const std::string& from, const std::string& to) override;
  bool DeleteFile(const std::string& path) override;
  bool MakeFolder(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  bool SetReadOnlyInTree(TreeHandle& tree, const std::string& relative, bool read_only) override;
  bool DeleteInTree(TreeHandle& tree, const std::string& relative) override;
  bool MakeFolderInTree(TreeHandle& tree, const std::string& relative) override;
  bool RemoveFolderInTree(TreeHandle& tree, const std::string& relative) override;
  bool MoveBetweenTrees(TreeHandle& from_tree, const std::string& from, TreeHandle& to_tree, const std::string& to,
                        bool flush) override;

 private:
  struct Kept {
    std::string folder_key;  // the key of its folder
    std::string name;        // its name as first written
    std::string data;
  };
  // A path's key: absolute, "/" separators, upper-cased, as the host finds
  // files without regard to case.
  std::string Key(const std::string& path);
  const Kept* Find(const std::string& path);
  [[noreturn]] void Refuse(const std::string& path);

  Host& target_;
  std::map<std::string, Kept> kept_;
  std::map<std::string, bool> read_only_;  // marks set or cleared, by key
};

}  // namespace zv
