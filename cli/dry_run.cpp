#include "cli/dry_run.h"

#include <ostream>

#include "mapper/engine/messages.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

// The engine's questions have a line break between statement and question,
// sometimes with a space after it; a dry run prints each on one line.
std::string OneLine(const std::string& text) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') {
      line += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != ' ') {
      line += ' ';
    }
  }
  return line;
}

}  // namespace

bool DryRunLines::Ask(const std::string& question, bool answered, const char* flag) {
  out_ << "would ask: " << OneLine(question) << ": "
       << (answered ? std::string("yes (") + flag + ")" : std::string("open (") + flag + " answers yes)") << '\n';
  return answered;
}

void DryRunLines::Would(const char* verb, const std::string& what) {
  out_ << "would " << verb << ": " << what << '\n';
  ++done_;
}

void DryRunLines::Stay(const std::string& what, const std::string& cause) {
  out_ << "would stay: " << what << ": " << cause << '\n';
}

std::string ReadOnlyQuestion(const Mapper& m, const std::string& path, const char* question_key) {
  return QuotedPath(path) + " " + LookupMessage(m, "*VIO-FRONLY") + " " + LookupMessage(m, question_key);
}

std::string MissingFolderQuestion(const Mapper& m, const std::string& folder) {
  return LookupMessage(m, "*VIO-DIR") + " " + QuotedPath(folder) + " " + LookupMessage(m, "*VIO-NOTFOUND") + ". " +
         LookupMessage(m, "*VIO-CREADIR?");
}

std::string PathKey(Host& host, const std::string& path) { return UpperAscii(ToHostPath(host.ExpandPath(path))); }

}  // namespace zv::cli
