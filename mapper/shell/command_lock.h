// The mapper's side of one writer at a time: a zorvan command that changes
// files holds the mapper's lock while it runs, and a mapper started then is
// told why it cannot open.
#pragma once

#include "platform/host.h"

namespace zv {

// True when the holder of the mapper's lock is a zorvan command that
// changes files rather than another mapper. Call it only after the mapper's
// lock was found taken. False when the command's lock cannot be looked at.
bool FileCommandRunning(Host& host);

// Tells the person, in a message box, that a zorvan command is changing the
// program's files and the mapper can start once it has finished. Needs the
// application object.
void ShowFileCommandRunning();

}  // namespace zv
