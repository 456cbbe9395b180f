// Map texts kept from a catalogue load for the readers that follow it at
// once: the comparison of a new-map run and the file list read the maps the
// load has just read, and take them from memory instead of the disk.
//
// A text is kept only when its file's stamp (Host::ReadFileStamp) was the
// same just before and just after the load read and handled it, and
// settled: its times older than the file system clock's granularity. It is
// handed out only while the file's stamp is still that one, so a map that
// changed in any way since is read again.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "platform/host.h"

namespace zv {

class MapTexts {
 public:
  // How much older than the moment it was read a stamp's times must be
  // for the stamp to vouch for the content: far more than any file system
  // clock's granularity.
  static constexpr std::int64_t kSettledNs = 2'000'000'000;

  // Keeps `text` as the content of the map file at `path`, read between
  // the stamps `before` and `after`; does nothing unless they vouch for it.
  void Keep(const std::string& path, const FileStamp& before, const FileStamp& after,
            std::shared_ptr<const std::string> text);
  // The kept text of the map file at `path`, while the file is as it was
  // when the text was kept; null otherwise.
  std::shared_ptr<const std::string> Find(Host& host, const std::string& path) const;
  // Forgets every text kept.
  void Clear() { kept_.clear(); }

 private:
  struct Kept {
    FileStamp stamp;
    std::shared_ptr<const std::string> text;
  };
  std::unordered_map<std::string, Kept> kept_;
};

}  // namespace zv
