// The standard streams of a program run from a terminal: whether each is a
// terminal that can redraw a line, how wide that terminal is, and standard
// output as a stream that remembers why a write failed.
#pragma once

#include <streambuf>
#include <string>

namespace zv {

enum class StandardStream { kInput = 0, kOutput = 1, kError = 2 };

// True when the stream is connected to a terminal (not a file or a pipe).
bool IsTerminal(StandardStream stream);
// True when the stream is a terminal that can take a line back and redraw
// it: TERM is set and is not "dumb".
bool CanRedraw(StandardStream stream);
// The number of columns of the terminal on the stream; 80 when it is no
// terminal or does not say.
int TerminalColumns(StandardStream stream);

// Standard output, buffered. The first write that fails makes every later
// one fail too and is remembered: error() then says why ("No space left on
// device"), and broken_pipe() whether the reader had gone away.
class StandardOutputBuffer : public std::streambuf {
 public:
  StandardOutputBuffer();
  ~StandardOutputBuffer() override;
  StandardOutputBuffer(const StandardOutputBuffer&) = delete;
  StandardOutputBuffer& operator=(const StandardOutputBuffer&) = delete;

  bool failed() const { return error_ != 0; }
  bool broken_pipe() const;
  std::string error() const;

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  bool Drain();

  char buffer_[1 << 16];
  int error_ = 0;
};

}  // namespace zv
