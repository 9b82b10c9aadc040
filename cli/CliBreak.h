// CliBreak.h - Ctrl+C, Ctrl+Break and closing the console never cut a board operation short.
#pragma once

// The system runs a console control handler on a thread of its own, beside the main thread
// that is inside the library. The handler therefore touches neither the board nor the library:
// it raises a flag and says what will happen. The main thread sees the flag between two board
// operations, gives back the board and the library, and ends with exit code 130.
namespace CliBreak
{
// Installs the handler; call once, before the library is loaded.
void Install();

// True once an event came: start no further board operation.
bool Requested();

// The code to exit with: 130 after an event, else nCode. A close, logoff or shutdown handler
// is waiting for this call, since the system ends the process as soon as that handler returns.
int Finish(int nCode);
} // namespace CliBreak
