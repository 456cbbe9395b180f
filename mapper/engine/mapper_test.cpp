#include "mapper/engine/mapper.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "mapper/engine/fake_person.h"

namespace zv {
namespace {

TEST(MapperTest, AProgramFileIsNeverNamedWithoutAProgramFolder) {
  std::unique_ptr<Host> host = NewPosixHost();
  FakePerson person;
  Mapper mapper(*host, person);
  // Before start-up has found the program folder, no path to write to or
  // read from can come out, least of all one below "/".
  EXPECT_THROW(mapper.ProgramFile("ZV.INI"), std::logic_error);
  mapper.program_folder = "/home/ann/zorvan";
  EXPECT_EQ(mapper.ProgramFile("ZV.INI"), "/home/ann/zorvan/ZV.INI");
}

}  // namespace
}  // namespace zv
