#include "mapper/trash/trash_log.h"

#include <algorithm>

#include "platform/text.h"

namespace zv {

std::string TrashFolderPath(const Mapper& mapper) { return mapper.ProgramFile(kTrashFolderName); }

std::string TrashLogPath(const Mapper& mapper) { return TrashFolderPath(mapper) + "/" + kTrashLogName; }

std::string TrashedFilePath(const Mapper& mapper, std::string_view trashed) {
  return TrashFolderPath(mapper) + "\\" + std::string(trashed);
}

std::string RecordLine(const TrashRecord& record) {
  std::string line;
  line.reserve(record.name.size() + record.map.size() + record.trashed.size() + record.place.size() + 18);
  line.append("|N{").append(record.name).append("}N|M{").append(record.map).append("}M|T{");
  line.append(record.trashed).append("}T|P{").append(record.place).append("}P|");
  return line;
}

std::string_view RecordField(std::string_view line, char field) {
  const char opening[] = {'|', field, '{'};
  const char closing[] = {'}', field, '|'};
  const std::size_t open = FindNoCase(line, std::string_view(opening, 3));
  const std::size_t close = FindNoCase(line, std::string_view(closing, 3));
  if (open == std::string_view::npos || close == std::string_view::npos || close < open + 3) return {};
  return line.substr(open + 3, close - open - 3);
}

TrashRecord ParseRecord(std::string_view line) {
  return {std::string(RecordField(line, 'N')), std::string(RecordField(line, 'M')),
          std::string(RecordField(line, 'T')), std::string(RecordField(line, 'P'))};
}

bool IsLegacyLine(std::string_view line) { return FindNoCase(line, "|N{") == std::string_view::npos; }

std::string ConvertLegacyLine(std::string_view line) {
  const std::size_t cut = line.find_last_of("\\:");
  const std::size_t start = cut == std::string_view::npos ? 0 : cut + 1;
  const std::string name(line.substr(start));
  return RecordLine({name, "?", name, std::string(line.substr(0, start))});
}

bool IsFolderLine(std::string_view line) { return FindNoCase(line, kFolderTrashedName) != std::string_view::npos; }

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
