#include "app/desktop/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace plimsett {
namespace {

// The write end is used from the signal handler, where only async-signal-safe calls may run.
int pipeEnds[2] = {-1, -1};

void onSignal(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
#ifdef SOCK_CLOEXEC
    constexpr int socketType = SOCK_STREAM | SOCK_CLOEXEC;
#else
    // macOS has no SOCK_CLOEXEC: the ends are marked close-on-exec right after.
    constexpr int socketType = SOCK_STREAM;
#endif
    if (pipeEnds[0] < 0 && ::socketpair(AF_UNIX, socketType, 0, pipeEnds) != 0) {
        return;
    }
#ifndef SOCK_CLOEXEC
    ::fcntl(pipeEnds[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(pipeEnds[1], F_SETFD, FD_CLOEXEC);
#endif
    ::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    ::fcntl(pipeEnds[1], F_SETFL, O_NONBLOCK);
    notifier_ = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drain);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

void TerminationSignals::drain() {
    unsigned char byte = 0;
    while (::read(pipeEnds[1], &byte, 1) == 1) {
        emit received(byte);
        QCoreApplication::quit();
    }
}

} // namespace plimsett
