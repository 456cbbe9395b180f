// The person as a terminal program meets them. Notices, questions and the
// progress line go to standard error, so standard output carries only what
// the command was asked for. Questions are answered by the command line:
// yes/no questions by --yes, text questions by answers the command queues
// (a map's name). Only when standard input is a terminal is the person
// asked there; otherwise an unanswered question is declined at once, with
// a line saying how to answer it next time, and never waits for input. The
// progress window becomes one line that rewrites itself (its caption, its
// message with a count and the count's rate, the gauge), shown only when
// standard error is a terminal that can redraw a line (error_is_terminal),
// with the engine's step captions said in plain words.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "mapper/engine/person.h"

namespace zv {

class TerminalPerson : public Person {
 public:
  struct Terminal {
    std::istream& in;
    std::ostream& err;
    bool input_is_terminal = false;
    bool error_is_terminal = false;
    int columns = 80;
  };
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // `yes`: every yes/no question is answered yes, but the one before a
  // read-only file is touched (AskTouchReadOnly), which SetForce answers.
  TerminalPerson(Terminal terminal, bool yes, Clock clock = std::chrono::steady_clock::now);
  ~TerminalPerson() override;

  // `force`: read-only files may be touched (the question is answered yes).
  void SetForce(bool force) { force_ = force; }

  // The answer to the next text question, taken instead of asking.
  void QueueAnswer(const std::string& text) { answers_.push_back(text); }
  // What to do to answer a text question that cannot be asked ("give the
  // map's name: zorvan new-map NAME"); shown when one is declined.
  void SetAnswerHint(const std::string& hint) { answer_hint_ = hint; }
  // True once a question was declined because nobody could be asked.
  bool declined() const { return declined_; }
  // True once a yes/no question was answered no, whether typed, met with
  // the end of input or declined.
  bool refused() const { return refused_; }
  // The status line as the engine last left it.
  const std::string& status() const { return status_; }
  Colour status_colour() const { return status_colour_; }

  // Writes "zorvan: " + text on standard error as a line of its own.
  void Say(const std::string& text);
  // Clears the progress line, so that something else can write to the
  // terminal; it comes back with the next change of progress.
  void ClearProgressLine();

  void ShowNotice(const std::string& title, const std::string& text) override;
  bool AskConfirm(const std::string& text) override;
  bool ConfirmDialog(const std::string& question) override;
  // Answered by --force alone: --yes leaves read-only files as they are.
  bool AskTouchReadOnly(const std::string& text) override;
  std::string AskText(const TextRequest& request) override;
  // The caption and then each line, as notices are said.
  void ShowResults(const std::string& caption, const std::vector<std::string>& lines) override;
  // A terminal has no built-in editor: says which file the person may edit
  // with one of their own, and what the note asks, and leaves it unchanged.
  void OpenInEditor(const std::string& file, const std::string& note) override;
  void SetStatus(Colour colour, const std::string& text) override;
  void ShowProgress(bool visible) override;
  bool ProgressVisible() const override { return progress_visible_; }
  void SetProgressCaption(const std::string& caption) override;
  void SetProgressMessage(const std::string& message) override;
  void SetGauge(bool visible, int percent) override;
  void PumpMessages() override { DrawProgress(false); }
  bool SetBusy(bool busy) override;
  // The terminal is the window the person watches: the engine's reports
  // that need a visible window are shown.
  bool MainWindowVisible() const override { return true; }

 private:
  // A yes/no question: yes when `answered` (said with `flag`), else asked
  // on the terminal, else declined with `how` said. A no is remembered.
  bool AskYesNo(const std::string& question, bool answered, const char* flag, const std::string& how);
  // Reads one line of the terminal's input; false at its end.
  bool ReadAnswer(std::string* line);
  void Decline(const std::string& how);
  // Redraws the progress line; unless `now`, at most ten times a second.
  void DrawProgress(bool now);
  std::string ProgressText();

  Terminal terminal_;
  bool yes_;
  bool force_ = false;
  Clock clock_;
  std::deque<std::string> answers_;
  std::string answer_hint_;
  bool declined_ = false;
  bool refused_ = false;
  bool busy_ = false;
  std::string status_;
  Colour status_colour_ = kButtonFace;

  bool progress_visible_ = false;
  bool line_shown_ = false;
  std::string caption_, message_;
  bool gauge_visible_ = false;
  int gauge_ = 0;
  // When the step whose count the message shows began, for its rate.
  std::chrono::steady_clock::time_point counting_since_{};
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace zv
