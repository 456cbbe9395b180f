// The font dialog `FontDialog1` of the two lists: only fonts that exist,
// sizes 8 to 20 points, and an Apply button that applies the choice without
// closing the dialog.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QLabel>
#include <QListWidget>
#include <functional>

namespace zv {

class TFontDialog : public QDialog {
 public:
  static constexpr int kMinSize = 8;
  static constexpr int kMaxSize = 20;

  explicit TFontDialog(QWidget* parent = nullptr);

  QFontComboBox* FontName;
  QListWidget* FontSize;
  QLabel* Sample;
  QDialogButtonBox* Buttons;

  // Runs for every press of Apply (`FontDialog1Apply`).
  std::function<void()> on_apply;

  // Puts `font`'s family and its size (brought into 8..20) into the dialog.
  void SetChoice(const QFont& font);
  QString Family() const;
  int Size() const;

 private:
  void UpdateSample();
};

}  // namespace zv
