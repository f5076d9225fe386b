#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// One command line as it came off the serial line, without its ending CR.
struct AssembledLine
{
    QByteArray bytes;
    bool overlong = false; // more bytes came than a line may hold; the excess was dropped
};

// Collects received bytes, which arrive in chunks of any size, into lines ended by CR (0x0D).
// LF (0x0A) does not end a line; LF bytes at the start of a line are dropped, so a CR LF pair
// reads as one line end. A line that grows beyond the limit keeps its first bytes and is marked
// overlong when its CR arrives.
class LineAssembler
{
public:
    static constexpr qsizetype defaultMaxLineBytes = 65536;

    explicit LineAssembler(qsizetype maxLineBytes = defaultMaxLineBytes);

    // Adds a chunk and returns the lines it completed, in order.
    QList<AssembledLine> feed(QByteArrayView chunk);

    // Bytes of the line not yet ended by CR.
    QByteArray pending() const { return m_line.bytes; }

private:
    qsizetype m_maxLineBytes;
    AssembledLine m_line;
};
