// Where the Windows notions of system and desktop folders live on Linux.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <vector>

#include "platform/posix_support.h"
#include "platform/system_error.h"
#include "platform/text.h"

namespace zv::posix {
namespace {

// True when `path` is a folder, following links: a place the user configured
// may well be a link to the real folder.
bool IsFolder(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string WindowsFolder() {
  if (const std::string configured = Env("ZORVAN_WINDIR"); !configured.empty()) {
    return WithoutTrailingSeparators(ExpandPath(configured));
  }
  if (const std::string prefix = Env("WINEPREFIX"); !prefix.empty()) {
    const std::string windows = JoinHost(ExpandPath(prefix), "drive_c/windows");
    if (IsFolder(windows)) return windows;
  }
  const std::string wine = JoinHost(HomeFolder(), ".wine/drive_c/windows");
  if (IsFolder(wine)) return wine;
  return "/usr/local";
}

// An XDG base folder: the variable when it holds an absolute path, else the
// default below the home folder.
std::string XdgBase(const char* variable, const char* home_relative) {
  const std::string value = Env(variable);
  if (!value.empty() && value[0] == '/') return WithoutTrailingSeparators(value);
  return JoinHost(HomeFolder(), home_relative);
}

// The value of XDG_DESKTOP_DIR in user-dirs.dirs ("$HOME/Desktop" form), with
// $HOME expanded; empty when the file or the line is missing.
std::string DesktopFromUserDirs() {
  std::ifstream in(JoinHost(XdgBase("XDG_CONFIG_HOME", ".config"), "user-dirs.dirs"), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string key = "XDG_DESKTOP_DIR=";
    if (!StartsWith(line, key)) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (StartsWith(value, "$HOME")) value = HomeFolder() + value.substr(5);
    return value;
  }
  return {};
}

std::string DesktopFolder() {
  const std::string home = WithoutTrailingSeparators(HomeFolder());
  std::string desktop = Env("XDG_DESKTOP_DIR");
  if (desktop.empty()) desktop = DesktopFromUserDirs();
  if (desktop.empty()) desktop = JoinHost(home, "Desktop");
  desktop = WithoutTrailingSeparators(desktop);
  // A desktop folder set to the home folder itself means "no desktop".
  if (desktop == home || !IsFolder(desktop)) return {};
  return desktop;
}

}  // namespace

std::string GetSystemFolder(int kind) {
  switch (kind) {
    case 0:
      return WindowsFolder();
    case 1: {
      const std::string windows = WindowsFolder();
      const std::string system32 = ResolveCase(JoinHost(windows, "system32"));
      struct stat st;
      if (::lstat(system32.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return system32;
      return ResolveCase(JoinHost(windows, "SYSTEM"));
    }
    case 2: {
      std::string temp = Env("TMPDIR");
      if (temp.empty()) temp = "/tmp";
      if (temp.back() != '/') temp += '/';
      return temp;
    }
    default:
      return {};
  }
}

std::string SpecialFolderPath(int id) {
  switch (id) {
    case 7:
      return JoinHost(XdgBase("XDG_CONFIG_HOME", ".config"), "autostart");
    case 2:
    case 11:
      return JoinHost(XdgBase("XDG_DATA_HOME", ".local/share"), "applications");
    case 16:
      return DesktopFolder();
    default:
      return {};
  }
}

std::string UserDataFolder() { return XdgBase("XDG_DATA_HOME", ".local/share"); }

std::string GetCurrentFolder() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) ThrowSystemError(".", errno);
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string ExpandPath(const std::string& path) {
  const std::string host = ToHostPath(path);
  const std::string joined = !host.empty() && host[0] == '/' ? host : JoinHost(GetCurrentFolder(), host);
  // Lexical clean-up, as a full path name is built on Windows: "." and empty
  // components vanish, ".." takes back one level (never above the root).
  std::vector<std::string_view> parts;
  std::size_t start = 1;
  while (start <= joined.size()) {
    std::size_t end = joined.find('/', start);
    if (end == std::string::npos) end = joined.size();
    const std::string_view part(joined.data() + start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string_view part : parts) {
    out += '/';
    out += part;
  }
  return out.empty() ? "/" : out;
}

}  // namespace zv::posix
