// Starting programs and opening documents, folders and web pages detached
// from this process, the way the desktop shell does.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/host.h"
#include "platform/posix_support.h"
#include "platform/text.h"

extern char** environ;

namespace zv::posix {
namespace {

constexpr int kStarted = 42;
constexpr int kNotFound = 2;
constexpr int kAccessDenied = 5;
constexpr int kNoOpener = 31;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// "scheme:..." with a scheme of two letters or more ("C:" is a drive, not a URL).
bool IsUrl(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!letter(text[0])) return false;
  for (std::size_t i = 1; i < colon; ++i) {
    const char c = text[i];
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

// `path` in host form, taken against `folder` when relative, letter case resolved.
std::string Locate(const std::string& path, const std::string& folder) {
  const std::string host = ToHostPath(path);
  return ResolveCase(host[0] == '/' ? host : JoinHost(folder, host));
}

bool IsProgram(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Runs `program` with `args` in `folder` as a grandchild in its own session,
// so it outlives us and never becomes our zombie. Answers 0 once it has
// replaced itself with the program, else the error number of the failure
// (reported back through a close-on-exec pipe).
int SpawnDetached(const std::string& program, const std::vector<std::string>& args, const std::string& folder) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return errno;
  const int null_input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const pid_t child = ::fork();
  if (child == 0) {
    // Only async-signal-safe calls from here on: the parent may have threads.
    ::close(report[0]);
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild != 0) {
      if (grandchild < 0) {
        const int error = errno;
        (void)!::write(report[1], &error, sizeof error);
      }
      ::_exit(0);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction fresh = {};
    fresh.sa_handler = SIG_DFL;
    for (const int signal_number : {SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGHUP, SIGTERM}) {
      ::sigaction(signal_number, &fresh, nullptr);
    }
    if (null_input >= 0) ::dup2(null_input, STDIN_FILENO);
    if (::chdir(folder.c_str()) == 0) ::execve(program.c_str(), argv.data(), environ);
    const int error = errno;
    (void)!::write(report[1], &error, sizeof error);
    ::_exit(127);
  }
  const int fork_error = errno;
  ::close(report[1]);
  if (null_input >= 0) ::close(null_input);
  if (child < 0) {
    ::close(report[0]);
    return fork_error;
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got;
  while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  ::close(report[0]);
  return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

int ResultOf(int error) {
  if (error == 0) return kStarted;
  if (error == ENOENT || error == ENOTDIR) return kNotFound;
  if (error == EACCES || error == EPERM) return kAccessDenied;
  return kNoOpener;
}

// Hands `target` (a path or a URL) to the desktop's opener.
int OpenWithDesktop(const std::string& target, const std::string& folder) {
  const std::string opener = FindInPath("xdg-open");
  if (opener.empty()) return kNoOpener;
  const int error = SpawnDetached(opener, {target}, folder);
  return error == 0 ? kStarted : kNoOpener;
}

// The whole parameter text names one file, as it does for a text editor;
// surrounding double quotes are dropped.
std::string FileParameter(std::string_view params) {
  while (!params.empty() && IsBlank(params.front())) params.remove_prefix(1);
  while (!params.empty() && IsBlank(params.back())) params.remove_suffix(1);
  if (params.size() >= 2 && params.front() == '"') {
    const std::size_t close = params.find('"', 1);
    return std::string(params.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
  }
  return std::string(params);
}

}  // namespace

std::string WithoutExe(const std::string& file) {
  if (file.size() > 4 && EqualsNoCase(std::string_view(file).substr(file.size() - 4), ".exe")) {
    return file.substr(0, file.size() - 4);
  }
  return file;
}

std::vector<std::string> SplitParams(std::string_view params) {
  std::vector<std::string> args;
  std::string current;
  bool in_argument = false;
  bool quoted = false;
  for (const char c : params) {
    if (c == '"') {
      quoted = !quoted;
      in_argument = true;
    } else if (IsBlank(c) && !quoted) {
      if (in_argument) args.push_back(std::move(current));
      current.clear();
      in_argument = false;
    } else {
      current += c;
      in_argument = true;
    }
  }
  if (in_argument) args.push_back(std::move(current));
  return args;
}

int ShellOpen(const std::string& file, const std::string& params, const std::string& folder) {
  if (file.empty()) return kNotFound;
  std::string work_folder;
  if (folder.empty()) {
    try {
      work_folder = GetCurrentFolder();
    } catch (const HostError&) {
      work_folder.assign(1, '/');
    }
  } else {
    work_folder = ResolveCase(ExpandPath(folder));
    struct stat st;
    if (::stat(work_folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return kNotFound;
  }
  if (IsUrl(file)) return OpenWithDesktop(file, work_folder);

  const std::string program = WithoutExe(file);
  const bool bare_name = program.find_first_of("/\\") == std::string::npos;
  if (bare_name && EqualsNoCase(program, "notepad")) {
    // The desktop's text editor is whatever opens the file as a document.
    const std::string name = FileParameter(params);
    if (name.empty()) return kNotFound;
    const std::string document = Locate(name, work_folder);
    if (::access(document.c_str(), F_OK) != 0) return kNotFound;
    return OpenWithDesktop(document, work_folder);
  }

  std::string executable;
  for (const std::string& candidate : {Locate(program, work_folder), Locate(file, work_folder)}) {
    if (IsProgram(candidate)) {
      executable = candidate;
      break;
    }
  }
  if (executable.empty() && bare_name) executable = FindInPath(program);
  if (!executable.empty()) {
    const int error = SpawnDetached(executable, SplitParams(params), work_folder);
    // A file marked executable that is no program (a document on a file
    // system that marks everything executable) is opened as a document.
    if (error != ENOEXEC) return ResultOf(error);
  }

  const std::string target = Locate(file, work_folder);
  struct stat st;
  if (::lstat(target.c_str(), &st) != 0) return kNotFound;
  return OpenWithDesktop(target, work_folder);
}

}  // namespace zv::posix
