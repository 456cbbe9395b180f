// Pieces shared by the Linux host's source files: case resolution of paths,
// file descriptors that close themselves, temporary files beside a target
// and content copying. Only the host layer includes this.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

namespace zv::posix {

// Owns a file descriptor and closes it when destroyed.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd();

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release();
  // Closes now; answers false (errno set) when close reports an error.
  bool Close();

 private:
  int fd_ = -1;
};

// The host path ("\" turned into "/") under which `path` exists on disk: the
// path as spelled when it exists; otherwise each missing component replaced
// by the first entry of its folder (byte order) equal to it ignoring ASCII
// case. Components found in no case, and everything after them, stay as
// spelled. An empty path stays empty.
std::string ResolveCase(std::string_view path);

// The name of the entry of `folder` (a host path, "" for the current folder)
// equal to `name` ignoring ASCII case, the first in byte order; empty when
// there is none.
std::string FindEntryNoCase(const std::string& folder, std::string_view name);

// The folder part of a host path ("." when there is none, "/" for the root)
// and its last component.
std::string ParentFolder(const std::string& host_path);
std::string BaseName(const std::string& host_path);
// folder + "/" + name, without doubling a separator.
std::string JoinHost(const std::string& folder, std::string_view name);

// Creates a new, empty, hidden temporary file beside `target` (same folder)
// and opens it for writing; `mode` is passed to open() (the umask applies).
// Answers the temporary path, or an empty text (errno set) on failure.
// Every temporary file of the host is made here, so all of them have one
// name form, ".zorvan-<pid>-<n>": short whatever the target's name, hidden,
// and ending in a digit, so no wildcard the program lists its own files
// with ("*.MAP", "*.tmp", "*.lng", "*.TXT") matches one.
std::string CreateTempBeside(const std::string& target, mode_t mode, UniqueFd* fd);
// CreateTempBeside in the folder held open as `folder` (O_PATH will do);
// answers the temporary's name alone.
std::string CreateTempIn(int folder, mode_t mode, UniqueFd* fd);
// True when `name` has exactly the form CreateTempBeside gives; *pid is
// then the process that made it.
bool ParseTemporaryName(std::string_view name, pid_t* pid);
// Host::RemoveStaleTemporaries.
int RemoveStaleTemporaries(const std::string& folder);

// Copies everything readable from `from` into `to`. False (errno set) on failure.
bool CopyContent(int from, int to);

// Flushes a folder's entries to disk (after a rename or link in it). Best effort.
void SyncFolder(const std::string& folder);
// The same for `name` relative to the folder held open as `folder` ("."
// for that folder itself; AT_FDCWD for a path).
void SyncFolderAt(int folder, const char* name);

// One name in a folder held open (O_PATH will do): what the moves act on,
// so that a folder on the way swapped meanwhile cannot redirect them.
struct NameAt {
  int folder;
  std::string name;
};
// Moves `from` to `to` without ever replacing (see Host::MoveFile); with
// `sync` the target's folder is flushed after a rename (a move across file
// systems always flushes both). Across file systems the source is removed
// only while its name still stands for the file that was copied.
bool MoveAt(const NameAt& from, const NameAt& to, bool sync);

// The owner's write bit is clear; a link has no bits of its own and never is.
bool IsReadOnlyMode(const struct stat& st);

// The user's home folder ($HOME, else the password database, else "/").
std::string HomeFolder();
// An environment variable, empty when unset.
std::string Env(const char* name);
// The full path of an executable found through $PATH, empty when none.
std::string FindInPath(const std::string& program);

// ---- The parts of the Linux host that live in their own files; each is
// the implementation of the Host call of the same name.
std::string ReadFile(const std::string& path, const FileRules& rules);
void WriteFile(const std::string& path, std::string_view data, const FileRules& rules);
std::unique_ptr<FileInPieces> WriteFileInPieces(const std::string& path);
// Processors this process may run on (its affinity), at least 1.
unsigned UsableProcessors();
std::string GetSystemFolder(int kind);
std::string SpecialFolderPath(int id);
std::string GetCurrentFolder();
// The user's data folder: $XDG_DATA_HOME when absolute, else ~/.local/share.
std::string UserDataFolder();
// Host::FindProgramPlaces for an executable in `executable_folder`
// (program_places_posix.cpp).
ProgramPlaces PlacesOfExecutable(const std::string& executable_folder, const std::string& named);
std::string ExpandPath(const std::string& path);
int ShellOpen(const std::string& file, const std::string& params, const std::string& folder);
bool MoveFile(const std::string& from, const std::string& to);
bool MoveFileAsSpelled(const std::string& from, const std::string& to);
void AppendFile(const std::string& path, std::string_view data, bool flush);
bool CopyFile(const std::string& from, const std::string& to);
bool ListFolder(const std::string& path, std::vector<FolderEntry>* out);
bool ListFolderSizes(const std::string& path, std::vector<FolderEntry>* out, std::vector<std::int64_t>* sizes);
std::unique_ptr<FolderHandle> OpenFolder(const std::string& path);
// Whether `handle` came from OpenFolder above; ListSubfolder lists below
// such handles only (false, *out empty, for any other).
bool IsOwnFolder(const FolderHandle& handle);
bool ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                   std::unique_ptr<FolderHandle>* opened);
std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name);
bool ListSubfolderSizes(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                        std::vector<std::int64_t>* sizes, std::unique_ptr<FolderHandle>* opened);
bool ReadFolderStamp(const std::string& path, FolderStamp* out);
bool ReadFileStamp(const std::string& path, FileStamp* out);
// For handles of OpenFolder and ListSubfolder above only.
bool ReadOpenFolderStamp(FolderHandle& folder, FolderStamp* out);
std::unique_ptr<TreeHandle> OpenTree(const std::string& root);
TreeEntry LookInTree(TreeHandle& tree, const std::string& relative);
bool PathClearInTree(TreeHandle& tree, const std::string& relative);
bool SetReadOnlyInTree(TreeHandle& tree, const std::string& relative, bool read_only);
bool DeleteInTree(TreeHandle& tree, const std::string& relative);
bool MakeFolderInTree(TreeHandle& tree, const std::string& relative);
bool RemoveFolderInTree(TreeHandle& tree, const std::string& relative);
bool MoveBetweenTrees(TreeHandle& from_tree, const std::string& from, TreeHandle& to_tree, const std::string& to,
                      bool flush);
// False when the file system could not be flushed; Host::FlushTree goes on
// regardless, the changes being made and only their durability in doubt.
bool FlushTree(TreeHandle& tree);
// Whether the tree calls open a path's folders with openat2 where the
// kernel has it (the default) or always one component at a time; tests
// take both ways.
void SetTreesUseOpenat2(bool use);
// Splits a parameter text into arguments at blanks; a double-quoted run keeps
// its blanks and loses its quotes.
std::vector<std::string> SplitParams(std::string_view params);
// A program file name without a final ".exe" (any case).
std::string WithoutExe(const std::string& file);

}  // namespace zv::posix
