#pragma once

// The transports: the serial-control seam below and its implementations (Qt's serial port,
// the Win32 API, modules on the network), locks and open failures, and the inventory of the
// ports a machine has. It uses the text room (code page 932) and the platform room; nothing
// above them.

#include "transport/device_identity.h"
#include "transport/open_failure_cause.h"

#include <QObject>
#include <QString>

#include <memory>

// The serial control the window talks to: the port number, the open state, one write of a
// string, the text received and an event for each arrival of data. The program uses the
// one of its system (makeSerialControl); tests put a recorder in its place.
class SerialControl : public QObject
{
    Q_OBJECT

public:
    // CommEvent value: received data is waiting in Input.
    static constexpr int comEvReceive = 2;

    using QObject::QObject;

    virtual int CommPort() const = 0;
    // Selects the port that the next open uses; an open port is not touched.
    virtual void setCommPort(int port) = 0;

    virtual bool PortOpen() const = 0;
    // Opens (true) or closes (false) the selected port. Returns false when the port cannot
    // be opened; errorText() then tells why. An open that must wait for a server runs the
    // event loop until it is settled; closing gives up an open under way.
    virtual bool setPortOpen(bool open) = 0;

    // How an open stands once started.
    enum class OpenStart { Opened, Failed, Pending };
    // Starts opening the selected port without waiting: a device answers Opened or Failed at
    // once, as setPortOpen(true) does; a port on the network answers Pending and reports the
    // outcome by openFinished. setPortOpen(false) gives up a pending open without it.
    virtual OpenStart startOpen()
    {
        return setPortOpen(true) ? OpenStart::Opened : OpenStart::Failed;
    }
    // True while a started open waits for its outcome.
    virtual bool isOpening() const { return false; }
    virtual QString errorText() const = 0;
    // The kind of the last open failure, for the words the window shows beside errorText().
    virtual OpenFailureCause errorCause() const { return {}; }

    // Writes the whole string in one write and returns at once. Does nothing while the port
    // is closed.
    virtual void Output(const QString &text) = 0;
    // Every character received since the last call, as text; empties the buffer.
    virtual QString Input() = 0;
    // The reason for the latest OnComm event.
    virtual int CommEvent() const = 0;

    // Bytes handed to Output that have not yet been passed on to the device; 0 while closed.
    virtual qint64 bytesToWrite() const = 0;
    // Waits, for at most the given time, until every byte written has left the port. False
    // when the time ran out, the port is closed or the device failed.
    virtual bool drainOutput(int milliseconds) = 0;

    // What the device of the last successful open is, taken as it opened and kept after it
    // closes or goes away; kind None where the control cannot tell.
    virtual DeviceIdentity openedIdentity() const { return {}; }

    // Which way bytes crossed the line.
    enum class Direction { Out, In };

signals:
    void OnComm();
    // An open that startOpen left pending has opened (true) or failed (false; errorText()).
    void openFinished(bool opened);
    // The device went away while open (a USB adapter pulled out); the port is closed.
    void deviceLost(const QString &reason);
    // What crossed the line: the exact bytes and the text the console makes of them.
    void traffic(SerialControl::Direction direction, const QByteArray &bytes, const QString &text);
    // The port opened ("OPEN"), closed ("CLOSE") or could not be opened ("OPEN-FAILED").
    void portEvent(const QString &kind, const QString &detail);
};

// The serial control of the system the program runs on: Qt's serial port on Linux, the Win32
// communications API on Windows, and for a network port name the network control on both.
std::unique_ptr<SerialControl> makeSerialControl();
