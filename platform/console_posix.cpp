#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/console.h"
#include "platform/system_error.h"

namespace zv {

bool IsTerminal(StandardStream stream) { return ::isatty(static_cast<int>(stream)) == 1; }

bool CanRedraw(StandardStream stream) {
  const char* term = std::getenv("TERM");
  return IsTerminal(stream) && term != nullptr && *term != '\0' && std::strcmp(term, "dumb") != 0;
}

int TerminalColumns(StandardStream stream) {
  struct winsize size{};
  if (::ioctl(static_cast<int>(stream), TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}

StandardOutputBuffer::StandardOutputBuffer() { setp(buffer_, buffer_ + sizeof buffer_); }

StandardOutputBuffer::~StandardOutputBuffer() { Drain(); }

bool StandardOutputBuffer::broken_pipe() const { return error_ == EPIPE; }

std::string StandardOutputBuffer::error() const { return error_ == 0 ? std::string() : SystemReason(error_); }

StandardOutputBuffer::int_type StandardOutputBuffer::overflow(int_type c) {
  if (!Drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int StandardOutputBuffer::sync() { return Drain() ? 0 : -1; }

bool StandardOutputBuffer::Drain() {
  if (error_ != 0) return false;
  const char* next = pbase();
  while (next < pptr()) {
    const ssize_t written = ::write(STDOUT_FILENO, next, static_cast<std::size_t>(pptr() - next));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      error_ = written < 0 ? errno : EIO;
      break;
    }
    next += written;
  }
  setp(buffer_, buffer_ + sizeof buffer_);
  return error_ == 0;
}

}  // namespace zv
