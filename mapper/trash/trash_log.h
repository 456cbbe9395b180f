// The trash folder "#TRASH" of the program folder and its log "!TRASH!.DAT":
// where they lie, and the form of the log's lines. Line 1 of the log is a
// header that readers skip; every further line is one trash record
//   |N{name}N|M{map}M|T{trashed name}T|P{original place}P|
// or a legacy line of an earlier version (a path, without "|N{").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mapper/engine/mapper.h"

namespace zv {

inline constexpr char kTrashFolderName[] = "#TRASH";
inline constexpr char kTrashLogName[] = "!TRASH!.DAT";
// The header start-up writes, and the one the trash manager writes.
inline constexpr char kStartLogHeader[] = "***TrashManager 2.0***";
inline constexpr char kManagerLogHeader[] = "*** TrashManager v2.0 ***";
// The trashed name of a removed folder; nothing of it lies in the trash.
inline constexpr char kFolderTrashedName[] = "<DIR>";

// program folder + "/#TRASH", its log, and a trashed file in it.
std::string TrashFolderPath(const Mapper& mapper);
std::string TrashLogPath(const Mapper& mapper);
std::string TrashedFilePath(const Mapper& mapper, std::string_view trashed);

struct TrashRecord {
  std::string name;     // N: the file's or folder's own name
  std::string map;      // M: the map it was removed under ("?" for a legacy line)
  std::string trashed;  // T: its name in the trash, "<DIR>" for a folder
  std::string place;    // P: its folder below the Windows folder ("SYSTEM\"),
                        //    for a folder its whole path ("SYSTEM\NewDir")

  bool operator==(const TrashRecord&) const = default;
};

// The record's line, without a line end.
std::string RecordLine(const TrashRecord& record);
// A field ('N', 'M', 'T' or 'P') of a line: the text between the first
// "|X{" and the first "}X|", both found ignoring ASCII case. Empty when a
// marker is missing or the closing one comes first (a line cut short).
std::string_view RecordField(std::string_view line, char field);
TrashRecord ParseRecord(std::string_view line);

// A line without "|N{" (case ignored) is a legacy line: the path of a file
// lying in the trash under its own name.
bool IsLegacyLine(std::string_view line);
// Its record: N and T the file-name part (after the last "\" or ":"), M
// "?", P the folder part up to and including that character.
std::string ConvertLegacyLine(std::string_view line);
// The line is a folder's record: it holds "<DIR>" (case ignored).
bool IsFolderLine(std::string_view line);

// The log's order: line 1 (the header) stays first whatever it holds, as
// readers skip it; the others follow in ascending CompareNoCase order,
// equal ones in the order they had.
void SortLogLines(std::vector<std::string>& lines);

}  // namespace zv
