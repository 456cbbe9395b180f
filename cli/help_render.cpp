// The help document as terminal text and as a roff manual page.
#include <sstream>

#include "cli/formats.h"
#include "cli/help.h"
#include "platform/text.h"

namespace zv::cli {
namespace {

// The words of `text` in lines of at most `width` columns (a longer word
// stands alone on its line).
std::vector<std::string> Wrap(const std::string& text, std::size_t width) {
  std::vector<std::string> lines;
  std::istringstream words(text);
  std::string word, line;
  while (words >> word) {
    if (!line.empty() && Columns(line) + 1 + Columns(word) > width) {
      lines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void AppendWrapped(std::string& out, const std::string& text, std::size_t indent, std::size_t width) {
  const std::size_t room = width > indent + 20 ? width - indent : 20;
  for (const std::string& line : Wrap(text, room)) out += std::string(indent, ' ') + line + "\n";
}

// roff text: backslashes and hyphens escaped, no line read as a request.
std::string Roff(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  if (!out.empty() && (out.front() == '.' || out.front() == '\'')) out.insert(0, "\\&");
  return out;
}

std::string RoffTitle(const std::string& title) {
  std::string quoted;
  for (char c : Roff(title)) quoted += c == '"' ? std::string("\\(dq") : std::string(1, c);
  return "\"" + quoted + "\"";
}

}  // namespace

std::string RenderText(const HelpDocument& document, std::size_t width) {
  constexpr std::size_t kTermColumn = 26;
  std::string out;
  for (const HelpSection& section : document) {
    if (!out.empty()) out += "\n";
    const std::size_t indent = section.title.empty() ? 0 : 2 * static_cast<std::size_t>(section.level);
    if (!section.title.empty()) out += std::string(indent - 2, ' ') + section.title + ":\n";
    for (std::size_t i = 0; i < section.paragraphs.size(); ++i) {
      if (i > 0) out += "\n";
      AppendWrapped(out, section.paragraphs[i], indent, width);
    }
    if (!section.items.empty() && !section.paragraphs.empty()) out += "\n";
    const std::size_t item_indent = indent == 0 ? 2 : indent;
    for (const HelpItem& item : section.items) {
      const std::string term = std::string(item_indent, ' ') + item.term;
      const std::vector<std::string> lines = Wrap(item.text, width - kTermColumn);
      std::size_t first = 0;
      if (Columns(term) + 2 <= kTermColumn && !lines.empty()) {
        out += term + std::string(kTermColumn - Columns(term), ' ') + lines[0] + "\n";
        first = 1;
      } else {
        out += term + "\n";
      }
      for (std::size_t i = first; i < lines.size(); ++i) out += std::string(kTermColumn, ' ') + lines[i] + "\n";
    }
    if (!section.examples.empty()) {
      out += "\n" + std::string(item_indent, ' ') + "Examples:\n";
      for (const std::string& example : section.examples) out += std::string(item_indent + 2, ' ') + example + "\n";
    }
  }
  return out;
}

std::string RenderManPage(const HelpDocument& document, const std::string& version) {
  std::string out = ".TH ZORVAN 1 \"\" \"Zorvan " + Roff(version) + "\" \"User Commands\"\n";
  for (const HelpSection& section : document) {
    if (!section.title.empty()) {
      out += (section.level == 1 ? ".SH " + RoffTitle(UpperAscii(section.title)) : ".SS " + RoffTitle(section.title));
      out += "\n";
    }
    for (const std::string& paragraph : section.paragraphs) out += ".PP\n" + Roff(paragraph) + "\n";
    for (const HelpItem& item : section.items) {
      out += ".TP\n\\fB" + Roff(item.term) + "\\fR\n" + Roff(item.text) + "\n";
    }
    if (!section.examples.empty()) {
      out += ".PP\nExamples:\n.RS\n.nf\n";
      for (const std::string& example : section.examples) out += Roff(example) + "\n";
      out += ".fi\n.RE\n";
    }
  }
  return out;
}

}  // namespace zv::cli
