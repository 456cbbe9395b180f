#include "cli/terminal_person.h"

#include <istream>
#include <ostream>

#include "platform/text.h"

namespace zv {
namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

// The whole number a message begins with ("4096 entries"), or -1.
long long LeadingCount(const std::string& message) {
  long long count = 0;
  std::size_t i = 0;
  for (; i < message.size() && message[i] >= '0' && message[i] <= '9' && i < 18; ++i) {
    count = count * 10 + (message[i] - '0');
  }
  return i == 0 ? -1 : count;
}

// The engine names its steps as its windows show them; the terminal says
// them in plain words.
std::string TerminalCaption(const std::string& caption) {
  static const std::pair<const char*, const char*> kWords[] = {
      {"Lightning mapper", "Comparing with the maps"},
      {"Loading maps...", "Loading the maps"},
      {"Refreshing tree...", "Scanning"},
      {"Refreshing...", "Scanning"},
      {"Scanning...", "Scanning"},
      {"Searching...", "Searching"},
  };
  for (const auto& [window, terminal] : kWords) {
    if (caption == window) return terminal;
  }
  return caption;
}

}  // namespace

TerminalPerson::TerminalPerson(Terminal terminal, bool yes, Clock clock)
    : terminal_(terminal), yes_(yes), clock_(std::move(clock)) {}

TerminalPerson::~TerminalPerson() { ClearProgressLine(); }

void TerminalPerson::Say(const std::string& text) {
  ClearProgressLine();
  terminal_.err << "zorvan: " << text << '\n' << std::flush;
}

void TerminalPerson::ClearProgressLine() {
  if (!line_shown_) return;
  terminal_.err << "\r\x1b[K" << std::flush;
  line_shown_ = false;
}

void TerminalPerson::ShowNotice(const std::string& title, const std::string& text) {
  Say(title == "Error" ? "error: " + text : text);
}

void TerminalPerson::ShowResults(const std::string& caption, const std::vector<std::string>& lines) {
  Say(caption);
  for (const std::string& line : lines) Say(line);
}

void TerminalPerson::OpenInEditor(const std::string& file, const std::string& note) {
  Say("edit " + DisplayPath(file) + " with a text editor of yours if you wish: " + note);
}

constexpr const char* kAnswerYes = "run the command again with --yes to answer yes";

bool TerminalPerson::AskConfirm(const std::string& text) { return AskYesNo(text, yes_, "--yes", kAnswerYes); }

bool TerminalPerson::ConfirmDialog(const std::string& question) {
  return AskYesNo(question, yes_, "--yes", kAnswerYes);
}

bool TerminalPerson::AskTouchReadOnly(const std::string& text) {
  return AskYesNo(text, force_, "--force",
                  "the file stays as it is; run the command again with --force to let it touch read-only files");
}

bool TerminalPerson::AskYesNo(const std::string& question, bool answered, const char* flag, const std::string& how) {
  if (answered) {
    Say(question + " yes (" + flag + ")");
    return true;
  }
  if (!terminal_.input_is_terminal) {
    Say(question);
    Decline("there is no terminal to answer this question, so the answer is no; " + how);
    refused_ = true;
    return false;
  }
  ClearProgressLine();
  terminal_.err << "zorvan: " << question << " [y/N] " << std::flush;
  std::string answer;
  const bool yes = ReadAnswer(&answer) && (EqualsNoCase(answer, "y") || EqualsNoCase(answer, "yes"));
  if (!yes) refused_ = true;
  return yes;
}

std::string TerminalPerson::AskText(const TextRequest& request) {
  if (!answers_.empty()) {
    std::string answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  const std::string question = request.caption.empty() ? request.note : request.caption + ": " + request.note;
  if (!terminal_.input_is_terminal) {
    Say(question);
    Decline("there is no terminal to answer this question, so it is left unanswered" +
            (answer_hint_.empty() ? std::string() : "; " + answer_hint_));
    return {};
  }
  ClearProgressLine();
  terminal_.err << "zorvan: " << question << " [" << request.text << "] " << std::flush;
  std::string answer;
  if (!ReadAnswer(&answer)) return {};  // the end of input cancels, as the Cancel button
  return answer.empty() ? request.text : answer;
}

bool TerminalPerson::ReadAnswer(std::string* line) {
  if (!std::getline(terminal_.in, *line)) {
    terminal_.err << '\n' << std::flush;
    return false;
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

void TerminalPerson::Decline(const std::string& how) {
  declined_ = true;
  Say(how);
}

void TerminalPerson::SetStatus(Colour colour, const std::string& text) {
  status_ = text;
  status_colour_ = colour;
  if (progress_visible_) SetProgressMessage(text);
}

void TerminalPerson::ShowProgress(bool visible) {
  progress_visible_ = visible;
  if (visible) {
    DrawProgress(true);
  } else {
    ClearProgressLine();
  }
}

void TerminalPerson::SetProgressCaption(const std::string& caption) {
  // A new caption starts a new step: the last step's message and count no
  // longer describe it, and its rate counts from now.
  caption_ = TerminalCaption(caption);
  message_.clear();
  counting_since_ = clock_();
  DrawProgress(true);
}

void TerminalPerson::SetProgressMessage(const std::string& message) {
  message_ = message;
  DrawProgress(false);
}

void TerminalPerson::SetGauge(bool visible, int percent) {
  gauge_visible_ = visible;
  gauge_ = percent;
  DrawProgress(false);
}

bool TerminalPerson::SetBusy(bool busy) {
  const bool was = busy_;
  busy_ = busy;
  return was;
}

std::string TerminalPerson::ProgressText() {
  std::string text = caption_;
  const std::size_t first = message_.find_first_not_of(' ');
  const std::string message = first == std::string::npos ? std::string() : message_.substr(first);
  if (!message.empty()) text += (text.empty() ? "" : " ") + message;
  const long long count = LeadingCount(message);
  const double seconds = std::chrono::duration<double>(clock_() - counting_since_).count();
  if (count > 0 && seconds > 0) {
    text += ", " + std::to_string(static_cast<long long>(static_cast<double>(count) / seconds)) + "/s";
  }
  if (gauge_visible_) text += " " + std::to_string(gauge_) + "%";
  return text;
}

void TerminalPerson::DrawProgress(bool now) {
  if (!terminal_.error_is_terminal || !progress_visible_) return;
  const auto time = clock_();
  if (!now && line_shown_ && time - last_draw_ < kRedrawEvery) return;
  last_draw_ = time;
  const std::size_t width = terminal_.columns > 1 ? static_cast<std::size_t>(terminal_.columns - 1) : 1;
  terminal_.err << '\r' << CutAtCharacters(ProgressText(), 0, width) << "\x1b[K" << std::flush;
  line_shown_ = true;
}

}  // namespace zv
