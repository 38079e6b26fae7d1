/* Clicks a point of a window COUNT times through the XTEST extension, as a mouse would, and prints for each
 * click the milliseconds until the X server saw the window's drawing change inside a given rectangle (the
 * Damage extension reports every drawing into the window, whoever does it).
 *
 *   clickdamage WINDOW CLICK_X CLICK_Y RECT_X RECT_Y RECT_W RECT_H COUNT
 *
 * Coordinates are relative to the window. A click with no change in the rectangle within 2 s prints -1. */
#define _DEFAULT_SOURCE
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static double nowMs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static int damageBase;

/* Reads events for up to timeoutMs; returns the time of the first damage that meets the rectangle, or -1.
 * With a negative rectangle width it only drains. */
static double waitDamage(Display* dpy, const XRectangle* rect, double timeoutMs)
{
    const double until = nowMs() + timeoutMs;
    for (;;) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            if (e.type != damageBase + XDamageNotify || !rect) {
                continue;
            }
            const XDamageNotifyEvent* d = (const XDamageNotifyEvent*)&e;
            if (d->area.x < rect->x + rect->width && rect->x < d->area.x + d->area.width &&
                d->area.y < rect->y + rect->height && rect->y < d->area.y + d->area.height) {
                return nowMs();
            }
        }
        const double left = until - nowMs();
        if (left <= 0) {
            return -1;
        }
        struct pollfd p = {ConnectionNumber(dpy), POLLIN, 0};
        poll(&p, 1, (int)left + 1);
    }
}

int main(int argc, char** argv)
{
    if (argc != 9) {
        fprintf(stderr, "usage: clickdamage WINDOW CLICK_X CLICK_Y RECT_X RECT_Y RECT_W RECT_H COUNT\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "clickdamage: cannot open display\n");
        return 1;
    }
    int errorBase, major, minor;
    if (!XDamageQueryExtension(dpy, &damageBase, &errorBase) ||
        !XTestQueryExtension(dpy, &errorBase, &errorBase, &major, &minor)) {
        fprintf(stderr, "clickdamage: the X server lacks DAMAGE or XTEST\n");
        return 1;
    }
    const Window window = (Window)strtoul(argv[1], NULL, 0);
    const XRectangle rect = {(short)atoi(argv[4]), (short)atoi(argv[5]), (unsigned short)atoi(argv[6]),
                             (unsigned short)atoi(argv[7])};
    const int count = atoi(argv[8]);

    int screenX, screenY;
    Window child;
    XTranslateCoordinates(dpy, window, DefaultRootWindow(dpy), atoi(argv[2]), atoi(argv[3]), &screenX, &screenY,
                          &child);
    XDamageCreate(dpy, window, XDamageReportRawRectangles);
    XTestFakeMotionEvent(dpy, -1, screenX, screenY, CurrentTime);
    XSync(dpy, False);

    for (int i = 0; i < count; ++i) {
        /* The program settles (hover effects, the previous click's drawing) before each click. */
        waitDamage(dpy, NULL, 250);
        const double start = nowMs();
        XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
        XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
        XFlush(dpy);
        const double seen = waitDamage(dpy, &rect, 2000);
        printf("%.2f\n", seen < 0 ? -1.0 : seen - start);
        fflush(stdout);
    }
    XCloseDisplay(dpy);
    return 0;
}
