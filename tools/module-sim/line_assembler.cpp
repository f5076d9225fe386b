#include "line_assembler.h"

#include <utility>

namespace {
constexpr char CR = '\x0d';
constexpr char LF = '\x0a';
} // namespace

LineAssembler::LineAssembler(qsizetype maxLineBytes)
    : m_maxLineBytes(maxLineBytes)
{}

QList<AssembledLine> LineAssembler::feed(QByteArrayView chunk)
{
    QList<AssembledLine> lines;
    for (const char byte : chunk) {
        if (byte == CR) {
            lines.append(std::exchange(m_line, AssembledLine{}));
        } else if (byte == LF && m_line.bytes.isEmpty() && !m_line.overlong) {
            // A stray LF, or the LF of a CR LF pair: not part of any command.
        } else if (m_line.bytes.size() < m_maxLineBytes) {
            m_line.bytes.append(byte);
        } else {
            m_line.overlong = true;
        }
    }
    return lines;
}
