#include "platform/progman_posix.h"

#include <string_view>

#include "platform/posix_support.h"
#include "platform/text.h"

namespace zv::posix {
namespace {

constexpr int kStartupFolder = 7;
constexpr int kStartMenuFolder = 11;
constexpr int kProgramsFolder = 2;

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// A parameter with its surrounding double quotes, if any, removed.
std::string Unquote(std::string_view text) {
  text = Trim(text);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  return std::string(text);
}

bool HasControl(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// A name that stays one entry of its folder and one line of a desktop entry.
bool IsEntryName(std::string_view name) { return IsPlainName(name) && !HasControl(name); }

// A value escaped as desktop entries want every string value.
std::string EscapeValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (c == ' ' && i == 0) out += "\\s";
    else out += c;
  }
  return out;
}

bool NeedsQuotes(std::string_view argument) {
  return argument.empty() || argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string_view::npos;
}

class ProgmanConversation : public ServiceConversation {
 public:
  explicit ProgmanConversation(Host& host) : host_(host) {}

  bool Execute(const std::string& command) override {
    std::string_view text = Trim(command);
    if (text.size() < 2 || text.front() != '[' || text.back() != ']') return false;
    text = Trim(text.substr(1, text.size() - 2));
    const std::size_t open = text.find('(');
    if (open == std::string_view::npos || text.back() != ')') return false;
    const std::string_view verb = Trim(text.substr(0, open));
    const std::string_view parameters = text.substr(open + 1, text.size() - open - 2);
    try {
      if (EqualsNoCase(verb, "CreateGroup")) return CreateGroup(Unquote(parameters));
      if (EqualsNoCase(verb, "AddItem")) return AddItem(parameters);
    } catch (const HostError&) {
      // A folder or entry that cannot be written: the command fails.
    }
    return false;
  }

 private:
  bool CreateGroup(const std::string& name) {
    std::string folder;
    const std::string startup = host_.SpecialFolderPath(kStartupFolder);
    if (!startup.empty() && EqualsNoCase(name, LastComponent(startup))) {
      folder = startup;
    } else if (name == "..") {
      folder = host_.SpecialFolderPath(kStartMenuFolder);
    } else if (IsEntryName(name)) {
      const std::string programs = host_.SpecialFolderPath(kProgramsFolder);
      if (!programs.empty()) folder = JoinHost(programs, name);
    }
    if (folder.empty() || !host_.MakeDirs(folder)) return false;
    group_ = folder;
    return true;
  }

  // "command,title": the title is the text after the last comma outside
  // double quotes, so that a command whose folder holds a comma still
  // reaches the right program.
  bool AddItem(std::string_view parameters) {
    std::size_t comma = std::string_view::npos;
    bool quoted = false;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
      if (parameters[i] == '"') quoted = !quoted;
      if (parameters[i] == ',' && !quoted) comma = i;
    }
    if (group_.empty() || comma == std::string_view::npos) return false;
    const std::string command = Unquote(parameters.substr(0, comma));
    const std::string title = Unquote(parameters.substr(comma + 1));
    if (command.empty() || !IsEntryName(title)) return false;

    const std::string given = ResolveCase(host_.ExpandPath(command));
    std::string program = ResolveCase(WithoutExe(given));
    if (!host_.FileExists(program) && host_.FileExists(given)) program = given;
    const std::string icon = program + ".png";
    host_.WriteFile(JoinHost(group_, title + ".desktop"),
                    DesktopEntry(title, program, host_.FileExists(icon) ? icon : std::string()));
    return true;
  }

  Host& host_;
  std::string group_;
};

}  // namespace

std::string ExecValue(const std::vector<std::string>& arguments) {
  std::string exec;
  for (const std::string& argument : arguments) {
    if (!exec.empty()) exec += ' ';
    const bool quote = NeedsQuotes(argument);
    if (quote) exec += '"';
    for (const char c : argument) {
      if (c == '%') {
        exec += "%%";
        continue;
      }
      if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) exec += '\\';
      exec += c;
    }
    if (quote) exec += '"';
  }
  return EscapeValue(exec);
}

std::string DesktopEntry(const std::string& title, const std::string& program, const std::string& icon) {
  std::string entry = "[Desktop Entry]\nType=Application\n";
  entry += "Name=" + EscapeValue(title) + "\n";
  entry += "Exec=" + ExecValue({program}) + "\n";
  entry += "Path=" + EscapeValue(ParentFolder(program)) + "\n";
  if (!icon.empty()) entry += "Icon=" + EscapeValue(icon) + "\n";
  return entry;
}

std::unique_ptr<ServiceConversation> OpenProgman(Host& host) { return std::make_unique<ProgmanConversation>(host); }

}  // namespace zv::posix
