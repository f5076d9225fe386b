#include "monitor/record_model.h"

#include "link/status_polls.h"
#include "link/transcript.h"
#include "text/cp932.h"
#include "text/visible_text.h"

#include <QFontDatabase>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Status polls answered so long ago are no longer looked for: bounds the list of open polls
// whatever the module does.
constexpr std::size_t openPollsKept = 1000;
// Freed payload blocks kept for reuse: a megabyte.
constexpr std::size_t freeBlocksKept = 16;

QString hexOf(const char *bytes, qsizetype size, qsizetype cut, qsizetype shown)
{
    QString hex = QString::fromLatin1(
        QByteArray::fromRawData(bytes, std::min(shown, size)).toHex(' ').toUpper());
    const qsizetype more = cut + std::max<qsizetype>(0, size - shown);
    if (more > 0)
        hex += QStringLiteral(" …(+%1)").arg(more);
    return hex;
}

QString shownText(const QString &text, qsizetype shown)
{
    return text.size() > shown ? visibleText(QStringView(text).first(shown)) + u'…'
                               : visibleText(text);
}

} // namespace

QString monitorKindName(const QString &kind)
{
    if (kind == QLatin1String("OUT"))
        return QStringLiteral("送信");
    if (kind == QLatin1String("IN"))
        return QStringLiteral("受信");
    return kind;
}

RecordModel::RecordModel(QObject *parent)
    : QAbstractTableModel(parent)
    , fixedFont_(QFontDatabase::systemFont(QFontDatabase::FixedFont))
{
    batch_.setSingleShot(true);
    batch_.setInterval(batchMs);
    connect(&batch_, &QTimer::timeout, this, &RecordModel::flush);
}

int RecordModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(shown_);
}

int RecordModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecordModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || std::size_t(index.row()) >= shown_)
        return {};
    const Row &row = rowAt(std::size_t(index.row()));
    if (role == PollTrafficRole)
        return (row.flags & PollTraffic) != 0;
    if (role == Qt::TextAlignmentRole && index.column() == TimeColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::FontRole && index.column() == BytesColumn)
        return fixedFont_;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case TimeColumn:
        return QString::number(row.ms, 'f', 3);
    case KindColumn:
        return monitorKindName(kinds_[row.kind]);
    case TextColumn:
        return shownText(textOf(row, shownChars + 1), shownChars);
    case BytesColumn:
        return hexOf(payload(row), row.byteCount, row.bytesCut, shownBytes);
    case NoteColumn:
        return noteOf(firstSeq_ + quint64(index.row()), row);
    default:
        return {};
    }
}

MonitorRecord RecordModel::record(int index) const
{
    const Row &row = rowAt(std::size_t(index));
    MonitorRecord record;
    record.seq = firstSeq_ + quint64(index);
    record.ms = row.ms;
    record.kind = kinds_[row.kind];
    record.text = textOf(row, bytesKept);
    record.bytes = QByteArray(payload(row), row.byteCount);
    record.bytesCut = row.bytesCut;
    record.note = noteOf(record.seq, row);
    record.pollTraffic = (row.flags & PollTraffic) != 0;
    return record;
}

const char *RecordModel::payload(const Row &row) const
{
    return row.byteCount + row.textChars == 0 ? nullptr
                                              : blocks_[row.block - firstBlock_].get() + row.offset;
}

QString RecordModel::textOf(const Row &row, qsizetype limit) const
{
    const char *at = payload(row);
    if (row.flags & TextKept) {
        if (row.textChars == 0)
            return {};
        QString text(std::min<qsizetype>(row.textChars, limit), Qt::Uninitialized);
        std::memcpy(text.data(), at + row.byteCount, std::size_t(text.size()) * sizeof(QChar));
        return text;
    }
    // A character takes at most two bytes: twice the limit gives the limit's characters.
    if (row.byteCount > 2 * limit)
        return cp932::decode(QByteArray::fromRawData(at, 2 * limit)).left(limit);
    QString text = cp932::decode(QByteArray::fromRawData(at, row.byteCount));
    if (row.flags & TextChopped)
        text.chop(1);
    return text;
}

QString RecordModel::noteOf(quint64 seq, const Row &row) const
{
    if (!(row.flags & HasNote))
        return {};
    const auto note = notes_.find(seq);
    return note == notes_.end() ? QString() : note->second;
}

void RecordModel::setNote(quint64 seq, Row &row, const QString &note)
{
    notes_[seq] = note;
    row.flags |= HasNote;
}

quint8 RecordModel::kindIndex(const QString &kind)
{
    const auto known = std::find(kinds_.begin(), kinds_.end(), kind);
    if (known != kinds_.end())
        return quint8(known - kinds_.begin());
    // The transcript has a dozen kinds; a kind past 255 of them shares the last.
    if (kinds_.size() > std::numeric_limits<quint8>::max())
        return std::numeric_limits<quint8>::max();
    kinds_.push_back(kind);
    return quint8(kinds_.size() - 1);
}

void RecordModel::pushRow(const Row &row)
{
    if (count_ == ring_.size()) {
        // Doubling up to the bound and a quarter more; past that only a batch larger than
        // that quarter grows it.
        const std::size_t bound = std::size_t(maxRows_) + std::size_t(maxRows_) / 4 + 16;
        std::size_t size = std::max<std::size_t>(256, 2 * ring_.size());
        if (ring_.size() < bound)
            size = std::min(size, bound);
        std::vector<Row> grown(size);
        for (std::size_t i = 0; i < count_; ++i)
            grown[i] = rowAt(i);
        ring_.swap(grown);
        head_ = 0;
    }
    ring_[(head_ + count_) % ring_.size()] = row;
    ++count_;
}

char *RecordModel::reserve(Row &row, qsizetype size)
{
    if (blocks_.empty() || blockUsed_ + size > blockSize) {
        if (freeBlocks_.empty()) {
            blocks_.push_back(std::unique_ptr<char[]>(new char[blockSize]));
        } else {
            blocks_.push_back(std::move(freeBlocks_.back()));
            freeBlocks_.pop_back();
        }
        blockUsed_ = 0;
    }
    row.block = firstBlock_ + quint32(blocks_.size() - 1);
    row.offset = quint16(blockUsed_);
    char *at = blocks_.back().get() + blockUsed_;
    blockUsed_ += size;
    return at;
}

void RecordModel::dropFront(std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (rowAt(i).flags & HasNote)
            notes_.erase(firstSeq_ + i);
    }
    head_ = count == count_ ? 0 : (head_ + count) % ring_.size();
    count_ -= count;
    firstSeq_ += count;
    // Blocks before the first row's are used by no row any more.
    const quint32 keep = count_ == 0 ? firstBlock_ + quint32(blocks_.size()) : rowAt(0).block;
    while (!blocks_.empty() && firstBlock_ < keep) {
        if (freeBlocks_.size() < freeBlocksKept)
            freeBlocks_.push_back(std::move(blocks_.front()));
        blocks_.pop_front();
        ++firstBlock_;
    }
}

QVariant RecordModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TimeColumn:
        return QStringLiteral("時刻(ms)");
    case KindColumn:
        return QStringLiteral("種別");
    case TextColumn:
        return QStringLiteral("内容");
    case BytesColumn:
        return QStringLiteral("バイト(16進)");
    case NoteColumn:
        return QStringLiteral("備考");
    default:
        return {};
    }
}

void RecordModel::append(
    double ms, const QString &kind, const QString &text, const QByteArray &bytes, quint64 poll)
{
    const quint64 seq = nextSeq_++;
    Row row;
    row.ms = ms;
    row.kind = kindIndex(kind);
    const qsizetype kept = std::min(bytes.size(), bytesKept);
    row.byteCount = quint16(kept);
    row.bytesCut
        = quint32(std::min<qsizetype>(bytes.size() - kept, std::numeric_limits<quint32>::max()));
    // The text is kept only when the bytes do not give it: a receive that starts with the
    // second byte of a character or stops before its second byte. Of bytes cut, the row has
    // the text of those kept.
    const QByteArray head = QByteArray::fromRawData(bytes.constData(), kept);
    bool given = kept == 0 && text.isEmpty();
    if (kept > 0) {
        QString decoded = cp932::decode(head);
        const auto gives = [&] {
            return kept == bytes.size() ? text == decoded : text.startsWith(decoded);
        };
        given = gives();
        if (!given && !decoded.isEmpty()) {
            decoded.chop(1);
            given = gives();
            if (given)
                row.flags |= TextChopped;
        }
    }
    if (!given) {
        row.flags |= TextKept;
        row.textChars = quint16(std::min(text.size(), bytesKept));
    }
    const qsizetype size = kept + qsizetype(row.textChars) * qsizetype(sizeof(QChar));
    if (size > 0) {
        char *at = reserve(row, size);
        std::memcpy(at, head.constData(), std::size_t(kept));
        std::memcpy(at + kept, text.constData(), std::size_t(size - kept));
    } else {
        // No payload: the current block, so that the rows' blocks never go down.
        row.block = firstBlock_ + quint32(std::max<std::size_t>(blocks_.size(), 1) - 1);
    }
    pushRow(row);
    Row &added = rowAt(count_ - 1);
    if (kind == QLatin1String("OUT")) {
        lastOut_ = seq;
        if (poll != 0) {
            added.flags |= PollTraffic;
            setNote(seq, added, QStringLiteral("STT #%1").arg(poll));
            openPolls_.emplace_back(poll, ms);
            if (openPolls_.size() > openPollsKept)
                openPolls_.pop_front();
        }
    } else if (kind == QLatin1String("IN")) {
        lastIn_ = seq;
    } else if (kind == QLatin1String("OPEN")) {
        // Polls of an earlier connection are answered by nobody on this one.
        openPolls_.clear();
    }
    schedule();
}

void RecordModel::noteLineWritten(int index)
{
    if (Row *out = findRow(lastOut_)) {
        setNote(lastOut_, *out, QStringLiteral("%1行目").arg(index + 1));
        changed(lastOut_);
    }
}

void RecordModel::noteStatusAnswered(const QString &status, quint64 poll)
{
    Row *in = findRow(lastIn_);
    if (!in)
        return;
    const QString note = noteOf(lastIn_, *in);
    QString said;
    if (poll == 0) {
        said = QStringLiteral("%1: 問い合わせなし").arg(status);
        in->flags &= quint8(~PollTraffic);
    } else {
        const auto asked = std::find_if(
            openPolls_.begin(), openPolls_.end(), [poll](auto &p) { return p.first == poll; });
        said = asked == openPolls_.end()
                   ? QStringLiteral("%1: STT #%2 への応答").arg(status).arg(poll)
                   : QStringLiteral("%1: STT #%2 への応答 (%3 ms後)")
                         .arg(status)
                         .arg(poll)
                         .arg(in->ms - asked->second, 0, 'f', 1);
        if (asked != openPolls_.end())
            openPolls_.erase(openPolls_.begin(), asked + 1);
        // A receive is poll traffic only when every reply in it answered a poll.
        if (note.isEmpty())
            in->flags |= PollTraffic;
    }
    setNote(lastIn_, *in, note.isEmpty() ? said : note + QStringLiteral("; ") + said);
    changed(lastIn_);
}

RecordModel::Row *RecordModel::findRow(quint64 seq)
{
    if (seq < firstSeq_ || seq - firstSeq_ >= count_)
        return nullptr;
    return &rowAt(std::size_t(seq - firstSeq_));
}

void RecordModel::changed(quint64 seq)
{
    // Rows still queued are drawn as they are when the batch goes in.
    if (seq < firstSeq_ || seq - firstSeq_ >= shown_)
        return;
    const int row = int(seq - firstSeq_);
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void RecordModel::schedule()
{
    if (!batch_.isActive())
        batch_.start();
}

void RecordModel::flush()
{
    batch_.stop();
    const std::size_t max = std::size_t(maxRows_);
    const std::size_t excess = count_ > max ? count_ - max : 0;
    // Shown rows go from the view in one removal; queued rows past the bound were never shown.
    const std::size_t shownGone = std::min(excess, shown_);
    if (shownGone > 0) {
        beginRemoveRows({}, 0, int(shownGone) - 1);
        dropFront(shownGone);
        shown_ -= shownGone;
        endRemoveRows();
    }
    if (excess > shownGone)
        dropFront(excess - shownGone);
    dropped_ += excess;
    if (count_ > shown_) {
        beginInsertRows({}, int(shown_), int(count_) - 1);
        shown_ = count_;
        endInsertRows();
    }
    if (excess > 0)
        emit rowsDropped(dropped_);
}

void RecordModel::clear()
{
    batch_.stop();
    beginResetModel();
    dropFront(count_);
    shown_ = 0;
    ring_ = {};
    freeBlocks_.clear();
    dropped_ = 0;
    endResetModel();
    emit rowsDropped(0);
}

void RecordModel::setMaxRows(int rows)
{
    maxRows_ = std::max(1, rows);
    flush();
}

QString RecordModel::transcriptText(const std::vector<int> &rows) const
{
    QString text;
    for (const int row : rows) {
        const MonitorRecord record = this->record(row);
        text += transcriptRecord(record.ms, record.kind, record.text, record.bytes) + u'\n';
    }
    return text;
}

QString RecordModel::transcriptText() const
{
    std::vector<int> all(shown_);
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    if (dropped_ == 0)
        return transcriptText(all);
    return transcriptRecord(shown_ == 0 ? 0 : rowAt(0).ms,
                            QStringLiteral("DROPPED"),
                            QStringLiteral("%1 older records were dropped by the monitor; "
                                           "a --transcript file keeps every record")
                                .arg(dropped_),
                            {})
           + u'\n' + transcriptText(all);
}
