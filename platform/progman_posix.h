// The program manager service "Progman" on a Linux desktop: its groups are
// folders of desktop entries (autostart, the applications menu), and an item
// is a desktop entry that starts a program in its own folder.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/host.h"

namespace zv::posix {

// A conversation with the service; `host` writes the entries (atomically)
// and must outlive the conversation.
std::unique_ptr<ServiceConversation> OpenProgman(Host& host);

// The desktop entry that starts `program` (an absolute host path) in its
// folder, named `title`, with `icon` (an absolute path, or empty for none).
// Lines end with LF, as desktop entries must.
std::string DesktopEntry(const std::string& title, const std::string& program, const std::string& icon);

// An Exec value for `arguments`: each argument that holds a character the
// desktop entry rules reserve is double-quoted with `"`, `` ` ``, `$` and `\`
// escaped, every "%" doubled, and then the value escaped as every string
// value is (so one literal backslash becomes four).
std::string ExecValue(const std::vector<std::string>& arguments);

}  // namespace zv::posix
