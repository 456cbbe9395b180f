// The built zorvan started as a process on a fresh program folder (holding
// a link to the built mapper and the language files) and a fresh Windows
// folder, with its locks in a runtime folder of its own.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>

#include "platform/host.h"
#include "tests/support/process.h"
#include "tests/support/scratch.h"

namespace zv::testing {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

struct ZorvanRun {
  std::optional<int> code;  // none when it did not end in time
  std::string out, err;
};

// Every file and folder below `root`, with its kind, permission bits and
// contents (a link: its target).
inline std::map<std::string, std::string> Tree(const std::string& root, const std::string& below = "") {
  std::map<std::string, std::string> tree;
  for (const std::string& name : ListNames(root + below)) {
    const std::string relative = below + "/" + name, path = root + relative;
    struct stat st{};
    ::lstat(path.c_str(), &st);
    const std::string mode = std::to_string(st.st_mode & 07777);
    if (S_ISDIR(st.st_mode)) {
      tree[relative] = "folder " + mode;
      for (auto& [inner, what] : Tree(root, relative)) tree[inner] = what;
    } else if (S_ISLNK(st.st_mode)) {
      char target[256] = {};
      ::readlink(path.c_str(), target, sizeof target - 1);
      tree[relative] = std::string("link ") + target;
    } else {
      tree[relative] = "file " + mode + " " + ReadBytes(path);
    }
  }
  return tree;
}

class ZorvanTest : public ::testing::Test {
 protected:
  ZorvanTest() {
    MakeFolders(runtime_.path());
    LayOutProgramFolder(program_.path());
    WriteBytes(windows_ / "SYSTEM/Foo.dll", "dll");
    WriteBytes(windows_ / "win.ini", "ini");
  }

  std::map<std::string, std::string> Environment() const {
    return ProgramEnvironment(windows_.path(), runtime_.path(), home_.path());
  }

  // zorvan with `args`, on this test's program folder unless the arguments
  // name one, started in the Windows folder's parent; given `typed`, its
  // input is a terminal on which that was typed.
  std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& args, bool own_folder = true,
                                      const std::optional<std::string>& typed = {}) const {
    std::vector<std::string> all = args;
    if (own_folder) all.insert(all.begin(), {"--program-folder", program_.path()});
    return std::make_unique<ChildProcess>(BuiltProgramFolder() + "/zorvan", all, home_.path(), Environment(), typed);
  }

  ZorvanRun Zorvan(const std::vector<std::string>& args, bool own_folder = true) const {
    return Finish(Start(args, own_folder));
  }

  // zorvan with `args` answering its questions on a terminal with the
  // lines `typed`.
  ZorvanRun ZorvanAtTerminal(const std::vector<std::string>& args, const std::string& typed) const {
    return Finish(Start(args, true, typed));
  }

  static ZorvanRun Finish(const std::unique_ptr<ChildProcess>& child) {
    ZorvanRun run;
    run.code = child->WaitExit(60s);
    run.out = child->Output();
    run.err = child->ErrorOutput();
    return run;
  }

  std::unique_ptr<ChildProcess> StartMapper() const {
    return std::make_unique<ChildProcess>(BuiltProgramFolder() + "/Zorvan32", std::vector<std::string>{},
                                          program_.path(),
                                          ProgramEnvironment(windows_.path(), runtime_.path(), home_.path(),
                                                             program_.path()));
  }

  // Settings of this version, so that the mapper asks no first-run question,
  // and a stand-in probe for the one it starts when it closes.
  void PrepareForMapper() {
    WriteLines(program_ / "ZV.INI", {"Zorvan 3.0", "Version=3.0"});
    WriteBytes(program_ / "Vigilo32", "#!/bin/sh\nexit 0\n");
    chmod((program_ / "Vigilo32").c_str(), 0755);
  }

  // The lock of the program folder `folder` taken as the programs take it,
  // in this test's runtime folder, saying `holder` holds it.
  std::unique_ptr<HeldMutex> HoldFolderLock(const std::string& folder, const std::string& holder) {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
    std::unique_ptr<HeldMutex> held = host_->AcquireFolderLock(folder, holder);
    if (saved) {
      ::setenv("XDG_RUNTIME_DIR", saved->c_str(), 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
    return held;
  }

  std::unique_ptr<Host> host_ = NewPosixHost();
  ScratchFolder program_, windows_, home_, runtime_;
};

}  // namespace zv::testing
