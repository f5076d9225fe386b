#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// COM numbers for serial devices that come and go (USB adapters), as Windows gives them: each
// device gets the lowest free number from COM3 to COM16 the first time the console sees it,
// and keeps it in the user's ports file, one "COM<n>=<device>" line a device. The numbers are
// the user's, not a folder's: the window and every terminal run share the one file.
// COM1 and COM2 stay the machine's own ports unless a line of the file names them. A device
// is an opaque name: a path, or anything else the serial control can open.

// Port number -> device.
using PortNumbers = QMap<int, QString>;

// The file's name in the per-user folder.
inline const QString portsFileName = QStringLiteral("\\parlino_ports.txt");

// The user's ports file: the file PARLINO_PORTS_FILE names when it is set (tests and CI
// images); else parlino_ports.txt in the per-user folder (~/.local/share/parlino, following
// XDG_DATA_HOME), whatever the working folder. Empty when the user has no home: there is no
// place for it.
QString userPortsFile();

// The numbers a ports file's bytes hold, and a sentence for each line that could not be read
// (no UTF-8 text, no "COM<n>=" from COM1 to COM16, no device, a number or a device given
// twice: the first holds). The file is UTF-8, read line by line, so that a note in another
// encoding costs its own line only. Blank lines and lines starting with '#' are skipped.
struct PortsFile
{
    PortNumbers numbers;
    QStringList problems;
};
PortsFile parsePortsFile(const QByteArray &bytes);

// The numbers after the devices present now are given theirs: a remembered device keeps its
// number; a new one gets the lowest from COM3 to COM16 that no remembered device holds and no
// variable sets. A device a variable already reaches gets none, nor does one when the
// numbers have run out. variables: port -> device of the PARLINO_COM<n> that are set.
PortNumbers numberDevices(const PortNumbers &remembered,
                          const QStringList &present,
                          const PortNumbers &variables);

// Where the numbering looks: the by-id folder of the serial devices, the device folder for a
// system without it (its ttyUSB* and ttyACM*), and the ports file.
struct PortPlaces
{
    QString byIdFolder;
    QString deviceFolder;
    QString portsFile;
};
// /dev/serial/by-id (or the folder in PARLINO_SERIAL_BY_ID, which tests set), /dev, and
// the user's ports file.
PortPlaces defaultPortPlaces();

// Reads the ports file, numbers the devices present now and adds the new ones to the file
// (making its folder when it is the first), all under the file's lock (a QLockFile beside
// it), so that consoles numbering at the same moment agree.
// Lines that cannot be read are reported on standard error, each once. When the file cannot
// be written the new numbers hold for the rest of this run, and that is said once. A file
// that is there but cannot be read whole (no permission, a folder, an I/O error), or no place
// for it, gives the devices no numbers at all, is said once and is never added to.
PortNumbers refreshPortNumbers(const PortPlaces &places);
// The same at the default places, and the numbers become the ones the serial controls open
// by (setNumberedPorts); nothing on Windows, which numbers its ports itself.
PortNumbers refreshPortNumbers();
