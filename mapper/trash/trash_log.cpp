#include "mapper/trash/trash_log.h"

#include <algorithm>
#include <array>

#include "platform/text.h"

namespace zv {
namespace {

constexpr std::array<char, 4> kFieldLetters = {'N', 'M', 'T', 'P'};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The field's bytes: every "/" + two upper-case hex digits becomes the byte
// they name; a "/" followed by anything else stays as it is.
std::string UnescapeField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '/' && i + 2 < field.size() && HexValue(field[i + 1]) >= 0 && HexValue(field[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(field[i + 1]) * 16 + HexValue(field[i + 2])));
      i += 2;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

// The text between the first "|X{" and the first "}X|" of a line, both
// found ignoring ASCII case, as the log's earliest readers took a field.
bool FieldByMarkers(std::string_view line, char letter, std::string_view* field) {
  const char opening[] = {'|', letter, '{'};
  const char closing[] = {'}', letter, '|'};
  const std::size_t open = FindNoCase(line, std::string_view(opening, 3));
  const std::size_t close = FindNoCase(line, std::string_view(closing, 3));
  if (open == std::string_view::npos || close == std::string_view::npos || close < open + 3) return false;
  *field = line.substr(open + 3, close - open - 3);
  return true;
}

// A line in the record's exact form whose fields hold no "|".
bool ReadEscapedRecord(std::string_view line, TrashRecord* record) {
  std::array<std::string*, 4> fields = {&record->name, &record->map, &record->trashed, &record->place};
  if (line.empty() || line.front() != '|' || line.back() != '|') return false;
  std::size_t at = 1;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    const std::size_t bar = line.find('|', at);
    if (bar == std::string_view::npos) return false;
    const std::string_view part = line.substr(at, bar - at);  // "X{" field "}X"
    const char letter = kFieldLetters[f];
    if (part.size() < 4 || UpperAscii(part[0]) != letter || part[1] != '{' || part[part.size() - 2] != '}' ||
        UpperAscii(part.back()) != letter) {
      return false;
    }
    *fields[f] = UnescapeField(part.substr(2, part.size() - 4));
    at = bar + 1;
  }
  return at == line.size();
}

// The field as a record holds it (see RecordLine).
std::string EscapeRecordField(std::string_view field) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(field.size());
  for (const char c : field) {
    if (c == '|' || c == '/' || c == '\r' || c == '\n') {
      const auto byte = static_cast<unsigned char>(c);
      out.push_back('/');
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 15]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

std::string TrashFolderPath(const Mapper& mapper) { return mapper.ProgramFile(kTrashFolderName); }

std::string TrashLogPath(const Mapper& mapper) { return TrashFolderPath(mapper) + "/" + kTrashLogName; }

std::string TrashedFilePath(const Mapper& mapper, std::string_view trashed) {
  return TrashFolderPath(mapper) + "\\" + std::string(trashed);
}

std::string ReadTrashLog(Mapper& mapper) { return mapper.host.ReadOwnFile(TrashLogPath(mapper), kTrashLogRules); }

void WriteTrashLog(Mapper& mapper, const std::vector<std::string>& lines) {
  mapper.host.WriteOwnFile(TrashLogPath(mapper), JoinLines(lines), kTrashLogRules);
}

bool IsFolderRecord(const TrashRecord& record) { return EqualsNoCase(record.trashed, kFolderTrashedName); }

std::string RecordLine(const TrashRecord& record) {
  std::string line;
  line.reserve(record.name.size() + record.map.size() + record.trashed.size() + record.place.size() + 18);
  line.append("|N{").append(EscapeRecordField(record.name)).append("}N|M{").append(EscapeRecordField(record.map));
  line.append("}M|T{").append(EscapeRecordField(record.trashed)).append("}T|P{");
  line.append(EscapeRecordField(record.place)).append("}P|");
  return line;
}

bool IsLegacyLine(std::string_view line) { return FindNoCase(line, "|N{") == std::string_view::npos; }

std::string ConvertLegacyLine(std::string_view line) {
  const std::size_t cut = line.find_last_of("\\:");
  const std::size_t start = cut == std::string_view::npos ? 0 : cut + 1;
  const std::string name(line.substr(start));
  return RecordLine({name, "?", name, std::string(line.substr(0, start))});
}

bool ReadRecord(std::string_view line, TrashRecord* record) {
  if (IsLegacyLine(line)) return ReadEscapedRecord(ConvertLegacyLine(line), record);
  if (ReadEscapedRecord(line, record)) return true;
  // An earlier version wrote fields unescaped: its record of a name holding
  // "|" is read the old way, and kept only when it is the one reading.
  std::array<std::string_view, 4> raw;
  for (std::size_t f = 0; f < raw.size(); ++f) {
    if (!FieldByMarkers(line, kFieldLetters[f], &raw[f])) return false;
  }
  std::string rebuilt;
  rebuilt.append("|N{").append(raw[0]).append("}N|M{").append(raw[1]).append("}M|T{").append(raw[2]);
  rebuilt.append("}T|P{").append(raw[3]).append("}P|");
  if (!EqualsNoCase(rebuilt, line)) return false;
  // Fields ending at their first marker can still cut a name short where
  // it holds a whole marker; the program's own records say the same name
  // twice (in T after "DEL" + n, or as P's last component), which such a
  // cut would not.
  *record = {std::string(raw[0]), std::string(raw[1]), std::string(raw[2]), std::string(raw[3])};
  if (IsFolderRecord(*record)) return LastComponent(record->place) == record->name;
  return record->trashed.ends_with(record->name);
}

void SortLogLines(std::vector<std::string>& lines) {
  if (lines.size() < 3) return;
  // Each line is upper-cased once, so that the sort compares plain bytes.
  std::vector<std::pair<std::string, std::size_t>> keys;
  keys.reserve(lines.size() - 1);
  for (std::size_t i = 1; i < lines.size(); ++i) keys.emplace_back(UpperAscii(lines[i]), i);
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> sorted;
  sorted.reserve(lines.size());
  sorted.push_back(std::move(lines[0]));
  for (const auto& key : keys) sorted.push_back(std::move(lines[key.second]));
  lines = std::move(sorted);
}

}  // namespace zv
