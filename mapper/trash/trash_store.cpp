#include "mapper/trash/trash_store.h"

#include <algorithm>

#include "mapper/engine/entry_path.h"
#include "mapper/engine/messages.h"
#include "mapper/trash/trash_log.h"
#include "platform/text.h"

namespace zv {
namespace {

// The most records added with one flushed write before their files move:
// a flush costs milliseconds on a busy disk, a thousand renames about as much.
constexpr std::size_t kLongestRun = 4096;

// The folder part of a path up to and including its last separator.
std::string FolderPart(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut + 1));
}

// The longest name a folder entry may have on the file systems we run on.
constexpr std::size_t kLongestName = 255;

// The trashed name with number n: "DEL" + n + name, or, where that would be
// longer than a name may be, "DEL" + n + "~" + as much of the name's end as
// fits (its extension stays visible), never starting inside a UTF-8
// sequence. The record keeps the whole name for the way back.
std::string TrashedName(std::uint64_t number, const std::string& name) {
  std::string trashed = "DEL" + std::to_string(number);
  if (trashed.size() + name.size() <= kLongestName) return trashed + name;
  trashed += '~';
  std::size_t start = name.size() - (kLongestName - trashed.size());
  while (start < name.size() && (static_cast<unsigned char>(name[start]) & 0xC0) == 0x80) ++start;
  return trashed + name.substr(start);
}

}  // namespace

bool CreateTrashStore(Mapper& m) {
  const std::string folder = TrashFolderPath(m);
  if (!m.host.MakeFolder(folder) && !m.host.FolderExists(folder)) {
    m.person.ShowNotice("Error", "Cannot create #TRASH folder");
    return false;
  }
  const std::string log = TrashLogPath(m);
  if (!m.host.PathExists(log)) WriteTrashLog(m, {kStartLogHeader});
  return true;
}

TrashSession::TrashSession(Mapper& m)
    : m_(m),
      log_(TrashLogPath(m)),
      map_name_(m.maps.SelectedName()),
      windows_(m.host.OpenTree(m.windows_folder)),
      other_case_(m) {}

bool TrashSession::Start() {
  if (started_) return !stopped_;
  started_ = true;
  // A trash folder removed while the program runs is made again, as at start.
  const std::string folder = TrashFolderPath(m_);
  if (!m_.host.FolderExists(folder)) m_.host.MakeFolder(folder);
  trash_ = m_.host.OpenTree(folder);
  std::string text;
  bool missing = false;
  try {
    text = ReadTrashLog(m_);
  } catch (const HostError& error) {
    if (m_.host.PathExists(log_)) {
      stopped_ = true;
      m_.person.ShowNotice("Error", "Cannot read the trash log " + std::string(error.what()) +
                                        ".\nNothing is put into the trash while its records cannot be kept.");
      return false;
    }
    missing = true;
  }
  lines_ = SplitLines(text);
  needs_line_end_ = !text.empty() && text.back() != '\n' && text.back() != '\r';
  if (lines_.empty()) {
    // Readers skip line 1, so a log without lines gets its header first.
    lines_.push_back(kStartLogHeader);
    try {
      m_.host.WriteOwnFile(log_, LogText(), kTrashLogRules);
    } catch (const HostError& error) {
      Stop(error.what());
      return false;
    }
    needs_line_end_ = false;
    if (missing) {
      m_.person.ShowNotice("Error", "The trash log " + QuotedPath(log_) + " was missing: it has been created again.");
    }
  }
  std::vector<FolderEntry> files;
  if (!m_.host.ListFolder(folder, &files)) {
    // Without the trash's names a new trashed name could only be guessed.
    stopped_ = true;
    m_.person.ShowNotice("Error", "Cannot list the trash folder " + QuotedPath(folder) +
                                      ".\nNothing is put into the trash while its names cannot be read.");
    return false;
  }
  for (const FolderEntry& file : files) taken_.insert(UpperAscii(file.name));
  TrashRecord record;
  for (std::size_t i = 1; i < lines_.size(); ++i) {
    if (ReadRecord(lines_[i], &record)) taken_.insert(UpperAscii(record.trashed));
  }
  return true;
}

void TrashSession::Add(const std::string& entry) {
  ++added_;
  if (stopped_) return;
  if (LeavesWindowsFolder(entry)) return Refuse(entry);
  // Only a leading "<DIR> " makes a folder entry; a name holding "<DIR>"
  // elsewhere is a file's like any other.
  const bool folder_entry = entry.starts_with(kFolderMark);
  const std::string relative(EntryTarget(entry));
  // A path blocked by a link is refused when something lies behind the link.
  const TreeEntry found = m_.host.LookInTree(*windows_, relative);
  if (found.what == TreeFind::kBlocked) {
    const std::string full = m_.WindowsPath(relative);
    if (folder_entry ? m_.host.FolderExists(full) : m_.host.FileExists(full)) Refuse(entry);
    return;
  }
  if (!folder_entry) {
    if (found.what == TreeFind::kFile) AddFile(entry, found.spelled);
    return;
  }
  if (found.what != TreeFind::kFolder || !Start()) return;
  Pending pending;
  pending.folder = true;
  pending.source = found.spelled;
  pending.name = LastComponent(m_.WindowsPath(relative));
  pending.entry = entry;
  const std::string record = RecordLine({pending.name, map_name_, kFolderTrashedName, relative});
  Queue(std::move(pending), record);
}

void TrashSession::Refuse(const std::string& entry) {
  Flush();
  stayed_.push_back({entry, StayCause::kRefused, {}});
  ShowLeavesWindowsFolder(m_, entry);
}

void TrashSession::AddFile(const std::string& entry, const std::string& spelled) {
  if (!Start()) return;
  if (ToHostPath(entry) != spelled && !other_case_.MayStandFor(entry, spelled, lines_)) {
    stayed_.push_back({entry, StayCause::kOtherCase, {}});
    return;
  }
  const std::string name = LastComponent(entry);
  const std::string upper = UpperAscii(name);
  const std::uint64_t number = FreeNumber(name);
  const std::string trashed = TrashedName(number, name);
  // The run held back is recorded before any box; when it cannot be, this
  // file is not asked about either.
  std::optional<PreparedMove> move = PrepareGuardedMove(m_, {*windows_, spelled}, {*trash_, trashed}, [this] {
    Flush();
    return !stopped_;
  });
  if (stopped_) return;
  if (!move) {
    Flush();
    // The file was there a moment ago: the read-only question was declined.
    stayed_.push_back({entry, StayCause::kDeclined, {}});
    m_.person.ShowNotice("Error", "Cannot trash " + name);
    return;
  }
  // The name stays given out even if the move fails later: until the log is
  // rewritten its record is still there, and two records must never share
  // one trashed name.
  taken_.insert(UpperAscii(trashed));
  next_number_[upper] = number + 1;
  Pending pending;
  pending.source = spelled;
  pending.name = name;
  pending.trashed = trashed;
  pending.move = *move;
  pending.entry = entry;
  Queue(std::move(pending), RecordLine({name, map_name_, trashed, FolderPart(entry)}));
}

std::uint64_t TrashSession::FreeNumber(const std::string& name) {
  std::uint64_t& number = next_number_[UpperAscii(name)];
  while (taken_.contains(UpperAscii(TrashedName(number, name)))) ++number;
  return number;
}

void TrashSession::Queue(Pending pending, const std::string& record) {
  pending.line = lines_.size();
  pending.added = added_;
  lines_.push_back(record);
  pending_.push_back(std::move(pending));
  if (pending_.size() >= kLongestRun) Flush();
}

void TrashSession::Flush() {
  if (pending_.empty() || stopped_) return;
  std::string records = needs_line_end_ ? "\r\n" : "";
  for (const Pending& pending : pending_) records.append(lines_[pending.line]).append("\r\n");
  if (!AppendRecords(records)) return;
  needs_line_end_ = false;
  appended_ = true;
  const std::vector<Pending> run = std::move(pending_);
  pending_.clear();
  for (const Pending& pending : run) {
    Execute(pending);
    if (on_progress && ++done_ % 64 == 0) on_progress(pending.added);
  }
}

bool TrashSession::AppendRecords(const std::string& records) {
  try {
    m_.host.AppendFile(log_, records, true);
    return true;
  } catch (const HostError& error) {
    if (m_.host.PathExists(log_)) {
      Stop(error.what());
      return false;
    }
  }
  // The log went away while the session ran: it is written again whole,
  // with the header, every record known and those being added.
  try {
    m_.host.WriteOwnFile(log_, LogText(), kTrashLogRules);
  } catch (const HostError& error) {
    Stop(error.what());
    return false;
  }
  m_.person.ShowNotice("Error", "The trash log " + QuotedPath(log_) +
                                    " was missing: it has been created again with the records of this session.");
  return true;
}

void TrashSession::Execute(const Pending& pending) {
  if (pending.folder) {
    if (m_.host.RemoveFolderInTree(*windows_, pending.source)) {
      ++trashed_;
      moved_.push_back(pending.entry);
      return;
    }
    failed_lines_.insert(pending.line);
    stayed_.push_back({pending.entry, StayCause::kFolderNotEmpty, {}});
    m_.person.ShowNotice(m_.main_caption, LookupMessage(m_, "*VIO-DIR") + " " +
                                              QuotedPath(m_.WindowsPath(pending.source)) + "\n" +
                                              LookupMessage(m_, "*DIRNOTEMPTY"));
    return;
  }
  if (m_.host.MoveBetweenTrees(*windows_, pending.source, *trash_, pending.trashed, false)) {
    ++trashed_;
    moved_.push_back(pending.entry);
    return;
  }
  UndoPreparedMove(m_, {*windows_, pending.source}, pending.move);
  failed_lines_.insert(pending.line);
  stayed_.push_back({pending.entry, StayCause::kMoveFailed, {}});
  m_.person.ShowNotice("Error", "Cannot trash " + pending.name);
}

void TrashSession::Stop(const std::string& what) {
  stopped_ = true;
  std::string text = "Cannot write the trash log " + what + ".\nNothing more is put into the trash.";
  if (!pending_.empty()) {
    const std::size_t more = pending_.size() - 1;
    text += " " + QuotedPath(m_.WindowsPath(pending_.front().source));
    if (more == 0) text += " stays where it is.";
    else text += " and " + std::to_string(more) + (more == 1 ? " more entry" : " more entries") + " stay where they are.";
    // Their records never reached the log, and a file whose read-only mark
    // was cleared for the move gets it back.
    lines_.resize(pending_.front().line);
    for (const Pending& pending : pending_) {
      if (!pending.folder) UndoPreparedMove(m_, {*windows_, pending.source}, pending.move);
      stayed_.push_back({pending.entry, StayCause::kLogFailed, what});
    }
    pending_.clear();
  }
  m_.person.ShowNotice("Error", text);
}

std::string TrashSession::LogText() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (!failed_lines_.contains(i)) text.append(lines_[i]).append("\r\n");
  }
  return text;
}

void TrashSession::Finish() {
  Flush();
  if (stopped_ || !appended_) return;
  std::vector<std::string> lines;
  lines.reserve(lines_.size());
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (!failed_lines_.contains(i)) lines.push_back(lines_[i]);
  }
  SortLogLines(lines);
  try {
    WriteTrashLog(m_, lines);
  } catch (const HostError& error) {
    m_.person.ShowNotice("Error", "Cannot rewrite the trash log " + std::string(error.what()) +
                                      ".\nIts records stay as they were added.");
  }
}

bool TrashEntry(Mapper& mapper, const std::string& entry) {
  TrashSession session(mapper);
  session.Add(entry);
  session.Finish();
  return session.trashed() == 1;
}

}  // namespace zv
