#pragma once

namespace pezolva::engine {

// A request, usually from a signal, that the engine's work stop soon.
//
// While a request stands, every statement of every connection the engine
// opened stops at its next check (within a few thousand virtual-machine
// steps) with ErroCancelado, and work that reads or writes files in a loop
// stops at its next block.  The request stands until the next
// SignalInterruption is made or clear_interruption() is called.

// Asks for the stop; `signal_number` is the cause (a signal number, or
// any positive number).  Safe to call from a signal handler.
void request_interruption(int signal_number) noexcept;

// The cause of the standing request; 0 when there is none.
int interruption_requested() noexcept;

void clear_interruption() noexcept;

// Turns SIGINT, SIGTERM and SIGHUP into an interruption request for its
// life, so that work in progress can end cleanly (remove its temporary
// files, say what happened) instead of dying half-way.  Made, it clears any
// earlier request; gone, it puts the earlier handlers back.  A signal that
// came meanwhile is not delivered again: the owner reads it with
// interruption_requested() and ends as that signal asks.  Objects nest.
class SignalInterruption {
  public:
    SignalInterruption();
    ~SignalInterruption();
    SignalInterruption(const SignalInterruption&) = delete;
    SignalInterruption& operator=(const SignalInterruption&) = delete;

  private:
    struct Saved;
    Saved* saved_;
};

// Ends the process as `signal_number` would have ended it with its default
// action (the exit status a shell shows as 128 + number): for callers that
// caught the signal only to clean up first.
[[noreturn]] void end_as_signal(int signal_number);

}  // namespace pezolva::engine
