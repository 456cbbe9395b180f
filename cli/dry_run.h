// What a dry run prints: one line per action on standard output, in the
// order the real run would meet them, and nothing changed.
//   would ask: QUESTION: yes (--yes)       answered by the command line
//   would ask: QUESTION: open (--yes answers yes)
//   would move: ENTRY / would restore: ENTRY / would delete: ENTRY
//   would stay: ENTRY: CAUSE
// The question is the one the real run asks, on one line. A line's last
// part never holds a line break the command line did not give in a name.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include "mapper/engine/mapper.h"
#include "platform/host.h"

namespace zv::cli {

class DryRunLines {
 public:
  explicit DryRunLines(std::ostream& out) : out_(out) {}
  // Prints the question with its answer and answers it: `answered` when the
  // command line answers it (by `flag`), else open, which is a no.
  bool Ask(const std::string& question, bool answered, const char* flag);
  // "would VERB: WHAT", counted as done.
  void Would(const char* verb, const std::string& what);
  // "would stay: WHAT: CAUSE".
  void Stay(const std::string& what, const std::string& cause);

  // The entries or rows a "would VERB" line was printed for.
  std::size_t done() const { return done_; }

 private:
  std::ostream& out_;
  std::size_t done_ = 0;
};

// The question the engine asks before it touches the read-only file `path`:
// `question_key` "*VIO-MOVE?" before a move, "*VIO-DELETE?" before a
// deletion.
std::string ReadOnlyQuestion(const Mapper& m, const std::string& path, const char* question_key);
// The question the engine asks before it makes the missing `folder` (a
// host path ending with "/") for a file moved into it.
std::string MissingFolderQuestion(const Mapper& m, const std::string& folder);

// A host path's key for "the same file": full, "/" between names, upper
// case, as the host finds names without regard to case.
std::string PathKey(Host& host, const std::string& path);

}  // namespace zv::cli
