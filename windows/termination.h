#pragma once

class QWidget;

// Closes the window through its normal closing path, from the event loop, when the process is asked to end
// (SIGTERM, SIGHUP, SIGINT), so that shut-down runs.
void closeOnTermination(QWidget* window);

// Whether the process has been asked to end; for long work that runs before the event loop can close the
// window, so that it stops early.
bool terminationRequested();
