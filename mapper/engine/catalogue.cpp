#include "mapper/engine/catalogue.h"

#include <algorithm>

#include "mapper/engine/busy_cursor.h"
#include "platform/text.h"

namespace zv {
namespace {

std::string MapPath(const Mapper& mapper, const std::string& map_file) {
  return StartsWith(map_file, "/") ? map_file : mapper.ProgramFile(map_file);
}

std::string Header(const std::string& name) { return "***" + name + "***"; }

// The entries made canonical: the first of every run equal ignoring case
// kept, a help companion added for every help file that lacks one, sorted.
std::vector<std::string> NormaliseEntries(std::vector<std::string> entries) {
  // A stable sort keeps equal entries in file order, so the first is kept.
  std::stable_sort(entries.begin(), entries.end(), LessNoCase);
  entries.erase(std::unique(entries.begin(), entries.end(), EqualsNoCase), entries.end());
  std::vector<std::string> companions;
  for (const std::string& entry : entries) {
    std::string companion = HelpCompanion(entry);
    if (companion.empty() || std::binary_search(entries.begin(), entries.end(), companion, LessNoCase)) continue;
    companions.push_back(std::move(companion));
  }
  if (!companions.empty()) {
    // Entries equal ignoring case give companions equal ignoring case, and
    // those entries are gone already; so the companions are distinct.
    std::sort(companions.begin(), companions.end(), LessNoCase);
    const std::size_t middle = entries.size();
    entries.insert(entries.end(), std::make_move_iterator(companions.begin()),
                   std::make_move_iterator(companions.end()));
    std::inplace_merge(entries.begin(), entries.begin() + middle, entries.end(), LessNoCase);
  }
  return entries;
}

// Replaces `path` with `lines` unless it already holds exactly that text.
void ReplaceIfChanged(Mapper& mapper, const std::string& path, const std::string& old_content,
                      const std::vector<std::string>& lines) {
  const std::string content = JoinLines(lines);
  if (content != old_content) mapper.host.WriteFile(path, content);
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

}  // namespace

std::string MapNameOf(const std::string& file_name) {
  const std::size_t dot = FindNoCase(file_name, ".MAP");
  return dot == std::string::npos ? file_name : file_name.substr(0, dot);
}

std::string HelpCompanion(const std::string& entry) {
  if (StartsWith(entry, "<DIR> ")) return {};
  const std::size_t name_start = entry.find_last_of("\\/") + 1;  // npos + 1 == 0
  const std::size_t dot = entry.rfind('.');
  if (dot == std::string::npos || dot < name_start) return {};
  if (!EqualsNoCase(std::string_view(entry).substr(dot), ".HLP")) return {};
  return entry.substr(0, dot + 1) + "GID";
}

std::vector<std::string> MapFiles(Mapper& mapper) {
  return mapper.host.FindFiles(mapper.program_folder, "*.MAP");
}

void ConvertOldMaps(Mapper&) {}

void WriteMapHeader(Mapper& mapper, const std::string& map_file, const std::string& name) {
  const std::string path = MapPath(mapper, map_file);
  const std::string content = mapper.host.ReadFile(path);
  std::vector<std::string> lines = SplitLines(content);
  if (lines.empty()) lines.emplace_back();
  lines[0] = Header(name);
  ReplaceIfChanged(mapper, path, content, lines);
}

void LoadMaps(Mapper& mapper, const std::string& select) {
  const std::string previous = mapper.maps.SelectedName();
  ConvertOldMaps(mapper);
  const std::vector<std::string> files = MapFiles(mapper);

  BusyCursor busy(mapper.person);
  MapsList& maps = mapper.maps;
  maps.rows.clear();
  maps.selected = -1;
  try {
    for (const std::string& file : files) {
      const std::string path = mapper.ProgramFile(file);
      if (mapper.host.IsReadOnly(path) && !mapper.host.SetReadOnly(path, false)) {
        throw HostError(path, "the read-only mark cannot be cleared");
      }
      const std::string name = MapNameOf(file);
      // The header rewrite and the normalisation in one read and one write:
      // the file is replaced atomically or left as it was.
      const std::string content = mapper.host.ReadFile(path);
      std::vector<std::string> lines = SplitLines(content);
      if (!lines.empty()) lines.erase(lines.begin());
      lines = NormaliseEntries(std::move(lines));
      lines.insert(lines.begin(), Header(name));
      ReplaceIfChanged(mapper, path, content, lines);
      maps.rows.push_back(name);
    }
  } catch (...) {
    // The rows listed so far stay, with the selection rules applied.
    SelectAfterLoad(maps, select, previous);
    throw;
  }
  SelectAfterLoad(maps, select, previous);
}

}  // namespace zv
