#include "tests/support/scratch.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/text.h"

namespace fs = std::filesystem;

namespace zv::testing {

ScratchFolder::ScratchFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zorvan-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  // Read-only files left by a test must not stop the clean-up.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it); it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow, ec);
  }
  fs::remove_all(path_, ec);
}

std::string ScratchFolder::operator/(const std::string& relative) const {
  return path_ + "/" + ToHostPath(relative);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  const fs::path p(path);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  WriteBytes(path, JoinLines(lines));
}

std::vector<std::string> ReadLines(const std::string& path) { return SplitLines(ReadBytes(path)); }

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

void MakeFolders(const std::string& path) { fs::create_directories(path); }

std::vector<std::string> ListNames(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(path)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> contents;
  for (const std::string& name : ListNames(folder)) {
    struct stat st{};
    ::stat((folder + "/" + name).c_str(), &st);
    contents[name] = std::to_string(st.st_mode) + ":" + ReadBytes(folder + "/" + name);
  }
  return contents;
}

}  // namespace zv::testing
