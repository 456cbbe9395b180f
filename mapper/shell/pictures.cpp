#include "mapper/shell/pictures.h"

#include <QImage>

#include "art/art.h"

namespace zv {

QPixmap PresencePicture(int state) {
  // Images, not pixmaps, outlive the application object safely.
  static const QImage both = art::Load(art::kPresenceIcons);
  return QPixmap::fromImage(both.copy(state == 1 ? 0 : 16, 0, 16, 16));
}

QPixmap AppIconPicture() { return QPixmap::fromImage(art::Load(art::kAppIcon32)); }

QPixmap SplashPicture() { return QPixmap::fromImage(art::Load(art::kSplash)); }

}  // namespace zv
