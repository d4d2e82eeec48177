#pragma once
// The application object and its event loop. The toolkit creates the windowing system's
// application on first use (every toolkit object calls appEnsure); the program then runs
// the loop until its main window asks it to stop.
//
// The platform comes from the environment (QT_QPA_PLATFORM): tests use "offscreen".

// Creates the application when it does not exist yet. Safe to call any number of times.
void appEnsure();

// Lets every pending event run (painting, input, timers) and returns.
void SysRefresh();

// Waits `seconds` by the toolkit clock while events keep running; ends early on a key
// press when `untilKey`. Returns true when a key ended the wait.
bool waitWithEvents(double seconds, bool untilKey = false);

// Runs the event loop until quitEventLoop; returns its exit code.
int runEventLoop();
// Ends runEventLoop; does nothing while it is not running.
void quitEventLoop(int code = 0);
