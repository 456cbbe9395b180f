// "ZV.INI", the mapper's configuration: read at start, rewritten whole at
// every normal exit. Line 1 is the window caption (documentation only); every
// other line is key "=" value.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mapper/engine/mapper.h"

namespace zv {

// The value of `key`: the text after the first "=" of the first line whose
// text before that "=" equals the key, ASCII case ignored. Line 1 takes part
// like any other line (it never holds "=" in a file we wrote). Empty when no
// line matches.
std::string ConfigValue(const std::vector<std::string>& lines, const std::string& key);

// A whole decimal number, optionally signed. Throws std::invalid_argument
// ("'<text>' is not a valid integer value") for anything else.
int WholeNumber(const std::string& text);

// What reading the configuration needs from the window.
struct ConfigHooks {
  std::function<void()> blue_click;  // the Blue command, run once when Blue is not "Y"
};

// Applies the lines of "ZV.INI" to the mapper in the fixed order of its keys;
// `argument` is the process's first argument ("" when none). Answers whether
// this is a first run (the stored Version differs from mapper.version_text).
// A RemoteX, RemoteY or FontSize that is not a whole number throws
// std::invalid_argument after the keys before it were applied.
bool ReadConfiguration(Mapper& mapper, const std::vector<std::string>& lines,
                       const std::string& argument, const ConfigHooks& hooks);

// The file's new content: the caption, then every key in its fixed order;
// keys with empty values are left out.
std::string BuildConfiguration(const Mapper& mapper, const std::string& caption, bool remote_visible);

}  // namespace zv
