// The mapper's side of one writer per program folder: it holds its
// program folder's lock for its whole life, and a mapper started while a
// zorvan command changes that folder's files is told why it cannot open.
#pragma once

#include "mapper/engine/mapper.h"

namespace zv {

// Takes the lock of mapper.program_folder into mapper.program_folder_lock
// (letting go of one held before). When a zorvan command holds it, tells
// the person in a message box who, and answers false: the mapper must not
// start. A lock that cannot be taken at all answers true: the
// single-instance lock, taken in the same place, already keeps mappers
// apart. Needs the application object.
bool HoldProgramFolder(Mapper& mapper);

}  // namespace zv
