// The about box `TAboutBox`: the maker's panel, the logo on the remote
// window's tiled texture with the program's texts beside it, the site link,
// and the OK and Guide buttons. One instance, created at start after the main
// window and reused; not modal. The main window fills its texts.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <string>

namespace zv {

// `texture` copied to every cell (a·i, b·j) for i = 0..(width div a) and
// j = 0..(height div b), a × b being the texture's size, on a picture of
// `size`.
QImage TileTexture(const QImage& texture, const QSize& size);

class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  // The Guide button opens the help page.
  std::function<void()> on_guide;
  // The site link opens its caption as a web page.
  std::function<void(const std::string&)> on_site;

  void BitBtn1Click();
  void BitBtn2Click() { close(); }
  // The site link turns red while pressed; released, it turns blue, opens
  // its caption and closes the box. It is aqua again whenever the box shows.
  void SiteURLMouseDown();
  void SiteURLMouseUp();

  QFrame* Panel1;
  QLabel* Label8;
  QLabel* Label7;
  QGroupBox* GroupBox1;
  QLabel* Bkg;
  QLabel* ZVLogo;
  QLabel* Label3;
  QLabel* Autors;
  QLabel* CopyRightInfos;
  QLabel* Label10;
  QLabel* SiteURL;
  QPushButton* BitBtn2;
  QPushButton* BitBtn1;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void SetLinkColour(const QColor& colour);
};

}  // namespace zv
