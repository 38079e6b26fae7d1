#include "windows/screen_fit.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {
// Title bar and borders assumed while the window manager has not framed the window yet.
const QMargins kEstimatedFrame(4, 25, 4, 4);

QRect freeArea(const QWidget* window, const QWidget* keypad)
{
    QScreen* screen = keypad && keypad->screen() ? keypad->screen() : window->screen();
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen ? screen->availableGeometry() : QRect();
}

QMargins frameOf(const QWidget* window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    return frame.isNull() ? kEstimatedFrame : frame;
}
} // namespace

void keepOnKeypadScreen(QWidget* window, const QWidget* keypad)
{
    const QRect area = freeArea(window, keypad);
    if (area.isEmpty()) {
        return;
    }
    const QMargins frame = window->windowFlags().testFlag(Qt::FramelessWindowHint) ? QMargins() : frameOf(window);
    const QSize room = area.size().shrunkBy(frame);
    const QSize size = window->size().boundedTo(room.expandedTo(window->minimumSize()));
    if (size != window->size()) {
        window->resize(size);
    }
    // A window that nobody placed is the window manager's to place: until it has framed it, only its size is
    // looked after.
    const bool framed = window->frameGeometry() != window->geometry();
    if (!framed && !window->testAttribute(Qt::WA_Moved)) {
        return;
    }
    const QRect outer = QRect(window->geometry().topLeft(), size).marginsAdded(frame);
    const int dx = std::max(area.left() - outer.left(), std::min(0, area.right() - outer.right()));
    const int dy = std::max(area.top() - outer.top(), std::min(0, area.bottom() - outer.bottom()));
    if (dx != 0 || dy != 0) {
        window->setGeometry(window->geometry().translated(dx, dy));
    }
}

void placeOnKeypadScreen(QWidget* window, const QWidget* keypad, const QPoint& offset)
{
    const QRect area = freeArea(window, keypad);
    window->setGeometry(QRect(area.topLeft() + offset, window->size()));
    keepOnKeypadScreen(window, keypad);
}
