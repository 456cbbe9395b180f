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

// Whether the record is a folder's: its T is exactly "<DIR>" (letter case
// ignored). A name that merely holds "<DIR>" is a file's like any other.
bool IsFolderRecord(const TrashRecord& record);

// The record's line, without a line end: the five markers around the four
// fields, written so that no field can be read as a marker or end a line:
// "|", "/", CR and LF become "/7C", "/2F", "/0D" and "/0A". No file name
// holds "/" and the rest are rare, so the records of ordinary names read
// exactly as they always did; the rest of a field stays as it is, braces,
// "<DIR>" and bytes that are not UTF-8 included.
std::string RecordLine(const TrashRecord& record);

// A line without "|N{" (case ignored) is a legacy line: the path of a file
// lying in the trash under its own name.
bool IsLegacyLine(std::string_view line);
// Its record line: N and T the file-name part (after the last "\" or ":"),
// M "?", P the folder part up to and including that character.
std::string ConvertLegacyLine(std::string_view line);

// Reads one line after the header. A record line is
//   "|N{" N "}N|M{" M "}M|T{" T "}T|P{" P "}P|"
// with its marker letters in either case; since no escaped field holds
// "|", the line splits at its "|" into exactly those parts, and each field
// is unescaped. A line of an earlier version, whose fields may hold "|",
// is taken only when its fields found by their first markers give back
// the very same line; a legacy line gives its converted record. Anything
// else (a damaged or ambiguous line) gives false: such a line is kept in
// the log as it is and never acted on.
bool ReadRecord(std::string_view line, TrashRecord* record);

// The rules the log is read and written under: a plain file of the trash
// folder, never a symbolic link (refused, never followed), so no write of
// the log reaches outside the trash folder.
inline constexpr FileRules kTrashLogRules = {.follow_link = false};
// The log's text, read under kTrashLogRules. Throws HostError as
// Host::ReadOwnFile does.
std::string ReadTrashLog(Mapper& mapper);
// Replaces the log with `lines` (CR LF after each), atomically, under
// kTrashLogRules. Throws HostError as Host::WriteOwnFile does.
void WriteTrashLog(Mapper& mapper, const std::vector<std::string>& lines);

// The log's order: line 1 (the header) stays first whatever it holds, as
// readers skip it; the others follow in ascending CompareNoCase order,
// equal ones in the order they had.
void SortLogLines(std::vector<std::string>& lines);

}  // namespace zv
