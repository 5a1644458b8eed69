// The few console services the headless front end needs.
#pragma once

namespace ks::plat {

// Ctrl-C, SIGINT and the console's break events set a flag instead of ending
// the process, so a command can pause, save and leave with status 130.
void InstallInterruptHandler();
bool Interrupted();

bool StderrIsTerminal();
bool StdinIsTerminal();
int TerminalWidth();

}  // namespace ks::plat
