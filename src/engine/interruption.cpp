#include "engine/interruption.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

namespace pezolva::engine {
namespace {

// Lock-free, so that a signal handler may write it.
std::atomic<int> requested{0};
static_assert(std::atomic<int>::is_always_lock_free);

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void on_signal(int signal_number) { request_interruption(signal_number); }

}  // namespace

struct SignalInterruption::Saved {
    struct sigaction previous[std::size(kSignals)];
};

void request_interruption(int signal_number) noexcept {
    int none = 0;
    // The first cause stays: a second Ctrl-C does not change why we stop.
    requested.compare_exchange_strong(none, signal_number > 0 ? signal_number : 1);
}

int interruption_requested() noexcept { return requested.load(std::memory_order_relaxed); }

void clear_interruption() noexcept { requested.store(0); }

SignalInterruption::SignalInterruption() : saved_(new Saved) {
    clear_interruption();
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    // Slow system calls resume: the work notices the request at its next check.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &action, &saved_->previous[i]);
        // A signal the caller chose to ignore (nohup, a background job)
        // stays ignored.
        if (saved_->previous[i].sa_handler == SIG_IGN)
            sigaction(kSignals[i], &saved_->previous[i], nullptr);
    }
}

SignalInterruption::~SignalInterruption() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &saved_->previous[i], nullptr);
    }
    delete saved_;
}

void end_as_signal(int signal_number) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signal_number);
    sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    ::raise(signal_number);
    // A signal whose default action is not to end the process.
    std::_Exit(128 + signal_number);
}

}  // namespace pezolva::engine
