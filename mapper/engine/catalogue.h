// Map files and the map catalogue: every "*.MAP" file of the program folder
// is one map; `LoadMaps` rebuilds `MapsList` from them.
#pragma once

#include <string>
#include <vector>

#include "mapper/engine/mapper.h"

namespace zv {

// The map name of a map file name: the text before its first ".MAP" (case
// ignored), so "Foo.map" holds the map "Foo".
std::string MapNameOf(const std::string& file_name);
// The help index companion of a file entry whose extension is ".HLP" (case
// ignored): the entry up to and including the dot of that extension + "GID",
// so "SYSTEM\Foo.hlp" gives "SYSTEM\Foo.GID". Empty for any other entry,
// folder entries included (the help engine indexes files only).
std::string HelpCompanion(const std::string& entry);
// The map files of the program folder ("*.MAP", hidden files left out),
// ordered by name ignoring case.
std::vector<std::string> MapFiles(Mapper& mapper);

// Rebuilds the catalogue: converts files of earlier versions, then for every
// map file clears read-only, rewrites its header, lists it and normalises its
// entries (duplicates dropped ignoring case, help companions added, sorted).
// Each map is read once and, when that changes it, replaced atomically once.
// Selects `select` when a row equals it (case ignored), else the previous
// selection, else the first row. Throws HostError when a map cannot be read
// or written; the rows added so far stay listed.
void LoadMaps(Mapper& mapper, const std::string& select);

// Makes line 1 of the map file (a name in the program folder, or an
// absolute path) read "***" + name + "***", keeping every other line; the
// file is replaced atomically, so a failure leaves it whole as it was.
// Throws HostError on failure.
void WriteMapHeader(Mapper& mapper, const std::string& map_file, const std::string& name);

}  // namespace zv
