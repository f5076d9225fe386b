#include "transport/network_link.h"

#include "transport/gensio_loop.h"

#include <gensio/gensio.h>
#include <gensio/sergensio.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace {

// The library's errors in words an operator can act on.
QString causeOf(int error)
{
    switch (error) {
    case GE_CONNREFUSE:
        return QStringLiteral("connection refused (no server on that port)");
    case GE_NOTFOUND:
    case GE_UNKNOWN_NAME_ERROR:
    case GE_NAME_ERROR:
    case GE_NAME_INVALID:
        return QStringLiteral("unknown host");
    case GE_NAME_SERVER_FAILURE:
    case GE_NAME_NET_NOT_UP:
        return QStringLiteral("the host name could not be looked up");
    case GE_HOSTDOWN:
        return QStringLiteral("the host cannot be reached");
    case GE_TIMEDOUT:
        return QStringLiteral("no answer");
    case GE_REMCLOSE:
        return QStringLiteral("the server closed the connection");
    default:
        return QString::fromUtf8(gensio_err_to_str(error));
    }
}

// The line an RFC 2217 open asks for, one setting at a time. Parity and flow control are
// codes, whose "none" is 1.
struct LineSetting
{
    const char *name;
    unsigned wanted;
    bool coded;
    int (*set)(sergensio *, unsigned, sergensio_done, void *);

    QString describe(unsigned value) const
    {
        if (!coded)
            return QString::number(value);
        return value == 1 ? QStringLiteral("none") : QStringLiteral("code %1").arg(value);
    }
};
static_assert(SERGENSIO_PARITY_NONE == 1 && SERGENSIO_FLOWCONTROL_NONE == 1);
constexpr LineSetting wantedLine[] = {
    {"speed", 38400, false, sergensio_baud},
    {"data bits", 8, false, sergensio_datasize},
    {"parity", SERGENSIO_PARITY_NONE, true, sergensio_parity},
    {"stop bits", 1, false, sergensio_stopbits},
    {"flow control", SERGENSIO_FLOWCONTROL_NONE, true, sergensio_flowcontrol},
};
constexpr int lineSettingCount = int(std::size(wantedLine));

} // namespace

// One connection. The library's handle and the state are touched on the loop thread only;
// the output queue and the results the Qt thread waits for are shared under the mutex.
struct NetworkLink::Connection
{
    enum class State { Opening, Open, Closing, Closed };

    quint64 generation = 0;
    NetworkPort port;
    bool lineSettings = true;
    GensioLoop *loop = nullptr;

    // Loop thread only.
    gensio *io = nullptr;
    State state = State::Opening;
    int settingsLeft = 0;
    bool writeCallback = false;
    QByteArray saidWhileOpening;
    // Keeps this object alive while the library may still call it back.
    std::shared_ptr<Connection> self;

    // Shared.
    std::mutex mutex;
    // Where arrivals and the loss go; null once the link is gone.
    NetworkLink *owner = nullptr;
    std::condition_variable changed;
    std::optional<QString> openResult; // empty text: open
    QByteArray pending;
    bool flushPosted = false;
    bool failed = false;
    bool released = false; // the library has let go of the connection

    // What each answer to a line setting is about.
    struct SettingRequest
    {
        Connection *connection;
        int index;
    };
    SettingRequest requests[lineSettingCount] = {};

    void start(std::shared_ptr<Connection> keep);
    void opened(int error);
    void settingDone(int index, int error, unsigned value);
    void becomeOpen();
    void fail(const QString &cause);
    void shutDown();
    void release();
    void flush();
    int event(int event, int error, const unsigned char *bytes, gensiods *length);

    void reportOpen(const QString &cause);
    // Runs the work on the owner's thread, if there is still an owner.
    void tellOwner(std::function<void(NetworkLink &)> work);
    void queue(const QByteArray &bytes, const std::shared_ptr<Connection> &keep);
};

void NetworkLink::Connection::start(std::shared_ptr<Connection> keep)
{
    const QByteArray stack = gensioStackOf(port).toUtf8();
    const auto onEvent = [](gensio *,
                            void *data,
                            int event,
                            int error,
                            unsigned char *bytes,
                            gensiods *length,
                            const char *const *) {
        return static_cast<Connection *>(data)->event(event, error, bytes, length);
    };
    int error = str_to_gensio(stack.constData(), loop->os(), onEvent, this, &io);
    if (error != 0) {
        io = nullptr;
        state = State::Closed;
        reportOpen(causeOf(error));
        const std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
        return;
    }
    self = std::move(keep);
    error = gensio_open(
        io,
        [](gensio *, int error, void *data) { static_cast<Connection *>(data)->opened(error); },
        this);
    if (error != 0) {
        reportOpen(causeOf(error));
        release();
    }
}

void NetworkLink::Connection::opened(int error)
{
    if (state != State::Opening)
        return;
    if (error != 0) {
        reportOpen(causeOf(error));
        release();
        return;
    }
    // The telnet layer reads the server's answers to the settings only while reading is on.
    gensio_set_read_callback_enable(io, true);
    if (!lineSettings || port.protocol != NetworkPort::Protocol::Rfc2217) {
        becomeOpen();
        return;
    }
    sergensio *serial = gensio_to_sergensio(io);
    if (!serial) {
        fail(QStringLiteral("the server offers no line settings"));
        return;
    }
    settingsLeft = lineSettingCount;
    const sergensio_done answered = [](sergensio *, int error, unsigned value, void *data) {
        const auto *request = static_cast<const SettingRequest *>(data);
        request->connection->settingDone(request->index, error, value);
    };
    for (int index = 0; index < lineSettingCount; ++index) {
        requests[index] = {this, index};
        const LineSetting &setting = wantedLine[index];
        const int refused = setting.set(serial, setting.wanted, answered, &requests[index]);
        if (refused == 0)
            continue;
        fail(refused == GE_NOTSUP ? QStringLiteral("the server offers no line settings (RFC 2217); "
                                                   "for a raw port use tcp://")
                                  : QStringLiteral("the server refused the %1: %2")
                                        .arg(QLatin1String(setting.name), causeOf(refused)));
        return;
    }
}

void NetworkLink::Connection::settingDone(int index, int error, unsigned value)
{
    if (state != State::Opening)
        return;
    const LineSetting &setting = wantedLine[index];
    if (error != 0) {
        fail(QStringLiteral("the server refused the %1: %2")
                 .arg(QLatin1String(setting.name), causeOf(error)));
        return;
    }
    // A server answers with the setting it made, which is its old one when it refused.
    if (value != setting.wanted) {
        fail(QStringLiteral("the server refused the %1 %2 and kept %3")
                 .arg(QLatin1String(setting.name),
                      setting.describe(setting.wanted),
                      setting.describe(value)));
        return;
    }
    if (--settingsLeft == 0)
        becomeOpen();
}

void NetworkLink::Connection::becomeOpen()
{
    state = State::Open;
    reportOpen(QString());
    flush();
}

void NetworkLink::Connection::fail(const QString &cause)
{
    const QString said = QString::fromLatin1(saidWhileOpening.left(200)).simplified();
    if (state == State::Opening)
        reportOpen(said.isEmpty() ? cause : QStringLiteral("%1 (it said \"%2\")").arg(cause, said));
    else if (state == State::Open)
        tellOwner([generation = generation, cause](NetworkLink &owner) {
            owner.connectionFailed(generation, cause);
        });
    shutDown();
}

void NetworkLink::Connection::shutDown()
{
    if (!io || state == State::Closing || state == State::Closed)
        return;
    state = State::Closing;
    {
        const std::lock_guard lock(mutex);
        failed = true;
        changed.notify_all();
    }
    const int error = gensio_close(
        io, [](gensio *, void *data) { static_cast<Connection *>(data)->release(); }, this);
    if (error != 0)
        release();
}

void NetworkLink::Connection::release()
{
    if (io)
        gensio_free(io);
    io = nullptr;
    state = State::Closed;
    {
        const std::lock_guard lock(mutex);
        failed = true;
        released = true;
        changed.notify_all();
    }
    // The last use of this object: it may go with the reference.
    const std::shared_ptr<Connection> last = std::move(self);
}

void NetworkLink::Connection::reportOpen(const QString &cause)
{
    const std::lock_guard lock(mutex);
    if (!openResult)
        openResult = cause;
    changed.notify_all();
}

void NetworkLink::Connection::tellOwner(std::function<void(NetworkLink &)> work)
{
    // Under the mutex, so that the link cannot go between the check and the post; what is
    // posted and not yet run goes with the link.
    const std::lock_guard lock(mutex);
    if (owner)
        QMetaObject::invokeMethod(
            owner, [owner = owner, work = std::move(work)] { work(*owner); }, Qt::QueuedConnection);
}

void NetworkLink::Connection::queue(const QByteArray &bytes,
                                    const std::shared_ptr<Connection> &keep)
{
    bool post = false;
    {
        const std::lock_guard lock(mutex);
        pending += bytes;
        post = !flushPosted;
        flushPosted = true;
    }
    if (post)
        loop->post([keep] { keep->flush(); });
}

void NetworkLink::Connection::flush()
{
    QByteArray chunk;
    {
        const std::lock_guard lock(mutex);
        flushPosted = false;
        chunk = pending;
    }
    if (state != State::Open)
        return;
    gensiods accepted = 0;
    if (!chunk.isEmpty()) {
        const int error
            = gensio_write(io, &accepted, chunk.constData(), gensiods(chunk.size()), nullptr);
        if (error != 0) {
            fail(causeOf(error));
            return;
        }
    }
    bool rest = false;
    {
        // Only this thread takes bytes from the front; the Qt thread only appends.
        const std::lock_guard lock(mutex);
        pending.remove(0, qsizetype(accepted));
        rest = !pending.isEmpty();
        if (!rest)
            changed.notify_all();
    }
    if (rest != writeCallback) {
        writeCallback = rest;
        gensio_set_write_callback_enable(io, rest);
    }
}

int NetworkLink::Connection::event(int event,
                                   int error,
                                   const unsigned char *bytes,
                                   gensiods *length)
{
    switch (event) {
    case GENSIO_EVENT_READ:
        if (error != 0) {
            fail(causeOf(error));
            return 0;
        }
        if (state == State::Opening) {
            // Before the open nothing is the module's answer to the console; a server that
            // turns the client away may say why here (ser2net: "Port's device already in
            // use"), when the open got so far before the connection closed.
            if (saidWhileOpening.size() < 200)
                saidWhileOpening.append(reinterpret_cast<const char *>(bytes), qsizetype(*length));
        } else if (state == State::Open) {
            const QByteArray data(reinterpret_cast<const char *>(bytes), qsizetype(*length));
            tellOwner([generation = generation, data](NetworkLink &owner) {
                owner.deliver(generation, data);
            });
        }
        return 0;
    case GENSIO_EVENT_WRITE_READY:
        flush();
        return 0;
    default:
        // Modem and line state reports of the server: nothing the console follows.
        return GE_NOTSUP;
    }
}

NetworkLink::NetworkLink(QObject *parent)
    : QObject(parent)
{}

namespace {

// Waits briefly until the library has let go of the connection.
template<typename Connection>
bool waitForRelease(Connection &connection)
{
    std::unique_lock lock(connection.mutex);
    return connection.changed.wait_for(
        lock, std::chrono::seconds(2), [&] { return connection.released; });
}

} // namespace

NetworkLink::~NetworkLink()
{
    close();
    // A connection the library still holds tells this link nothing more.
    for (const auto &connection : unreleased_) {
        waitForRelease(*connection);
        const std::lock_guard lock(connection->mutex);
        connection->owner = nullptr;
    }
}

QString NetworkLink::open(const NetworkPort &port, int timeoutMs, bool lineSettings)
{
    close();
    if (!loop_)
        loop_ = &GensioLoop::shared();
    if (!loop_->startError().isEmpty())
        return loop_->startError();
    auto connection = std::make_shared<Connection>();
    connection->owner = this;
    connection->generation = ++generation_;
    connection->port = port;
    connection->lineSettings = lineSettings;
    connection->loop = loop_;
    std::erase_if(unreleased_, [](const auto &old) {
        const std::lock_guard lock(old->mutex);
        return old->released;
    });
    unreleased_.push_back(connection);
    loop_->post([connection] { connection->start(connection); });

    std::unique_lock lock(connection->mutex);
    if (!connection->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            return connection->openResult.has_value();
        })) {
        connection->openResult = QString(); // nothing more to report
        lock.unlock();
        loop_->post([connection] { connection->shutDown(); });
        return QStringLiteral("no answer within %1 s").arg(timeoutMs / 1000.0);
    }
    const QString cause = *connection->openResult;
    lock.unlock();
    if (!cause.isEmpty())
        return cause;
    connection_ = std::move(connection);
    open_ = true;
    return QString();
}

void NetworkLink::close()
{
    open_ = false;
    const std::shared_ptr<Connection> connection = std::move(connection_);
    if (!connection)
        return;
    loop_->post([connection] { connection->shutDown(); });
    waitForRelease(*connection);
}

void NetworkLink::write(const QByteArray &bytes)
{
    if (open_ && connection_ && !bytes.isEmpty())
        connection_->queue(bytes, connection_);
}

qint64 NetworkLink::pendingBytes() const
{
    if (!open_ || !connection_)
        return 0;
    const std::lock_guard lock(connection_->mutex);
    return connection_->pending.size();
}

bool NetworkLink::waitUntilAccepted(int milliseconds)
{
    if (!open_ || !connection_)
        return false;
    const std::shared_ptr<Connection> connection = connection_;
    std::unique_lock lock(connection->mutex);
    connection->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] {
        return connection->pending.isEmpty() || connection->failed;
    });
    return connection->pending.isEmpty() && !connection->failed;
}

void NetworkLink::deliver(quint64 generation, const QByteArray &bytes)
{
    if (open_ && generation == generation_)
        emit received(bytes);
}

void NetworkLink::connectionFailed(quint64 generation, const QString &reason)
{
    if (!open_ || generation != generation_)
        return;
    open_ = false;
    connection_.reset();
    emit lost(reason);
}

QString probeNetworkPort(const NetworkPort &port, int timeoutMs)
{
    NetworkLink link;
    const QString cause = link.open(port, timeoutMs, false);
    link.close();
    return cause;
}
