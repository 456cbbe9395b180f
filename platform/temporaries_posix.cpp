// The host's temporary files: every write, copy and move that must not
// leave a half-made file behind makes its temporary twin here, under one
// short name form, and the clean-up finds the ones a killed process left.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <limits>

#include "platform/posix_support.h"

namespace zv::posix {
namespace {

constexpr std::string_view kPrefix = ".zorvan-";
// A temporary left alone this long, by a process that has ended, is stale.
constexpr std::time_t kStaleAfterSeconds = 60;

// Reads a decimal number without sign or leading zero that fits `max`;
// advances `text` past it.
bool TakeNumber(std::string_view* text, unsigned long long max, unsigned long long* out) {
  std::size_t length = 0;
  unsigned long long value = 0;
  while (length < text->size() && (*text)[length] >= '0' && (*text)[length] <= '9') {
    const unsigned digit = static_cast<unsigned>((*text)[length] - '0');
    if (value > (max - digit) / 10) return false;
    value = value * 10 + digit;
    ++length;
  }
  if (length == 0 || (length > 1 && (*text)[0] == '0')) return false;
  text->remove_prefix(length);
  *out = value;
  return true;
}

// Whether the process still runs (or cannot be told apart from one that
// does: another user's process answers EPERM).
bool ProcessAlive(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

}  // namespace

std::string CreateTempIn(int folder, mode_t mode, UniqueFd* fd) {
  static std::atomic<unsigned> counter{0};
  const std::string stem = std::string(kPrefix) + std::to_string(::getpid()) + "-";
  // A name taken already belongs to a process of the same number that
  // ended before cleaning up; the next number is free.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string name = stem + std::to_string(counter++);
    const int raw = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (raw >= 0) {
      *fd = UniqueFd(raw);
      return name;
    }
    if (errno != EEXIST) return {};
  }
  errno = EEXIST;
  return {};
}

std::string CreateTempBeside(const std::string& target, mode_t mode, UniqueFd* fd) {
  const std::string folder = ParentFolder(target);
  const UniqueFd dir(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!dir.valid()) return {};
  const std::string name = CreateTempIn(dir.get(), mode, fd);
  return name.empty() ? name : JoinHost(folder, name);
}

bool ParseTemporaryName(std::string_view name, pid_t* pid) {
  if (name.substr(0, kPrefix.size()) != kPrefix) return false;
  name.remove_prefix(kPrefix.size());
  unsigned long long process = 0, number = 0;
  if (!TakeNumber(&name, static_cast<unsigned long long>(std::numeric_limits<pid_t>::max()), &process)) {
    return false;
  }
  if (name.empty() || name[0] != '-') return false;
  name.remove_prefix(1);
  if (!TakeNumber(&name, std::numeric_limits<unsigned>::max(), &number) || !name.empty()) return false;
  *pid = static_cast<pid_t>(process);
  return true;
}

int RemoveStaleTemporaries(const std::string& folder) {
  const std::string host = folder.empty() ? std::string(".") : ResolveCase(folder);
  UniqueFd dir(::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  std::vector<FolderEntry> entries;
  if (!dir.valid() || !ListFolder(host, &entries)) return 0;
  const std::time_t now = std::time(nullptr);
  int removed = 0;
  for (const FolderEntry& entry : entries) {
    pid_t pid = 0;
    if (!ParseTemporaryName(entry.name, &pid) || ProcessAlive(pid)) continue;
    struct stat st;
    if (::fstatat(dir.get(), entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) continue;
    if (now - st.st_mtim.tv_sec < kStaleAfterSeconds) continue;
    if (::unlinkat(dir.get(), entry.name.c_str(), 0) == 0) ++removed;
  }
  return removed;
}

}  // namespace zv::posix
