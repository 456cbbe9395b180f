// A fixture for the trash tests: a fresh program folder with its trash
// store and an ignore list (the removal commands end with a scan), a fresh
// Windows folder, a scripted person, and verbs to install
// files, write a map and read the trash back. Without a message catalogue
// every message text is its bare key ("VIO-DIR").
#pragma once

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mapper/engine/fake_person.h"
#include "mapper/engine/scanner.h"
#include "mapper/trash/trash_log.h"
#include "mapper/trash/trash_store.h"
#include "platform/forwarding_host.h"
#include "platform/text.h"
#include "tests/support/scratch.h"

namespace zv::trash_testing {

using Lines = std::vector<std::string>;
using namespace zv::testing;  // the scratch folder and file helpers

class TrashTest : public ::testing::Test {
 protected:
  TrashTest() : real_(NewPosixHost()), host_(*real_), mapper_(host_, person_) {
    mapper_.program_folder = program_.path();
    mapper_.windows_folder = windows_.path();
    mapper_.main_caption = "Zorvan";
    EXPECT_TRUE(CreateTrashStore(mapper_));
    WriteLines(program_ / kIgnoreListFile, {"\\Temp\\"});
  }

  // A file below the Windows folder ("\" or "/" between names).
  std::string Install(const std::string& relative, const std::string& content = "data") {
    WriteBytes(windows_ / relative, content);
    return windows_ / relative;
  }
  std::string InWindows(const std::string& relative) const { return windows_ / relative; }
  std::string InTrash(const std::string& name) const { return program_ / ("#TRASH/" + name); }
  // Writes "<name>.MAP" with these entries and makes it the current map.
  void Map(const std::string& name, const Lines& entries) {
    Lines lines{"***" + name + "***"};
    lines.insert(lines.end(), entries.begin(), entries.end());
    WriteLines(program_ / (name + ".MAP"), lines);
    mapper_.maps = {{name}, 0};
  }
  Lines Log() const { return ReadLines(program_ / "#TRASH/!TRASH!.DAT"); }
  std::string LogBytes() const { return ReadBytes(program_ / "#TRASH/!TRASH!.DAT"); }
  void SetLog(const Lines& lines) { WriteLines(program_ / "#TRASH/!TRASH!.DAT", lines); }
  // The trashed files, the log left out.
  Lines TrashFiles() const {
    Lines names = ListNames(program_ / "#TRASH");
    std::erase(names, std::string("!TRASH!.DAT"));
    return names;
  }
  static std::string Record(const std::string& n, const std::string& m, const std::string& t, const std::string& p) {
    return RecordLine({n, m, t, p});
  }
  static bool IsReadOnly(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
  }
  std::vector<std::string> NoticeTexts() const {
    std::vector<std::string> texts;
    for (const auto& notice : person_.notices) texts.push_back(notice.text);
    return texts;
  }

  ScratchFolder program_, windows_;
  std::unique_ptr<Host> real_;
  ForwardingHost host_;
  FakePerson person_;
  Mapper mapper_;
};

}  // namespace zv::trash_testing
