// The trash store: the folder "#TRASH" with its log, and putting map entries
// into it. A file goes into the trash under the name "DEL" + n + its own
// name; a mapped folder is removed once it is empty. Each gets one record in
// the log, with the name of the current map.
//
// Crash safety. A file's record is added to the end of the log and flushed
// to disk before the file moves, and a folder's before it is removed; a
// record whose move then fails is taken out again when the session rewrites
// the log whole and sorted at its end (temporary file, flush, rename). So a
// process killed at any moment leaves every file either in place or in the
// trash with its record; a record whose file never reached the trash is one
// the trash manager drops when it tidies. The records of a run of files are
// added with one flushed write and then their files move, so that the disk
// is flushed once per run rather than once per file; a run ends before any
// box is shown, so questions and notices come in the order of the entries.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "mapper/engine/mapper.h"
#include "mapper/engine/guarded.h"
#include "mapper/trash/safe_paths.h"

namespace zv {

// Start-up's step: creates "#TRASH" in the program folder and, when nothing
// of the log's name exists, the log holding the line "***TrashManager 2.0***".
// False, after the notice "Cannot create #TRASH folder" titled "Error", when
// the folder can be neither created nor found; the caller then ends the
// program. Throws HostError when the log cannot be written.
bool CreateTrashStore(Mapper& mapper);

// Why an entry stayed where it was.
enum class StayCause {
  kRefused,         // it leaves the Windows folder, or lies below a symbolic link
  kDeclined,        // a read-only file whose move was declined
  kMoveFailed,      // the move itself failed
  kFolderNotEmpty,  // a folder that still holds something
  kLogFailed,       // the log could not be written, so nothing more moved
  kOtherCase,       // on disk only in another letter case, which may be another's name
};
struct TrashStay {
  std::string entry;   // as given to TrashSession::Add
  StayCause cause;
  std::string reason;  // the system's words, where known
};

// Puts entries of the current map into the trash, one after another, as one
// piece of work. The log is read when the first entry needs it. Numbers of
// trashed names: n is the smallest from 0 up such that "DEL" + n + name
// (case ignored) names no file of the trash and no record of the log, so a
// record left behind by a crash is never mistaken for a new file's. Where
// "DEL" + n + name would pass the 255 bytes a name may have, the trashed
// name is "DEL" + n + "~" + the end of the name that fits. When the trash
// folder cannot be listed, nothing is put into it (said once).
class TrashSession {
 public:
  explicit TrashSession(Mapper& mapper);
  TrashSession(const TrashSession&) = delete;
  TrashSession& operator=(const TrashSession&) = delete;

  // Puts one entry (a file entry, or a folder entry "<DIR> " + path, as the
  // map and the file list hold it) into the trash:
  // - an entry that is absolute, climbs out with "..", or lies below a
  //   symbolic link is refused with a notice and nothing is touched;
  // - an entry is found in another letter case only when it cannot be the
  //   twin of the file it names (OtherCaseRule);
  // - an existing file moves to "#TRASH" through the guarded move's
  //   questions; when it cannot, "Cannot trash " + name (titled "Error");
  // - an existing folder is removed when empty, else the not-empty notice;
  // - anything missing is skipped without a word.
  // The move itself may be held back with others until the next box, the
  // run's end or Finish.
  // When the log cannot be read, or written at an append, one box says why
  // and where the files lie (nothing more is moved in this session); a
  // missing log is created again, with every record known, and said once.
  void Add(const std::string& entry);
  // Completes what is held back and rewrites the log whole and sorted,
  // without the records of failed moves; the log is not touched when
  // nothing was recorded. A rewrite that fails is said in a box; the records
  // stay as they were added.
  void Finish();
  // Entries put into the trash so far: files moved, folders removed.
  std::size_t trashed() const { return trashed_; }
  // Entries on disk that stayed, with why, in the order they were met.
  // Entries missing from the disk are no part of it, nor those given after
  // the log failed (the notice then says they stay).
  const std::vector<TrashStay>& stayed() const { return stayed_; }
  // Entries put into the trash, as given to Add, in the order done.
  const std::vector<std::string>& moved() const { return moved_; }

  // When set, called after every 64th file move or folder removal done,
  // with the number of Add calls up to that entry's: the moves are held
  // back, so progress counted at Add would run ahead of the work.
  std::function<void(std::size_t added)> on_progress;

 private:
  struct Pending {
    bool folder = false;
    std::string source;   // the file or folder below the Windows folder, as the disk spells it
    std::string name;     // its own name, for the notices
    std::string trashed;  // a file's name in the trash
    PreparedMove move;
    std::string entry;      // as given to Add
    std::size_t line = 0;   // its record in lines_
    std::size_t added = 0;  // Add calls up to this entry's
  };

  bool Start();
  void AddFile(const std::string& entry, const std::string& spelled);
  // The notice for an entry that leaves the Windows folder.
  void Refuse(const std::string& entry);
  void Queue(Pending pending, const std::string& record);
  // Adds the held records to the log, then moves their files.
  void Flush();
  bool AppendRecords(const std::string& records);
  void Execute(const Pending& pending);
  void Stop(const std::string& what);
  std::string LogText() const;
  // The smallest number not known taken for a trashed name of `name`.
  std::uint64_t FreeNumber(const std::string& name);

  Mapper& m_;
  const std::string log_;
  const std::string map_name_;
  // The Windows folder and "#TRASH" (opened at Start), which every move,
  // removal and change of this session acts in.
  std::unique_ptr<TreeHandle> windows_, trash_;
  OtherCaseRule other_case_;
  bool started_ = false, stopped_ = false, appended_ = false, needs_line_end_ = false;
  // The log as known: its lines when read, then every record added.
  std::vector<std::string> lines_;
  std::unordered_set<std::size_t> failed_lines_;
  // Upper-case names that a new trashed name must not take: the trash
  // folder's files, the log's trashed names, and those given out here.
  std::unordered_set<std::string> taken_;
  // Per upper-case original name, the smallest number not known taken.
  std::unordered_map<std::string, std::uint64_t> next_number_;
  std::vector<Pending> pending_;
  std::vector<TrashStay> stayed_;
  std::vector<std::string> moved_;
  std::size_t trashed_ = 0;
  std::size_t added_ = 0, done_ = 0;
};

// `TrashEntry`: one entry as a session of its own. True when its file was
// moved into the trash or its folder removed, and recorded.
bool TrashEntry(Mapper& mapper, const std::string& entry);

}  // namespace zv
