#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/host.h"
#include "platform/programs.h"
#include "platform/system_error.h"

extern char** environ;

namespace zv {
namespace {

// Ignores the terminal's interrupt and quit signals for the life of the
// object, and puts back what was there before.
class KeyboardSignalsIgnored {
 public:
  KeyboardSignalsIgnored() {
    struct sigaction ignore{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGINT, &ignore, &interrupt_);
    sigaction(SIGQUIT, &ignore, &quit_);
  }
  ~KeyboardSignalsIgnored() {
    sigaction(SIGINT, &interrupt_, nullptr);
    sigaction(SIGQUIT, &quit_, nullptr);
  }
  KeyboardSignalsIgnored(const KeyboardSignalsIgnored&) = delete;
  KeyboardSignalsIgnored& operator=(const KeyboardSignalsIgnored&) = delete;

 private:
  struct sigaction interrupt_{}, quit_{};
};

}  // namespace

ProgramEnd RunProgram(const std::vector<std::string>& command) {
  ProgramEnd end;
  if (command.empty()) {
    end.error = "no program given";
    return end;
  }
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);

  const KeyboardSignalsIgnored ignored;
  // The program gets the default actions and an empty signal mask back,
  // whatever we had, so that the keys end it as they would from a shell.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults, none;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGQUIT);
  sigaddset(&defaults, SIGPIPE);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) {
    end.error = SystemReason(spawned);
    end.error_number = spawned;
    return end;
  }
  end.started = true;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      end.error = SystemReason(errno);
      return end;
    }
  }
  if (WIFEXITED(status)) end.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) {
    end.signal = WTERMSIG(status);
    const char* name = sigabbrev_np(end.signal);
    if (name != nullptr) end.signal_name = std::string("SIG") + name;
  }
  return end;
}

std::string OwnProgramFolder() {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) {
    throw HostError("/proc/self/exe", length < 0 ? SystemReason(errno) : "the executable's path is not known");
  }
  path.resize(static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace zv
