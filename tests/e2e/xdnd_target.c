// A bare XDND drop target for the end-to-end tests, in plain Xlib, so that the test decides exactly how it
// asks for the drag's data: which format, with which window as requestor and which time, or not at all.
//
//   xdnd_target --out FILE --hover FILE [--at X,Y] [--title TITLE] [--want TARGET|none] [--action move|copy]
//               [--time drop|current] [--requestor self|other] [--targets FILE] [--timeout SECONDS]
//
// --want: the format to convert XdndSelection to after the drop (default UTF8_STRING); "none" reads nothing
// and still finishes the drop with the action, as a target that lies about a move would. --time current and
// --requestor other ask the way a compositor bridging the drag does: CurrentTime, from a window that is not the
// one the drop went to. --targets: TARGETS is asked for first, during the drag, and the answer written there
// one name per line. Whatever arrives is written to the --out file (replaced whole, even when empty); a
// refused conversion writes nothing and reports it on stderr. Each drop is answered with XdndFinished.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>
#include <unistd.h>

static Display* display;
static Window window, requestor;
static Atom aXdndAware, aXdndEnter, aXdndPosition, aXdndStatus, aXdndDrop, aXdndFinished, aXdndLeave, aXdndSelection,
    aActionMove, aActionCopy, aTargets, aReceived;

static const char *outPath, *hoverPath, *targetsPath;
static const char* want = "UTF8_STRING";
static Atom action;
static int useCurrentTime;

static void die(const char* what)
{
    fprintf(stderr, "xdnd_target: %s\n", what);
    exit(1);
}

static void writeFile(const char* path, const unsigned char* data, size_t size)
{
    char tmp[4096];
    snprintf(tmp, sizeof tmp, "%s.tmp", path);
    FILE* f = fopen(tmp, "wb");
    if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0 || rename(tmp, path) != 0) {
        die("cannot write a file");
    }
}

static void sendClient(Window to, Atom type, long l1, long l2, long l3, long l4)
{
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = to;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)window;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(display, to, False, NoEventMask, &event);
    XFlush(display);
}

// Converts XdndSelection to TARGET into a property of the requestor and waits up to 3 s for the answer. Returns
// the property's bytes (8-bit items) or atoms (32-bit), NULL when refused; *count items.
static unsigned char* convert(Atom target, Time when, int* format, unsigned long* count, Atom* type)
{
    XDeleteProperty(display, requestor, aReceived);
    XConvertSelection(display, aXdndSelection, target, aReceived, requestor, useCurrentTime ? CurrentTime : when);
    XFlush(display);
    struct timespec start, now;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        XEvent event;
        if (XCheckTypedWindowEvent(display, requestor, SelectionNotify, &event)) {
            if (event.xselection.property == None) {
                return NULL;
            }
            unsigned long after;
            unsigned char* data = NULL;
            if (XGetWindowProperty(display, requestor, aReceived, 0, 1 << 20, True, AnyPropertyType, type, format,
                                   count, &after, &data) != Success) {
                return NULL;
            }
            return data ? data : (unsigned char*)calloc(1, 1);
        }
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (now.tv_sec - start.tv_sec > 3) {
            return NULL;
        }
        struct timespec pause = {0, 10 * 1000 * 1000};
        nanosleep(&pause, NULL);
    }
}

static void askTargets(Time when)
{
    int format;
    unsigned long count;
    Atom type;
    unsigned char* data = convert(aTargets, when, &format, &count, &type);
    if (!data || format != 32) {
        fputs("xdnd_target: TARGETS refused\n", stderr);
        writeFile(targetsPath, (const unsigned char*)"", 0);
        XFree(data);
        return;
    }
    char list[8192] = "";
    for (unsigned long i = 0; i < count; ++i) {
        char* name = XGetAtomName(display, ((Atom*)data)[i]);
        if (name && strlen(list) + strlen(name) + 2 < sizeof list) {
            strcat(list, name);
            strcat(list, "\n");
        }
        XFree(name);
    }
    XFree(data);
    writeFile(targetsPath, (const unsigned char*)list, strlen(list));
}

static void dropped(Window source, Time when)
{
    if (strcmp(want, "none") != 0) {
        int format;
        unsigned long count;
        Atom type;
        unsigned char* data = convert(XInternAtom(display, want, False), when, &format, &count, &type);
        if (data && format == 8) {
            char* typeName = XGetAtomName(display, type);
            fprintf(stderr, "xdnd_target: received %lu bytes of %s\n", count, typeName);
            XFree(typeName);
            writeFile(outPath, data, count);
            // The test's own copy of the password: overwritten, so that only the keypad's copies are counted.
            memset(data, 0, count);
        } else {
            fprintf(stderr, "xdnd_target: %s refused\n", want);
        }
        XFree(data);
    } else {
        fputs("xdnd_target: dropped, not reading\n", stderr);
    }
    sendClient(source, aXdndFinished, 1, (long)action, 0, 0);
}

int main(int argc, char** argv)
{
    const char* title = "xdnd target";
    int x = 0, y = 0, timeout = 110, otherRequestor = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const char *name = argv[i], *value = argv[i + 1];
        if (!strcmp(name, "--out")) {
            outPath = value;
        } else if (!strcmp(name, "--hover")) {
            hoverPath = value;
        } else if (!strcmp(name, "--targets")) {
            targetsPath = value;
        } else if (!strcmp(name, "--title")) {
            title = value;
        } else if (!strcmp(name, "--want")) {
            want = value;
        } else if (!strcmp(name, "--at")) {
            if (sscanf(value, "%d,%d", &x, &y) != 2) {
                die("--at takes X,Y");
            }
        } else if (!strcmp(name, "--action")) {
            action = !strcmp(value, "copy") ? 1 : 0;
        } else if (!strcmp(name, "--time")) {
            useCurrentTime = !strcmp(value, "current");
        } else if (!strcmp(name, "--requestor")) {
            otherRequestor = !strcmp(value, "other");
        } else if (!strcmp(name, "--timeout")) {
            timeout = atoi(value);
        } else {
            die("unknown option");
        }
    }
    if (!outPath || !hoverPath) {
        die("--out and --hover are needed");
    }
    display = XOpenDisplay(NULL);
    if (!display) {
        die("cannot open the display");
    }
#define ATOM(name) XInternAtom(display, name, False)
    aXdndAware = ATOM("XdndAware");
    aXdndEnter = ATOM("XdndEnter");
    aXdndPosition = ATOM("XdndPosition");
    aXdndStatus = ATOM("XdndStatus");
    aXdndDrop = ATOM("XdndDrop");
    aXdndFinished = ATOM("XdndFinished");
    aXdndLeave = ATOM("XdndLeave");
    aXdndSelection = ATOM("XdndSelection");
    aActionMove = ATOM("XdndActionMove");
    aActionCopy = ATOM("XdndActionCopy");
    aTargets = ATOM("TARGETS");
    aReceived = ATOM("GLYPHWARD_TEST_RECEIVED");
    action = action ? aActionCopy : aActionMove;

    window = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, 240, 120, 0, 0, 0xe0e0e0);
    XSizeHints hints;
    memset(&hints, 0, sizeof hints);
    hints.flags = USPosition | PPosition;
    hints.x = x;
    hints.y = y;
    XSetWMNormalHints(display, window, &hints);
    XStoreName(display, window, title);
    // For finding the window by its process, as the tests find every window.
    long pid = (long)getpid();
    XChangeProperty(display, window, ATOM("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace, (unsigned char*)&pid, 1);
    Atom version = 5;
    XChangeProperty(display, window, aXdndAware, XA_ATOM, 32, PropModeReplace, (unsigned char*)&version, 1);
    requestor = otherRequestor ? XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0) : window;
    XMapWindow(display, window);
    XFlush(display);

    const time_t deadline = time(NULL) + timeout;
    int fd = ConnectionNumber(display);
    int askedTargets = 0;
    while (time(NULL) < deadline) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != ClientMessage) {
                continue;
            }
            const XClientMessageEvent* m = &event.xclient;
            const Window source = (Window)m->data.l[0];
            if (m->message_type == aXdndEnter) {
                askedTargets = 0;
            } else if (m->message_type == aXdndPosition) {
                sendClient(source, aXdndStatus, 3, 0, 0, (long)action);
                if (targetsPath && !askedTargets) {
                    askedTargets = 1;
                    askTargets((Time)m->data.l[3]);
                }
                writeFile(hoverPath, (const unsigned char*)"", 0);
            } else if (m->message_type == aXdndDrop) {
                dropped(source, (Time)m->data.l[2]);
            }
        }
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(fd, &fds);
        struct timeval tick = {0, 100 * 1000};
        select(fd + 1, &fds, NULL, NULL, &tick);
    }
    XCloseDisplay(display);
    return 0;
}
