// Shutting the computer down, the scheduler's last closing action.
#pragma once

namespace ks::plat {

// Asks the system to shut down (on Windows with the shutdown privilege it
// may need). When the environment variable KESTRUNE_SHUTDOWN_LOG names a file,
// a line "shutdown" is appended to it instead, so tests can see the request
// without ending anything. False when the request was not made.
bool ShutDownComputer();

// The system's own request; no test hook.
bool SystemShutdown();

}  // namespace ks::plat
