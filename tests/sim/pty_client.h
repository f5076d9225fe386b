#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The console's end of the simulator's pseudo-terminal, opened directly with open() and raw
// mode, for tests that talk to the simulator byte by byte.
class PtyClient
{
public:
    explicit PtyClient(const QString &path);
    ~PtyClient();
    PtyClient(const PtyClient &) = delete;
    PtyClient &operator=(const PtyClient &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool write(const QByteArray &bytes);

    // Reads until the collected bytes end with `ending` or the time is up; returns what came.
    QByteArray readUntil(const QByteArray &ending, int timeoutMs);
    // Reads whatever arrives within the given time, as one piece per read().
    QList<QByteArray> readChunksFor(int timeoutMs);
    // Writes a command line and returns the answer line that ends with CR.
    QByteArray ask(const QByteArray &commandLine, int timeoutMs = 2000);

private:
    int m_fd = -1;
};
