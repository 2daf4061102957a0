#include "platform/interruption.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace xq {

namespace {

// Written by the handlers, so only lock-free atomics.
std::atomic<int> caughtSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

#ifdef _WIN32

// Set once the clean-up is done: the console's close, logoff and shutdown events end the process
// as soon as their handler returns, so the handler waits for it (Windows allows some seconds).
HANDLE cleanedUp = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            caughtSignal.store(SIGINT);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            caughtSignal.store(SIGTERM);
            if (cleanedUp != nullptr) {
                ::WaitForSingleObject(cleanedUp, 4500);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

#else

int notifierPipe[2] = {-1, -1};

void onSignal(int signal) {
    const int saved = errno;
    int none = 0;
    caughtSignal.compare_exchange_strong(none, signal);
    if (notifierPipe[1] >= 0) {
        const char byte = 1;
        // Only to wake an event loop; a full pipe has woken it already.
        [[maybe_unused]] const ssize_t written = ::write(notifierPipe[1], &byte, 1);
    }
    errno = saved;
}

#endif

}  // namespace

#ifdef _WIN32

void installInterruptHandlers() {
    if (cleanedUp == nullptr) {
        cleanedUp = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    }
}

int interruptNotifier() {
    return -1;
}

void endAsInterrupted() {
    if (cleanedUp != nullptr) {
        ::SetEvent(cleanedUp);
    }
    ::ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT));
}

#else

void installInterruptHandlers() {
    if (notifierPipe[0] < 0 && ::pipe2(notifierPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        notifierPipe[0] = notifierPipe[1] = -1;
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a program waiting for the operator's answer at the terminal gets its read
    // interrupted and goes on to stop.
    action.sa_flags = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
    // The output may be a pipe whose reader has gone (`xq3100-convert ... | head`): the write
    // fails, the front end notes that its output is lost, and the work is not cut off by it.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, nullptr);
}

int interruptNotifier() {
    return notifierPipe[0];
}

void endAsInterrupted() {
    const int signal = caughtSignal.load() != 0 ? caughtSignal.load() : SIGTERM;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    std::_Exit(128 + signal);  // should the signal be ignored all the same
}

#endif

bool interruptRequested() {
    return caughtSignal.load() != 0;
}

void simulateInterruption(int signal) {
    caughtSignal.store(signal);
}

void clearInterruption() {
    caughtSignal.store(0);
}

}  // namespace xq
