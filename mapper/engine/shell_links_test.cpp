#include "mapper/engine/shell_links.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "mapper/engine/fake_person.h"
#include "platform/forwarding_host.h"
#include "platform/posix_test_support.h"
#include "platform/text.h"
#include "tests/support/scratch.h"

namespace zv {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using Lines = std::vector<std::string>;

// Records the shell's open requests instead of starting anything, and the
// program manager commands on their way to the real service (or refuses the
// conversation).
class RecordingHost : public ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;

  class Conversation : public ServiceConversation {
   public:
    Conversation(std::unique_ptr<ServiceConversation> real, Lines& log) : real_(std::move(real)), log_(log) {}
    bool Execute(const std::string& command) override {
      log_.push_back(command);
      return real_->Execute(command);
    }

   private:
    std::unique_ptr<ServiceConversation> real_;
    Lines& log_;
  };

  std::unique_ptr<ServiceConversation> OpenConversation(const std::string& service,
                                                        const std::string& topic) override {
    if (no_service) return nullptr;
    return std::make_unique<Conversation>(ForwardingHost::OpenConversation(service, topic), commands);
  }
  int ShellOpen(const std::string& file, const std::string& params, const std::string& folder,
                int show) override {
    opens.push_back(file + "|" + params + "|" + folder + "|" + std::to_string(show));
    return 42;
  }

  bool no_service = false;
  Lines commands, opens;
};

class ShellLinksTest : public ::testing::Test {
 protected:
  ShellLinksTest() : real_(NewPosixHost()), host_(*real_), mapper_(host_, person_) {
    env_.Set("HOME", home_.path());
    env_.Set("XDG_CONFIG_HOME", home_ / "config");
    env_.Set("XDG_DATA_HOME", home_ / "data");
    mapper_.program_folder = program_ / "my apps";
    WriteBytes(program_ / "my apps/Zorvan32", "#!/bin/sh\n");
    WriteBytes(program_ / "my apps/Vigilo32", "#!/bin/sh\n");
  }

  std::string ProbeLink() { return home_ / "config/autostart/Zorvan - Vigilo probe.desktop"; }
  std::string ProgramLink() { return home_ / "data/applications/Zorvan.desktop"; }

  host_testing::EnvGuard env_;
  ScratchFolder home_, program_;
  std::unique_ptr<Host> real_;
  RecordingHost host_;
  FakePerson person_;
  Mapper mapper_;
};

TEST_F(ShellLinksTest, EachOptionCommandRemovesAnExistingLinkAndFilesAMissingOne) {
  struct Case {
    const char* name;
    void (*toggle)(Mapper&);
    bool Options::*option;
    std::string link;
    std::string program;
  };
  const Case cases[] = {
      {"probe", ToggleProbeLink, &Options::vigilo_on_startup, ProbeLink(), "Vigilo32"},
      {"mapper", ToggleProgramLink, &Options::icon1, ProgramLink(), "Zorvan32"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.toggle(mapper_);
    EXPECT_TRUE(mapper_.options.*c.option);
    ASSERT_TRUE(Exists(c.link));
    EXPECT_NE(ReadBytes(c.link).find("\nExec=\"" + program_.path() + "/my apps/" + c.program + "\"\n"),
              std::string::npos)
        << ReadBytes(c.link);
    EXPECT_NE(ReadBytes(c.link).find("\nPath=" + program_.path() + "/my apps\n"), std::string::npos);

    c.toggle(mapper_);
    EXPECT_FALSE(mapper_.options.*c.option);
    EXPECT_FALSE(Exists(c.link));

    // Removed outside the program, then the option is set again regardless.
    c.toggle(mapper_);
    ASSERT_TRUE(Exists(c.link));
    std::remove(c.link.c_str());
    c.toggle(mapper_);
    EXPECT_TRUE(mapper_.options.*c.option);
    EXPECT_TRUE(Exists(c.link));
  }
  EXPECT_TRUE(person_.notices.empty());
  EXPECT_EQ(host_.commands[0], "[CreateGroup(autostart)]\r\n");
  EXPECT_EQ(host_.commands[1], "[AddItem(" + program_.path() + "/my apps\\Vigilo32.exe,Zorvan - Vigilo probe)]\r\n");
  EXPECT_EQ(host_.commands.back(), "[AddItem(" + program_.path() + "/my apps\\Zorvan32.exe,Zorvan)]\r\n");
}

TEST_F(ShellLinksTest, ARefusedLinkStillSetsTheOptionAndReportsNothing) {
  host_.no_service = true;
  ToggleProbeLink(mapper_);
  EXPECT_TRUE(mapper_.options.vigilo_on_startup);
  EXPECT_FALSE(Exists(ProbeLink()));
  EXPECT_FALSE(AddProgramItem(mapper_, "/bin/true", "True", ".."));
  EXPECT_TRUE(person_.notices.empty());

  host_.no_service = false;
  EXPECT_FALSE(AddProgramItem(mapper_, "/bin/true", "True", "a/b")) << "the group is refused";
  EXPECT_TRUE(AddProgramItem(mapper_, "/bin/true", "True", "Tools"));
  EXPECT_TRUE(Exists(home_ / "data/applications/Tools/True.desktop"));
}

TEST_F(ShellLinksTest, FirstRunRenewsTheProbeLinkAndAddsTheMenuLinkOnYes) {
  WriteBytes(ProbeLink(), "[Desktop Entry]\nType=Application\nName=old\nExec=/old/Vigilo32\n");
  person_.QueueConfirmDialog(false);
  SetUpFirstRunLinks(mapper_);
  EXPECT_EQ(person_.confirm_questions, Lines{"ADDICON?"});
  EXPECT_NE(ReadBytes(ProbeLink()).find("Exec=\"" + program_.path() + "/my apps/Vigilo32\""), std::string::npos);
  EXPECT_FALSE(Exists(ProgramLink()));

  person_.QueueConfirmDialog(true);
  SetUpFirstRunLinks(mapper_);
  ASSERT_TRUE(Exists(ProgramLink()));
  EXPECT_TRUE(LinkExists(mapper_, ProgramLinkPath(mapper_)));
  EXPECT_TRUE(LinkExists(mapper_, ProbeLinkPath(mapper_)));
  EXPECT_TRUE(person_.notices.empty());
}

TEST_F(ShellLinksTest, AnInstalledMapperLinksItsInstalledProgramsAndKeepsToTheInstalledMenuEntry) {
  mapper_.UsePlaces({home_ / "data/zorvan", program_ / "lib", program_ / "share", true,
                     program_ / "applications/zorvan.desktop"});
  WriteBytes(program_ / "lib/Zorvan32", "#!/bin/sh\n");
  WriteBytes(program_ / "lib/Vigilo32", "#!/bin/sh\n");
  testing::MakeFolders(home_ / "data/zorvan");

  // Without the installation's entry (removed by hand) the question comes.
  person_.QueueConfirmDialog(true);
  SetUpFirstRunLinks(mapper_);
  EXPECT_EQ(person_.confirm_questions, Lines{"ADDICON?"});
  EXPECT_NE(ReadBytes(ProbeLink()).find("Exec=" + program_.path() + "/lib/Vigilo32\n"), std::string::npos);
  EXPECT_NE(ReadBytes(ProgramLink()).find("Exec=" + program_.path() + "/lib/Zorvan32\n"), std::string::npos);

  // With it, no second entry is offered; the probe's link is filed still.
  std::remove(ProgramLink().c_str());
  std::remove(ProbeLink().c_str());
  WriteBytes(program_ / "applications/zorvan.desktop", "[Desktop Entry]\n");
  EXPECT_TRUE(InstalledMenuEntryExists(mapper_));
  SetUpFirstRunLinks(mapper_);
  EXPECT_EQ(person_.confirm_questions, Lines{"ADDICON?"});
  EXPECT_FALSE(Exists(ProgramLink()));
  EXPECT_TRUE(Exists(ProbeLink()));

  // The help page comes from the installation, the redirect page goes to
  // the person's own folder.
  OpenHelpPage(mapper_);
  OpenWebPage(mapper_, "zorvan.example.org");
  EXPECT_EQ(host_.opens, (Lines{program_ / "share/Zvhelp.htm|||3", home_ / "data/zorvan/null.htm|||3"}));

  mapper_.UsePlaces({program_.path(), program_.path(), program_.path(), false, {}});
  EXPECT_FALSE(InstalledMenuEntryExists(mapper_));
  EXPECT_EQ(mapper_.ProgramsFile("Vigilo32"), program_ / "Vigilo32");
}

TEST_F(ShellLinksTest, WebPagesGoThroughTheRedirectPageAndHelpOpensThePage) {
  EXPECT_EQ(RedirectPage("zorvan.example.org"),
            "<html><body bgcolor=0></body><head><meta http-equiv=\"Refresh\" content=\"0; "
            "URL=http://zorvan.example.org\"></head><font color=blue><h2>CONNECTING to zorvan.example.org...</h2>"
            "If you browser does not support refresh&nbsp;<a href=http://zorvan.example.org>click here</a></html>");

  mapper_.program_folder = program_.path();
  WriteBytes(program_ / "null.htm", "an older page");
  OpenWebPage(mapper_, "zorvan.example.org");
  EXPECT_EQ(testing::ListNames(program_.path()), (Lines{"my apps", "null.htm"})) << "replaced in place";
  EXPECT_EQ(ReadBytes(program_ / "null.htm"), RedirectPage("zorvan.example.org"));
  OpenWebPage(mapper_, "other.example.org");
  EXPECT_EQ(ReadBytes(program_ / "null.htm"), RedirectPage("other.example.org"));

  OpenHelpPage(mapper_);
  EXPECT_EQ(host_.opens, (Lines{program_ / "null.htm|||3", program_ / "null.htm|||3", program_ / "Zvhelp.htm|||3"}));
}

}  // namespace
}  // namespace zv
