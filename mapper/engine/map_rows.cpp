#include "mapper/engine/map_rows.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "mapper/engine/entry_path.h"

namespace zv {
namespace {

// `value` in the general format with at most 3 significant digits: fixed
// notation while the integer part has at most 3 digits, else "d.ddE<exp>";
// trailing zeros dropped, no plus sign. Ties round away from zero.
std::string GeneralFormat3(float value) {
  if (value == 0) return "0";
  const bool negative = value < 0;
  // A float's exact decimal expansion never needs 40 digits after the point.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.40e", static_cast<double>(negative ? -value : value));
  std::string digits{buf[0], buf[2], buf[3]};
  int exponent = std::atoi(std::strchr(buf, 'e') + 1);
  if (buf[4] >= '5') {
    int i = 2;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits = "100";
      ++exponent;
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= 3 || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += "E" + std::to_string(exponent);
  } else if (exponent < 0) {
    out += "0." + std::string(-exponent - 1, '0') + digits;
  } else {
    const std::size_t integer = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integer) {
      out += digits + std::string(integer - digits.size(), '0');
    } else {
      out += digits.substr(0, integer) + "." + digits.substr(integer);
    }
  }
  return out;
}

}  // namespace

std::string SizeText(std::uint64_t bytes) {
  // The unit is chosen on the count; the value is shown in single precision.
  if (bytes < 1000) return std::to_string(bytes) + " bytes";
  if (bytes < 1024) return GeneralFormat3(static_cast<float>(bytes)) + " bytes";
  if (bytes < 1048576) return GeneralFormat3(static_cast<float>(bytes) / 1024.0f) + " Kb";
  return GeneralFormat3(static_cast<float>(bytes) / 1048576.0f) + " Mb";
}

std::string MapRows::SizeText(std::size_t i) const {
  if (!given_sizes_.empty()) return given_sizes_[i];
  const MapRow& row = rows[i];
  if (row.state == 2) return deleted_text;
  if (row.state == 0) return std::string();
  if (row.bytes < 0) return folder_text;
  return zv::SizeText(static_cast<std::uint64_t>(row.bytes));
}

std::string MapRows::IconPath(std::size_t i) const {
  if (!given_icons_.empty()) return given_icons_[i];
  const MapRow& row = rows[i];
  if (!row.icon) return std::string();
  const std::string_view target = EntryTarget(row.entry);
  std::string path;
  path.reserve(icon_root.size() + target.size());
  path.assign(icon_root).append(target);
  for (std::size_t at = icon_root.size(); (at = path.find('\\', at)) != std::string::npos; ++at) path[at] = '/';
  return path;
}

MapItem MapRows::Item(std::size_t i) const {
  const MapRow& row = rows[i];
  return MapItem{std::string(row.entry), SizeText(i), row.state, IconPath(i), row.bytes};
}

MapListing MapRows::Listing() const {
  MapListing listing;
  listing.items.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) listing.items.push_back(Item(i));
  listing.simple = simple;
  listing.first_header = first_header;
  listing.second_header = second_header;
  listing.total_bytes = total_bytes;
  return listing;
}

std::shared_ptr<const MapRows> MapRows::FromListing(const MapListing& listing) {
  auto made = std::make_shared<MapRows>();
  std::string text;
  for (const MapItem& item : listing.items) text += item.caption;
  made->text = std::make_shared<const std::string>(std::move(text));
  std::size_t at = 0;
  for (const MapItem& item : listing.items) {
    const std::string_view entry = std::string_view(*made->text).substr(at, item.caption.size());
    at += item.caption.size();
    made->rows.push_back(MapRow{entry, item.bytes, static_cast<std::uint8_t>(item.state), !item.icon_path.empty()});
    made->given_sizes_.push_back(item.size_text);
    made->given_icons_.push_back(item.icon_path);
  }
  made->simple = listing.simple;
  made->first_header = listing.first_header;
  made->second_header = listing.second_header;
  made->total_bytes = listing.total_bytes;
  return made;
}

}  // namespace zv
