// A scripted Person for tests: questions are answered from queues (a missing
// answer is a test failure, thrown as std::logic_error), and everything shown
// is recorded in order so tests can assert on it.
#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "mapper/engine/person.h"

namespace zv {

class FakePerson : public Person {
 public:
  struct Notice {
    std::string title, text;
  };
  struct Status {
    Colour colour;
    std::string text;
  };
  struct Results {
    std::string caption;
    std::vector<std::string> lines;
  };
  struct EditorVisit {
    std::string file, note;
  };

  // ---- scripting
  void QueueConfirm(bool yes) { confirms_.push_back(yes); }
  void QueueConfirmDialog(bool ok) { confirm_dialogs_.push_back(ok); }
  void QueueText(const std::string& answer) { texts_.push_back(answer); }
  void SetMainWindowVisible(bool visible) { main_visible_ = visible; }
  // What the person does the next time the editor opens, given the file's
  // path (changing the file stands for saving). Without one queued, the
  // person closes the editor without saving.
  void QueueEdit(std::function<void(const std::string&)> edit) { edits_.push_back(std::move(edit)); }

  // ---- what was shown
  std::vector<Notice> notices;
  std::vector<std::string> confirm_questions;  // AskConfirm and ConfirmDialog texts
  std::vector<TextRequest> text_requests;
  std::vector<Results> results;
  std::vector<EditorVisit> editor_visits;
  std::vector<Status> statuses;
  std::vector<std::string> progress_captions, progress_messages;
  std::vector<int> gauge_values;
  int pumps = 0;
  bool progress_visible = false, gauge_visible = false, busy = false;

  const Status& LastStatus() const {
    if (statuses.empty()) throw std::logic_error("no status was shown");
    return statuses.back();
  }

  // ---- Person
  void ShowNotice(const std::string& title, const std::string& text) override {
    notices.push_back({title, text});
  }
  bool AskConfirm(const std::string& text) override {
    confirm_questions.push_back(text);
    return Take(confirms_, "AskConfirm: " + text);
  }
  bool ConfirmDialog(const std::string& question) override {
    confirm_questions.push_back(question);
    return Take(confirm_dialogs_, "ConfirmDialog: " + question);
  }
  std::string AskText(const TextRequest& request) override {
    text_requests.push_back(request);
    return Take(texts_, "AskText: " + request.caption);
  }
  void ShowResults(const std::string& caption, const std::vector<std::string>& lines) override {
    results.push_back({caption, lines});
  }
  void SetStatus(Colour colour, const std::string& text) override {
    statuses.push_back({colour, text});
    if (progress_visible) progress_messages.push_back(text);
  }
  void ShowProgress(bool visible) override { progress_visible = visible; }
  bool ProgressVisible() const override { return progress_visible; }
  void SetProgressCaption(const std::string& caption) override { progress_captions.push_back(caption); }
  void SetProgressMessage(const std::string& message) override { progress_messages.push_back(message); }
  void SetGauge(bool visible, int percent) override {
    gauge_visible = visible;
    gauge_values.push_back(percent);
  }
  void OpenInEditor(const std::string& file, const std::string& note) override {
    editor_visits.push_back({file, note});
    if (edits_.empty()) return;
    const std::function<void(const std::string&)> edit = std::move(edits_.front());
    edits_.pop_front();
    edit(file);
  }
  void PumpMessages() override { ++pumps; }
  bool SetBusy(bool b) override {
    const bool was = busy;
    busy = b;
    return was;
  }
  bool MainWindowVisible() const override { return main_visible_; }

 private:
  template <typename T>
  static T Take(std::deque<T>& queue, const std::string& what) {
    if (queue.empty()) throw std::logic_error("unscripted question: " + what);
    T value = queue.front();
    queue.pop_front();
    return value;
  }

  std::deque<bool> confirms_, confirm_dialogs_;
  std::deque<std::string> texts_;
  std::deque<std::function<void(const std::string&)>> edits_;
  bool main_visible_ = false;
};

}  // namespace zv
