// The mapper and the desktop shell: links to the mapper and the probe in the
// Start Menu and the Startup folder (filed through the shell's program
// manager service), the help page, and web pages opened through a small
// local redirect page.
#pragma once

#include <string>

#include "mapper/engine/mapper.h"

namespace zv {

inline constexpr char kProbeLinkTitle[] = "Zorvan - Vigilo probe";
inline constexpr char kProgramLinkTitle[] = "Zorvan";
inline constexpr char kRedirectPage[] = "NULL.htm";
inline constexpr char kHelpPage[] = "Zvhelp.htm";

// Where the probe's Startup link and the mapper's Start Menu link live: the
// folder the host names (Startup 7, Start Menu 11), "/", the title and
// ".desktop". Empty when the host has no such folder.
std::string ProbeLinkPath(Mapper& mapper);
std::string ProgramLinkPath(Mapper& mapper);
// Whether a link path above names an existing file (false for an empty one).
bool LinkExists(Mapper& mapper, const std::string& link);
// Whether the installation's own menu entry for the mapper exists; the
// person's own link would then be a second entry for the same program.
bool InstalledMenuEntryExists(Mapper& mapper);

// The programs the links start are those of Mapper::ProgramsFolder.
// Files a link that starts `command` under `title` in `group`: opens a
// conversation with the program manager service "Progman" and sends
// "[CreateGroup(group)]" and "[AddItem(command,title)]", each ended with
// CR LF. True only when the service accepted both; nothing is reported.
bool AddProgramItem(Mapper& mapper, const std::string& command, const std::string& title,
                    const std::string& group);

// The probe's link in the Startup group (named like the Startup folder's
// last component) and the mapper's link in the Start Menu (group "..").
bool AddProbeLink(Mapper& mapper);
bool AddProgramLink(Mapper& mapper);

// The Options commands: when the link exists, the option is cleared and the
// link deleted with GuardedDelete (which asks about a read-only link and
// reports a failure); otherwise the option is set and the link filed. The
// option is set before, and regardless of, the outcome; the next start
// recomputes it from the files.
void ToggleProbeLink(Mapper& mapper);    // options.vigilo_on_startup
void ToggleProgramLink(Mapper& mapper);  // options.icon1

// The first run's links: an existing probe link is deleted (GuardedDelete)
// and filed anew; then, unless the installation's menu entry exists, the
// person is asked "*ADDICON?" and, on yes, the mapper's link is filed.
void SetUpFirstRunLinks(Mapper& mapper);

// The redirect page for a host: an HTML page that sends the browser on to
// "http://" + host at once, with a link for browsers that do not.
std::string RedirectPage(const std::string& host);
// Writes the redirect page for `host` to "NULL.htm" in the program folder,
// replacing any earlier one, and opens it with the desktop's browser (the
// result is not examined). The page stays until the mapper closes. Throws
// HostError when the page cannot be written.
void OpenWebPage(Mapper& mapper, const std::string& host);
// Opens the help page "Zvhelp.htm" (Mapper::SharedFile) with the desktop's
// browser; the result is not examined.
void OpenHelpPage(Mapper& mapper);

}  // namespace zv
