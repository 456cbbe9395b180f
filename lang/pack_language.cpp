// pack_language SOURCE OUTPUT: packs the plain source of a language into the
// language file OUTPUT (replaced whole, never left half-written). Exit code 0
// on success; 1, with the reason on standard error, when the source is
// refused or a file cannot be read or written; 2 for a wrong command line.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "lang/language_packer.h"
#include "platform/host.h"

namespace {

bool ReadAll(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: pack_language SOURCE OUTPUT\n";
    return 2;
  }
  const std::string source_path = argv[1], output_path = argv[2];
  std::string source;
  if (!ReadAll(source_path, &source)) {
    std::cerr << "pack_language: cannot read " << source_path << "\n";
    return 1;
  }
  const zv::PackedLanguage packed = zv::PackLanguageSource(source);
  if (!packed.ok) {
    std::cerr << "pack_language: " << source_path << ": " << packed.error << "\n";
    return 1;
  }
  try {
    // Through the host's atomic write, with the same temporary files as the programs.
    zv::NewPosixHost()->WriteFile(output_path, packed.stored);
  } catch (const zv::HostError& e) {
    std::cerr << "pack_language: cannot write " << e.what() << "\n";
    return 1;
  }
  return 0;
}
