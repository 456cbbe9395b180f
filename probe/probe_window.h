// TForm1, the probe's window: the report area, the four buttons, the
// stand-by check box, the watch timer and the tray icon with its menu. It
// holds no logic: every event goes to zv::Probe, which drives the window
// back through ProbeSurface.
#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/host.h"
#include "probe/probe_state.h"
#include "probe/traybar.h"

namespace zv {

// Shows a runtime error: a box with the error icon, titled with the
// application's name, the text followed by ".". With ZORVAN_UNATTENDED set
// the text goes to the standard error stream instead.
void ShowProbeError(const std::string& text);

class TForm1 : public QWidget, public ProbeSurface {
  Q_OBJECT

 public:
  // Builds the window and runs start-up (FormCreate) against the process's
  // working folder. `host` and `area` must outlive the window.
  TForm1(Host& host, TrayArea& area);
  ~TForm1() override;

  // ---- event handlers
  void FormCreate();
  void Timer1Timer();
  void ResumeBtnClick();
  void StandByBtnClick();
  void RunZVBtnClick();
  void OFFBtnClick();
  void Close1Click();
  void About1Click();
  void ProbeMenuPopup();
  void Traybar1click(QObject* sender);
  // Every close of the window: the exit sequence; then Closed() is emitted
  // so the application can end.
  void FormCloseQuery();

  // How a runtime error is shown: by default a message box titled with the
  // application's name, the error text followed by ".".
  std::function<void(const std::string& text)> error_report;

  Probe& probe() { return probe_; }
  const QIcon& ActiveIcon() const { return active_icon_; }
  const QIcon& StandByIcon() const { return standby_icon_; }

  // The controls, under their own names.
  QGroupBox* GroupBox1;
  QFrame* Panel1;
  QLabel* Messages;
  QWidget* Shape1;
  QLabel* Image2;
  QLabel* Image1;
  QPushButton* ResumeBtn;
  QPushButton* RunZVBtn;
  QPushButton* StandByBtn;
  QPushButton* OFFBtn;
  QCheckBox* CheckBox1;
  QTimer* Timer1;
  QMenu* ProbeMenu;
  QAction* About1;
  QAction* Close1;
  TTraybar* Traybar1;

 signals:
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // ProbeSurface
  void StartTimer() override;
  void StopTimer() override;
  void ShowWindow(bool shown) override;
  void MinimiseWindow() override;
  void SetCaption(const std::string& caption) override;
  void SetMessages(const std::string& text) override;
  void EnableResume(bool enabled) override;
  void TickStandByBox(bool ticked) override;
  bool StandByBoxTicked() override;
  void SetTrayPicture(bool active) override;
  bool AddTrayIcon() override;
  bool ModifyTrayIcon() override;
  bool DeleteTrayIcon() override;
  void CloseWindow() override;

  void BuildControls();
  void CentreOnce();
  void ReportError(const std::string& text);

  QIcon active_icon_;
  QIcon standby_icon_;
  Probe probe_;
  bool centred_ = false;
  bool closed_ = false;
};

}  // namespace zv
