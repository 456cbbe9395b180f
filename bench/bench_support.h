// Shared pieces of the benchmark programs: scratch folders, a synthetic
// Windows folder tree with realistic names, timing, medians, and running a
// reference command through the shell.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zv::bench {

// A fresh folder below $TMPDIR (or /tmp), removed with its contents at the end.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zv-" + tag + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline double Now() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

template <typename F>
double TimeOnce(F&& f) {
  const double start = Now();
  f();
  return Now() - start;
}

// CPU seconds (user and system) of this process, all its threads, and of
// the children it waited for, so far.
inline double CpuSeconds() {
  double total = 0;
  for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    ::getrusage(who, &usage);
    total += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
             static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  }
  return total;
}

// Wall-clock and CPU seconds of one call.
template <typename F>
std::pair<double, double> TimeBoth(F&& f) {
  const double cpu = CpuSeconds();
  const double wall = TimeOnce(f);
  return {wall, CpuSeconds() - cpu};
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs a command through /bin/sh; throws when it fails.
inline void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) throw std::runtime_error("command failed: " + command);
}

// Single-quoted for the shell.
inline std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

inline std::uint64_t FileBytes(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : size;
}

// Picks names that look like those below a Windows folder: known folder
// words, short upper- and lower-case stems and the usual extensions. A
// running number keeps every name unique in its folder.
class NameMaker {
 public:
  explicit NameMaker(unsigned seed) : random_(seed) {}

  std::string Folder() {
    static const char* const kWords[] = {
        "System",    "Fonts",      "Help",     "Media",     "Config",           "Drivers",       "Inf",
        "Web",       "Cursors",    "Command",  "Java",      "Microsoft Shared", "Common Files",  "ShellNew",
        "Tasks",     "Spool",      "Color",    "Catroot",   "Wbem",             "Setup",         "Options",
        "Profiles",  "Start Menu", "Programs", "Accessories", "Games",          "Office",        "SendTo",
        "NetHood",   "Sysbckup",   "Twain_32", "Vmm32",     "Application Data", "Downloaded Program Files"};
    std::string name = kWords[Pick(std::size(kWords))];
    return name + " " + std::to_string(++serial_);
  }

  std::string File() {
    static const char* const kStems[] = {"ms", "vc", "rt", "kernel", "user", "gdi", "shell", "ole", "com", "dlg",
                                         "win", "net", "set", "up", "mfc", "crt", "print", "font", "snd", "vid"};
    static const char* const kExtensions[] = {".dll", ".exe", ".inf", ".hlp", ".txt", ".ini", ".sys",
                                              ".drv", ".ttf", ".fon", ".cpl", ".ocx", ".bmp", ".wav",
                                              ".pnf", ".cat", ".htm", ".gif", ".cnt", ".vxd"};
    std::string name;
    const std::size_t parts = 2 + Pick(2);
    for (std::size_t i = 0; i < parts; ++i) name += kStems[Pick(std::size(kStems))];
    name += std::to_string(++serial_);
    name += kExtensions[Pick(std::size(kExtensions))];
    if (Pick(3) == 0) {
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
  }

  std::size_t Pick(std::size_t n) { return static_cast<std::size_t>(random_() % n); }

 private:
  std::mt19937 random_;
  std::uint64_t serial_ = 0;
};

// A synthetic tree: `folders` folders at most `max_depth` levels deep and
// the rest of `entries` as empty files spread over them. Answers every entry
// as a map line ("<DIR> " + relative path, or the relative path; names
// joined with "\").
inline std::vector<std::string> BuildTree(const std::string& root, std::size_t entries, std::size_t folders,
                                          std::size_t max_depth = 8, unsigned seed = 1) {
  struct Node {
    std::string relative;
    std::size_t depth;
  };
  NameMaker names(seed);
  std::vector<Node> nodes = {{"", 0}};
  std::vector<std::size_t> open = {0};  // folders that may still get subfolders
  std::vector<std::string> lines;
  lines.reserve(entries);
  folders = std::min(folders, entries);
  for (std::size_t i = 0; i < folders; ++i) {
    const std::size_t pick = names.Pick(open.size());
    const Node& parent = nodes[open[pick]];
    const std::string name = names.Folder();
    Node node{parent.relative.empty() ? name : parent.relative + "\\" + name, parent.depth + 1};
    std::string host = node.relative;
    std::replace(host.begin(), host.end(), '\\', '/');
    if (::mkdir((root + "/" + host).c_str(), 0755) != 0) throw std::runtime_error("mkdir " + host);
    lines.push_back("<DIR> " + node.relative);
    nodes.push_back(std::move(node));
    if (nodes.back().depth < max_depth) open.push_back(nodes.size() - 1);
  }
  for (std::size_t i = folders; i < entries; ++i) {
    const Node& parent = nodes[names.Pick(nodes.size())];
    const std::string name = names.File();
    const std::string relative = parent.relative.empty() ? name : parent.relative + "\\" + name;
    std::string host = relative;
    std::replace(host.begin(), host.end(), '\\', '/');
    const int fd = ::open((root + "/" + host).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("create " + host);
    ::close(fd);
    lines.push_back(relative);
  }
  return lines;
}

// BuildTree with a tenth of the entries as folders, saying where and how
// long it took.
inline void BuildTreeSaying(const std::string& root, std::size_t entries) {
  std::printf("building %zu entries (%zu folders) in %s ...\n", entries, entries / 10, root.c_str());
  const double build = TimeOnce([&] { BuildTree(root, entries, entries / 10); });
  std::printf("built in %.1f s\n", build);
}

// Reads a size argument: argv[index] when given, else `fallback`.
inline std::size_t SizeArgument(int argc, char** argv, int index, std::size_t fallback) {
  if (argc <= index) return fallback;
  return static_cast<std::size_t>(std::strtoull(argv[index], nullptr, 10));
}

}  // namespace zv::bench
