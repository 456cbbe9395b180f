// The windows' pictures, cut from the embedded art.
#pragma once

#include <QPixmap>

namespace zv {

// A presence mark of the detailed file list: 1 present, 2 missing (16 x 16).
QPixmap PresencePicture(int state);
// The application's icon at 32 x 32.
QPixmap AppIconPicture();
// The splash window's picture.
QPixmap SplashPicture();

}  // namespace zv
