#include "cli/no_write_host.h"

#include <algorithm>

#include "platform/text.h"

namespace zv {

std::string NoWriteHost::Key(const std::string& path) { return UpperAscii(ToHostPath(target_.ExpandPath(path))); }

const NoWriteHost::Kept* NoWriteHost::Find(const std::string& path) {
  const auto kept = kept_.find(Key(path));
  return kept == kept_.end() ? nullptr : &kept->second;
}

void NoWriteHost::Refuse(const std::string& path) {
  throw HostError(path, "left unchanged: this command only reads");
}

std::string NoWriteHost::ReadFile(const std::string& path) {
  const Kept* kept = Find(path);
  return kept != nullptr ? kept->data : target_.ReadFile(path);
}

void NoWriteHost::WriteFile(const std::string& path, std::string_view data) {
  if (IsReadOnly(path)) throw HostError(path, "Permission denied");
  const std::string key = Key(path);
  const std::size_t slash = key.rfind('/');
  const std::string host = ToHostPath(target_.ExpandPath(path));
  Kept& kept = kept_[key];
  if (kept.name.empty()) kept.name = host.substr(host.rfind('/') + 1);
  kept.folder_key = key.substr(0, slash);
  kept.data.assign(data);
}

bool NoWriteHost::FileExists(const std::string& path) { return Find(path) != nullptr || target_.FileExists(path); }

bool NoWriteHost::PathExists(const std::string& path) { return Find(path) != nullptr || target_.PathExists(path); }

std::int64_t NoWriteHost::FileSize(const std::string& path) {
  const Kept* kept = Find(path);
  return kept != nullptr ? static_cast<std::int64_t>(kept->data.size()) : target_.FileSize(path);
}

bool NoWriteHost::ReadFileStamp(const std::string& path, FileStamp* out) {
  return Find(path) == nullptr && target_.ReadFileStamp(path, out);
}

bool NoWriteHost::IsReadOnly(const std::string& path) {
  const auto mark = read_only_.find(Key(path));
  if (mark != read_only_.end()) return mark->second;
  return Find(path) == nullptr && target_.IsReadOnly(path);
}

bool NoWriteHost::SetReadOnly(const std::string& path, bool read_only) {
  if (!FileExists(path) && !target_.FolderExists(path)) return false;
  read_only_[Key(path)] = read_only;
  return true;
}

std::vector<std::string> NoWriteHost::FindFiles(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names = target_.FindFiles(folder, pattern);
  const std::string folder_key = Key(folder);
  for (const auto& [key, kept] : kept_) {
    if (kept.folder_key != folder_key || StartsWith(kept.name, ".") || !MatchWildcard(pattern, kept.name)) continue;
    const bool listed = std::any_of(names.begin(), names.end(),
                                    [&](const std::string& name) { return EqualsNoCase(name, kept.name); });
    if (!listed) names.push_back(kept.name);
  }
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int order = CompareNoCase(a, b);
    return order != 0 ? order < 0 : a < b;
  });
  return names;
}

std::string NoWriteHost::ReadOwnFile(const std::string& path, const FileRules& rules) {
  const Kept* kept = Find(path);
  return kept != nullptr ? kept->data : target_.ReadOwnFile(path, rules);
}

void NoWriteHost::WriteOwnFile(const std::string& path, std::string_view data, const FileRules&) {
  // The rules guard the disk, which this host never writes; what the
  // engine writes here is only read back by the same command.
  WriteFile(path, data);
}

void NoWriteHost::AppendFile(const std::string& path, std::string_view, bool) { Refuse(path); }
bool NoWriteHost::MoveFileAsSpelled(const std::string& from, const std::string&) { Refuse(from); }
int NoWriteHost::RemoveStaleTemporaries(const std::string& folder) { Refuse(folder); }
bool NoWriteHost::MoveFile(const std::string& from, const std::string&) { Refuse(from); }
bool NoWriteHost::CopyFile(const std::string&, const std::string& to) { Refuse(to); }
bool NoWriteHost::DeleteFile(const std::string& path) { Refuse(path); }
bool NoWriteHost::MakeFolder(const std::string& path) { Refuse(path); }
bool NoWriteHost::RemoveFolder(const std::string& path) { Refuse(path); }
bool NoWriteHost::SetReadOnlyInTree(TreeHandle& tree, const std::string& relative, bool) {
  Refuse(tree.root() + "/" + relative);
}
bool NoWriteHost::DeleteInTree(TreeHandle& tree, const std::string& relative) { Refuse(tree.root() + "/" + relative); }
bool NoWriteHost::MakeFolderInTree(TreeHandle& tree, const std::string& relative) {
  Refuse(tree.root() + "/" + relative);
}
bool NoWriteHost::RemoveFolderInTree(TreeHandle& tree, const std::string& relative) {
  Refuse(tree.root() + "/" + relative);
}
bool NoWriteHost::MoveBetweenTrees(TreeHandle& from_tree, const std::string& from, TreeHandle&, const std::string&,
                                   bool) {
  Refuse(from_tree.root() + "/" + from);
}

}  // namespace zv
