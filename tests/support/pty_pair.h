#pragma once

#include <QByteArray>
#include <QString>

// Opens a pseudo-terminal pair in raw mode (no echo, CR kept as CR), the module's side
// non-blocking; gives the terminal side's path, or an empty one with both ends -1.
QString openRawPty(int &master, int &slave);

// A pseudo-terminal pair in raw mode that stands for the module's end of the line: the
// console opens the terminal side by its path, the test reads and writes the other side.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return master_ >= 0; }
    QString terminalPath() const { return path_; }

    // Writes bytes as the module would.
    void write(const QByteArray &bytes);
    // Reads what the console wrote, running the event loop until at least `count` bytes
    // have come or the time is over.
    QByteArray read(int count, int timeoutMs = 2000);
    // Everything that arrives within the time, running the event loop meanwhile.
    QByteArray readFor(int milliseconds);
    // Closes the module's side: for the console the device is gone.
    void closeModuleSide();

private:
    QByteArray readAvailable();

    int master_ = -1;
    int slave_ = -1;
    QString path_;
};
