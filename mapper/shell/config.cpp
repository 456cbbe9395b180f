#include "mapper/shell/config.h"

#include <charconv>
#include <stdexcept>

#include "platform/text.h"

namespace zv {
namespace {

bool IsYes(const std::string& value) { return value == "Y"; }
const char* YesNo(bool on) { return on ? "Y" : "N"; }

// The longest font name the list font keeps, in bytes.
constexpr std::size_t kFontNameLimit = 31;

}  // namespace

std::string ConfigValue(const std::vector<std::string>& lines, const std::string& key) {
  for (const auto& line : lines) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (EqualsNoCase(std::string_view(line).substr(0, eq), key)) return line.substr(eq + 1);
  }
  return {};
}

int WholeNumber(const std::string& text) {
  int value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  const auto [end, error] = std::from_chars(first, last, value);
  if (text.empty() || error != std::errc() || end != last || first == last) {
    throw std::invalid_argument("'" + text + "' is not a valid integer value");
  }
  return value;
}

bool ReadConfiguration(Mapper& m, const std::vector<std::string>& lines, const std::string& argument,
                       const ConfigHooks& hooks) {
  auto value = [&lines](const char* key) { return ConfigValue(lines, key); };
  Options& o = m.options;

  const bool first_run = value("Version") != m.version_text;
  if (const std::string x = value("RemoteX"); !x.empty()) o.remote_left = WholeNumber(x);
  if (const std::string y = value("RemoteY"); !y.empty()) o.remote_top = WholeNumber(y);
  if (IsYes(value("RemoteON"))) o.remote_control = true;
  o.scan_on_start = IsYes(value("ScanOnStart"));
  // The probe starts the mapper with "Vigilo" so that it maps at once.
  if (argument == "Vigilo") o.scan_on_start = true;
  if (const std::string font = value("Font"); !font.empty()) o.font_name = CutAtCharacters(font, 0, kFontNameLimit);
  if (const std::string size = value("FontSize"); !size.empty()) o.font_size = WholeNumber(size);
  o.use_sys_icons = IsYes(value("SysIcons"));
  o.simple_list = IsYes(value("SimpleMap"));
  if (!IsYes(value("Blue")) && hooks.blue_click) hooks.blue_click();
  o.graphic_fx = IsYes(value("FX"));
  const std::string language = value("Language");
  m.language_file = language.empty() ? "English.LNG" : language;
  return first_run;
}

std::string BuildConfiguration(const Mapper& m, const std::string& caption, bool remote_visible) {
  const Options& o = m.options;
  const std::pair<const char*, std::string> keys[] = {
      {"Version", m.version_text},
      {"RemoteX", std::to_string(o.remote_left)},
      {"RemoteY", std::to_string(o.remote_top)},
      {"RemoteON", YesNo(remote_visible)},
      {"ScanOnStart", YesNo(o.scan_on_start)},
      {"Blue", YesNo(o.blue)},
      {"FX", YesNo(o.graphic_fx)},
      {"SysIcons", YesNo(o.use_sys_icons)},
      {"SimpleMap", YesNo(o.simple_list)},
      {"Language", m.language_file},
      {"Font", o.font_name},
      {"FontSize", std::to_string(o.font_size)},
  };
  std::vector<std::string> lines{caption};
  for (const auto& [key, val] : keys) {
    if (!val.empty()) lines.push_back(std::string(key) + "=" + val);
  }
  return JoinLines(lines);
}

}  // namespace zv
