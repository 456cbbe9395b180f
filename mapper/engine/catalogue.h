// Map files and the map catalogue: every "*.MAP" file of the program folder
// is one map; `LoadMaps` rebuilds `MapsList` from them.
#pragma once

#include <memory>
#include <string>
#include <string_view>
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
// The map files of the program folder ("*.MAP", hidden files and names
// holding a backslash left out), ordered by name ignoring case.
std::vector<std::string> MapFiles(Mapper& mapper);

// Every map file is read and written under one rule: only as the regular
// file it is, never through a symbolic link. A link (wherever it points), a
// pipe or a device throws RefusedFileError and is left untouched; other
// failures throw HostError.
std::string ReadMapFile(Mapper& mapper, const std::string& path);
// Replaces a map file atomically under the same rule.
void WriteMapFile(Mapper& mapper, const std::string& path, std::string_view content);
// The text of the map file at `path`: the one the last LoadMaps kept when
// the file is still as it was then (MapTexts), else ReadMapFile's.
std::shared_ptr<const std::string> MapText(Mapper& mapper, const std::string& path);

// Rebuilds the catalogue: converts files of earlier versions, then lists
// every map file and, after listing it, clears its read-only mark, rewrites
// its header and normalises its entries (duplicates dropped ignoring case,
// help companions added, sorted). Each map is read once and, when that
// changes it, replaced atomically once. Selects `select` when a row equals
// it (case ignored), else the previous selection, else the first row.
// Nothing stops the load: a "*.MAP" that is not a regular file, or whose
// name holds a backslash, is left out and never written; a map that cannot
// be read or rewritten is listed as it stands; all of it is told in one
// box titled "Error" once the load is done. The texts of the maps it read
// and left as they were replace mapper.map_texts.
void LoadMaps(Mapper& mapper, const std::string& select);

// Makes line 1 of the map file (a name in the program folder, or an
// absolute path) read "***" + name + "***", keeping every other line; the
// file is replaced atomically, so a failure leaves it whole as it was.
// Throws HostError on failure, RefusedFileError for a map that is not a
// regular file.
void WriteMapHeader(Mapper& mapper, const std::string& map_file, const std::string& name);

}  // namespace zv
