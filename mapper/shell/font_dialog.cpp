#include "mapper/shell/font_dialog.h"

#include <QGridLayout>
#include <QPushButton>
#include <algorithm>

namespace zv {

TFontDialog::TFontDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Font");
  FontName = new QFontComboBox(this);
  FontName->setEditable(false);  // only fonts that exist can be chosen
  FontSize = new QListWidget(this);
  for (int size = kMinSize; size <= kMaxSize; ++size) FontSize->addItem(QString::number(size));
  FontSize->setFixedWidth(60);
  Sample = new QLabel("AaBbYyZz", this);
  Sample->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Sample->setAlignment(Qt::AlignCenter);
  Sample->setMinimumHeight(48);
  Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Apply | QDialogButtonBox::Cancel, this);

  auto* grid = new QGridLayout(this);
  auto* name_label = new QLabel("&Font:", this);
  name_label->setBuddy(FontName);
  auto* size_label = new QLabel("&Size:", this);
  size_label->setBuddy(FontSize);
  grid->addWidget(name_label, 0, 0);
  grid->addWidget(size_label, 0, 1);
  grid->addWidget(FontName, 1, 0, Qt::AlignTop);
  grid->addWidget(FontSize, 1, 1, 2, 1);
  grid->addWidget(Sample, 2, 0);
  grid->addWidget(Buttons, 3, 0, 1, 2);

  connect(FontName, &QFontComboBox::currentFontChanged, this, [this] { UpdateSample(); });
  connect(FontSize, &QListWidget::currentRowChanged, this, [this] { UpdateSample(); });
  connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(Buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] {
    if (on_apply) on_apply();
  });
}

void TFontDialog::SetChoice(const QFont& font) {
  FontName->setCurrentFont(font);
  FontSize->setCurrentRow(std::clamp(font.pointSize(), kMinSize, kMaxSize) - kMinSize);
  UpdateSample();
}

QString TFontDialog::Family() const { return FontName->currentFont().family(); }

int TFontDialog::Size() const { return std::max(FontSize->currentRow(), 0) + kMinSize; }

void TFontDialog::UpdateSample() {
  QFont font = FontName->currentFont();
  font.setPointSize(Size());
  Sample->setFont(font);
}

}  // namespace zv
