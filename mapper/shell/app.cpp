#include "mapper/shell/app.h"

#include <QFileInfo>
#include <QProxyStyle>
#include <cstdio>

namespace zv {
namespace {

// Tooltips show after 350 ms instead of the toolkit's default.
class HintPauseStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == QStyle::SH_ToolTip_WakeUpDelay) return 350;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

}  // namespace

void ShowErrorReport(const std::exception& error) {
  QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(),
                  QString::fromLocal8Bit(error.what()) + ".", QMessageBox::Ok);
  ExecMessageBox(box);
}

bool RunsUnattended() { return !qEnvironmentVariableIsEmpty("ZORVAN_UNATTENDED"); }

int ExecMessageBox(QMessageBox& box) {
  if (!RunsUnattended()) return box.exec();
  std::fprintf(stderr, "%s: %s\n", box.windowTitle().toLocal8Bit().constData(),
               box.text().toLocal8Bit().constData());
  std::fflush(stderr);
  for (const auto safe : {QMessageBox::No, QMessageBox::Cancel, QMessageBox::Ok}) {
    if (box.button(safe)) return safe;
  }
  return QMessageBox::NoButton;
}

ZorvanApplication::ZorvanApplication(int& argc, char** argv) : OrderlyApplication(argc, argv) {
  // The application's title is the program file's name without extension.
  setApplicationName(QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName());
  setStyle(new HintPauseStyle);
}

bool ZorvanApplication::Deliver(QObject* receiver, QEvent* event) {
  try {
    return OrderlyApplication::Deliver(receiver, event);
  } catch (const std::exception& error) {
    ShowErrorReport(error);
    return false;
  }
}

}  // namespace zv
