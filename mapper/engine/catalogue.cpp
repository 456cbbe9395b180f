#include "mapper/engine/catalogue.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "mapper/engine/busy_cursor.h"
#include "mapper/engine/entry_index.h"
#include "mapper/engine/old_maps.h"
#include "platform/text.h"

namespace zv {
namespace {

std::string MapPath(const Mapper& mapper, const std::string& map_file) {
  return StartsWith(map_file, "/") ? map_file : mapper.ProgramFile(map_file);
}

std::string Header(const std::string& name) { return "***" + name + "***"; }

// A map is only ever a regular file of its own: a link is not followed, so
// no map reaches outside the program folder, and a pipe or a device is
// never read.
constexpr FileRules kMapRules{.follow_link = false};

// The length of the help companion's stem of a file entry whose extension
// is ".HLP" (case ignored): the entry up to and including that dot. 0 for
// any other entry, folder entries included.
std::size_t CompanionStem(std::string_view entry) {
  // Every entry of every map passes here: the ending decides most at once.
  if (entry.size() < 4 || !EqualsNoCase(entry.substr(entry.size() - 4), ".HLP")) return 0;
  // No separator follows that dot, so it is the name's last dot.
  return StartsWith(entry, "<DIR> ") ? 0 : entry.size() - 3;
}

// The entries of a map text (every line after the first) as views into
// it, in file order.
std::vector<std::string_view> EntryViews(std::string_view text) {
  std::size_t ends = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  if (ends == 0) ends = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r'));
  std::vector<std::string_view> entries;
  entries.reserve(ends + 1);
  bool header = true;
  ForEachLine(text, [&](std::string_view line) {
    if (!header) entries.push_back(line);
    header = false;
  });
  return entries;
}

// A map's entries made canonical, as views: `entries` are views into the
// map text, sorted, keeping of every run equal ignoring case the first in
// file order; `companions` are the help companions that were missing,
// sorted, as views into `companion_text`.
struct CanonicalEntries {
  std::vector<std::string_view> entries;
  std::string companion_text;
  std::vector<std::string_view> companions;
};

CanonicalEntries NormaliseEntries(std::string_view text) {
  CanonicalEntries out;
  std::vector<std::string_view>& entries = out.entries;
  entries = EntryViews(text);
  // A map loaded before is sorted already and has no duplicates: one pass
  // over neighbours tells, and spares the sort.
  const auto out_of_order = [](std::string_view a, std::string_view b) { return CompareNoCase(a, b) >= 0; };
  const bool canonical = std::adjacent_find(entries.begin(), entries.end(), out_of_order) == entries.end();
  if (!canonical) {
    // Views into one text are ordered by where they start, so comparing the
    // starts of equal entries keeps them in file order without the extra
    // buffer of a stable sort; unique then keeps the first.
    std::sort(entries.begin(), entries.end(), [](std::string_view a, std::string_view b) {
      const int order = CompareNoCase(a, b);
      return order != 0 ? order < 0 : a.data() < b.data();
    });
    entries.erase(std::unique(entries.begin(), entries.end(), EqualsNoCase), entries.end());
  }

  // The companions are gathered as (entry, stem length) first and their
  // text built afterwards in one block, so the views into it stay valid.
  std::vector<std::pair<std::string_view, std::size_t>> missing;
  std::size_t bytes = 0;
  std::string companion;
  for (std::string_view entry : entries) {
    const std::size_t stem = CompanionStem(entry);
    if (stem == 0) continue;
    companion.assign(entry.substr(0, stem)).append("GID");
    if (std::binary_search(entries.begin(), entries.end(), std::string_view(companion), LessNoCase)) continue;
    missing.emplace_back(entry, stem);
    bytes += stem + 3;
  }
  out.companion_text.reserve(bytes);
  out.companions.reserve(missing.size());
  for (const auto& [entry, stem] : missing) {
    const std::size_t start = out.companion_text.size();
    out.companion_text.append(entry.substr(0, stem)).append("GID");
    out.companions.push_back(std::string_view(out.companion_text).substr(start, stem + 3));
  }
  // Entries equal ignoring case give companions equal ignoring case, and
  // those entries are gone already; so the companions are distinct. Their
  // order may differ from their entries' ("x.HLP" against "x.HLA.HLP").
  std::sort(out.companions.begin(), out.companions.end(), LessNoCase);
  return out;
}

// Calls line(text) for the header and then every entry of the canonical
// map, entries and companions merged in sorted order.
template <typename F>
void ForEachCanonicalLine(const std::string& header, const CanonicalEntries& map, F&& line) {
  line(std::string_view(header));
  auto entry = map.entries.begin(), companion = map.companions.begin();
  while (entry != map.entries.end() || companion != map.companions.end()) {
    if (companion == map.companions.end() || (entry != map.entries.end() && LessNoCase(*entry, *companion))) {
      line(*entry++);
    } else {
      line(*companion++);
    }
  }
}

// Replaces `path` with the lines that `for_each_line(f)` passes to f, each
// ended with CR LF, unless the file already holds exactly that text; true
// when it did. The lines are compared with `old_content` before anything
// is built, so an unchanged file costs no second copy of its text, and a
// changed one is built once in a block of its exact size.
template <typename ForEachLineOf>
bool ReplaceIfChanged(Mapper& mapper, const std::string& path, std::string_view old_content,
                      ForEachLineOf&& for_each_line) {
  std::size_t size = 0;
  bool same = true;
  const auto compare = [&](std::string_view piece) {
    same = same && old_content.size() - size >= piece.size() && old_content.substr(size, piece.size()) == piece;
    size += piece.size();
  };
  for_each_line([&](std::string_view line) {
    compare(line);
    compare("\r\n");
  });
  if (same && size == old_content.size()) return false;
  std::string content;
  content.reserve(size);
  for_each_line([&](std::string_view line) {
    content.append(line);
    content.append("\r\n");
  });
  WriteMapFile(mapper, path, content);
  return true;
}

int FindRow(const MapsList& maps, const std::string& name) {
  for (std::size_t i = 0; i < maps.rows.size(); ++i) {
    if (EqualsNoCase(maps.rows[i], name)) return static_cast<int>(i);
  }
  return -1;
}

// Selects `select`, else the previous selection, else the first row.
void SelectAfterLoad(MapsList& maps, const std::string& select, const std::string& previous) {
  int row = select.empty() ? -1 : FindRow(maps, select);
  if (row < 0 && !previous.empty()) row = FindRow(maps, previous);
  if (row < 0 && !maps.rows.empty()) row = 0;
  maps.selected = row;
}

// What one load could not do, told to the person once, at its end.
struct LoadReport {
  std::vector<std::string> left_out;   // files not taken for maps, and why
  std::vector<std::string> unordered;  // maps listed as they stand, and why

  void Tell(Person& person) const {
    if (left_out.empty() && unordered.empty()) return;
    std::string text;
    const auto section = [&text](const char* title, const std::vector<std::string>& lines) {
      if (lines.empty()) return;
      if (!text.empty()) text += "\n";
      text += title;
      for (const std::string& line : lines) text += "\n" + line;
    };
    section("These files are left out of the list of maps:", left_out);
    section("These maps could not be rewritten and are shown as they stand:", unordered);
    person.ShowNotice("Error", text);
  }
};

// The "*.MAP" files of the program folder that no listing hands on because
// their names hold a backslash, which would stand for a path.
std::vector<std::string> MapNamesHoldingABackslash(Mapper& mapper) {
  std::vector<FolderEntry> entries;
  std::vector<std::string> names;
  if (!mapper.host.ListFolder(mapper.program_folder, &entries)) return names;
  for (const FolderEntry& entry : entries) {
    if (entry.kind == EntryKind::kFile && entry.name[0] != '.' && entry.name.find('\\') != std::string::npos &&
        MatchWildcard("*.MAP", entry.name)) {
      names.push_back(entry.name);
    }
  }
  std::sort(names.begin(), names.end(), LessNoCase);
  return names;
}

// Lists one map file, then clears its read-only mark, rewrites its header
// and normalises its entries in one read and one atomic write. What goes
// wrong lands in `report` instead of ending the load: a file that is not a
// regular file is not listed; a map that cannot be read or rewritten is
// listed as it stands.
void LoadMap(Mapper& mapper, const std::string& file, LoadReport& report) {
  const std::string path = mapper.ProgramFile(file);
  const std::string name = MapNameOf(file);
  std::string content;
  FileStamp before;
  const bool stamped = mapper.host.ReadFileStamp(path, &before);
  try {
    content = ReadMapFile(mapper, path);
  } catch (const RefusedFileError& e) {
    report.left_out.push_back(e.what());
    return;
  } catch (const HostError& e) {
    mapper.maps.rows.push_back(name);
    report.unordered.push_back(e.what());
    return;
  }
  mapper.maps.rows.push_back(name);
  try {
    if (mapper.host.IsReadOnly(path) && !mapper.host.SetReadOnly(path, false)) {
      throw HostError(path, "the read-only mark cannot be cleared");
    }
    const std::string header = Header(name);
    const CanonicalEntries canonical = NormaliseEntries(content);
    const bool rewritten =
        ReplaceIfChanged(mapper, path, content, [&](auto&& line) { ForEachCanonicalLine(header, canonical, line); });
    FileStamp after;
    if (!rewritten && stamped && mapper.host.ReadFileStamp(path, &after)) {
      mapper.map_texts.Keep(path, before, after, std::make_shared<const std::string>(std::move(content)));
    }
  } catch (const HostError& e) {
    report.unordered.push_back(e.what());
  }
}

}  // namespace

std::string MapNameOf(const std::string& file_name) {
  const std::size_t dot = FindNoCase(file_name, ".MAP");
  return dot == std::string::npos ? file_name : file_name.substr(0, dot);
}

std::string HelpCompanion(const std::string& entry) {
  const std::size_t stem = CompanionStem(entry);
  return stem == 0 ? std::string() : entry.substr(0, stem) + "GID";
}

std::vector<std::string> MapFiles(Mapper& mapper) {
  return mapper.host.FindFiles(mapper.program_folder, "*.MAP");
}

std::string ReadMapFile(Mapper& mapper, const std::string& path) { return mapper.host.ReadOwnFile(path, kMapRules); }

std::shared_ptr<const std::string> MapText(Mapper& mapper, const std::string& path) {
  if (std::shared_ptr<const std::string> kept = mapper.map_texts.Find(mapper.host, path)) return kept;
  return std::make_shared<const std::string>(ReadMapFile(mapper, path));
}

void WriteMapFile(Mapper& mapper, const std::string& path, std::string_view content) {
  mapper.host.WriteOwnFile(path, content, kMapRules);
}

void WriteMapHeader(Mapper& mapper, const std::string& map_file, const std::string& name) {
  const std::string path = MapPath(mapper, map_file);
  const std::string content = ReadMapFile(mapper, path);
  const std::string header = Header(name);
  ReplaceIfChanged(mapper, path, content, [&](auto&& line) {
    line(std::string_view(header));
    bool first = true;
    ForEachLine(content, [&](std::string_view text) {
      if (!first) line(text);
      first = false;
    });
  });
}

void LoadMaps(Mapper& mapper, const std::string& select) {
  const std::string previous = mapper.maps.SelectedName();
  ConvertOldMaps(mapper);
  mapper.map_texts.Clear();
  LoadReport report;
  {
    BusyCursor busy(mapper.person);
    MapsList& maps = mapper.maps;
    maps.rows.clear();
    maps.selected = -1;
    try {
      for (const std::string& name : MapNamesHoldingABackslash(mapper)) {
        report.left_out.push_back(DisplayPath(mapper.program_folder) + "/" + name +
                                  ": the name holds a \"\\\", which no map name may hold");
      }
      for (const std::string& file : MapFiles(mapper)) LoadMap(mapper, file, report);
    } catch (...) {
      // The rows listed so far stay, with the selection rules applied.
      SelectAfterLoad(maps, select, previous);
      throw;
    }
    SelectAfterLoad(maps, select, previous);
  }
  report.Tell(mapper.person);
}

}  // namespace zv
