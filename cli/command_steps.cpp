#include "cli/command_steps.h"

#include "cli/formats.h"
#include "mapper/engine/catalogue.h"
#include "mapper/engine/entry_path.h"
#include "mapper/engine/scanner.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

// Keeps the rows the viewer hands the file list.
class KeptRows : public MapView {
 public:
  void SetAnimations(bool) override {}
  void SetMapGroupCaption(const std::string& caption) override { caption_ = caption; }
  void ShowListing(const MapListing& listing) override { rows_ = MapRows::FromListing(listing); }
  void ShowRows(std::shared_ptr<const MapRows> rows) override { rows_ = std::move(rows); }
  std::shared_ptr<const MapRows> rows() const { return rows_ ? rows_ : std::make_shared<const MapRows>(); }
  const std::string& caption() const { return caption_; }

 private:
  std::shared_ptr<const MapRows> rows_;
  std::string caption_;
};

}  // namespace

bool SelectNamedMap(CommandContext& c, const std::string& wanted) {
  Mapper& m = c.mapper;
  LoadMaps(m, wanted);
  if (EqualsNoCase(m.maps.SelectedName(), wanted)) return true;
  c.person.Say("there is no map \"" + wanted + "\" in " + DisplayPath(m.program_folder) +
               ". zorvan maps lists the maps there.");
  return false;
}

bool ReadyToScan(CommandContext& c) {
  Mapper& m = c.mapper;
  if (!m.host.FolderExists(m.windows_folder)) {
    c.person.Say("the Windows folder " + DisplayPath(m.windows_folder) +
                 " does not exist. Set ZORVAN_WINDIR to the folder you mean to map.");
    return false;
  }
  const std::string ignore_list = m.ProgramFile(kIgnoreListFile);
  // A dry run scans nothing, so it needs no ignore list.
  if (!c.invocation.dry_run && !m.host.FileExists(ignore_list)) {
    WriteDefaultIgnoreList(m);
    c.person.Say("wrote the default ignore list " + DisplayPath(ignore_list) +
                 ". Edit it to leave more folders out of every scan.");
  }
  return true;
}

std::shared_ptr<const MapRows> DetailedRows(Mapper& m, int row, std::string* caption) {
  m.options.simple_list = false;
  m.options.use_sys_icons = false;
  m.maps.selected = row;
  KeptRows view;
  ShowMap(m, view);
  if (caption != nullptr) *caption = view.caption();
  return view.rows();
}

MapListing DetailedListing(Mapper& m, int row) { return DetailedRows(m, row)->Listing(); }

ListingCounts CountsOf(const MapRows& rows) {
  ListingCounts counts;
  counts.entries = rows.size();
  for (const MapRow& row : rows.rows) {
    if (row.state == 1) ++counts.present;
    if (row.state == 2) ++counts.missing;
  }
  return counts;
}

const char* StateWord(int state) { return state == 1 ? "present" : "missing"; }

std::string MapLabel(const CommandContext& c, const std::string& name) {
  return c.invocation.host_paths ? MapFilePath(c.mapper, name) : name;
}

std::string MapFilePath(const Mapper& m, const std::string& name) { return DisplayPath(m.ProgramFile(name + ".MAP")); }

bool IsFolderEntry(std::string_view entry) { return entry.starts_with(kFolderMark); }

std::string EntryLabel(const CommandContext& c, std::string_view entry) {
  return c.invocation.host_paths ? EntryField(c, entry) : std::string(entry);
}

std::string EntryField(const CommandContext& c, std::string_view entry) {
  return c.invocation.host_paths ? EntryHostPath(c.mapper, entry) : std::string(EntryTarget(entry));
}

std::string EntryHostPath(const Mapper& m, std::string_view entry) {
  return ToHostPath(m.WindowsPath(std::string(EntryTarget(entry)))) + (IsFolderEntry(entry) ? "/" : "");
}

std::string MapTsvFields(const CommandContext& c, const std::string& name) {
  return TsvField(name) + (c.invocation.host_paths ? "\t" + TsvField(MapFilePath(c.mapper, name)) : "");
}

std::string MapTsvHeader(const CommandContext& c) { return c.invocation.host_paths ? "map\tmap_file" : "map"; }

std::string MapJsonMembers(const CommandContext& c, const std::string& name) {
  return "\"map\": " + JsonString(name) +
         (c.invocation.host_paths ? ", \"map_file\": " + JsonString(MapFilePath(c.mapper, name)) : "");
}

std::vector<std::string> MapEntries(Mapper& m, const std::string& file) {
  const std::shared_ptr<const std::string> text = MapText(m, m.ProgramFile(file));
  std::vector<std::string> entries;
  std::size_t start = 0;
  bool header = true;
  while (start < text->size()) {
    std::size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    std::string line = text->substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!header && !line.empty()) entries.push_back(std::move(line));
    header = false;
    start = end + 1;
  }
  return entries;
}

std::string FileOfMap(Mapper& m, const std::string& name) {
  for (const std::string& file : MapFiles(m)) {
    if (EqualsNoCase(MapNameOf(file), name)) return file;
  }
  return {};
}

std::string GivenEntryPath(const Mapper& m, const std::string& given) {
  std::string path = given;
  const std::string windows = ToHostPath(m.windows_folder) + "/";
  if (StartsWith(path, windows)) path.erase(0, windows.size());
  for (char& c : path) c = c == '/' ? '\\' : c;
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace zv::cli
