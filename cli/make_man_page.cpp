// Writes the manual page zorvan.1 from the program's own help, at build time.
// Usage: make_man_page OUTPUT
#include <fstream>
#include <iostream>

#include "cli/help.h"
#include "mapper/shell/startup_steps.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_man_page OUTPUT\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << zv::cli::RenderManPage(zv::cli::ManualPage(), zv::kVersionText);
  out.close();
  if (!out) {
    std::cerr << "make_man_page: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
