// Test support: fresh temporary folders and small file helpers that work on
// the real disk without going through the code under test.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace zv::testing {

// A fresh empty folder below $TMPDIR (or /tmp), removed with everything in
// it when the object goes away.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + relative ("\" in relative becomes "/").
  std::string operator/(const std::string& relative) const;

 private:
  std::string path_;
};

// Writes bytes to a file, creating missing parent folders.
void WriteBytes(const std::string& path, const std::string& bytes);
// The whole file; throws std::runtime_error when it cannot be read.
std::string ReadBytes(const std::string& path);
// Lines written with CR LF ends.
void WriteLines(const std::string& path, const std::vector<std::string>& lines);
// The file's lines (CR LF, LF or CR ends).
std::vector<std::string> ReadLines(const std::string& path);
bool Exists(const std::string& path);
void MakeFolders(const std::string& path);
// Names in a folder, sorted byte-wise.
std::vector<std::string> ListNames(const std::string& path);
// Every file of a folder (not below it), by name, with its permission bits
// and bytes: two calls compare equal when nothing there changed.
std::map<std::string, std::string> Contents(const std::string& folder);

// Whether `text` holds `part` anywhere.
inline bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace zv::testing
