// Steps several zorvan commands share: finding the map a command names,
// getting ready for a scan, the viewer's detailed listing, and the labels
// maps and entries are printed with.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "mapper/engine/viewer.h"

namespace zv::cli {

// Loads the catalogue selecting the map `wanted` (letter case ignored).
// False, with what to do said, when there is no such map.
bool SelectNamedMap(CommandContext& c, const std::string& wanted);

// What every scan needs first: a Windows folder to walk, and an ignore list
// (the default one is written when there is none, as the mapper's start
// does; not in a dry run). False, with what to do said, when the Windows
// folder is missing.
bool ReadyToScan(CommandContext& c);

// The viewer's rows of catalogue row `row`, as the file list shows them in
// the detailed mode; `caption`, when given, receives the file list's
// caption. A map file that is missing gives no rows.
std::shared_ptr<const MapRows> DetailedRows(Mapper& m, int row, std::string* caption = nullptr);
// The same rows spelled out.
MapListing DetailedListing(Mapper& m, int row);

struct ListingCounts {
  std::size_t entries = 0, present = 0, missing = 0;
};
ListingCounts CountsOf(const MapRows& rows);

// "present" or "missing", for a detailed listing's state.
const char* StateWord(int state);

// A map's name, or with --host-paths its file's full path (the text
// format's MAP column).
std::string MapLabel(const CommandContext& c, const std::string& name);

// The map file of the map `name` as a full host path.
std::string MapFilePath(const Mapper& m, const std::string& name);

// An entry as the map holds it, or with --host-paths its full host path (a
// folder ending with "/").
std::string EntryLabel(const CommandContext& c, std::string_view entry);

// An entry's path in tsv and json: as the map holds it without the folder
// mark, or with --host-paths its full host path (a folder ending with "/").
std::string EntryField(const CommandContext& c, std::string_view entry);
// An entry's full host path, a folder ending with "/".
std::string EntryHostPath(const Mapper& m, std::string_view entry);
bool IsFolderEntry(std::string_view entry);

// The machine formats' fields naming a map: its name, and with
// --host-paths its file's path. "map\tNAME" / "map\tNAME\tmap_file\tPATH"
// as tsv columns (`header`: the column names), or as json members.
std::string MapTsvFields(const CommandContext& c, const std::string& name);
std::string MapTsvHeader(const CommandContext& c);
std::string MapJsonMembers(const CommandContext& c, const std::string& name);

// The entries of the map file `file` (a name in the program folder), in
// its order: every line after the header but the empty ones. Throws as
// MapText throws.
std::vector<std::string> MapEntries(Mapper& m, const std::string& file);

// The map file of the map `name` (letter case ignored), or empty.
std::string FileOfMap(Mapper& m, const std::string& name);

// A path the person typed for an entry, in the map's form without the
// folder mark: a host path below the Windows folder loses the folder and
// its "/", "/" becomes "\", and a trailing separator (a folder) goes.
// "SYSTEM\Foo.dll", "SYSTEM/Foo.dll" and "/usr/local/SYSTEM/Foo.dll" (with
// the Windows folder /usr/local) all give "SYSTEM\Foo.dll".
std::string GivenEntryPath(const Mapper& m, const std::string& given);

}  // namespace zv::cli
