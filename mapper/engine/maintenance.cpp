#include "mapper/engine/maintenance.h"

#include "mapper/engine/catalogue.h"
#include "mapper/engine/messages.h"
#include "mapper/engine/new_map.h"
#include "mapper/engine/scanner.h"
#include "mapper/engine/viewer.h"
#include "mapper/engine/guarded.h"
#include "platform/text.h"

namespace zv {
namespace {

// Shows the "*NOFSEL" box when no map is selected; answers whether one is.
bool HasCurrentMap(Mapper& mapper) {
  if (mapper.maps.HasSelection()) return true;
  mapper.person.ShowNotice(mapper.main_caption, LookupMessage(mapper, "*NOFSEL"));
  return false;
}

std::string MapFile(const Mapper& mapper, const std::string& name) { return mapper.ProgramFile(name + ".MAP"); }

// LoadMaps, after which the map list shows the catalogue, also the rows
// loaded before an error.
void ReloadCatalogue(Mapper& mapper, const std::string& select) {
  struct ShowWhenDone {
    Mapper& mapper;
    ~ShowWhenDone() {
      if (mapper.view != nullptr) mapper.view->ShowCatalogue(mapper.maps);
    }
  } show{mapper};
  LoadMaps(mapper, select);
}

// The current map in the file list, or an empty list when there is none
// (so an unmapped last map does not stay on show).
void ShowCurrentMap(Mapper& mapper) {
  MapView* view = mapper.view;
  if (view == nullptr) return;
  if (mapper.maps.HasSelection()) {
    ShowMap(mapper, *view);
    return;
  }
  view->SetMapGroupCaption("");
  ++mapper.file_list_serial;
  MapListing empty;
  empty.simple = mapper.options.simple_list;
  view->ShowListing(empty);
}

}  // namespace

void RefreshMaps(Mapper& mapper) {
  ReloadCatalogue(mapper, mapper.maps.SelectedName());
  ScanWithProgress(mapper, mapper.windows_folder, "Refreshing...");
  ShowCurrentMap(mapper);
  // After a scan that could not read the Windows folder its own report
  // stays on the status line: nothing was refreshed.
  if (!mapper.unreadable_root.empty()) return ShowScanReport(mapper);
  mapper.person.SetStatus(kButtonFace, LookupMessage(mapper, "*REFDONE"));
}

void EditMap(Mapper& mapper) {
  if (!HasCurrentMap(mapper)) return;
  mapper.person.OpenInEditor(MapFile(mapper, mapper.maps.SelectedName()), mapper.texts.edit_warn);
  RefreshMaps(mapper);
}

void RenameMap(Mapper& mapper, const std::string& caption) {
  if (!HasCurrentMap(mapper)) return;
  const std::string current = mapper.maps.SelectedName();
  TextRequest request;
  request.caption = caption;
  request.note = LookupMessage(mapper, "*RENAM");
  request.text = current;
  std::string name;
  for (;;) {
    name = mapper.person.AskText(request);
    if (name.empty()) return;
    request.text = name;
    if (IsBadMapName(name)) {
      mapper.person.ShowNotice(caption, LookupMessage(mapper, "*BADNAME"));
      continue;
    }
    if (EqualsNoCase(name, current) || !mapper.host.PathExists(MapFile(mapper, name))) break;
    mapper.person.ShowNotice(caption, LookupMessage(mapper, "*FAlreadyExists"));
  }
  if (name != current) {
    mapper.host.MoveFile(MapFile(mapper, current), MapFile(mapper, name));
  }
  ReloadCatalogue(mapper, name);
  ShowCurrentMap(mapper);
}

void UnmapMap(Mapper& mapper) {
  if (!HasCurrentMap(mapper)) return;
  const std::string name = mapper.maps.SelectedName();
  const std::string question = LookupMessage(mapper, "*DEL") + name + ".MAP" + LookupMessage(mapper, "*MAPOF") +
                               name + "\")";
  if (!mapper.person.ConfirmDialog(question)) return;
  if (GuardedDelete(mapper, MapFile(mapper, name))) RefreshMaps(mapper);
}

void EditIgnoreList(Mapper& mapper) {
  mapper.person.OpenInEditor(mapper.ProgramFile(kIgnoreListFile), mapper.texts.add_ignore);
}

}  // namespace zv
