// The main window's lists for tests: keeps, in order, everything the engine
// asked them to show.
#pragma once

#include <string>
#include <vector>

#include "mapper/engine/mapper.h"
#include "mapper/engine/viewer.h"

namespace zv {

class RecordingView : public MapView {
 public:
  void SetAnimations(bool running) override { animations.push_back(running); }
  void SetMapGroupCaption(const std::string& caption) override {
    group_captions.push_back(caption);
    calls.push_back("map " + caption);
  }
  void ShowListing(const MapListing& listing) override { listings.push_back(listing); }
  void ShowCatalogue(const MapsList& maps) override {
    rows = maps.rows;
    selected = maps.selected;
    calls.push_back("catalogue " + maps.SelectedName());
  }

  // The last group caption shown; "" before the first.
  std::string GroupCaption() const { return group_captions.empty() ? "" : group_captions.back(); }

  // The row captions of the last listing; empty before the first. With
  // `mark_missing`, a missing entry's caption is followed by " missing".
  std::vector<std::string> Captions(bool mark_missing = false) const {
    std::vector<std::string> captions;
    if (listings.empty()) return captions;
    for (const MapItem& item : listings.back().items) {
      captions.push_back(item.caption + (mark_missing && item.state == 2 ? " missing" : ""));
    }
    return captions;
  }

  std::vector<bool> animations;
  std::vector<std::string> group_captions;
  std::vector<MapListing> listings;
  // The map list as last shown: its rows and selected row (-2 before the
  // first showing).
  std::vector<std::string> rows;
  int selected = -2;
  // "catalogue <selected map>" and "map <group caption>", in call order.
  std::vector<std::string> calls;
};

}  // namespace zv
