#include "QuietInterrupt.h"

#include <signal.h>
#include <unistd.h>

namespace quorvex {

namespace {

void onSignal(int)
{
    _exit(0);
}

}  // namespace

void endQuietlyOnInterrupt()
{
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace quorvex
