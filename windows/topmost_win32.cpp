#include "windows/native.h"
#include "windows/topmost.h"

#include <QWidget>

void SetTopMost(QWidget* window, bool on)
{
    setWindowPosTopMost(static_cast<std::uintptr_t>(window->winId()), on);
}
