#pragma once

#include <QString>

// What stood in the way of an open, decided once where the cause is found out, so that the
// window can word it for the operator without reading the technical text again.
enum class OpenFailureKind {
    Other,           // only the system's words are known
    NoSuchDevice,    // nothing at the device path
    NoAccess,        // the user may not open the device (subject: the group that may)
    OnlyRoot,        // only root may open the device, no group helps (subject: its group)
    InUse,           // another program holds the port (subject: which, when known)
    OrphanLock,      // a lock file names no running program (subject: the lock file)
    NotNetworkPort,  // a network name that cannot be read
    ServerUnreached, // no connection to the server within the time (no answer at all)
    UnknownHost,     // the server's host name is known to no name server
    ServerRefused,   // the host refused the connection: no server on that port
    ServerSilent,    // the server accepted the connection and never answered the console
    ServerBusy,      // the server turned the connection away (another client has the port)
    SettingRefused,  // the server refused a line setting (subject: the setting)
};

struct OpenFailureCause
{
    OpenFailureKind kind = OpenFailureKind::Other;
    QString subject; // the group, the program or the setting the kind is about; may be empty
};
