#pragma once
// SIGTERM and SIGINT as requests to end the program. The handler only notes
// them on a pipe that the message loop watches, so the program ends through
// its own Exit, with its settings written.
namespace platform {

// Installs the handlers (once) and returns the pipe's read end; -1 when no
// pipe could be made (the signals then end the program as before).
int WatchTerminationSignals();
// Empties the pipe; how many signals had come.
int TakeTerminationSignals();
// Whether a signal has come at all, taken or not yet (it takes those waiting).
bool TerminationRequested();

}  // namespace platform
