#include "mapper/engine/map_rows.h"

#include <cmath>

#include "mapper/engine/entry_path.h"

namespace zv {

static_assert(sizeof(MapRow) <= 24, "a row stays small: a big map holds half a million");

namespace {

// The powers of ten an unsigned 128-bit integer holds: 10^0 to 10^38.
struct PowersOfTen {
  unsigned __int128 value[39];
  PowersOfTen() {
    value[0] = 1;
    for (int i = 1; i < 39; ++i) value[i] = value[i - 1] * 10;
  }
};

// `value` (between 2^-16 and 2^100 in size) in the general format with at most 3
// significant digits: fixed notation while the integer part has at most 3
// digits, else "d.ddE<exp>"; trailing zeros dropped, no plus sign. Ties
// round away from zero. The float is taken exactly, as an integer
// n / 10^k (its 24-bit mantissa times a power of two, or times 5^k when
// the power is 2^-k), so the digits need no printf.
std::string GeneralFormat3(float value) {
  if (value == 0) return "0";
  static const PowersOfTen powers;
  const bool negative = value < 0;
  int binary_exponent = 0;
  const float fraction = std::frexp(negative ? -value : value, &binary_exponent);
  unsigned __int128 n = static_cast<std::uint32_t>(std::ldexp(fraction, 24));
  int decimals = 0;
  if (binary_exponent >= 24) {
    n <<= binary_exponent - 24;
  } else {
    for (int shift = binary_exponent - 24; shift < 0; ++shift) n *= 5;
    decimals = 24 - binary_exponent;
  }
  int length = 1;
  while (length < 39 && n >= powers.value[length]) ++length;
  // The first four significant digits; the fourth decides the rounding.
  unsigned first4 = static_cast<unsigned>(length >= 4 ? n / powers.value[length - 4] : n * powers.value[4 - length]);
  unsigned first3 = first4 / 10 + (first4 % 10 >= 5 ? 1 : 0);
  int exponent = length - 1 - decimals;
  if (first3 == 1000) {
    first3 = 100;
    ++exponent;
  }
  std::string digits = std::to_string(first3);
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
  const std::string_view target = EntryTarget(row.entry());
  std::string path;
  path.reserve(icon_root.size() + target.size());
  path.assign(icon_root).append(target);
  for (std::size_t at = icon_root.size(); (at = path.find('\\', at)) != std::string::npos; ++at) path[at] = '/';
  return path;
}

MapItem MapRows::Item(std::size_t i) const {
  const MapRow& row = rows[i];
  return MapItem{std::string(row.entry()), SizeText(i), row.state, IconPath(i), row.bytes};
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
    made->rows.emplace_back(entry, item.bytes, static_cast<std::uint8_t>(item.state), !item.icon_path.empty());
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
