// The standard streams of a program run from a terminal: whether each is a
// terminal, and how wide that terminal is.
#pragma once

namespace zv {

enum class StandardStream { kInput = 0, kOutput = 1, kError = 2 };

// True when the stream is connected to a terminal (not a file or a pipe).
bool IsTerminal(StandardStream stream);
// The number of columns of the terminal on the stream; 80 when it is no
// terminal or does not say.
int TerminalColumns(StandardStream stream);

}  // namespace zv
