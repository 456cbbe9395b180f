#include "mapper/engine/shell_links.h"

#include "mapper/engine/messages.h"
#include "mapper/engine/guarded.h"
#include "platform/text.h"

namespace zv {
namespace {

constexpr int kStartupFolder = 7;
constexpr int kStartMenuFolder = 11;
constexpr int kShowMaximized = 3;

std::string LinkPath(Mapper& mapper, int folder_id, const std::string& title) {
  const std::string folder = mapper.host.SpecialFolderPath(folder_id);
  return folder.empty() ? std::string() : folder + "/" + title + ".desktop";
}

// The common half of both Options commands; `option` mirrors the link.
void ToggleLink(Mapper& mapper, const std::string& link, bool& option, bool (*add)(Mapper&)) {
  if (LinkExists(mapper, link)) {
    option = false;
    GuardedDelete(mapper, link);
  } else {
    option = true;
    add(mapper);
  }
}

}  // namespace

std::string ProbeLinkPath(Mapper& mapper) { return LinkPath(mapper, kStartupFolder, kProbeLinkTitle); }

std::string ProgramLinkPath(Mapper& mapper) { return LinkPath(mapper, kStartMenuFolder, kProgramLinkTitle); }

bool LinkExists(Mapper& mapper, const std::string& link) { return !link.empty() && mapper.host.FileExists(link); }

bool InstalledMenuEntryExists(Mapper& mapper) { return LinkExists(mapper, mapper.installed_menu_entry); }

bool AddProgramItem(Mapper& mapper, const std::string& command, const std::string& title,
                    const std::string& group) {
  const std::unique_ptr<ServiceConversation> progman = mapper.host.OpenConversation("Progman", "Progman");
  if (!progman) return false;
  const bool grouped = progman->Execute("[CreateGroup(" + group + ")]\r\n");
  const bool added = progman->Execute("[AddItem(" + command + "," + title + ")]\r\n");
  return grouped && added;
}

bool AddProbeLink(Mapper& mapper) {
  const std::string startup = mapper.host.SpecialFolderPath(kStartupFolder);
  return AddProgramItem(mapper, mapper.ProgramsFolder() + "\\Vigilo32.exe", kProbeLinkTitle, LastComponent(startup));
}

bool AddProgramLink(Mapper& mapper) {
  return AddProgramItem(mapper, mapper.ProgramsFolder() + "\\Zorvan32.exe", kProgramLinkTitle, "..");
}

void ToggleProbeLink(Mapper& mapper) {
  ToggleLink(mapper, ProbeLinkPath(mapper), mapper.options.vigilo_on_startup, AddProbeLink);
}

void ToggleProgramLink(Mapper& mapper) {
  ToggleLink(mapper, ProgramLinkPath(mapper), mapper.options.icon1, AddProgramLink);
}

void SetUpFirstRunLinks(Mapper& mapper) {
  const std::string probe = ProbeLinkPath(mapper);
  if (LinkExists(mapper, probe)) GuardedDelete(mapper, probe);
  AddProbeLink(mapper);
  if (InstalledMenuEntryExists(mapper)) return;
  if (mapper.person.ConfirmDialog(LookupMessage(mapper, "*ADDICON?"))) AddProgramLink(mapper);
}

std::string RedirectPage(const std::string& host) {
  return "<html><body bgcolor=0></body><head><meta http-equiv=\"Refresh\" content=\"0; URL=http://" + host +
         "\"></head><font color=blue><h2>CONNECTING to " + host +
         "...</h2>If you browser does not support refresh&nbsp;<a href=http://" + host + ">click here</a></html>";
}

void OpenWebPage(Mapper& mapper, const std::string& host) {
  mapper.host.WriteFile(mapper.ProgramFile(kRedirectPage), RedirectPage(host));
  mapper.host.ShellOpen(mapper.ProgramFile("null.htm"), "", "", kShowMaximized);
}

void OpenHelpPage(Mapper& mapper) { mapper.host.ShellOpen(mapper.SharedFile(kHelpPage), "", "", kShowMaximized); }

}  // namespace zv
