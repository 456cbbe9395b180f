#include "mapper/trash/removal.h"

#include "mapper/engine/maintenance.h"
#include "mapper/engine/messages.h"
#include "mapper/trash/trash_log.h"
#include "mapper/trash/trash_store.h"
#include "platform/text.h"

namespace zv {
namespace {

// Passes ShowMap's calls on to the window's list, when there is one, and
// keeps the captions of the rows it was given, in the viewer's order.
class ListingCapture : public MapView {
 public:
  explicit ListingCapture(MapView* shown) : shown_(shown) {}
  void SetAnimations(bool running) override {
    if (shown_) shown_->SetAnimations(running);
  }
  void SetMapGroupCaption(const std::string& caption) override {
    if (shown_) shown_->SetMapGroupCaption(caption);
  }
  void ShowListing(const MapListing& listing) override {
    captions.clear();
    captions.reserve(listing.items.size());
    for (const MapItem& item : listing.items) captions.push_back(item.caption);
    if (shown_) shown_->ShowListing(listing);
  }

  std::vector<std::string> captions;

 private:
  MapView* shown_;
};

// " + the trash folder" as the confirmations name it.
std::string TrashFolderShown(const Mapper& m) { return DisplayPath(TrashFolderPath(m)); }

}  // namespace

bool DeleteApplication(Mapper& m, RemovalOutcome* outcome) {
  if (!m.maps.HasSelection()) {
    m.person.ShowNotice(m.main_caption, LookupMessage(m, "*NOFSEL"));
    return false;
  }
  const std::string name = m.maps.SelectedName();
  if (!m.person.ConfirmDialog(LookupMessage(m, "*ATODEL") + name + "\"\n" + LookupMessage(m, "*AMOVEDTO") +
                              TrashFolderShown(m))) {
    return false;
  }
  ListingCapture listing(m.view);
  ShowMap(m, listing);
  const std::vector<std::string>& entries = listing.captions;
  const std::string count = "/" + std::to_string(entries.size());
  TrashSession session(m);
  session.on_progress = [&](std::size_t done) {
    m.person.SetStatus(kButtonFace, std::to_string(done) + count);
    m.person.PumpMessages();
  };
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) session.Add(*entry);
  session.Finish();
  if (outcome) *outcome = {session.stayed(), session.moved()};
  RefreshMaps(m);
  return true;
}

bool DeleteSelectedFile(Mapper& m, const MapItem* selected, RemovalOutcome* outcome) {
  if (selected == nullptr) {
    m.person.ShowNotice(m.main_caption, LookupMessage(m, "*NOFSEL"));
    return false;
  }
  if (selected->state == 2) {
    m.person.ShowNotice(m.main_caption, LookupMessage(m, "*GIADEL"));
    return false;
  }
  const std::string entry = selected->caption;
  if (!m.person.ConfirmDialog(LookupMessage(m, "*FTODEL") + DisplayPath(entry) + "\"\n" + LookupMessage(m, "*FMOVEDTO") +
                              TrashFolderShown(m))) {
    return false;
  }
  TrashSession session(m);
  session.Add(entry);
  session.Finish();
  if (outcome) *outcome = {session.stayed(), session.moved()};
  RefreshMaps(m);
  return true;
}

}  // namespace zv
