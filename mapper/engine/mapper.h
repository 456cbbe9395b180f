// The state every mapper command shares: the host, the person, the global
// folders and texts, the options and the map catalogue's list. One instance
// lives for the whole process; the windows mirror it.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "mapper/engine/map_texts.h"
#include "mapper/engine/person.h"
#include "platform/host.h"

namespace zv {

// The options "ZV.INI" keeps; the menus show them as check marks.
struct Options {
  bool scan_on_start = false;
  bool remote_control = false;
  bool graphic_fx = true;
  bool use_sys_icons = true;
  bool simple_list = true;  // false: the detailed list
  bool blue = true;
  bool icon1 = false;             // the mapper's Start Menu link exists
  bool vigilo_on_startup = false; // the probe's Startup link exists
  std::string font_name = "MS Sans Serif";
  int font_size = 8;
  // Where the remote-control window stands (its design position until set).
  int remote_left = 436;
  int remote_top = 258;
};

// `MapsList`: the catalogue's rows in enumeration order; `selected` is the
// current map's row or -1.
struct MapsList {
  std::vector<std::string> rows;
  int selected = -1;

  bool HasSelection() const { return selected >= 0 && selected < static_cast<int>(rows.size()); }
  std::string SelectedName() const { return HasSelection() ? rows[selected] : std::string(); }
};

// Catalogue texts that the language application caches for frequent use.
struct CachedTexts {
  std::string edit_warn;   // *EDITWARN
  std::string add_ignore;  // *ADDIGNORE
  std::string is_deleted;  // *IsDeleted
  std::string is_folder;   // *IsFolder
  std::string rclick;      // *RCLICK
};

class MapView;

// A name a scan left out, and why.
struct LeftOutName {
  enum class Why {
    kBadName,     // a map line cannot hold it (a backslash or a control character)
    kCaseTwin,    // a name before it differs only in letter case
    kUnreadable,  // a folder that could not be read
  };
  Why why;
  std::string path;  // below the scanned folder, its names joined by "/"
};

struct Mapper {
  Mapper(Host& h, Person& p) : host(h), person(p) {}

  Host& host;
  Person& person;

  std::string windows_folder;  // no trailing separator
  std::string program_folder;  // absolute; every own file lives here
  // The program folder's lock, while this program changes its files
  // (program_locks.h); null otherwise.
  std::unique_ptr<HeldMutex> program_folder_lock;
  // An installed mapper's folders of the installation: its programs, and its
  // language files and help page. Empty for a portable program folder,
  // which holds them itself.
  std::string programs_folder;
  std::string shared_folder;
  // The installation's own menu entry for the mapper; empty when portable.
  std::string installed_menu_entry;
  std::string version_text;
  std::string language_file = "English.LNG";
  // The main window's caption (message box titles use it) and the Scan
  // menu's caption as the language gave it; the windows keep both current.
  std::string main_caption;
  std::string scan_menu_caption;

  Options options;
  MapsList maps;
  CachedTexts texts;
  // Lines the last scan wrote to the snapshot (the scanner's entry counter).
  std::uint64_t entry_counter = 0;
  // Names the last scan skipped because a map line cannot hold them.
  std::uint64_t skipped_names = 0;
  // Snapshot lines of the last scan that equal an earlier one but for
  // letter case (names with a twin in their folder): no map keeps them.
  std::uint64_t twin_names = 0;
  // Folders the last scan could not read (recorded as empty).
  std::uint64_t unreadable_folders = 0;
  // When set, every scan adds there each name it leaves out, in the order
  // of the walk; null (the usual case) costs nothing.
  std::vector<LeftOutName>* left_out = nullptr;
  // The folder the last scan walked, when it could not read even that one
  // (missing, or no reading rights); empty otherwise.
  std::string unreadable_root;
  // The main window's file list; null where no window exists (tests that
  // do not look at it).
  MapView* view = nullptr;
  // Counts the listings given to the file list, so that a listing read
  // while the window handled its events can tell another was shown meanwhile.
  std::uint64_t file_list_serial = 0;
  // How often a long reading of the file list repaints its progress on the
  // status line and lets the window handle its events.
  std::chrono::milliseconds progress_period{50};
  // The map texts the last catalogue load read, for the comparison and the
  // file list that follow it (MapText); the file list lets go of them.
  MapTexts map_texts;

  // A file of the program folder: program_folder + "/" + name. Throws
  // std::logic_error while the program folder is not known, so that no file
  // is ever read, written or deleted at "/" + name instead.
  std::string ProgramFile(const std::string& name) const { return InFolder(program_folder, name); }
  // The folders above as they serve: an installation's, else the program
  // folder.
  void UsePlaces(const ProgramPlaces& places) {
    program_folder = places.folder;
    programs_folder = places.installed ? places.programs : std::string();
    shared_folder = places.installed ? places.shared : std::string();
    installed_menu_entry = places.menu_entry;
  }
  std::string ProgramsFolder() const { return programs_folder.empty() ? program_folder : programs_folder; }
  std::string SharedFolder() const { return shared_folder.empty() ? program_folder : shared_folder; }
  // A program ("Zorvan32", "Vigilo32.exe") and a language file or the help
  // page, in their folders; they throw as ProgramFile does.
  std::string ProgramsFile(const std::string& name) const { return InFolder(ProgramsFolder(), name); }
  std::string SharedFile(const std::string& name) const { return InFolder(SharedFolder(), name); }
  // An entry's absolute place: the Windows folder, "\" and the entry text.
  std::string WindowsPath(const std::string& entry) const { return windows_folder + "\\" + entry; }

 private:
  static std::string InFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) throw std::logic_error("The program folder is not known");
    return folder + "/" + name;
  }
};

}  // namespace zv
