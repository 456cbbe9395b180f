// The single-instance locks of the Linux host: where they live and how one
// is taken. Only the host layer and its tests include this.
#pragma once

#include <memory>
#include <string>

#include "platform/host.h"

namespace zv::posix {

// The folder that holds the locks, one no other user can put anything in:
// `runtime` ($XDG_RUNTIME_DIR) when it is an absolute path to a folder of
// ours closed to others; otherwise `tmp_root` + "/zorvan-<uid>", made with
// mode 0700 when missing. That private folder must be a real folder (not a
// link) of ours; if it was opened to others it is closed again. Throws
// HostError when it cannot be made or is not such a folder.
std::string LockFolder(const std::string& runtime, const std::string& tmp_root);

// Takes the lock `name` + ".lock" in `folder` (answered by LockFolder) for
// the life of the returned object; nullptr when another holder has it. The
// lock file is made with mode 0600, never removed, and never inherited by a
// started program; once taken, it holds `holder` + " (process N)" (nothing
// when `holder` is empty). Throws HostError when it cannot be opened or is
// not a plain file of ours (a link, a folder or a pipe at its place).
std::unique_ptr<HeldMutex> AcquireLock(const std::string& folder, const std::string& name,
                                       const std::string& holder = {});

// What the lock file `name` + ".lock" in `folder` says of its holder, when
// the lock is held; empty when it is free or says nothing. Throws HostError
// when it is not a plain file of ours.
std::string LockHolder(const std::string& folder, const std::string& name);

// The lock name of the folder `folder`: the same for every path that leads
// to it (links resolved, when it exists), different for another folder.
std::string FolderLockName(const std::string& folder);

}  // namespace zv::posix
