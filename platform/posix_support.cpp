#include "platform/posix_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/text.h"

namespace zv::posix {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.release();
  }
  return *this;
}

UniqueFd::~UniqueFd() { Close(); }

int UniqueFd::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

bool UniqueFd::Close() {
  if (fd_ < 0) return true;
  const int result = ::close(fd_);
  fd_ = -1;
  return result == 0;
}

std::string FindEntryNoCase(const std::string& folder, std::string_view name) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  std::string best;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view candidate(entry->d_name);
    if (candidate == "." || candidate == "..") continue;
    if (!EqualsNoCase(candidate, name)) continue;
    // std::string compares bytes as unsigned, which is the byte order wanted.
    if (best.empty() || candidate < std::string_view(best)) best = candidate;
  }
  ::closedir(dir);
  return best;
}

std::string ResolveCase(std::string_view path) {
  std::string host = ToHostPath(path);
  if (host.empty()) return host;
  struct stat st;
  if (::lstat(host.c_str(), &st) == 0 || (errno != ENOENT)) return host;

  std::string out;
  std::size_t i = 0;
  const std::size_t n = host.size();
  if (host[0] == '/') {
    out = "/";
    i = 1;
  }
  while (i < n) {
    std::size_t end = host.find('/', i);
    if (end == std::string::npos) end = n;
    const std::string_view component(host.data() + i, end - i);
    if (component.empty()) {
      i = end + 1;
      continue;
    }
    std::string candidate = JoinHost(out, component);
    if (component != "." && component != ".." && ::lstat(candidate.c_str(), &st) != 0) {
      // Below a component that is missing in every case nothing can be found.
      const std::string match = errno == ENOENT ? FindEntryNoCase(out, component) : std::string();
      if (match.empty()) return candidate + host.substr(end);
      candidate = JoinHost(out, match);
    }
    out = std::move(candidate);
    i = end + 1;
  }
  if (host.back() == '/' && out.back() != '/') out += '/';
  return out;
}

std::string ParentFolder(const std::string& host_path) {
  std::size_t end = host_path.size();
  while (end > 1 && host_path[end - 1] == '/') --end;
  const std::size_t slash = host_path.rfind('/', end - 1);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return host_path.substr(0, slash);
}

std::string BaseName(const std::string& host_path) {
  std::size_t end = host_path.size();
  while (end > 1 && host_path[end - 1] == '/') --end;
  const std::size_t slash = host_path.rfind('/', end - 1);
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  return host_path.substr(start, end - start);
}

std::string JoinHost(const std::string& folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string out = folder;
  if (out.back() != '/') out += '/';
  out += name;
  return out;
}

bool CopyContent(int from, int to) {
  std::vector<char> buffer(1 << 17);
  for (;;) {
    const ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    ssize_t done = 0;
    while (done < got) {
      const ssize_t put = ::write(to, buffer.data() + done, static_cast<std::size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += put;
    }
  }
}

void SyncFolder(const std::string& folder) { SyncFolderAt(AT_FDCWD, folder.c_str()); }

void SyncFolderAt(int folder, const char* name) {
  const int fd = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool IsReadOnlyMode(const struct stat& st) { return !S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0; }

std::string HomeFolder() {
  std::string home = Env("HOME");
  if (!home.empty()) return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && *entry->pw_dir) {
    return entry->pw_dir;
  }
  return "/";
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string FindInPath(const std::string& program) {
  if (program.empty()) return {};
  if (program.find('/') != std::string::npos) {
    return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
  }
  std::string search = Env("PATH");
  if (search.empty()) search = "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  for (;;) {
    const std::size_t colon = search.find(':', start);
    const std::string folder = search.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    const std::string candidate = JoinHost(folder.empty() ? "." : folder, program);
    struct stat st;
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    if (colon == std::string::npos) return {};
    start = colon + 1;
  }
}

unsigned UsableProcessors() {
  // The affinity, not the machine's count: a process confined to one core
  // (taskset, a container's cpuset) gains nothing from a second thread.
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace zv::posix
