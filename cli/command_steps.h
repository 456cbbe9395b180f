// Steps several zorvan commands share: finding the map a command names,
// getting ready for a scan, the viewer's detailed listing, and the labels
// maps and entries are printed with.
#pragma once

#include <string>

#include "cli/command.h"
#include "mapper/engine/viewer.h"

namespace zv::cli {

// Loads the catalogue selecting the map `wanted` (letter case ignored).
// False, with what to do said, when there is no such map.
bool SelectNamedMap(CommandContext& c, const std::string& wanted);

// What every scan needs first: a Windows folder to walk, and an ignore list
// (the default one is written when there is none, as the mapper's start
// does). False, with what to do said, when the Windows folder is missing.
bool ReadyToScan(CommandContext& c);

// The viewer's detailed listing of catalogue row `row`, as the file list
// shows it in the detailed mode; `caption`, when given, receives the file
// list's caption.
MapListing DetailedListing(Mapper& m, int row, std::string* caption = nullptr);

struct ListingCounts {
  std::size_t entries = 0, present = 0, missing = 0;
};
ListingCounts CountsOf(const MapListing& listing);

// "present" or "missing", for a detailed listing's state.
const char* StateWord(int state);

// A map's name, or with --host-paths its file's full path.
std::string MapLabel(const CommandContext& c, const std::string& name);

// An entry as the map holds it, or with --host-paths its full host path (a
// folder ending with "/").
std::string EntryLabel(const CommandContext& c, const std::string& entry);

// A path the person typed for an entry, in the map's form without the
// folder mark: a host path below the Windows folder loses the folder and
// its "/", "/" becomes "\", and a trailing separator (a folder) goes.
// "SYSTEM\Foo.dll", "SYSTEM/Foo.dll" and "/usr/local/SYSTEM/Foo.dll" (with
// the Windows folder /usr/local) all give "SYSTEM\Foo.dll".
std::string GivenEntryPath(const Mapper& m, const std::string& given);

}  // namespace zv::cli
