/* Starts a program and reports, in milliseconds from just before its exec, when its first top-level window
 * became visible (the first MapNotify on the root of a window created after the start: openbox's frame, or
 * the window itself without a window manager) and when that program's window got its first Expose, then,
 * SETTLE_MS after the map, its VmRSS and RssAnon in KiB. The program is then sent SIGTERM and waited for.
 *
 *   mapwait SETTLE_MS COMMAND [ARG...]
 *   prints: map_ms expose_ms vmrss_kib rssanon_kib
 *
 * Expose is the server's request to paint, sent once the window is viewable; the drawing follows it. */
#define _DEFAULT_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double nowMs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static long statusField(pid_t pid, const char* name)
{
    char path[64], line[256];
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE* f = fopen(path, "r");
    long value = -1;
    if (!f) {
        return -1;
    }
    size_t n = strlen(name);
    while (fgets(line, sizeof line, f)) {
        if (strncmp(line, name, n) == 0 && line[n] == ':') {
            value = strtol(line + n + 1, NULL, 10);
            break;
        }
    }
    fclose(f);
    return value;
}

/* A window may be gone by the time it is asked about; that is no reason to stop. */
static int ignoreError(Display* dpy, XErrorEvent* error)
{
    (void)dpy;
    (void)error;
    return 0;
}

/* Each watched window with the top-level it was created in: openbox later moves the program's window into
 * a frame, and an Expose of the frame's title bar must not count as the program's. */
enum
{
    kMaxWatched = 4096
};
static Window watched[kMaxWatched], origins[kMaxWatched];
static int watchedCount;

static Window originOf(Window w)
{
    for (int i = 0; i < watchedCount; ++i) {
        if (watched[i] == w) {
            return origins[i];
        }
    }
    return None;
}

/* Watches a window and everything inside it. The server is grabbed meanwhile, so that no child is created,
 * or exposed, between the query and the selection. */
static void watchTree(Display* dpy, Window w, Window origin)
{
    XGrabServer(dpy);
    Window stack[kMaxWatched];
    int depth = 0;
    stack[depth++] = w;
    while (depth > 0) {
        Window current = stack[--depth];
        if (originOf(current) != None || watchedCount == kMaxWatched) {
            continue;
        }
        watched[watchedCount] = current;
        origins[watchedCount++] = origin;
        XSelectInput(dpy, current, ExposureMask | SubstructureNotifyMask);
        Window rootReturn, parent, *children = NULL;
        unsigned int n = 0;
        if (XQueryTree(dpy, current, &rootReturn, &parent, &children, &n)) {
            for (unsigned int i = 0; i < n && depth < kMaxWatched; ++i) {
                stack[depth++] = children[i];
            }
            XFree(children);
        }
    }
    XUngrabServer(dpy);
    XFlush(dpy);
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: mapwait SETTLE_MS COMMAND [ARG...]\n");
        return 2;
    }
    const int settleMs = atoi(argv[1]);
    Display* dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "mapwait: cannot open display\n");
        return 1;
    }
    XSetErrorHandler(ignoreError);
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const double start = nowMs();
    pid_t pid = fork();
    if (pid < 0) {
        perror("mapwait: fork");
        return 1;
    }
    if (pid == 0) {
        close(ConnectionNumber(dpy));
        execvp(argv[2], argv + 2);
        perror("mapwait: exec");
        _exit(127);
    }

    double mapMs = -1, exposeMs = -1;
    const double limit = start + 20000;
    int fd = ConnectionNumber(dpy);
    while ((mapMs < 0 || exposeMs < 0) && nowMs() < limit) {
        if (!XPending(dpy)) {
            struct pollfd p = {fd, POLLIN, 0};
            poll(&p, 1, 100);
            if (waitpid(pid, NULL, WNOHANG) == pid) {
                fprintf(stderr, "mapwait: %s exited before showing a window\n", argv[2]);
                return 1;
            }
            continue;
        }
        XEvent e;
        XNextEvent(dpy, &e);
        const double t = nowMs() - start;
        switch (e.type) {
        case CreateNotify:
            /* New top-levels (the program's, and openbox's frames) and all windows inside them. */
            if (!e.xcreatewindow.override_redirect) {
                watchTree(dpy, e.xcreatewindow.window,
                          e.xcreatewindow.parent == root ? e.xcreatewindow.window : originOf(e.xcreatewindow.parent));
            }
            break;
        case MapNotify:
            if (e.xmap.event == root && !e.xmap.override_redirect && mapMs < 0) {
                mapMs = t;
            }
            break;
        case Expose:
            if (exposeMs < 0) {
                XClassHint hint = {0, 0};
                /* openbox's frames carry no class; the program's top-level does. */
                if (XGetClassHint(dpy, originOf(e.xexpose.window), &hint)) {
                    exposeMs = t;
                    XFree(hint.res_name);
                    XFree(hint.res_class);
                }
            }
            break;
        default:
            break;
        }
    }
    if (mapMs < 0 || exposeMs < 0) {
        fprintf(stderr, "mapwait: no window from %s within 20 s\n", argv[2]);
        kill(pid, SIGKILL);
        return 1;
    }

    const double settleUntil = nowMs() + settleMs;
    while (nowMs() < settleUntil) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
        }
        usleep(10000);
    }
    printf("%.1f %.1f %ld %ld\n", mapMs, exposeMs, statusField(pid, "VmRSS"), statusField(pid, "RssAnon"));
    fflush(stdout);
    kill(pid, SIGTERM);
    for (int i = 0; i < 100 && waitpid(pid, NULL, WNOHANG) != pid; ++i) {
        usleep(20000);
    }
    if (waitpid(pid, NULL, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, NULL, 0);
    }
    XCloseDisplay(dpy);
    return 0;
}
