#include "windows/termination.h"

// Windows ends a program by closing its windows (WM_CLOSE, WM_QUERYENDSESSION), which Qt turns into close
// events already.
void closeOnTermination(QWidget*) {}

bool terminationRequested()
{
    return false;
}
