#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/console.h"

namespace zv {

bool IsTerminal(StandardStream stream) { return ::isatty(static_cast<int>(stream)) == 1; }

int TerminalColumns(StandardStream stream) {
  struct winsize size{};
  if (::ioctl(static_cast<int>(stream), TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}

}  // namespace zv
