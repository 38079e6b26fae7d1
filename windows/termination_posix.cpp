#include "windows/termination.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalSocket[2] = {-1, -1};
std::atomic<bool> g_terminationRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void onSignal(int)
{
    // Only async-signal-safe work here: the event loop picks the byte up.
    g_terminationRequested.store(true, std::memory_order_relaxed);
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalSocket[0], &byte, 1);
}
} // namespace

void closeOnTermination(QWidget* window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalSocket) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalSocket[1], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window = QPointer<QWidget>(window)] {
        char bytes[16];
        while (::read(g_signalSocket[1], bytes, sizeof bytes) > 0) {
        }
        if (window) {
            window->close();
        }
    });

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

bool terminationRequested()
{
    return g_terminationRequested.load(std::memory_order_relaxed);
}
