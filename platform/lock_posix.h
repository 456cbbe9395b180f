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
// started program. Throws HostError when it cannot be opened or is not a
// plain file of ours (a link, a folder or a pipe at its place).
std::unique_ptr<HeldMutex> AcquireLock(const std::string& folder, const std::string& name);

}  // namespace zv::posix
