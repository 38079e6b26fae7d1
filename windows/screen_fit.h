#pragma once

class QPoint;
class QWidget;

// Keeps a secondary window wholly on the screen that holds the keypad, its frame included: a window larger
// than that screen's free area is made smaller (its view then scrolls), and one that lies partly off it is
// moved onto it. Before the window manager has framed the window, a frame is estimated.
void keepOnKeypadScreen(QWidget* window, const QWidget* keypad);

// Puts the window's client area (not its frame) at OFFSET from the top-left corner of the free area of the
// keypad's screen, then keeps it on that screen.
void placeOnKeypadScreen(QWidget* window, const QWidget* keypad, const QPoint& offset);
