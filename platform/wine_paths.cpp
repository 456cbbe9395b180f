#include "platform/wine_paths.h"

#include "platform/text.h"

namespace zv {
namespace {

// `host` from position `from` on, "/" turned into "\", behind `drive`.
std::string OnDrive(char drive, std::string_view host, std::size_t from) {
  std::string form{UpperAscii(drive), ':'};
  for (char c : host.substr(from)) form += c == '/' ? '\\' : c;
  while (form.size() > 2 && form.back() == '\\') form.pop_back();
  return form;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

std::vector<std::string> WindowsFormsOf(std::string_view folder) {
  // The last prefix component wins: a prefix may lie inside another tree
  // that happens to hold one.
  std::string drive_form;
  std::size_t start = 0;
  std::string_view previous;
  while (start < folder.size()) {
    std::size_t end = folder.find('/', start);
    if (end == std::string_view::npos) end = folder.size();
    const std::string_view component = folder.substr(start, end - start);
    if (component == "drive_c") {
      drive_form = OnDrive('C', folder, end);
    } else if (previous == "dosdevices" && component.size() == 2 && IsLetter(component[0]) &&
               component[1] == ':') {
      drive_form = OnDrive(component[0], folder, end);
    }
    if (!component.empty()) previous = component;
    start = end + 1;
  }
  std::vector<std::string> forms;
  if (!drive_form.empty()) forms.push_back(drive_form);
  forms.push_back(OnDrive('Z', folder, 0));
  return forms;
}

}  // namespace zv
