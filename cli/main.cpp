// zorvan: the mapper's commands from a terminal.
#include <malloc.h>

#include <iostream>

#include "cli/zorvan.h"
#include "platform/console.h"
#include "platform/programs.h"

int main(int argc, char** argv) {
  // zorvan runs one command and ends. Its large buffers (the snapshot, a
  // map, the index) come one after another: memory freed is kept for the
  // next one instead of being handed back and faulted in again page by page.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  std::unique_ptr<zv::Host> host = zv::NewPosixHost();
  zv::cli::System system{*host, zv::RunProgram};
  const zv::TerminalPerson::Terminal terminal{std::cin, std::cerr, zv::IsTerminal(zv::StandardStream::kInput),
                                              zv::CanRedraw(zv::StandardStream::kError),
                                              zv::TerminalColumns(zv::StandardStream::kError)};
  zv::StandardOutputBuffer buffer;
  std::ostream out(&buffer);
  const int code = zv::cli::RunZorvan(std::vector<std::string>(argv + 1, argv + argc), system, terminal, out);
  out.flush();
  return zv::cli::ExitAfterOutput(code, buffer.failed(), buffer.broken_pipe(), buffer.error(), std::cerr);
}
