#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QFont>
#include <QString>
#include <QTimer>

#include <deque>
#include <vector>

// One row of the line monitor: a transcript record and what the console knows about it.
struct MonitorRecord
{
    quint64 seq = 0;          // running number of the record, from 1
    double ms = 0;            // since the latest OPEN
    QString kind;             // the transcript's kind: OUT, IN, OPEN, POLL-TIMEOUT ...
    QString text;             // as the line carried it (control characters not yet made visible)
    QByteArray bytes;         // the bytes, cut at bytesKept
    qsizetype bytesCut = 0;   // bytes of the record beyond bytesKept
    QString note;             // the send box's line, the poll a reply answers ...
    quint64 poll = 0;         // an OUT record: the number of the status poll it is
    bool pollTraffic = false; // a status poll, or a receive made only of replies to polls
};

// The line monitor's rows over the run's records, as a table: time, kind, text, bytes, note.
//
// Records come faster than a view can draw them while the module floods the line: they are
// queued and handed to the view in one batch on a short timer. The model keeps the newest
// maxRows rows and counts those it dropped; each row keeps at most bytesKept bytes of its
// text, so that memory is bounded whatever the line carries (the transcript file keeps
// everything).
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
    const MonitorRecord &record(int row) const { return rows_[std::size_t(row)]; }

    // These rows as transcript records, one a line, each ended by LF.
    QString transcriptText(const std::vector<int> &rows) const;
    // Every row kept, as a transcript file has them; a first record (DROPPED) says how many
    // older rows were dropped, when some were.
    QString transcriptText() const;

signals:
    // Rows were dropped from the front; total is the count since the last clear.
    void rowsDropped(quint64 total);

private:
    MonitorRecord *findRecord(quint64 seq);
    void changed(quint64 seq);
    void schedule();

    QFont fixedFont_;
    std::deque<MonitorRecord> rows_;
    std::vector<MonitorRecord> pending_;
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
