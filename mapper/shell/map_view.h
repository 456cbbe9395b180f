// The file list `Map` as the viewer sees it: the list view inside
// `GroupBox2`, over a model of the viewer's rows, with file-type icons,
// presence marks as state images in the detailed mode, and a plain list or
// a report.
#pragma once

#include <QFileIconProvider>
#include <QGroupBox>
#include <QHash>
#include <QMimeDatabase>
#include <QTreeView>
#include <functional>
#include <optional>

#include "mapper/engine/viewer.h"
#include "mapper/shell/map_list_model.h"

namespace zv {

class QtMapView : public MapView {
 public:
  // Sets `list` up as the file list: columns "Map File" (200) and
  // right-aligned "Size (Kb)" (100), read-only, single selection, rows of
  // one height. `host` tells whether a row of the plain list is on disk.
  QtMapView(Host& host, QGroupBox& group, QTreeView& list);

  // Stops or restarts the window's animations while the list fills.
  std::function<void(bool)> on_animations;
  // Shows the reloaded catalogue in the window's map list.
  std::function<void()> on_catalogue;

  // Whether the presence marks (`PresenceIcons`) show as state images.
  void SetStateImages(bool on) { state_images_ = on; }
  bool StateImages() const { return state_images_; }

  // The selected row: its entry's bytes exactly as the map holds them, its
  // presence mark (`state`), size text and icon path; nothing when no row is
  // selected.
  std::optional<MapItem> SelectedItem() const;
  // The current row (the one a double-click opens) likewise; nothing when
  // there is none.
  std::optional<MapItem> CurrentItem() const;
  // The rows shown.
  const MapListModel& Model() const { return model_; }

  // Gives the first column the room the second leaves: the list's width less
  // the second column and 20 pixels, at least 100.
  void FitFirstColumn();

  void SetAnimations(bool running) override;
  void SetMapGroupCaption(const std::string& caption) override;
  // Replaces the rows. The listing comes sorted; the view keeps its order.
  void ShowListing(const MapListing& listing) override;
  void ShowRows(std::shared_ptr<const MapRows> rows) override;
  void ShowCatalogue(const MapsList&) override {
    if (on_catalogue) on_catalogue();
  }

 private:
  QIcon ItemIcon(const MapRows& rows, std::size_t i);
  QIcon FileIcon(const MapRows& rows, std::size_t i);

  Host& host_;
  QGroupBox& group_;
  QTreeView& list_;
  MapListModel model_;
  bool state_images_ = false;
  bool shown_state_images_ = false;  // state_images_ when the rows were shown
  int second_width_ = 100;  // the second column's width while it is hidden
  QFileIconProvider provider_;
  QMimeDatabase mime_types_;
  QHash<QString, QIcon> file_icons_;
  QHash<QString, QIcon> composed_;
};

}  // namespace zv
