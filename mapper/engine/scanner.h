// The snapshot scanner: walks the Windows folder tree, leaving out the
// folders the ignore list names and the excluded file types, and writes
// every folder and file it finds as a map entry to "WINDIR.TMP" and every
// folder it walked to "vigilo.ini" (the probe's watch list), both in the
// program folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mapper/engine/mapper.h"
#include "mapper/engine/text_buffer.h"

namespace zv {

inline constexpr const char* kSnapshotFile = "WINDIR.TMP";
inline constexpr const char* kProbeFolderList = "vigilo.ini";
inline constexpr const char* kIgnoreListFile = "IGNORLST.TXT";

// The ignore list: every line of "IGNORLST.TXT", upper-cased, blanks kept.
// A folder is left out, with everything below it, when some pattern occurs
// in "\" + its own name upper-cased + "\". An empty pattern matches nothing.
// Every line is used, however many there are.
class IgnoreList {
 public:
  explicit IgnoreList(std::string_view file_text);
  bool Skips(std::string_view folder_name) const;
  std::size_t size() const { return patterns_.size(); }

 private:
  std::vector<std::string> patterns_;
  mutable std::string probe_;  // "\NAME\" of the folder being tested
};

// True for a file the snapshot never records: its extension (the text from
// the last dot), upper-cased, is ".URL", ".TMP", ".LNK" or ".PIF".
bool IsExcludedFile(std::string_view name);

// True when a map line can hold the name: no "\", no control character
// (below 0x20, or 0x7F). Other names are skipped with their subtree.
bool NameFitsMap(std::string_view name);

// Walks `folder` (a host path, the Windows folder) depth-first, pre-order,
// in the order the host enumerates each folder, and replaces "WINDIR.TMP"
// and "vigilo.ini" in the program folder, each with one atomic write.
// Snapshot lines: "<DIR> " + relative path for a folder, the relative path
// for a file (relative paths join names with "\", no leading "\"); the
// probe list holds each folder's relative path. Symbolic links are file
// lines and never followed. Each folder is opened relative to an open
// ancestor (ScanFeed), so no depth or path length loses entries; a folder
// that cannot be read counts as empty. Folders are listed ahead of the walk
// on as many threads as the host allows (Host::ListingThreads); the files
// written are the same whatever the number. Both outputs are written in
// pieces while the walk goes on and replace the old files only at its end. Sets mapper.entry_counter (the
// snapshot's line count), mapper.skipped_names (names a map line cannot
// hold, each left out with its subtree), mapper.twin_names (lines equal
// but for letter case to an earlier line, which no map keeps: CaseTwins)
// and mapper.unreadable_folders; when mapper.left_out is set, adds there
// each name the counts count, with why.
// Every 4096 entries shows the running count on the progress window's
// message line and lets pending window messages run.
// Throws HostError when the ignore list is missing or unreadable, or when
// either output cannot be written (the previous files then stay whole).
// When `snapshot_text` is given it receives the snapshot's text as well,
// for a caller that reads it right after the scan.
void ScanWindowsFolder(Mapper& mapper, const std::string& folder, TextBuffer* snapshot_text = nullptr);

// ScanWindowsFolder with the hourglass cursor (the state found is restored,
// also when the scan throws), the progress window's caption set to
// `caption` and its message line to "Initializing...", and one round of
// pending window messages before the walk. Does not show or hide the
// progress window. Then ShowScanReport.
void ScanWithProgress(Mapper& mapper, const std::string& folder, const std::string& caption,
                      TextBuffer* snapshot_text = nullptr);

// When the last scan left something out, says so on the status line in the
// button-face colour (ScanReportText); otherwise leaves the line alone.
void ShowScanReport(Mapper& mapper);

// What the last scan left out, from the language's texts: for each count
// that is not 0, the count and its text ("*SKIPNAMES" names a map line
// cannot hold, "*CASETWINS" names lost to a twin in another case,
// "*UNREADABLE" folders that could not be read), joined by
// "; ". When the scan could not read the Windows folder itself, only
// "*NOWINDIR" and that folder's path. Empty when nothing was left out.
std::string ScanReportText(const Mapper& mapper);

// The default ignore list, in this order: "\Temporary Internet Files\",
// "\Cronologia\", "\Cookies\", "\Pif\", "\Applog\", then the Temp folder,
// the Recent, Start Menu, Desktop and Favorites folders, each that lies
// inside the Windows folder (ASCII case ignored) as its path there in the
// stored "\" form between "\" and "\" ("\TEMP\"). A folder the host cannot
// report, the Windows folder itself, or one outside it gives no line: cut
// at the Windows folder's length, an outside path would give a piece of
// text that skips unrelated folders.
std::vector<std::string> DefaultIgnoreLines(Mapper& mapper);
// Writes DefaultIgnoreLines to "IGNORLST.TXT" (CR LF, atomic). Throws
// HostError when it cannot be written.
void WriteDefaultIgnoreList(Mapper& mapper);

}  // namespace zv
