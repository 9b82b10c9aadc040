// CliBreak.h - Ctrl+C, Ctrl+Break and closing the console never cut a board operation short.
#pragma once

#include <windows.h>

// The system runs a console control handler on a thread of its own, beside the main thread
// that is inside the library. The handler therefore touches neither the board nor the library:
// it raises a flag and says what will happen. The main thread looks at the flag right before
// every board call that may take long, starts nothing once it is raised, gives back the board
// and the library, and ends with exit code 130 (or the worst code of what ran and failed).
namespace CliBreak
{
// Installs the handler; call once, before the library is loaded.
void Install();

// True once an event came: start no further board operation.
bool Requested();

// Signalled once an event came, for waits that must end on it.
HANDLE Event();

// The code to exit with: after an event 130 when nCode is 0 or 130, else nCode, with a line
// saying the run was interrupted. A close, logoff or shutdown handler is waiting for this
// call, since the system ends the process as soon as that handler returns.
int Finish(int nCode);
} // namespace CliBreak
