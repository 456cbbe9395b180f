// The engine's only way to talk to the person at the screen. The windows
// implement it with real dialogs; tests implement it with FakePerson, which
// answers from a queue and records what was shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zv {

// A colour as 0x00BBGGRR, or one of the system colours below.
using Colour = std::uint32_t;
constexpr Colour kButtonFace = 0x8000000F;
constexpr Colour kButtonText = 0x80000012;
constexpr Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>(r & 0xFF) | (static_cast<Colour>(g & 0xFF) << 8) |
         (static_cast<Colour>(b & 0xFF) << 16);
}
constexpr Colour kLime = Rgb(0, 255, 0);

// What the input dialog shows for one request. Its answer is the text of the
// edit field afterwards; an empty answer means the person cancelled.
struct TextRequest {
  std::string caption;
  std::string note;
  std::string text;              // initial text of the edit field
  std::string ok_caption = "OK"; // caption of the OK button while shown
  bool browse = false;           // offer the "..." file picker
};

class Person {
 public:
  virtual ~Person() = default;

  // A box with one OK button. The title "Error" shows the error icon; any
  // other title shows no icon, a leading "&" dropped.
  virtual void ShowNotice(const std::string& title, const std::string& text) = 0;
  // "Please confirm" with Yes and No; true exactly when Yes was pressed.
  virtual bool AskConfirm(const std::string& text) = 0;
  // The larger confirm dialog (OK / No); true exactly when OK was pressed.
  virtual bool ConfirmDialog(const std::string& question) = 0;
  // The guarded operations' question before they touch a read-only file
  // ("... is a read-only file. Move it all the same?"). The windows ask it
  // as any other yes/no question; a person who answers from flags can hold
  // it apart from the others, since it may cost a file its protection.
  virtual bool AskTouchReadOnly(const std::string& text) { return AskConfirm(text); }
  // Runs the input dialog modally and returns its edit field's text; a
  // text left as prefilled comes back as request.text, byte for byte.
  virtual std::string AskText(const TextRequest& request) = 0;
  // Runs the input dialog modally as a list of results: `caption` as its
  // caption, `lines` in the order given in a list over the note, the edit
  // field and Cancel hidden, only OK. The dialog is as before afterwards.
  virtual void ShowResults(const std::string& caption, const std::vector<std::string>& lines) = 0;

  // The status line: status bar, remote window and, while it is visible,
  // the progress window's message line.
  virtual void SetStatus(Colour colour, const std::string& text) = 0;

  // The progress window (the splash window reused).
  virtual void ShowProgress(bool visible) = 0;
  virtual bool ProgressVisible() const = 0;
  virtual void SetProgressCaption(const std::string& caption) = 0;
  virtual void SetProgressMessage(const std::string& message) = 0;
  // Shows or hides the gauge and sets it (0 to 100).
  virtual void SetGauge(bool visible, int percent) = 0;

  // Opens `file` in the built-in text editor, modally, with `note` beside
  // the text telling the person what to do; returns when the editor has
  // closed, whether the person saved the file or not.
  virtual void OpenInEditor(const std::string& file, const std::string& note) = 0;

  // Lets pending window messages run (repaints, the progress window).
  virtual void PumpMessages() = 0;
  // Sets or clears the hourglass cursor; answers whether it was set before.
  virtual bool SetBusy(bool busy) = 0;
  // Whether the main window is showing (false during start-up).
  virtual bool MainWindowVisible() const = 0;
};

}  // namespace zv
