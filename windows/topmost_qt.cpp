#include "windows/topmost.h"

#include <QWidget>
#include <QWindow>

void SetTopMost(QWidget* window, bool on)
{
    // Once the native window exists, only its own flag may change: QWidget::setWindowFlag would destroy
    // and re-create it (a new window id, an unmap and a visible flicker). Before that, the widget's flag is
    // the one that creating the native window applies.
    if (QWindow* handle = window->windowHandle()) {
        handle->setFlag(Qt::WindowStaysOnTopHint, on);
    } else {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    }
}
