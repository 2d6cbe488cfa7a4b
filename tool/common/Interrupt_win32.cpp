#include "Interrupt.h"

#include <windows.h>

#include <csignal>

namespace quorvex {

namespace {

// Runs on a thread of its own: it only notes the request, which the program
// acts on. Closing the console ends the process soon after the handler returns,
// so that case waits briefly for the program to release its ports.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    switch (event) {
        case CTRL_C_EVENT:
            noteInterrupt(SIGINT);
            return TRUE;
        case CTRL_BREAK_EVENT:
            noteInterrupt(SIGTERM);
            return TRUE;
        case CTRL_CLOSE_EVENT:
            noteInterrupt(SIGTERM);
            ::Sleep(1000);
            return TRUE;
        default:
            return FALSE;
    }
}

BOOL WINAPI endQuietly(DWORD)
{
    ::ExitProcess(0);
    return TRUE;
}

}  // namespace

void catchInterrupts(OnInterrupt action)
{
    ::SetConsoleCtrlHandler(action == OnInterrupt::EndQuietly ? endQuietly : onConsoleEvent, TRUE);
}

}  // namespace quorvex
