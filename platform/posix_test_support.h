// Helpers shared by the Linux host's tests: a scratch-folder fixture,
// environment and child-process helpers, and a folder on another file system.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/host.h"
#include "tests/support/scratch.h"

namespace zv::host_testing {

using Names = std::vector<std::string>;

// Sets environment variables for one test and puts the old values back.
class EnvGuard {
 public:
  ~EnvGuard() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) ::setenv(it->first.c_str(), it->second->c_str(), 1);
      else ::unsetenv(it->first.c_str());
    }
  }
  void Set(const std::string& name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) ::setenv(name.c_str(), value->c_str(), 1);
    else ::unsetenv(name.c_str());
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

inline mode_t ModeOf(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// Runs `body` in a child process and answers its exit code (-1 when killed).
inline int InChild(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(body());
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}


// In a child process, lets no file grow beyond `bytes`, so that writing a
// larger file fails part way even for the super-user.
inline void LimitFileSize(rlim_t bytes) {
  ::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit = {bytes, bytes};
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

// The pid of a process that has ended and been reaped.
inline pid_t DeadPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

// Sets a file's (or link's) modification time `seconds` into the past.
inline void AgeFile(const std::string& path, int seconds) {
  const std::time_t then = std::time(nullptr) - seconds;
  const timespec times[2] = {{then, 0}, {then, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// Kills a child process in the middle of host.WriteFile(path, ...), as a
// kill or a crash would: the file size limit ends it with SIGXFSZ once 4 KB
// are written. Answers whether it died that way.
inline bool KillDuringWrite(Host& host, const std::string& path) {
  return InChild([&] {
    const rlimit no_core = {0, 0};
    ::setrlimit(RLIMIT_CORE, &no_core);
    const rlimit limit = {4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    host.WriteFile(path, std::string(1 << 20, 'x'));
    return 0;
  }) == -1;
}

class PosixHostTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& relative) const { return scratch_ / relative; }
  void Put(const std::string& relative, const std::string& bytes) { testing::WriteBytes(Path(relative), bytes); }
  std::string Get(const std::string& relative) const { return testing::ReadBytes(Path(relative)); }
  Names NamesIn(const std::string& relative = "") const {
    return testing::ListNames(relative.empty() ? scratch_.path() : Path(relative));
  }

  testing::ScratchFolder scratch_;
  std::unique_ptr<Host> host_ = NewPosixHost();
};

// A folder on another file system than the scratch folder, or none.
class OtherFileSystemFolder {
 public:
  explicit OtherFileSystemFolder(const std::string& beside) {
    struct stat here, shm;
    if (::stat(beside.c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev) return;
    std::string pattern = "/dev/shm/zorvan-test-XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~OtherFileSystemFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace zv::host_testing
