#include "platform/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace zv {
namespace {

int g_read_end = -1;
int g_write_end = -1;
// Only async-signal-safe calls: one byte into the pipe.
void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(g_write_end, &byte, 1);
  errno = saved;
}

}  // namespace

int WatchTerminationRequests() {
  if (g_read_end >= 0) return g_read_end;
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  g_read_end = ends[0];
  g_write_end = ends[1];
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
  return ends[0];
}

void ClearTerminationRequests(int descriptor) {
  char bytes[64];
  while (read(descriptor, bytes, sizeof bytes) > 0) {
  }
}

}  // namespace zv
