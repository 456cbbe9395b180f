#include "cli/terminal_person.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zv {
namespace {

using namespace std::chrono_literals;

class TerminalPersonTest : public ::testing::Test {
 protected:
  TerminalPerson Make(bool input_terminal, bool error_terminal, bool yes = false) {
    return TerminalPerson({in_, err_, input_terminal, error_terminal, 40}, yes, [this] { return now_; });
  }

  std::istringstream in_;
  std::ostringstream err_;
  std::chrono::steady_clock::time_point now_{};
};

TEST_F(TerminalPersonTest, WithoutATerminalQuestionsAreDeclinedAtOnceAndSayHowToAnswer) {
  TerminalPerson person = Make(false, false);
  in_.str("y\nFoo\n");  // input that is no terminal is never read
  person.SetAnswerHint("give the name: zorvan new-map NAME");
  EXPECT_FALSE(person.AskConfirm("Move it all the same?"));
  EXPECT_EQ(person.AskText({"New map", "12 new entries found. Name it:", "NewMap"}), "");
  EXPECT_TRUE(person.declined());
  EXPECT_TRUE(person.refused());
  const std::string said = err_.str();
  EXPECT_NE(said.find("zorvan: Move it all the same?\n"), std::string::npos) << said;
  EXPECT_NE(said.find("--yes to answer yes"), std::string::npos) << said;
  EXPECT_NE(said.find("zorvan: New map: 12 new entries found. Name it:\n"), std::string::npos) << said;
  EXPECT_NE(said.find("give the name: zorvan new-map NAME"), std::string::npos) << said;
  EXPECT_EQ(in_.tellg(), 0);
}

TEST_F(TerminalPersonTest, FlagsAndQueuedAnswersAnswerWithoutAsking) {
  TerminalPerson person = Make(false, false, /*yes=*/true);
  person.QueueAnswer("Foo");
  EXPECT_TRUE(person.AskConfirm("Delete them for good?"));
  EXPECT_TRUE(person.ConfirmDialog("Create it now?"));
  EXPECT_EQ(person.AskText({"New map", "Name it:", "NewMap"}), "Foo");
  EXPECT_FALSE(person.declined());
  EXPECT_NE(err_.str().find("Delete them for good? yes (--yes)"), std::string::npos) << err_.str();
  // A second text question has no queued answer: --yes does not answer it.
  EXPECT_EQ(person.AskText({"New map", "Name it:", "NewMap"}), "");
  EXPECT_TRUE(person.declined());
  EXPECT_FALSE(person.refused()) << "no yes/no question was answered no";
}

TEST_F(TerminalPersonTest, OnlyForceLetsAReadOnlyFileBeTouched) {
  const std::string question = "\"/w/ro.dat\" is a read-only file.\n Move it all the same?";
  TerminalPerson yes = Make(false, false, /*yes=*/true);
  EXPECT_FALSE(yes.AskTouchReadOnly(question));
  EXPECT_TRUE(yes.declined());
  EXPECT_NE(err_.str().find("run the command again with --force"), std::string::npos) << err_.str();

  TerminalPerson forced = Make(false, false);
  forced.SetForce(true);
  EXPECT_TRUE(forced.AskTouchReadOnly(question));
  EXPECT_FALSE(forced.refused());
  EXPECT_FALSE(forced.AskConfirm("Create it now?")) << "--force answers nothing else";
  EXPECT_NE(err_.str().find("Move it all the same? yes (--force)"), std::string::npos) << err_.str();

  in_.str("y\n");
  TerminalPerson asked = Make(true, true, /*yes=*/true);
  EXPECT_TRUE(asked.AskTouchReadOnly(question)) << "on a terminal the person answers it";
  EXPECT_FALSE(asked.AskTouchReadOnly(question)) << "the end of input answers no";
  EXPECT_TRUE(asked.refused());
  EXPECT_NE(err_.str().find("Move it all the same? [y/N] "), std::string::npos) << err_.str();
}

TEST_F(TerminalPersonTest, OnATerminalTheQuestionIsAskedThere) {
  TerminalPerson person = Make(true, true);
  in_.str("yes\nn\n\nBar\r\n");
  EXPECT_TRUE(person.AskConfirm("Go?"));
  EXPECT_FALSE(person.refused());
  EXPECT_FALSE(person.AskConfirm("Go?"));
  EXPECT_TRUE(person.refused()) << "a typed no is remembered";
  EXPECT_EQ(person.AskText({"New map", "Name it:", "NewMap"}), "NewMap") << "an empty line takes the proposal";
  EXPECT_EQ(person.AskText({"New map", "Name it:", "NewMap"}), "Bar");
  EXPECT_EQ(person.AskText({"New map", "Name it:", "NewMap"}), "") << "the end of input cancels";
  EXPECT_FALSE(person.AskConfirm("Go?"));
  EXPECT_FALSE(person.declined());
  EXPECT_NE(err_.str().find("zorvan: Go? [y/N] "), std::string::npos);
  EXPECT_NE(err_.str().find("zorvan: New map: Name it: [NewMap] "), std::string::npos);
}

TEST_F(TerminalPersonTest, ProgressLineShowsCountAndRateOnlyOnATerminal) {
  {
    TerminalPerson quiet = Make(false, false);
    quiet.ShowProgress(true);
    quiet.SetProgressCaption("Scanning...");
    quiet.SetProgressMessage("4096 entries");
    quiet.ShowProgress(false);
    EXPECT_EQ(err_.str(), "");
  }
  TerminalPerson person = Make(false, true);
  person.ShowProgress(true);
  person.SetProgressCaption("Scanning...");
  now_ += 2s;
  person.SetProgressMessage("8192 entries");
  EXPECT_NE(err_.str().rfind("\rScanning 8192 entries, 4096/s\x1b[K"), std::string::npos)
      << "the window's step name in plain words: " << err_.str();

  // Redrawn at most ten times a second; a notice clears the line first.
  const std::size_t drawn = err_.str().size();
  now_ += 50ms;
  person.SetProgressMessage("8200 entries");
  EXPECT_EQ(err_.str().size(), drawn);
  person.ShowNotice("Error", "the disk is full");
  EXPECT_EQ(err_.str().substr(drawn), "\r\x1b[Kzorvan: error: the disk is full\n");

  // A new step drops the last step's count; the line never grows past the
  // terminal's width, and goes when hidden.
  person.SetProgressCaption("Loading maps...");
  EXPECT_EQ(err_.str().substr(err_.str().rfind('\r')), "\rLoading the maps\x1b[K");
  person.SetProgressCaption("A caption far too long for a terminal of forty columns");
  person.SetGauge(true, 45);
  EXPECT_NE(err_.str().rfind("\rA caption far too long for a terminal o\x1b[K"), std::string::npos) << err_.str();
  person.ShowProgress(false);
  EXPECT_EQ(err_.str().substr(err_.str().size() - 4), "\r\x1b[K");
}

TEST_F(TerminalPersonTest, StatusFeedsTheProgressLineAndIsKept) {
  TerminalPerson person = Make(false, true);
  person.SetStatus(kButtonFace, "Scanning...");
  EXPECT_EQ(err_.str(), "") << "a status alone shows nothing";
  person.ShowProgress(true);
  person.SetProgressCaption("Lightning mapper");
  now_ += 1s;
  person.SetStatus(kLime, " \"Foo\" mapped: 3 new entries found.");
  EXPECT_EQ(person.status(), " \"Foo\" mapped: 3 new entries found.");
  EXPECT_EQ(person.status_colour(), kLime);
  EXPECT_NE(err_.str().find("\rComparing with the maps \"Foo\" mapped"), std::string::npos) << err_.str();
}

}  // namespace
}  // namespace zv
