#include "gui/windows/Signals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <memory>

#include "gui/windows/Forms.h"

namespace gui {

namespace {

// The self-pipe: the handler writes the signal number, the event loop reads it.
int pipeFds[2] = {-1, -1};
std::atomic<int> received{0};
std::unique_ptr<QSocketNotifier> notifier;

void OnSignal(int sig) {
    const int saved = errno;
    const unsigned char b = static_cast<unsigned char>(sig);
    // Nothing else is safe here; a full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &b, 1);
    errno = saved;
}

void Drain() {
    unsigned char buf[16];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0) received.store(buf[n - 1]);
    if (received.load() != 0 && Application != nullptr) Application->Terminate();
}

}  // namespace

void TerminateOnSignals() {
    if (notifier) return;
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [] { Drain(); });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

int TerminatingSignal() { return received.load(); }

}  // namespace gui
