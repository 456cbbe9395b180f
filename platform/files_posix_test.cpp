#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/posix_test_support.h"

namespace zv {
namespace {

using host_testing::InChild;
using host_testing::ModeOf;
using host_testing::Names;
using host_testing::PosixHostTest;

constexpr FileRules kNoLinks{.follow_link = false};
constexpr FileRules kPlainData{.follow_link = false, .plain_data = true};

// The message of the RefusedFileError that `call` throws, or a failure
// text; run in a child process that a blocked read cannot hang: the alarm
// ends it.
std::string RefusalOf(const std::function<void()>& call) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return "no pipe";
  const int code = InChild([&] {
    ::alarm(5);
    std::string what = "nothing was refused";
    try {
      call();
    } catch (const RefusedFileError& e) {
      what = e.what();
    } catch (const std::exception& e) {
      what = std::string("another error: ") + e.what();
    }
    const ssize_t written = ::write(pipe_fds[1], what.data(), what.size());
    return written == static_cast<ssize_t>(what.size()) ? 0 : 1;
  });
  ::close(pipe_fds[1]);
  std::string what;
  char buffer[512];
  for (ssize_t got; (got = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;) what.append(buffer, got);
  ::close(pipe_fds[0]);
  return code == 0 ? what : "the call blocked or crashed";
}

bool Mentions(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Only regular files are read: a named pipe or a device is refused at once,
// a folder as before; a link is followed unless the rules say not to.
TEST_F(PosixHostTest, OnlyRegularFilesAreReadAndNothingBlocks) {
  ASSERT_EQ(::mkfifo(Path("pipe.MAP").c_str(), 0600), 0);
  Put("real", "content");
  ::symlink("real", Path("link").c_str());
  ::mkdir(Path("folder").c_str(), 0777);

  const struct {
    std::string name, path;
    std::function<void()> call;
    std::string refusal;  // empty: read
  } cases[] = {
      {"pipe", Path("pipe.MAP"), [&] { host_->ReadFile(Path("pipe.MAP")); }, "named pipe"},
      {"pipe, case resolved", Path("PIPE.map"), [&] { host_->ReadFile(Path("PIPE.map")); }, "named pipe"},
      {"device", "/dev/zero", [&] { host_->ReadFile("/dev/zero"); }, "device"},
      {"device, limited", "/dev/zero", [&] { host_->ReadOwnFile("/dev/zero", {.max_bytes = 100}); }, "device"},
      {"folder", Path("folder"), [&] { host_->ReadFile(Path("folder")); }, "Is a directory"},
      {"link not followed", Path("link"), [&] { host_->ReadOwnFile(Path("link"), kNoLinks); }, "symbolic link"},
      {"link followed", "", [&] { EXPECT_EQ(host_->ReadOwnFile(Path("link"), {}), "content"); }, ""},
      {"plain read of a link", "", [&] { EXPECT_EQ(host_->ReadFile(Path("link")), "content"); }, ""},
  };
  for (const auto& c : cases) {
    const std::string what = RefusalOf(c.call);
    if (c.refusal.empty()) {
      EXPECT_EQ(what, "nothing was refused") << c.name;
    } else {
      EXPECT_TRUE(Mentions(what, c.path + ": ") && Mentions(what, c.refusal)) << c.name << ": " << what;
    }
  }
  EXPECT_THROW(host_->ReadOwnFile(Path("missing"), kNoLinks), HostError);
}

TEST_F(PosixHostTest, FilesOverTheLimitAreRefusedWithAClearMessage) {
  Put("small", std::string(10, 's'));
  Put("big", std::string(11, 'b'));
  EXPECT_EQ(host_->ReadOwnFile(Path("small"), {.max_bytes = 10}), std::string(10, 's'));
  try {
    host_->ReadOwnFile(Path("big"), {.max_bytes = 10});
    ADD_FAILURE() << "a file over the limit was read";
  } catch (const RefusedFileError& e) {
    EXPECT_EQ(std::string(e.what()), Path("big") + ": larger than 10 bytes, more than such a file can hold");
  }
  EXPECT_EQ(host_->ReadOwnFile(Path("big"), {}), std::string(11, 'b'));
  EXPECT_EQ(kSmallFileLimit, 16u * 1024 * 1024);
  const std::string what = RefusalOf([&] { host_->ReadOwnFile("/dev/zero", {.max_bytes = kSmallFileLimit}); });
  EXPECT_TRUE(Mentions(what, "device")) << what;
}

// Writes that follow no link never reach outside through one and never
// replace a pipe or a device; plain data never replaces a program and
// never carries a run bit.
TEST_F(PosixHostTest, WritesUnderRulesRefuseLinksSpecialFilesAndPrograms) {
  Put("outside", "outside");
  ::symlink("outside", Path("link.MAP").c_str());
  ASSERT_EQ(::mkfifo(Path("pipe.MAP").c_str(), 0600), 0);
  Put("program", "#!/bin/sh\n");
  ::chmod(Path("program").c_str(), 0755);
  ::symlink("program", Path("program-link").c_str());
  Put("private", "old");
  ::chmod(Path("private").c_str(), 0640);

  const struct {
    std::string name;
    FileRules rules;
    std::string refusal;
  } refused[] = {
      {"link.MAP", kNoLinks, "symbolic link"},
      {"pipe.MAP", kNoLinks, "named pipe"},
      {"program", kPlainData, "program"},
      {"PROGRAM", kPlainData, "program"},
      {"program-link", {.plain_data = true}, "program"},
  };
  for (const auto& c : refused) {
    const std::string what = RefusalOf([&] { host_->WriteOwnFile(Path(c.name), "new", c.rules); });
    EXPECT_TRUE(Mentions(what, Path(c.name) + ": ") && Mentions(what, c.refusal)) << c.name << ": " << what;
  }
  EXPECT_EQ(Get("outside"), "outside");
  EXPECT_EQ(Get("program"), "#!/bin/sh\n");
  EXPECT_EQ(ModeOf(Path("program")), 0755u);

  host_->WriteOwnFile(Path("private"), "new", kPlainData);
  EXPECT_EQ(Get("private"), "new");
  EXPECT_EQ(ModeOf(Path("private")), 0640u);
  host_->WriteOwnFile(Path("fresh"), "new", kPlainData);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(ModeOf(Path("fresh")), 0666u & ~mask);
  host_->WriteOwnFile(Path("program"), "replaced", {});  // without the rule, as WriteFile
  EXPECT_EQ(ModeOf(Path("program")), 0755u);
  EXPECT_EQ(NamesIn(), (Names{"fresh", "link.MAP", "outside", "pipe.MAP", "private", "program", "program-link"}));
}

}  // namespace
}  // namespace zv
