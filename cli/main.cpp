// zorvan: the mapper's commands from a terminal.
#include <iostream>

#include "cli/zorvan.h"
#include "platform/console.h"
#include "platform/programs.h"

int main(int argc, char** argv) {
  std::unique_ptr<zv::Host> host = zv::NewPosixHost();
  zv::cli::System system{*host, zv::OwnProgramFolder, zv::RunProgram};
  const zv::TerminalPerson::Terminal terminal{std::cin, std::cerr, zv::IsTerminal(zv::StandardStream::kInput),
                                              zv::IsTerminal(zv::StandardStream::kError),
                                              zv::TerminalColumns(zv::StandardStream::kError)};
  return zv::cli::RunZorvan(std::vector<std::string>(argv + 1, argv + argc), system, terminal, std::cout);
}
