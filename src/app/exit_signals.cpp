#include "app/exit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace quorbel {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int g_pipe[2] = {-1, -1};

// Async-signal-safe: one write of one byte, errno kept for the code it interrupted.
void onSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &number, 1);
    errno = saved;
}

}  // namespace

ExitSignals::ExitSignals(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ExitSignals::readSignal);
    struct sigaction action {};
    action.sa_handler = &quorbel::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

ExitSignals::~ExitSignals() {
    for (const int signal : kSignals) std::signal(signal, SIG_DFL);
}

void ExitSignals::readSignal() {
    unsigned char number = 0;
    if (::read(g_pipe[0], &number, 1) == 1 && onSignal_) onSignal_(number);
}

}  // namespace quorbel
