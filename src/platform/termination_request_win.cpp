#include "platform/termination_request.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <qt_windows.h>

namespace {

std::function<void(int)> &currentHandler()
{
    static std::function<void(int)> handler;
    return handler;
}

// Set once the main thread has run the handler for a closing console.
HANDLE handled = nullptr;

// Runs on a thread of the system's own: the request is posted to the main thread's event loop.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    const int exitStatus = interrupt ? 130 : 143;
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return FALSE;
    QMetaObject::invokeMethod(
        application,
        [exitStatus] {
            if (const auto handler = currentHandler())
                handler(exitStatus);
            SetEvent(handled);
        },
        Qt::QueuedConnection);
    // A closing console, a log-off or a shutdown ends the process when this returns: give the
    // main thread a moment (the system allows five seconds) to end the program in order.
    if (!interrupt)
        WaitForSingleObject(handled, 4000);
    return TRUE;
}

} // namespace

void onTerminationRequest(std::function<void(int exitStatus)> handler)
{
    currentHandler() = std::move(handler);
    if (handled)
        return;
    handled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // A program without a console window hears Ctrl+C only in the console it was started
    // from; when there is none, this does nothing.
    AttachConsole(ATTACH_PARENT_PROCESS);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}
