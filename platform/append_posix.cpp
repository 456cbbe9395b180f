// Appending to a file of the Linux host: one write in append mode, cut back
// to the old length when it fails part way, so that the file holds either
// its old content or all of the new data.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix_support.h"
#include "platform/system_error.h"

namespace zv::posix {

void AppendFile(const std::string& path, std::string_view data, bool flush) {
  // No O_CREAT: a missing file is the caller's to recreate whole. Opened
  // without following a final link and without blocking, so that neither a
  // link nor a named pipe in the file's place takes the data elsewhere.
  UniqueFd fd(::open(ResolveCase(path).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
  if (!fd.valid()) {
    if (errno == ELOOP) throw RefusedFileError(path, "is a symbolic link, not a regular file");
    ThrowSystemError(path, errno);
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) ThrowSystemError(path, errno);
  if (!S_ISREG(st.st_mode)) throw RefusedFileError(path, "is not a regular file");
  // As for WriteFile, a read-only file is never changed, even by the
  // super-user whom the kernel would let write.
  if (IsReadOnlyMode(st)) ThrowSystemError(path, EACCES);
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t put = ::write(fd.get(), data.data() + done, data.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      const int saved = put < 0 ? errno : ENOSPC;
      // Should even cutting back fail, readers tell a cut last line by its
      // missing closing marker.
      static_cast<void>(::ftruncate(fd.get(), st.st_size) == 0);
      ThrowSystemError(path, saved);
    }
    done += static_cast<std::size_t>(put);
  }
  if (flush && ::fdatasync(fd.get()) != 0) ThrowSystemError(path, errno);
  if (!fd.Close()) ThrowSystemError(path, errno);
}

}  // namespace zv::posix
