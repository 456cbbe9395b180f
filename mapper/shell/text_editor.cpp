#include "mapper/shell/text_editor.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPrintDialog>
#include <QScreen>
#include <QVBoxLayout>
#include <cstdio>

#include "art/art.h"
#include "mapper/shell/app.h"
#include "mapper/shell/editor_text.h"
#include "mapper/shell/qt_text.h"

namespace zv {
namespace {

constexpr int kClientWidth = 560;
constexpr int kClientHeight = 387;
constexpr int kSidePanelWidth = 113;

QToolButton* NewPictureButton(QWidget* parent, const char* picture, const QString& hint, int left) {
  auto* button = new QToolButton(parent);
  button->setGeometry(left, 4, 25, 25);
  button->setIcon(QPixmap::fromImage(art::Load(picture)));
  button->setToolTip(hint);
  button->setAutoRaise(true);
  return button;
}

}  // namespace

TVEdit::TVEdit(Host& host, QWidget* parent) : QDialog(parent), host_(host) {
  setWindowTitle(QString(kCaptionPrefix) + "Untitled");
  setSizeGripEnabled(true);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  MainMenu1 = new QMenuBar(this);
  column->setMenuBar(MainMenu1);

  Panel2 = new QFrame(this);
  Panel2->setFixedHeight(33);
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
  SaveButton = NewPictureButton(Panel2, art::kSaveGlyph, "Save", 5);
  PrintButton = NewPictureButton(Panel2, art::kPrintGlyph, "Print", 34);
  column->addWidget(Panel2);

  auto* middle = new QHBoxLayout;
  middle->setSpacing(0);
  Panel1 = new QFrame(this);
  Panel1->setFixedWidth(kSidePanelWidth);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(1);
  Panel1->installEventFilter(this);
  HintLabel = new QLabel(Panel1);
  HintLabel->setFont(QFont("Arial", 9));
  HintLabel->setWordWrap(true);
  HintLabel->setTextFormat(Qt::PlainText);
  HintLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Continue = new QPushButton("OK", Panel1);
  Continue->setToolTip("Returns to Zorvan");
  Continue->setAutoDefault(false);
  Continue->resize(97, 33);
  middle->addWidget(Panel1);

  Memo1 = new QPlainTextEdit(this);
  QFont memo_font("Arial", 9);
  memo_font.setFixedPitch(true);
  memo_font.setStyleHint(QFont::Monospace);
  Memo1->setFont(memo_font);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  middle->addWidget(Memo1, 1);
  column->addLayout(middle, 1);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setSizeGripEnabled(false);
  StatusPanel = new QLabel(StatusBar1);
  StatusPanel->setFixedWidth(300);
  StatusPanel->setFont(QFont("Arial", 10));
  StatusPanel->setTextFormat(Qt::PlainText);
  StatusBar1->addWidget(StatusPanel);
  column->addWidget(StatusBar1);

  FindDialog1 = new TFindDialog(this);
  FindDialog1->on_find = [this] { FindDialog1Find(); };
  ask_printer = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
  };
  BuildMenus();

  connect(SaveButton, &QToolButton::clicked, this, [this] { Save1Click(); });
  connect(PrintButton, &QToolButton::clicked, this, [this] { Print1Click(); });
  connect(Continue, &QPushButton::clicked, this, [this] { ContinueClick(); });
  connect(Memo1, &QPlainTextEdit::textChanged, this, [this] { Memo1Change(); });

  resize(kClientWidth, kClientHeight + MainMenu1->sizeHint().height());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TVEdit::BuildMenus() {
  QMenu* file = MainMenu1->addMenu("&File");
  Save1 = file->addAction("&Save");
  Save1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  file->addSeparator();
  Print1 = file->addAction("Print...");
  file->addSeparator();
  Exit1 = file->addAction("E&xit");

  QMenu* edit = MainMenu1->addMenu("&Edit");
  Undo1 = edit->addAction("&Undo");
  Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  edit->addSeparator();
  Cut1 = edit->addAction("Cu&t");
  Cut1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
  Copy1 = edit->addAction("&Copy");
  Copy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  Paste1 = edit->addAction("&Paste");
  Paste1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));

  QMenu* search = MainMenu1->addMenu("&Search");
  Find1 = search->addAction("&Find...");
  Find1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  FindNext1 = search->addAction("&Find Next");
  FindNext1->setShortcut(QKeySequence(Qt::Key_F3));

  connect(Save1, &QAction::triggered, this, [this] { Save1Click(); });
  connect(Print1, &QAction::triggered, this, [this] { Print1Click(); });
  connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
  connect(Undo1, &QAction::triggered, this, [this] { Undo1Click(); });
  connect(Cut1, &QAction::triggered, this, [this] { Cut1Click(); });
  connect(Copy1, &QAction::triggered, this, [this] { Copy1Click(); });
  connect(Paste1, &QAction::triggered, this, [this] { Paste1Click(); });
  connect(Find1, &QAction::triggered, this, [this] { Find1Click(); });
  connect(FindNext1, &QAction::triggered, this, [this] { FindDialog1Find(); });
}

void TVEdit::OpenInEditor(const std::string& file, const std::string& note) {
  const QString text = EditorTextOf(host_.ReadFile(file));
  file_ = file;
  setWindowTitle(kCaptionPrefix + ToQ(file));
  HintLabel->setText(ToQ(note));
  Memo1->setPlainText(text);
  Memo1->document()->setModified(false);
  if (RunsUnattended()) {
    std::fprintf(stderr, "%s%s: %s\n", kCaptionPrefix, file.c_str(), note.c_str());
    std::fflush(stderr);
    return;
  }
  exec();
}

bool TVEdit::Save1Click() {
  try {
    host_.WriteFile(file_, FileTextOf(Memo1->document()->toRawText()));
  } catch (const HostError& error) {
    ShowErrorReport(error);
    return false;
  }
  Memo1->document()->setModified(false);
  StatusPanel->setText(ToQ(file_) + " has been saved.");
  return true;
}

void TVEdit::Print1Click() {
  QPrinter printer;
  printer.setDocName(QString());
  if (!ask_printer(printer)) return;
  Memo1->print(&printer);
}

void TVEdit::Find1Click() {
  FindDialog1->show();
  FindDialog1->raise();
  FindDialog1->activateWindow();
}

void TVEdit::FindDialog1Find() {
  const QString wanted = FindDialog1->FindText->text();
  if (wanted.isEmpty()) {
    Find1Click();
    return;
  }
  FindDialog1->hide();
  const int from = Memo1->textCursor().selectionStart() + 1;
  const qsizetype found = Memo1->toPlainText().indexOf(wanted, from, Qt::CaseInsensitive);
  if (found < 0) {
    QMessageBox box(QMessageBox::NoIcon, "Find", "No more \"" + wanted + "\" found", QMessageBox::Ok);
    ExecMessageBox(box);
    return;
  }
  QTextCursor cursor = Memo1->textCursor();
  cursor.setPosition(static_cast<int>(found));
  cursor.setPosition(static_cast<int>(found + wanted.size()), QTextCursor::KeepAnchor);
  Memo1->setTextCursor(cursor);
  Memo1->ensureCursorVisible();
  Memo1->setFocus();
}

bool TVEdit::FormCloseQuery() {
  if (!Memo1->document()->isModified()) return true;
  QMessageBox box(QMessageBox::NoIcon, "Confirm", "This file has been modified. Save file?",
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  switch (ExecMessageBox(box)) {
    case QMessageBox::Yes:
      return Save1Click();
    case QMessageBox::No:
      return true;
    default:
      return false;
  }
}

void TVEdit::Memo1Change() {
  if (Memo1->document()->isModified()) StatusPanel->setText("Modified");
}

void TVEdit::FormResize() {
  const int top = Panel1->height() - Continue->height() - 10;
  Continue->move((Panel1->width() - Continue->width()) / 2, top);
  HintLabel->setGeometry(8, 8, Panel1->width() - 16, std::max(0, top - 16));
}

void TVEdit::showEvent(QShowEvent* event) {
  StatusPanel->clear();
  FormResize();
  QDialog::showEvent(event);
}

void TVEdit::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  FindDialog1->hide();
  event->accept();
  done(QDialog::Rejected);
}

bool TVEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Panel1 && event->type() == QEvent::Resize) FormResize();
  return QDialog::eventFilter(watched, event);
}

}  // namespace zv
