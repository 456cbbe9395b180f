// Times choosing a big map in the real main window's map list while a small
// one is shown: from the click (the map list's current row set, as a click
// sets it) until the file list holds every row, its headers show the totals
// and the rows in sight are painted. Once in the plain list (what a first
// run leaves) and once in the detailed list (every entry's presence and size
// looked up on disk), against `find ROOT -printf '%y %s %P\n' > FILE` of
// the same tree in the same run.
// Usage: select_map_bench [entries=500000] [runs=3]
#include <QApplication>
#include <QListWidget>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>

#include "bench/bench_support.h"
#include "mapper/engine/catalogue.h"
#include "mapper/shell/in_dialog.h"
#include "mapper/shell/main_window.h"
#include "mapper/shell/qt_person.h"
#include "mapper/shell/splash.h"
#include "mapper/shell/text_editor.h"
#include "platform/text.h"

using namespace zv;
using namespace zv::bench;

int main(int argc, char** argv) {
  const std::size_t entries = SizeArgument(argc, argv, 1, 500000);
  const std::size_t runs = std::max<std::size_t>(1, SizeArgument(argc, argv, 2, 3));
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qt_argc = 1;
  QApplication app(qt_argc, argv);

  TempFolder windows("select-tree"), program("select-program"), out("select-out");
  std::printf("building %zu entries in %s ...\n", entries, windows.path().c_str());
  std::vector<std::string> lines = BuildTree(windows.path(), entries, entries / 10);
  lines.insert(lines.begin(), "***Big***");
  const std::string big_map = program.path() + "/Big.MAP";
  {
    std::unique_ptr<Host> host = NewPosixHost();
    host->WriteFile(big_map, JoinLines(lines));
    host->WriteFile(program.path() + "/Small.MAP", JoinLines({"***Small***", lines[1], lines[2]}));
  }
  Shell("cp " + Quote(std::string(ZORVAN_BUILT_PROGRAM_DIR) + "/English.lng") + " " + Quote(program.path()));
  std::printf("map of %zu lines, %.1f MB\n", lines.size() - 1,
              static_cast<double>(FileBytes(big_map)) / (1024.0 * 1024.0));

  std::unique_ptr<Host> host = NewPosixHost();
  TSplash splash;
  TInDialog dialog;
  TVEdit editor(*host);
  QtPerson person(dialog, splash, &editor);
  Mapper mapper(*host, person);
  mapper.program_folder = program.path();
  mapper.windows_folder = windows.path();
  TForm1 form(mapper, splash, dialog, person);
  form.ApplyLanguage("English.lng");
  LoadMaps(mapper, "Small");
  form.ShowMapsList();
  form.show();
  QApplication::processEvents();

  const auto row_of = [&](const std::string& name) {
    const auto at = std::find(mapper.maps.rows.begin(), mapper.maps.rows.end(), name);
    return static_cast<int>(at - mapper.maps.rows.begin());
  };
  // Chooses `name` as a click does and waits until its list is ready.
  const auto choose = [&](const std::string& name) {
    form.MapsList->setCurrentRow(row_of(name));
    QApplication::processEvents();
    form.Map->viewport()->repaint();
  };
  const std::string find = "find " + Quote(windows.path()) + " -printf '%y %s %P\\n' > " + Quote(out.path() + "/find");
  for (QAction* mode : {form.SimpleList1, form.DetailedList1}) {
    mode->trigger();
    std::vector<double> chosen, found;
    choose("Big");  // warms the caches
    // The catalogue adds each help file's index companion to the entries.
    const int rows = form.Map->model()->rowCount();
    for (std::size_t i = 0; i < runs; ++i) {
      choose("Small");
      chosen.push_back(TimeOnce([&] { choose("Big"); }));
      found.push_back(TimeOnce([&] { Shell(find); }));
      if (form.Map->model()->rowCount() != rows) {
        std::fprintf(stderr, "the list shows %d rows\n", form.Map->model()->rowCount());
        return 1;
      }
    }
    std::printf("%s list: choosing the big map median %.3f s (target under 1 s); find -printf %.3f s; ratio %.2f\n",
                mode == form.SimpleList1 ? "plain" : "detailed", Median(chosen), Median(found),
                Median(chosen) / Median(found));
  }
  return 0;
}
