#pragma once

#include "transport/open_failure_cause.h"

#include <QString>

// The words the window shows beneath a box's message, or in its title, so that the operator
// sees what stood in the way and what to do without opening the details. In Japanese, as the
// boxes are; the details keep the technical trail.

// The system whose words a cause uses: where the operator looks up the serial ports differs.
enum class Desk { Linux, Windows };
#ifdef Q_OS_WIN
constexpr Desk thisDesk = Desk::Windows;
#else
constexpr Desk thisDesk = Desk::Linux;
#endif

// Why port number n, which reaches device, did not open, by the kind the transport found.
// Where the device is the port's own name (COM3 on Windows), the sentence names it once.
QString visibleOpenCause(int port,
                         const QString &device,
                         const OpenFailureCause &cause,
                         Desk desk = thisDesk);

// Text in the port box that names no port: the names that do, and how to number a device.
QString visibleNoPortName(const QString &shown);

// Port number n's device went away while open.
QString visibleDeviceLoss(int port, const QString &device, Desk desk = thisDesk);

// Port number n's device went away, and it is of a kind that never comes back (a
// pseudo-terminal): nothing opens it by itself.
QString visibleOneTimeDeviceLoss(int port, const QString &device);

// Another device (what it is) now has the name of port number n's lost device: it is not
// opened by itself, and OPEN opens it.
QString visibleOtherDevice(int port, const QString &device, const QString &what);

// The port box names another port now: the lost device is awaited no more.
QString visibleLossNotAwaited();

// The module on port number n has not answered a poll or a query.
QString moduleSilentSign(int port, const QString &device);

// The module on port number n answered '?' to a command of the window's own.
QString moduleRefusedSign(int port, const QString &device, const QString &command);
// The module on port number n sends status replies nobody asked for.
QString moduleUnaskedSign(int port, const QString &device);

// The console refused the send box itself: line n (from 1), which begins so, is no MSG line.
QString visibleLineNotMsg(int line, const QString &text);
// The module answered line n (from 1) of the run, which begins so, with this answer.
QString visibleModuleRefusedLine(int line, const QString &text, const QString &answer);
// The module reported an error before any line of the run went out; command: the one it
// refused before, if known.
QString visibleModuleErrorBeforeRun(const QString &command);
// The first characters of a line, as a cause quotes them.
QString lineOpening(const QString &line);
