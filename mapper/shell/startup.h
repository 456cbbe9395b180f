// The mapper's start-up sequence, run once while the main window is created,
// and its exit steps, run when the main window closes.
#pragma once

#include <string>

#include "mapper/engine/mapper.h"

namespace zv {

class TForm1;

// Runs the start-up steps in their order. Answers false when the process
// must end now with exit code 0 (a working folder that cannot be read,
// started inside the Windows folder, a trash folder that can be neither
// made nor found, or from a folder without the mapper);
// nothing is saved then and the probe is not started. An exception escaping a step ends the sequence: the caller shows
// it with the error report and opens the window with what was done so far.
// `argument` is the process's first argument ("" when none); `home` stands
// for the drive root of fixed paths.
bool FormCreate(TForm1& form, Mapper& mapper, const std::string& argument, const std::string& home);

// The exit steps: settings saved, work files removed, the probe started.
void FormClose(TForm1& form, Mapper& mapper);

}  // namespace zv
