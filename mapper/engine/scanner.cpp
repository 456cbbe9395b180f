#include "mapper/engine/scanner.h"

#include <array>
#include <cstring>
#include <memory>

#include "mapper/engine/case_twins.h"
#include "mapper/engine/messages.h"
#include "mapper/engine/scan_feed.h"
#include "mapper/engine/text_buffer.h"
#include "platform/text.h"

namespace zv {
namespace {

// Shell ids of the special folders that get a default ignore line.
constexpr int kRecentFolder = 8;
constexpr int kStartMenuFolder = 11;
constexpr int kDesktopFolder = 16;
constexpr int kFavoritesFolder = 6;

// How often the walk shows its count and lets the window breathe.
constexpr std::uint64_t kPumpEvery = 4096;

// One output of the scan, written to the host in pieces as the walk goes,
// so that neither output need be held whole in memory and the writing
// overlaps the listing of folders on other threads. Given a buffer to keep,
// the whole text stays there (and only what is new goes to the host).
class StreamedFile {
 public:
  StreamedFile(Host& host, const std::string& path, TextBuffer* keep = nullptr)
      : file_(host.WriteFileInPieces(path)), text_(keep != nullptr ? *keep : own_), keep_(keep != nullptr) {}
  template <typename... Texts>
  void Line(const Texts&... texts) {
    ((text_ << texts), ...);
    text_ << "\r\n";
    if (text_.size() - written_ >= kPiece) Spill();
  }
  void Commit() {
    Spill();
    file_->Commit();
  }

 private:
  static constexpr std::size_t kPiece = std::size_t{1} << 20;
  void Spill() {
    file_->Add(text_.view().substr(written_));
    if (keep_) {
      written_ = text_.size();
    } else {
      text_.Clear();
    }
  }
  std::unique_ptr<FileInPieces> file_;
  TextBuffer own_;
  TextBuffer& text_;
  const bool keep_;
  std::size_t written_ = 0;
};

// One folder of the walk's path: its listing, the next entry to take from
// it, whether it lies in a twin's subtree, and where the parent's relative
// path ended before this folder's name was appended to it.
struct Level {
  const FolderListing* listing;
  std::size_t next;
  bool below_twin;
  std::size_t parent_relative_size;
};

// The ignore line of a special folder: its path inside the Windows folder
// `windows`, "/" turned into "\", between "\" and "\" (so "\TEMP\" for
// its TEMP folder). Empty for a folder that is not inside the Windows
// folder: its path cut at the Windows folder's length would be a piece of
// some other path, which could match unrelated folders ("/home/ann/Desktop"
// against "/usr/local" gives "Desktop\", which skips "MyDesktop") and leave
// their files out of every map. Empty too for the Windows folder itself.
std::string IgnoreLineOf(const std::string& path, const std::string& windows) {
  std::string folder = path;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.size() <= windows.size() + 1 || !EqualsNoCase(folder.substr(0, windows.size()), windows) ||
      folder[windows.size()] != '/') {
    return {};
  }
  std::string line = folder.substr(windows.size());
  for (char& c : line) {
    if (c == '/') c = '\\';
  }
  return line + '\\';
}

}  // namespace

IgnoreList::IgnoreList(std::string_view file_text) {
  for (std::string& line : SplitLines(file_text)) {
    patterns_.push_back(UpperAscii(line));
  }
}

bool IgnoreList::Skips(std::string_view folder_name) const {
  probe_.assign(1, '\\');
  for (char c : folder_name) probe_ += UpperAscii(c);
  probe_ += '\\';
  for (const std::string& pattern : patterns_) {
    if (!pattern.empty() && probe_.find(pattern) != std::string::npos) return true;
  }
  return false;
}

bool IsExcludedFile(std::string_view name) {
  // Every excluded extension is a dot and three letters; most names are
  // decided by that length alone.
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name.size() - dot != 4) return false;
  const char ext[3] = {UpperAscii(name[dot + 1]), UpperAscii(name[dot + 2]), UpperAscii(name[dot + 3])};
  const std::string_view upper(ext, 3);
  return upper == "URL" || upper == "TMP" || upper == "LNK" || upper == "PIF";
}

bool NameFitsMap(std::string_view name) {
  // Every name of a scan passes here, so eight bytes are tested at once: a
  // byte below 0x20, or equal to "\\" or 0x7F, sets the high bit of its
  // place in one of the three words (the first below it may set more, but
  // only when one is there).
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL, kHighs = 0x8080808080808080ULL;
  const auto unfit = [](std::uint64_t w) {
    const std::uint64_t backslash = w ^ (kOnes * '\\'), del = w ^ (kOnes * 0x7F);
    return (((w - kOnes * 0x20) & ~w) | ((backslash - kOnes) & ~backslash) | ((del - kOnes) & ~del)) & kHighs;
  };
  const auto word_at = [&name](std::size_t at) {
    std::uint64_t w;
    std::memcpy(&w, name.data() + at, 8);
    return w;
  };
  const std::size_t n = name.size();
  if (n < 8) {
    // A short name padded with "A"s, which fit.
    std::uint64_t w = kOnes * 'A';
    for (std::size_t i = 0; i < n; ++i) reinterpret_cast<unsigned char*>(&w)[i] = static_cast<unsigned char>(name[i]);
    return unfit(w) == 0;
  }
  for (std::size_t i = 0; i + 8 < n; i += 8) {
    if (unfit(word_at(i)) != 0) return false;
  }
  // The last eight bytes, which may overlap the word before.
  return unfit(word_at(n - 8)) == 0;
}

namespace {

// A left-out name's path: `relative` (names joined by "\\") with "/"
// between names, then "/" + `name` when given.
std::string LeftOutPath(const std::string& relative, const std::string& name) {
  std::string path = ToHostPath(relative);
  if (!name.empty()) path += (path.empty() ? "" : "/") + name;
  return path;
}

}  // namespace

void ScanWindowsFolder(Mapper& mapper, const std::string& folder, TextBuffer* snapshot_text) {
  Host& host = mapper.host;
  const IgnoreList ignore(host.ReadFile(mapper.ProgramFile(kIgnoreListFile)));
  Person& person = mapper.person;

  if (snapshot_text != nullptr) snapshot_text->Clear();
  StreamedFile snapshot(host, mapper.ProgramFile(kSnapshotFile), snapshot_text);
  StreamedFile folders(host, mapper.ProgramFile(kProbeFolderList));
  std::uint64_t counter = 0, skipped = 0, twins = 0, unreadable = 0;
  CaseTwins case_twins;
  std::string line;  // a line that may lose to a twin, for CaseTwins

  // The folder being walked as a relative stored path ("" for the root);
  // it grows and shrinks with the walk.
  std::string relative;
  ScanFeed feed(host, folder, ignore, host.ListingThreads());
  std::vector<Level> path = {{&feed.Root(), 0, false, 0}};
  if (!feed.Root().readable) ++unreadable;

  for (;;) {
    Level& level = path.back();
    const FolderListing& listing = *level.listing;
    if (level.next == listing.entries.size()) {
      if (path.size() == 1) break;
      relative.resize(level.parent_relative_size);
      path.pop_back();
      feed.Leave();
      continue;
    }
    const std::size_t index = level.next++;
    const EntryUse use = listing.uses[index];
    if (use == EntryUse::kLeftOut) continue;
    if (use == EntryUse::kBadName) {
      ++skipped;
      if (mapper.left_out != nullptr) {
        mapper.left_out->push_back({LeftOutName::Why::kBadName, LeftOutPath(relative, listing.entries[index].name)});
      }
      continue;
    }

    ++counter;
    if (counter % kPumpEvery == 0) {
      person.SetProgressMessage(std::to_string(counter) + " entries");
      person.PumpMessages();
    }

    // Only a name with a twin, or anything below one, can lose to a twin.
    const std::string& name = listing.entries[index].name;
    const bool may_lose = level.below_twin || listing.twins[index];
    if (use == EntryUse::kFile) {
      if (relative.empty()) {
        snapshot.Line(name);
      } else {
        snapshot.Line(relative, '\\', name);
      }
      if (may_lose) {
        line.assign(relative).append(relative.empty() ? "" : "\\").append(name);
        if (case_twins.Loses(line)) {
          ++twins;
          if (mapper.left_out != nullptr) mapper.left_out->push_back({LeftOutName::Why::kCaseTwin, LeftOutPath(line, "")});
        }
      }
      continue;
    }

    const std::size_t parent_relative_size = relative.size();
    if (!relative.empty()) relative += '\\';
    relative += name;
    snapshot.Line("<DIR> ", relative);
    folders.Line(relative);
    if (may_lose && case_twins.Loses(line.assign("<DIR> ").append(relative))) {
      ++twins;
      if (mapper.left_out != nullptr) mapper.left_out->push_back({LeftOutName::Why::kCaseTwin, LeftOutPath(relative, "")});
    }

    const FolderListing& child = feed.Enter();
    if (!child.readable) {
      ++unreadable;
      if (mapper.left_out != nullptr) mapper.left_out->push_back({LeftOutName::Why::kUnreadable, LeftOutPath(relative, "")});
    }
    path.push_back({&child, 0, may_lose, parent_relative_size});  // `level` is not used again
  }

  // A Windows folder that cannot be read says nothing of its tree: the
  // snapshot and the probe's folder list of the last scan stay as they
  // were, and an empty pair is written only where there was none.
  const bool readable = feed.Root().readable;
  if (readable || !host.PathExists(mapper.ProgramFile(kSnapshotFile))) snapshot.Commit();
  if (readable || !host.PathExists(mapper.ProgramFile(kProbeFolderList))) folders.Commit();
  mapper.entry_counter = counter;
  mapper.skipped_names = skipped;
  mapper.twin_names = twins;
  mapper.unreadable_folders = unreadable;
  mapper.unreadable_root = feed.Root().readable ? std::string() : folder;
}

void ScanWithProgress(Mapper& mapper, const std::string& folder, const std::string& caption,
                      TextBuffer* snapshot_text) {
  Person& person = mapper.person;
  struct CursorGuard {
    Person& person;
    bool was_busy;
    ~CursorGuard() { person.SetBusy(was_busy); }
  } guard{person, person.SetBusy(true)};

  person.SetProgressCaption(caption);
  person.SetProgressMessage("Initializing...");
  person.PumpMessages();
  ScanWindowsFolder(mapper, folder, snapshot_text);
  ShowScanReport(mapper);
}

void ShowScanReport(Mapper& mapper) {
  const std::string report = ScanReportText(mapper);
  if (!report.empty()) mapper.person.SetStatus(kButtonFace, report);
}

std::string ScanReportText(const Mapper& mapper) {
  const std::pair<const char*, std::uint64_t> counts[] = {
      {"*SKIPNAMES", mapper.skipped_names},
      {"*CASETWINS", mapper.twin_names},
      {"*UNREADABLE", mapper.unreadable_folders},
  };
  // A Windows folder that cannot be read is named, not counted: the user
  // has to point the program at the right folder before anything else.
  if (!mapper.unreadable_root.empty()) return LookupMessage(mapper, "*NOWINDIR") + mapper.unreadable_root;
  std::string text;
  for (const auto& [key, count] : counts) {
    if (count == 0) continue;
    if (!text.empty()) text += "; ";
    text += std::to_string(count) + LookupMessage(mapper, key);
  }
  return text;
}

std::vector<std::string> DefaultIgnoreLines(Mapper& mapper) {
  std::vector<std::string> lines = {"\\Temporary Internet Files\\", "\\Cronologia\\", "\\Cookies\\",
                                    "\\Pif\\", "\\Applog\\"};
  const std::array<std::string, 5> places = {
      mapper.host.GetSystemFolder(2),
      mapper.host.SpecialFolderPath(kRecentFolder),
      mapper.host.SpecialFolderPath(kStartMenuFolder),
      mapper.host.SpecialFolderPath(kDesktopFolder),
      mapper.host.SpecialFolderPath(kFavoritesFolder),
  };
  for (const std::string& place : places) {
    std::string line = IgnoreLineOf(place, mapper.windows_folder);
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

void WriteDefaultIgnoreList(Mapper& mapper) {
  mapper.host.WriteFile(mapper.ProgramFile(kIgnoreListFile), JoinLines(DefaultIgnoreLines(mapper)));
}

}  // namespace zv
