#include "tests/support/process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "tests/support/scratch.h"

extern char** environ;

namespace zv::testing {
namespace {

// A fresh empty file below $TMPDIR (or /tmp) for one captured stream.
std::string CaptureFile(const std::string& stream) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zorvan-" + stream + "-XXXXXX";
  const int made = mkstemp(pattern.data());
  if (made < 0) throw std::runtime_error("mkstemp failed");
  close(made);
  return pattern;
}

std::string ReadCaptured(const std::string& file) {
  try {
    return ReadBytes(file);
  } catch (const std::exception&) {
    return {};
  }
}

// A new pseudo-terminal: its controlling side in *control, its other side
// (the one a program reads as a terminal) in *reading.
void OpenTerminal(int* control, int* reading) {
  *control = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (*control < 0 || grantpt(*control) != 0 || unlockpt(*control) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  *reading = open(ptsname(*control), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (*reading < 0) throw std::runtime_error("cannot open the pseudo-terminal");
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& folder, const std::map<std::string, std::string>& env,
                           const std::optional<std::string>& typed) {
  int reading = -1;
  if (typed) {
    OpenTerminal(&terminal_, &reading);
    // The end-of-input character (at the start of a line) ends what a
    // reader of the terminal gets once it has read every line typed.
    const std::string keys = *typed + "\x04";
    if (write(terminal_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) {
      throw std::runtime_error("cannot type on the pseudo-terminal");
    }
  }
  error_file_ = CaptureFile("stderr");
  output_file_ = CaptureFile("stdout");
  std::map<std::string, std::string> all;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const auto eq = entry.find('=');
    if (eq != std::string::npos) all[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [key, value] : env) all[key] = value;
  std::vector<std::string> env_strings;
  for (const auto& [key, value] : all) env_strings.push_back(key + "=" + value);

  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& e : env_strings) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_ = fork();
  if (pid_ < 0) {
    if (reading >= 0) close(reading);
    throw std::runtime_error("fork failed");
  }
  if (pid_ == 0) {
    const int in = reading >= 0 ? reading : open("/dev/null", O_RDONLY);
    if (in >= 0) dup2(in, 0);
    const int out = open(output_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out >= 0) dup2(out, 1);
    const int err = open(error_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (err >= 0) dup2(err, 2);
    if (chdir(folder.c_str()) != 0) _exit(127);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  if (reading >= 0) close(reading);
}

ChildProcess::~ChildProcess() {
  if (!reaped_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (terminal_ >= 0) close(terminal_);
  unlink(error_file_.c_str());
  unlink(output_file_.c_str());
}

std::optional<int> ChildProcess::WaitExit(std::chrono::milliseconds limit) {
  if (reaped_) return std::nullopt;
  int status = 0;
  const bool ended = WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, limit);
  if (!ended) return std::nullopt;
  reaped_ = true;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return std::nullopt;
}

void ChildProcess::Signal(int signal) {
  if (!reaped_) kill(pid_, signal);
}

std::string ChildProcess::ErrorOutput() const { return ReadCaptured(error_file_); }

std::string ChildProcess::Output() const { return ReadCaptured(output_file_); }

bool HoldsLock(pid_t pid, const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  // Lines of /proc/locks read "1: FLOCK ADVISORY WRITE <pid> <major>:<minor>:<inode> 0 EOF".
  std::ifstream locks("/proc/locks");
  const std::string who = " " + std::to_string(pid) + " ";
  const std::string what = ":" + std::to_string(st.st_ino) + " ";
  for (std::string line; std::getline(locks, line);) {
    if (line.find("FLOCK") != std::string::npos && line.find(who) != std::string::npos &&
        (line + " ").find(what) != std::string::npos) {
      return true;
    }
  }
  return false;
}

std::string BuiltProgramFolder() {
  const char* dir = std::getenv("ZORVAN_PROGRAM_DIR");
  if (!dir || !*dir) throw std::runtime_error("ZORVAN_PROGRAM_DIR is not set");
  return dir;
}

std::map<std::string, std::string> ProgramEnvironment(const std::string& windows, const std::string& runtime,
                                                      const std::string& home, const std::string& program) {
  std::map<std::string, std::string> env = {
      {"ZORVAN_WINDIR", windows},        {"XDG_RUNTIME_DIR", runtime},        {"HOME", home},
      {"XDG_CONFIG_HOME", home + "/config"}, {"XDG_DATA_HOME", home + "/data"}, {"QT_QPA_PLATFORM", "offscreen"},
      {"ZORVAN_UNATTENDED", "1"}};
  if (!program.empty()) env["ZORVAN_PROGRAM_FOLDER"] = program;
  return env;
}

void LayOutProgramFolder(const std::string& folder) {
  const std::string built = BuiltProgramFolder();
  if (symlink((built + "/Zorvan32").c_str(), (folder + "/Zorvan32").c_str()) != 0) {
    throw std::runtime_error("cannot link the mapper into " + folder);
  }
  for (const char* language : {"English.lng", "Italiano.lng"}) {
    WriteBytes(folder + "/" + language, ReadBytes(built + "/" + language));
  }
}

}  // namespace zv::testing
