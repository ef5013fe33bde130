// Ctrl-C and SIGTERM (see win32/interrupts.h).
#include "win32/interrupts.h"
#include "win32/automation.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_signal = 0;

void Restore(int signal)
{
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

// Runs in the signal's context: it only stores the number and puts back the
// default actions (sigaction is safe to call here).
void OnInterrupt(int signal)
{
  if (g_signal == 0)
    g_signal = signal;
  Restore(SIGINT);
  Restore(SIGTERM);
}

} // namespace

namespace standin {

void CatchInterrupts()
{
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  // Interrupted system calls go on: the work notices the flag at its next
  // poll, never through a failed read or write.
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGINT, SIGTERM}) {
    struct sigaction before {};
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
      continue;
    sigaction(signal, &action, nullptr);
  }
}

int InterruptSignal() { return g_signal; }

void SetInterruptSignal(int signal) { g_signal = signal; }

} // namespace standin
