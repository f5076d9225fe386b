#include "monitor/record_model.h"

#include "link/status_polls.h"
#include "link/transcript.h"
#include "text/visible_text.h"

#include <QFontDatabase>

#include <algorithm>

namespace {

// Status polls answered so long ago are no longer looked for: bounds the list of open polls
// whatever the module does.
constexpr std::size_t openPollsKept = 1000;

QString hexOf(const MonitorRecord &record, qsizetype shown)
{
    QString hex = QString::fromLatin1(
        record.bytes.first(std::min(shown, record.bytes.size())).toHex(' ').toUpper());
    const qsizetype more = record.bytesCut + std::max<qsizetype>(0, record.bytes.size() - shown);
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
    return parent.isValid() ? 0 : int(rows_.size());
}

int RecordModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecordModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const MonitorRecord &record = rows_[std::size_t(index.row())];
    if (role == PollTrafficRole)
        return record.pollTraffic;
    if (role == Qt::TextAlignmentRole && index.column() == TimeColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::FontRole && index.column() == BytesColumn)
        return fixedFont_;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case TimeColumn:
        return QString::number(record.ms, 'f', 3);
    case KindColumn:
        return monitorKindName(record.kind);
    case TextColumn:
        return shownText(record.text, shownChars);
    case BytesColumn:
        return hexOf(record, shownBytes);
    case NoteColumn:
        return record.note;
    default:
        return {};
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
    MonitorRecord record;
    record.seq = nextSeq_++;
    record.ms = ms;
    record.kind = kind;
    record.text = text.size() > bytesKept ? text.left(bytesKept) : text;
    record.bytes = bytes.left(bytesKept);
    record.bytesCut = bytes.size() - record.bytes.size();
    record.poll = poll;
    if (kind == QLatin1String("OUT")) {
        lastOut_ = record.seq;
        if (poll != 0) {
            record.pollTraffic = true;
            record.note = QStringLiteral("STT #%1").arg(poll);
            openPolls_.emplace_back(poll, ms);
            if (openPolls_.size() > openPollsKept)
                openPolls_.pop_front();
        }
    } else if (kind == QLatin1String("IN")) {
        lastIn_ = record.seq;
    } else if (kind == QLatin1String("OPEN")) {
        // Polls of an earlier connection are answered by nobody on this one.
        openPolls_.clear();
    }
    pending_.push_back(std::move(record));
    schedule();
}

void RecordModel::noteLineWritten(int index)
{
    if (MonitorRecord *out = findRecord(lastOut_)) {
        out->note = QStringLiteral("%1行目").arg(index + 1);
        changed(out->seq);
    }
}

void RecordModel::noteStatusAnswered(const QString &status, quint64 poll)
{
    MonitorRecord *in = findRecord(lastIn_);
    if (!in)
        return;
    QString said;
    if (poll == 0) {
        said = QStringLiteral("%1: 問い合わせなし").arg(status);
        in->pollTraffic = false;
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
        in->pollTraffic = in->note.isEmpty() || in->pollTraffic;
    }
    in->note = in->note.isEmpty() ? said : in->note + QStringLiteral("; ") + said;
    changed(in->seq);
}

MonitorRecord *RecordModel::findRecord(quint64 seq)
{
    if (seq == 0)
        return nullptr;
    if (!pending_.empty() && seq >= pending_.front().seq)
        return &pending_[std::size_t(seq - pending_.front().seq)];
    if (!rows_.empty() && seq >= rows_.front().seq && seq <= rows_.back().seq)
        return &rows_[std::size_t(seq - rows_.front().seq)];
    return nullptr;
}

void RecordModel::changed(quint64 seq)
{
    // Rows still queued are drawn as they are when the batch goes in.
    if (rows_.empty() || seq < rows_.front().seq || seq > rows_.back().seq)
        return;
    const int row = int(seq - rows_.front().seq);
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
    // A batch larger than the bound keeps only its newest rows.
    const std::size_t max = std::size_t(maxRows_);
    std::size_t skip = 0;
    if (pending_.size() > max) {
        skip = pending_.size() - max;
        dropped_ += rows_.size() + skip;
        if (!rows_.empty()) {
            beginResetModel();
            rows_.clear();
            endResetModel();
        }
    }
    const std::size_t excess = rows_.size() + pending_.size() - skip > max
                                   ? rows_.size() + pending_.size() - skip - max
                                   : 0;
    if (excess > 0) {
        beginRemoveRows({}, 0, int(excess) - 1);
        rows_.erase(rows_.begin(), rows_.begin() + qsizetype(excess));
        endRemoveRows();
        dropped_ += excess;
    }
    if (pending_.size() > skip) {
        const int first = int(rows_.size());
        beginInsertRows({}, first, first + int(pending_.size() - skip) - 1);
        rows_.insert(rows_.end(),
                     std::make_move_iterator(pending_.begin() + qsizetype(skip)),
                     std::make_move_iterator(pending_.end()));
        endInsertRows();
    }
    pending_.clear();
    if (excess > 0 || skip > 0)
        emit rowsDropped(dropped_);
}

void RecordModel::clear()
{
    batch_.stop();
    beginResetModel();
    rows_.clear();
    pending_.clear();
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
        const MonitorRecord &record = rows_[std::size_t(row)];
        text += transcriptRecord(record.ms, record.kind, record.text, record.bytes) + u'\n';
    }
    return text;
}

QString RecordModel::transcriptText() const
{
    std::vector<int> all(rows_.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    if (dropped_ == 0)
        return transcriptText(all);
    return transcriptRecord(rows_.empty() ? 0 : rows_.front().ms,
                            QStringLiteral("DROPPED"),
                            QStringLiteral("%1 older records were dropped by the monitor; "
                                           "a --transcript file keeps every record")
                                .arg(dropped_),
                            {})
           + u'\n' + transcriptText(all);
}
