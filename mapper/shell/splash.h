// The splash window `TSplash`: shown while the program starts and reused as
// the progress window of long operations (caption, message line `ExtraMsg`,
// gauge `Gauge1`). Closing it only hides it.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QWidget>

namespace zv {

class TSplash : public QWidget {
 public:
  explicit TSplash(QWidget* parent = nullptr);

  QLabel* Image1;
  QLabel* ExtraMsg;
  QProgressBar* Gauge1;
  QLabel* Label1;

  // Shows the window (centred the first time) and paints it at once, so it
  // is up to date even while no event loop runs.
  void ShowNow();
  void SetGauge(bool visible, int percent);
};

}  // namespace zv
