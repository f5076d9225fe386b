#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QFont>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

// One row of the line monitor as the model hands it out: a transcript record and what the
// console knows about it.
struct MonitorRecord
{
    quint64 seq = 0;          // running number of the record, from 1
    double ms = 0;            // since the latest OPEN
    QString kind;             // the transcript's kind: OUT, IN, OPEN, POLL-TIMEOUT ...
    QString text;             // the text of the bytes kept (control characters not yet visible)
    QByteArray bytes;         // the bytes, cut at bytesKept
    qsizetype bytesCut = 0;   // bytes of the record beyond bytesKept
    QString note;             // the send box's line, the poll a reply answers ...
    bool pollTraffic = false; // a status poll, or a receive made only of replies to polls
};

// The line monitor's rows over the run's records, as a table: time, kind, text, bytes, note.
//
// Records come faster than a view can draw them while the module floods the line: they are
// queued and handed to the view in one batch on a short timer. The model keeps the newest
// maxRows rows and counts those it dropped; each row keeps at most bytesKept bytes of its
// record and as many characters of its text, so that memory is bounded whatever the line
// carries (the transcript file keeps everything).
//
// A row is kept compactly, so that memory stays flat once the bound is reached: 24 bytes in a
// deque, its bytes in blocks of payload filled and freed in the rows' order, and its text
// only when decoding its bytes does not give it (a character split between two receives);
// notes, which few rows have, are kept aside.
class RecordModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int defaultMaxRows = 100000;
    static constexpr qsizetype bytesKept = 256;
    static constexpr int batchMs = 50;
    // A cell shows at most this many characters of the text, or bytes in hex: a row of a
    // flood of random bytes is drawn as fast as a command line. Copies and saves have them all.
    static constexpr qsizetype shownChars = 32;
    static constexpr qsizetype shownBytes = 24;
    enum Column { TimeColumn, KindColumn, TextColumn, BytesColumn, NoteColumn, ColumnCount };
    // A bool: the row is a status poll or a receive made of replies to polls only.
    static constexpr int PollTrafficRole = Qt::UserRole + 1;

    explicit RecordModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // A record as the transcript forms it. poll: the number of the status poll an OUT
    // record is (0: none).
    void append(double ms,
                const QString &kind,
                const QString &text,
                const QByteArray &bytes,
                quint64 poll = 0);
    // The pump wrote line index of the send box (from 0): the latest OUT row says so.
    void noteLineWritten(int index);
    // A status reply answered poll (0: none waited): the latest IN row says which and how
    // late it came.
    void noteStatusAnswered(const QString &status, quint64 poll);

    // Hands the queued records to the view now (the timer does it otherwise).
    void flush();
    void clear();
    void setMaxRows(int rows);
    int maxRows() const { return maxRows_; }
    // Rows dropped from the front to keep the bound, since the last clear.
    quint64 droppedRows() const { return dropped_; }
    MonitorRecord record(int row) const;

    // These rows as transcript records, one a line, each ended by LF.
    QString transcriptText(const std::vector<int> &rows) const;
    // Every row kept, as a transcript file has them; a first record (DROPPED) says how many
    // older rows were dropped, when some were.
    QString transcriptText() const;

signals:
    // Rows were dropped from the front; total is the count since the last clear.
    void rowsDropped(quint64 total);

private:
    // A row as kept; its payload is its bytes, then its text in UTF-16 when TextKept.
    struct Row
    {
        double ms = 0;
        quint32 block = 0;     // running number of the payload block
        quint16 offset = 0;    // of the payload in its block
        quint16 byteCount = 0; // bytes kept
        quint32 bytesCut = 0;  // bytes beyond them (saturated)
        quint16 textChars = 0; // characters of text kept, when TextKept
        quint8 kind = 0;       // index into kinds_
        quint8 flags = 0;
    };
    enum RowFlag : quint8 {
        PollTraffic = 1,
        TextKept = 2,    // the text is in the payload
        TextChopped = 4, // the text is the bytes' decoding less its last character
        HasNote = 8,     // notes_ has the row's note
    };
    static constexpr qsizetype blockSize = 64 * 1024;

    Row &rowAt(std::size_t index) { return ring_[(head_ + index) % ring_.size()]; }
    const Row &rowAt(std::size_t index) const { return ring_[(head_ + index) % ring_.size()]; }
    void pushRow(const Row &row);
    Row *findRow(quint64 seq);
    const char *payload(const Row &row) const;
    // The row's text, or only its first limit characters.
    QString textOf(const Row &row, qsizetype limit) const;
    QString noteOf(quint64 seq, const Row &row) const;
    void setNote(quint64 seq, Row &row, const QString &note);
    quint8 kindIndex(const QString &kind);
    // Room for size bytes of payload: the block and offset it goes to.
    char *reserve(Row &row, qsizetype size);
    // Drops count rows from the front, with their notes and the payload blocks only they used.
    void dropFront(std::size_t count);
    void changed(quint64 seq);
    void schedule();

    QFont fixedFont_;
    // The rows shown, then those queued for the next batch: count_ rows from head_ on, in a
    // ring that grows to the bound (and a quarter for a batch) and stays, so that the rows'
    // index neither moves nor churns the heap.
    std::vector<Row> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    std::size_t shown_ = 0; // rows handed to the view
    quint64 firstSeq_ = 1;  // seq of the first row
    std::deque<std::unique_ptr<char[]>> blocks_;
    // Freed blocks, for the next ones needed: a flood frees and needs a few on every batch,
    // and handing them back to the heap would leave it in pieces.
    std::vector<std::unique_ptr<char[]>> freeBlocks_;
    quint32 firstBlock_ = 0;  // running number of blocks_.front()
    qsizetype blockUsed_ = 0; // bytes used in blocks_.back()
    std::unordered_map<quint64, QString> notes_;
    std::vector<QString> kinds_;
    QTimer batch_;
    int maxRows_ = defaultMaxRows;
    quint64 nextSeq_ = 1;
    quint64 dropped_ = 0;
    quint64 lastOut_ = 0; // seq of the latest OUT record
    quint64 lastIn_ = 0;  // seq of the latest IN record
    // Status polls written and not yet answered: number and time written.
    std::deque<std::pair<quint64, double>> openPolls_;
};

// The monitor's name for a transcript kind: 送信 for OUT, 受信 for IN, the others as they are.
QString monitorKindName(const QString &kind);
