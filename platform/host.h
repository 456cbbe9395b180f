// The host layer: the one narrow interface through which the engine and both
// programs reach files, folders, system places, locks and the desktop shell.
// Nothing above this layer calls the operating system directly.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zv {

// An error of the runtime: a file that cannot be read or written, a folder
// that cannot be created... what() is "<display path>: <system reason>".
// It ends the current command and reaches the top-level error report.
class HostError : public std::runtime_error {
 public:
  HostError(const std::string& path, const std::string& reason);
  const std::string& path() const { return path_; }
  // The reason alone, without the path.
  const std::string& reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

// A read or write refused because of what the path names rather than a
// failure of the system: something other than a regular file (a folder, a
// named pipe, a device, a symbolic link where none may be followed), a
// program where none may be replaced, a file larger than allowed. Nothing
// was read or written.
class RefusedFileError : public HostError {
 public:
  using HostError::HostError;
};

// What ReadOwnFile and WriteOwnFile accept at a path, beyond what ReadFile
// and WriteFile do; the defaults are theirs.
struct FileRules {
  // A symbolic link at the path is read or written through, to the file it
  // names. False refuses the link itself, and with it anything that is not
  // a regular file, so a file of ours never reaches outside through one.
  bool follow_link = true;
  // Reads: the most bytes the file may hold; 0 for no limit.
  std::uint64_t max_bytes = 0;
  // Writes: never a program. An existing file with a run bit is not
  // replaced (unless the file system gives every file run bits, as FAT,
  // exFAT and NTFS mounts do), and the file written has none: a new file
  // gets 0666 less the umask, a replaced one keeps its bits without run,
  // set-id and sticky bits.
  bool plain_data = false;
};

// The most a small file of the program may hold (its settings, a language
// file and the catalogue it brings, the probe's mode file): no real one
// comes near it, and a larger one is refused before it fills the memory.
inline constexpr std::uint64_t kSmallFileLimit = 16u << 20;

// Where the programs of Zorvan keep their own files and find the files
// that come with them. A portable program folder holds everything; an
// installed program reads its programs, language files and help page from
// the installation and keeps each user's files in a folder of their own.
struct ProgramPlaces {
  // The program folder: settings, maps, trash, the probe's files, work files
  // and the catalogue a language unpacks. Absolute, no trailing separator.
  std::string folder;
  // The folder holding the programs (Zorvan32, Vigilo32, zorvan).
  std::string programs;
  // The folder holding the language files and the help page.
  std::string shared;
  // True for an installed program; `folder` then is made on the first start.
  bool installed = false;
  // The installation's own menu entry for the mapper (it may have been
  // removed since); empty for a portable program folder.
  std::string menu_entry;
};

// The variable that names a portable program folder for all three programs.
inline constexpr char kProgramFolderVariable[] = "ZORVAN_PROGRAM_FOLDER";
// The file beside an installed program's executable that marks it installed
// and says where the installation's other files are.
inline constexpr char kInstallationMarker[] = "zorvan-installation";

enum class EntryKind : std::uint8_t { kFile, kFolder };

// One entry of a folder listing. A symbolic link is a file entry, whatever it
// points to, so that walks never follow links.
struct FolderEntry {
  std::string name;
  EntryKind kind = EntryKind::kFile;
};

// What a folder's entry names hang on, as its file system records them: the
// folder's identity and the last times its entries changed (modification and
// status-change times, nanoseconds since the epoch). Creating, deleting or
// renaming an entry updates both times; writing into an entry need not
// change them. The file system takes those times from a coarse clock, so a change
// made in the same clock tick as an earlier reading can leave the stamp as
// it was: only a stamp whose times were already older than the clock's
// granularity when it was read proves that the names stayed the same.
struct FolderStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t modified_ns = 0;
  std::int64_t changed_ns = 0;
  // The real-time clock (the one the file system stamps with) just after the
  // stamp was read; not part of the stamp itself.
  std::int64_t read_ns = 0;

  bool SameAs(const FolderStamp& other) const {
    return device == other.device && inode == other.inode && modified_ns == other.modified_ns &&
           changed_ns == other.changed_ns;
  }
};

// What a file's content hangs on, as its file system records it: the file's
// identity, its size and the last times its content and its status changed
// (nanoseconds since the epoch). Writing the file moves its times;
// replacing it (a rename over it) gives it another identity. As for
// folders, the times come from a coarse clock: only a stamp whose times
// were already older than the clock's granularity when it was read proves,
// when read again the same, that the content stayed as it was.
struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modified_ns = 0;
  std::int64_t changed_ns = 0;
  // The real-time clock just after the stamp was read; not part of the stamp.
  std::int64_t read_ns = 0;

  bool SameAs(const FileStamp& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified_ns == other.modified_ns && changed_ns == other.changed_ns;
  }
};

// A folder held open by Host::OpenFolder or Host::ListSubfolder, so that
// its subfolders can be listed relative to it; closed when destroyed. It
// remembers the path it stands for. Each one holds a file descriptor, so
// a walk keeps open at most the folders of its current path.
class FolderHandle {
 public:
  explicit FolderHandle(std::string path) : path_(std::move(path)) {}
  virtual ~FolderHandle() = default;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A folder held open as the root of a tree (Host::OpenTree), so that the
// tree calls below act on paths relative to it: each folder on a path's way
// is opened from the one above it without following a symbolic link, and
// nothing above the root is ever reached. A folder swapped for a link
// between two calls therefore never redirects the second; and since no
// whole path is handed to the system, depth and path length do not matter.
// The handle remembers its root's path, for messages.
class TreeHandle {
 public:
  explicit TreeHandle(std::string root) : root_(std::move(root)) {}
  virtual ~TreeHandle() = default;
  const std::string& root() const { return root_; }

 private:
  std::string root_;
};

// What a path below an open tree names (Host::LookInTree).
enum class TreeFind : std::uint8_t {
  kNothing,  // missing, or a folder on its way is missing or cannot be entered
  kFile,     // a file or a symbolic link (never followed), or anything else but a folder
  kFolder,
  // Not reachable below the root: the path begins with a separator, has a
  // ".." component, or a symbolic link or a file stands where a folder on
  // its way should be.
  kBlocked,
};

struct TreeEntry {
  TreeFind what = TreeFind::kNothing;
  bool read_only = false;  // as IsReadOnly tells
  // For kFile and kFolder: the path as the disk spells it, components
  // joined by "/".
  std::string spelled;
};

// A replacement of one file written in pieces (Host::WriteFileInPieces), so
// that a large file need not be held whole in memory before it is written:
// nothing at the file's path changes until Commit, which replaces the file
// with every piece added, atomically, as Host::WriteFile does. Destroyed
// without a successful Commit, it leaves the file as it was and removes
// whatever it wrote on the way.
class FileInPieces {
 public:
  virtual ~FileInPieces() = default;
  // Adds `data` at the end. Throws HostError when it cannot be written.
  virtual void Add(std::string_view data) = 0;
  // Replaces the file with everything added. Throws HostError as
  // Host::WriteFile does, the file then left as it was. Call it once.
  virtual void Commit() = 0;
};

// A conversation with a service of the desktop shell, opened by
// Host::OpenConversation and ended when destroyed.
class ServiceConversation {
 public:
  virtual ~ServiceConversation() = default;
  // Sends one command ("[CreateGroup(Startup)]", trailing blanks and line
  // ends allowed); true when the service accepted and carried it out.
  virtual bool Execute(const std::string& command) = 0;
};

// Held while a named mutex is owned; released when destroyed (and by the
// kernel when the process dies).
class HeldMutex {
 public:
  virtual ~HeldMutex() = default;
};

// Paths given to a Host may join names with "\" (the stored form) or "/";
// every "\" becomes "/" when the path touches the disk. A relative path is
// taken against the process's current folder. When a path does not exist as
// spelled, each component is matched without regard to ASCII case against
// its folder's entries (first match in byte order wins); components that
// exist in no case are kept as spelled. So a file created under a name that
// exists in another case replaces that file.
class Host {
 public:
  virtual ~Host() = default;

  // ---- Files. Reads and writes throw HostError; queries answer false/-1.

  // The whole content of a regular file, a final link followed. The file is
  // opened without blocking and checked before a byte is read, so a named
  // pipe or a device never stalls or floods the program: anything but a
  // regular file throws RefusedFileError. Throws HostError when it cannot
  // be read.
  virtual std::string ReadFile(const std::string& path) = 0;
  // ReadFile under `rules` (follow_link, max_bytes): RefusedFileError for a
  // link when links are not followed, and for a file over the limit.
  virtual std::string ReadOwnFile(const std::string& path, const FileRules& rules) = 0;
  // Replaces the file with `data` atomically: a temporary file in the same
  // folder is written, flushed and renamed over the target, so a crash never
  // leaves it half-written. Keeps the permission bits of a replaced file.
  // Throws HostError when it cannot be written, also when the file is
  // read-only (as on Windows, a read-only file is never replaced or deleted).
  virtual void WriteFile(const std::string& path, std::string_view data) = 0;
  // Adds `data` at the end of an existing file with one write in append
  // mode: a process killed at any moment leaves the file as it was or with
  // all of `data` added, and a write that fails part way (a full disk) is
  // cut back off. With `flush` it returns only once the data is on disk.
  // Throws HostError when the file is missing, read-only or a folder, or
  // cannot be written; RefusedFileError, writing nothing, when the path is
  // a symbolic link (never followed) or anything but a regular file. This
  // default reads the file and writes it whole with ReadOwnFile and
  // WriteOwnFile under the same rule.
  virtual void AppendFile(const std::string& path, std::string_view data, bool flush);
  // The file at `path` replaced by pieces added one after another (see
  // FileInPieces); the result is what WriteFile of all the pieces joined
  // would give. A host may look at the path and start writing before the
  // last piece (its errors then come from this call or from Add) or only at
  // Commit. This default gathers the pieces in memory and hands them to
  // WriteFile at Commit, so a host that overrides WriteFile alone sees every
  // write through it.
  virtual std::unique_ptr<FileInPieces> WriteFileInPieces(const std::string& path);
  // WriteFile under `rules` (follow_link, plain_data); what they refuse
  // throws RefusedFileError and leaves the file as it was.
  virtual void WriteOwnFile(const std::string& path, std::string_view data, const FileRules& rules) = 0;

  // True when a file (not a folder) of that name exists; a link is a file.
  virtual bool FileExists(const std::string& path) = 0;
  // True when a folder of that name exists; true for an empty path.
  virtual bool FolderExists(const std::string& path) = 0;
  // True when anything of that name exists.
  virtual bool PathExists(const std::string& path) = 0;
  // Size in bytes of the first entry matching `path` (wildcards "*" and "?"
  // allowed in the last component, case ignored), -1 when nothing matches.
  virtual std::int64_t FileSize(const std::string& path) = 0;
  // Read-only means the owner's write permission bit is clear.
  virtual bool IsReadOnly(const std::string& path) = 0;
  // Sets or clears read-only, keeping the other permission bits. False on failure.
  virtual bool SetReadOnly(const std::string& path, bool read_only) = 0;

  // Lists a folder ("." and ".." left out) in the file system's enumeration
  // order, names in the case it reports. Replaces *out. Answers false, with
  // *out empty, when the folder cannot be read.
  virtual bool ListFolder(const std::string& path, std::vector<FolderEntry>* out) = 0;
  // ListFolder, and in *sizes the size in bytes of each file entry ((*sizes)[i]
  // belongs to (*out)[i]; a link's own size), -1 for a folder or a file whose
  // size cannot be read. One call per folder, so that a caller needing the
  // sizes of many files of one folder avoids a path walk per file. This
  // default asks FileSize per file; hosts override it with one cheap
  // look-up per entry.
  virtual bool ListFolderSizes(const std::string& path, std::vector<FolderEntry>* out,
                               std::vector<std::int64_t>* sizes);
  // How many threads may list folders at once: ListSubfolder and
  // OpenSubfolder called on several threads together, also with one parent
  // handle shared between them, and a handle they gave used and destroyed
  // on a thread other than the one it was opened on. 1, this default, means
  // one thread at a time: a host that does not override it (ForwardingHost
  // and the fault-injecting hosts derived from it) never sees two listing
  // calls at once. A walk of a large tree lists ahead on that many threads.
  virtual unsigned ListingThreads() { return 1; }
  // Opens the folder that ListFolder(path) reads, for ListSubfolder;
  // nullptr when it cannot be opened. This default opens nothing but
  // remembers the path.
  virtual std::unique_ptr<FolderHandle> OpenFolder(const std::string& path);
  // Lists the subfolder `name` (one name, as a listing of `parent` spelled
  // it) of the open folder `parent`, as ListFolder would list it, but opened
  // relative to `parent`: the kernel looks up one name instead of walking
  // the whole path. A link is never followed, even one that points to a
  // folder. When `opened` is given it receives the subfolder held open, for
  // its own subfolders (nullptr on failure). Answers false, with *out empty,
  // when `name` is not a folder of `parent` (a link included) or cannot be
  // read. This default lists parent.path() + "/" + name with ListFolder.
  virtual bool ListSubfolder(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                             std::unique_ptr<FolderHandle>* opened);
  // Opens the subfolder `name` of the open folder `parent` as ListSubfolder
  // does, without listing it: a walk that has let go of a folder reopens it
  // this way, one level at a time from an ancestor it still holds, so that
  // no path the system would have to walk whole (or find too long) is
  // involved. A link is never followed. nullptr when `name` is not a folder
  // of `parent` (a link included) or cannot be opened. This default
  // remembers parent.path() + "/" + name when that is a folder.
  virtual std::unique_ptr<FolderHandle> OpenSubfolder(FolderHandle& parent, const std::string& name);
  // ListSubfolder, and in *sizes what ListFolderSizes gives for the
  // subfolder's entries, each size looked up relative to the subfolder
  // opened: no path is walked whole, however deep. Answers as ListSubfolder
  // does, *sizes empty on failure. This default takes ListSubfolder's
  // listing and asks FileSize per file.
  virtual bool ListSubfolderSizes(FolderHandle& parent, const std::string& name, std::vector<FolderEntry>* out,
                                  std::vector<std::int64_t>* sizes, std::unique_ptr<FolderHandle>* opened);
  // The stamp of the folder that ListFolder(path) reads: the path resolved
  // the same way, a final link followed. False when there is none to go by:
  // the path is missing or not a folder, or its file system is not one whose
  // folder times are known to follow every change of names at once (network
  // and user-space file systems may answer from a cache). A caller without a
  // stamp lists the folder. This default has no stamps.
  virtual bool ReadFolderStamp(const std::string& path, FolderStamp* out);
  // The stamp (see ReadFolderStamp) of a folder held open, read from the
  // folder itself rather than by its path: the stamp of exactly the folder
  // that was listed, without a walk of its path. This default reads the
  // stamp of folder.path().
  virtual bool ReadOpenFolderStamp(FolderHandle& folder, FolderStamp* out);
  // The stamp of the regular file at `path`, resolved as ReadOwnFile with
  // links not followed resolves it. False when there is none to go by: the
  // path is missing or no regular file, or its file system is not one whose
  // times are known to follow every change at once. This default has none.
  virtual bool ReadFileStamp(const std::string& path, FileStamp* out);
  // Names of the non-hidden files (not folders) of `folder` whose names match
  // the wildcard `pattern` ("*.MAP"), case ignored, sorted in the program's
  // case-ignoring order (CompareNoCase). A name holding "\\" is never
  // answered: joined to the folder it would stand for another path.
  virtual std::vector<std::string> FindFiles(const std::string& folder,
                                             const std::string& pattern) = 0;

  // Moves a file or folder without ever replacing an existing target; across
  // file systems the content is copied (permission bits kept), flushed,
  // linked into place without replacing, then the source removed. False on
  // failure, which leaves the source untouched.
  virtual bool MoveFile(const std::string& from, const std::string& to) = 0;
  // MoveFile for a caller that knows no name equal to the last component
  // of `to` ignoring case exists (it listed the folder): that name is taken
  // as spelled instead of being looked for in another case, which would
  // read the whole target folder for every file moved into it. Still never
  // replaces. The move is not flushed to disk by itself: it reaches the
  // disk with the file system's next commit. This default is MoveFile.
  virtual bool MoveFileAsSpelled(const std::string& from, const std::string& to) { return MoveFile(from, to); }
  // Copies a file over `to`, replacing it whole (temporary file + rename);
  // the copy keeps the source's permission bits. False on failure, also
  // when `to` is read-only.
  virtual bool CopyFile(const std::string& from, const std::string& to) = 0;
  // Removes a file (or link). False on failure, also when it is read-only.
  virtual bool DeleteFile(const std::string& path) = 0;
  // Creates one folder level. False when it exists or cannot be made.
  virtual bool MakeFolder(const std::string& path) = 0;
  // Removes an empty folder. False otherwise.
  virtual bool RemoveFolder(const std::string& path) = 0;
  // Creates the folder and every missing parent. True when it exists afterwards.
  bool MakeDirs(const std::string& path);
  // Removes from `folder` the temporary files that this host's own writes,
  // copies and moves left behind when the process making them was killed
  // or crashed before it finished: only names of the exact form the host
  // gives its temporaries, only files and links (never a folder), and only
  // when the process named in the temporary's name has ended and the file
  // has not been changed for a minute, so a write still running in another
  // process is never disturbed. Answers how many were removed.
  virtual int RemoveStaleTemporaries(const std::string& folder) = 0;

  // ---- Trees: the changes the trash makes, each relative to an open root.
  // A relative path joins components with "\\" or "/"; empty and "."
  // components are skipped. Each component is taken as spelled when it
  // exists; otherwise the one entry of its folder equal to it ignoring ASCII
  // case stands for it, and when there are none or several (twins that
  // differ only in case) the component is missing. Where a call creates a
  // name (the target of a move, a new folder), that last name is always
  // taken as spelled.

  // Opens `root` (a path as the other calls take it, links followed) as a
  // tree. Never fails: a root that cannot be opened gives a tree in which
  // nothing exists and nothing can be changed.
  virtual std::unique_ptr<TreeHandle> OpenTree(const std::string& root) = 0;
  // What `relative` names below the tree; the empty path names the root.
  virtual TreeEntry LookInTree(TreeHandle& tree, const std::string& relative) = 0;
  // Whether `relative` can be reached below the tree: false exactly where
  // LookInTree answers kBlocked. Only the folders on its way are opened;
  // the last name is not looked for, so its folder is never listed for
  // another letter case.
  virtual bool PathClearInTree(TreeHandle& tree, const std::string& relative) = 0;
  // SetReadOnly of a path below the tree; a link is never followed.
  virtual bool SetReadOnlyInTree(TreeHandle& tree, const std::string& relative, bool read_only) = 0;
  // DeleteFile of a path below the tree: false for a folder, a read-only
  // file, or when it cannot be removed.
  virtual bool DeleteInTree(TreeHandle& tree, const std::string& relative) = 0;
  // Creates one folder level; false when its name is taken or its parent
  // is missing.
  virtual bool MakeFolderInTree(TreeHandle& tree, const std::string& relative) = 0;
  // Removes an empty folder (never a link); false otherwise.
  virtual bool RemoveFolderInTree(TreeHandle& tree, const std::string& relative) = 0;
  // MoveFile from a path below one tree to a path below another (or the
  // same): never replaces, and the target's last name is taken as spelled
  // (a free name beside a twin in another case is free). Across file
  // systems the copy is made in the target's real folder and the source is
  // removed from its real folder, both held open, so a folder swapped
  // meanwhile changes nothing outside. With `flush` the target's folder
  // (both folders across file systems) is flushed to disk before it
  // answers. False on failure, the source untouched.
  virtual bool MoveBetweenTrees(TreeHandle& from_tree, const std::string& from, TreeHandle& to_tree,
                                const std::string& to, bool flush) = 0;
  // Flushes to disk every change made so far below the tree (the whole file
  // system it lies on), so that many moves made without `flush` cost one
  // flush. Nothing happens for a tree whose root could not be opened.
  virtual void FlushTree(TreeHandle& tree) = 0;

  // ---- Places.

  // 0 the Windows folder, 1 the System folder (neither ends with a
  // separator), 2 the Temp folder (ends with "/").
  virtual std::string GetSystemFolder(int kind) = 0;
  // A desktop special folder by its shell id (7 Startup, 11 Start Menu,
  // 2 Programs, 16 Desktop); empty when the host has no such folder.
  virtual std::string SpecialFolderPath(int id) = 0;
  // The process's working folder as an absolute path ("/" for the root).
  virtual std::string GetCurrentFolder() = 0;
  // `path` made absolute against the current folder, in host form.
  virtual std::string ExpandPath(const std::string& path) = 0;
  // Where this program keeps and finds its files. `named` is a folder the
  // person named for this run (a command-line option), else empty. A folder
  // named, or else the one kProgramFolderVariable names, is a portable
  // program folder (relative to the current folder). Otherwise the folder
  // of the running executable (links resolved) is: portable without a
  // kInstallationMarker there, installed with one. Throws HostError when the
  // executable's folder is not known or the marker cannot be read.
  virtual ProgramPlaces FindProgramPlaces(const std::string& named) = 0;

  // ---- Processes and the desktop.

  // Opens a program (started detached with `params`, in `folder` or the
  // current folder when empty; a name ending in ".exe" loses that ending),
  // or anything else with the desktop's opener. "notepad" names the
  // desktop's text editor. Result: above 32 on success, 2 when the file does
  // not exist, 31 when nothing can open it.
  virtual int ShellOpen(const std::string& file, const std::string& params,
                        const std::string& folder, int show) = 0;
  // Opens a conversation with a desktop shell service by its service and
  // topic names; nullptr when there is no such service. "Progman"/"Progman"
  // files program links: "[CreateGroup(name)]" opens a group (a name like
  // the last component of the Startup folder (7) means that folder, ".."
  // the Start Menu folder (11), any other plain name a folder below
  // Programs (2)), then "[AddItem(command,title)]" puts into it a link
  // named after the title that starts the program `command` in its own
  // folder. A link is written whole or not at all; a command that cannot be
  // carried out answers false and changes nothing.
  virtual std::unique_ptr<ServiceConversation> OpenConversation(const std::string& service,
                                                                const std::string& topic) = 0;
  // Takes the named mutex for the life of the returned object; nullptr when
  // another holder (this or another process) has it. Throws HostError when
  // it cannot be taken at all (see kLockFailure).
  virtual std::unique_ptr<HeldMutex> AcquireNamedMutex(const std::string& name) = 0;
  // The lock of the folder `folder` (one lock whatever path, through links,
  // names the folder), taken as AcquireNamedMutex takes a named mutex.
  // While it is held, FolderLockHolder answers `holder` + " (process N)",
  // N this process's id.
  virtual std::unique_ptr<HeldMutex> AcquireFolderLock(const std::string& folder, const std::string& holder) = 0;
  // Who holds the lock of `folder` as its holder said it; empty when it is
  // free, or its holder said nothing yet. Never throws.
  virtual std::string FolderLockHolder(const std::string& folder) = 0;
};

// What a program says, before the HostError's text, when its single-instance
// mutex cannot be taken at all; it then ends with exit code 0.
inline constexpr const char* kLockFailure = "Cannot take the lock that keeps this program to one copy: ";

// The host of this machine. Every call goes to the real file system.
std::unique_ptr<Host> NewPosixHost();

}  // namespace zv
