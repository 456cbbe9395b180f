// The requests to end the program that a desktop session or a terminal sends
// (SIGTERM, SIGHUP, SIGINT), turned into something the window thread can
// wait on, so the program closes in order and saves what it must.
#pragma once

namespace zv {

// From now on those signals no longer kill the process; each one makes the
// returned descriptor readable until it is cleared. Answers -1 when the
// descriptor cannot be made; the signals then keep their default action.
// A second call answers the same descriptor.
int WatchTerminationRequests();
// Empties the descriptor after the requests it signalled were handled.
void ClearTerminationRequests(int descriptor);

}  // namespace zv
