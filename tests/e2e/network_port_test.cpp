// A module behind a serial-port server on 127.0.0.1 (Debian's ser2net, the python3-serial
// example server), reached as rfc2217:// and tcp:// port names by the scripted run, the port
// listing and the window.
#include "support/console_process.h"
#include "support/example_rfc2217_server.h"
#include "support/pty_pair.h"
#include "support/recorders.h"
#include "support/ser2net_server.h"
#include "support/sim_fixture.h"
#include "support/transcript_reader.h"
#include "text/cp932.h"
#include "transport/network_link.h"
#include "transport/tcp_connection_loader.h"
#include "ui/form1.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Opens the link and waits for the outcome: empty when it opened, else the cause.
QString openLink(NetworkLink &link, const QString &name, int timeoutMs = NetworkLink::openTimeoutMs)
{
    QString cause = QStringLiteral("no outcome");
    QEventLoop wait;
    QObject::connect(&link, &NetworkLink::opened, &wait, [&] {
        cause.clear();
        wait.quit();
    });
    QObject::connect(&link, &NetworkLink::openFailed, &wait, [&](const QString &why) {
        cause = why;
        wait.quit();
    });
    link.open(*parseNetworkPort(name), timeoutMs);
    wait.exec();
    return cause;
}

// The example server is the last row of each table: the rows before it have run.
const char *const exampleServerMissing
    = "the python3-serial example server is not installed (apt-get install python3-serial); "
      "the ser2net rows before it ran";

// One server bridging a device: ser2net over RFC 2217 or raw, or the python3-serial example
// server, which the machine may lack (then it has no name).
struct Bridge
{
    enum Server { Ser2NetRfc2217, Ser2NetRaw, Ser2NetTelnet, Example };
    Bridge(Server server, const QString &device)
    {
        if (server != Example)
            ser2net = std::make_unique<Ser2NetServer>(device);
        else if (ExampleRfc2217Server::available())
            example = std::make_unique<ExampleRfc2217Server>(device);
        name = !ser2net                  ? (example ? example->rfc2217Name() : QString())
               : server == Ser2NetRaw    ? ser2net->tcpName()
               : server == Ser2NetTelnet ? ser2net->telnetName()
                                         : ser2net->rfc2217Name();
    }
    void stop() { ser2net ? ser2net->stop() : example->stop(); }

    std::unique_ptr<Ser2NetServer> ser2net;
    std::unique_ptr<ExampleRfc2217Server> example;
    QString name;
};

class NetworkModule : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (Ser2NetServer::program().isEmpty())
            GTEST_SKIP()
                << "ser2net is not installed (./test installs it: apt-get install ser2net)";
        work.copyData();
        work.write("two.txt", cp932::encode(u"あいう\r\nかきく\r\n"));
    }
    ConsoleResult speak(const QString &name,
                        int timeoutMs = 30000,
                        const std::function<void(qint64)> &started = {})
    {
        return runConsole({"--speak", "two.txt", "--port", "2", "--transcript", "t.txt"},
                          work.path(),
                          {QStringLiteral("PARLINO_COM2=") + name},
                          timeoutMs,
                          started);
    }
    QList<TranscriptRecord> transcript() const { return readTranscript(work.read("t.txt")); }

    ScopedWorkDir work;
};

TEST_F(NetworkModule, SpeakCarriesEveryByteBothWaysThroughEachServer)
{
    for (const Bridge::Server server :
         {Bridge::Ser2NetRfc2217, Bridge::Ser2NetRaw, Bridge::Ser2NetTelnet, Bridge::Example}) {
        QFile::remove(work.file("t.txt"));
        SimModule sim({"--char-ms", "5"}, 2);
        const Bridge bridge(server, sim.ptyPath());
        if (bridge.name.isEmpty())
            GTEST_SKIP() << exampleServerMissing;
        SCOPED_TRACE(bridge.name.toStdString());
        const ConsoleResult result = speak(bridge.name);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(sim.received().replace("STT\r", ""), cp932::encode(u"MSGあいう\rMSGかきく\r"));
        // What the console wrote is what the module read, and the other way round: no telnet
        // negotiation in the data, no CR turned into CR NUL or CR LF.
        const QList<TranscriptRecord> records = transcript();
        ASSERT_FALSE(records.isEmpty());
        EXPECT_EQ(records.first().kind, QStringLiteral("OPEN"));
        EXPECT_EQ(records.first().text, bridge.name);
        QByteArray out;
        QByteArray in;
        for (const TranscriptRecord &record : records) {
            if (record.kind == QLatin1String("OUT"))
                out += record.bytes;
            else if (record.kind == QLatin1String("IN"))
                in += record.bytes;
        }
        EXPECT_EQ(out, sim.received());
        EXPECT_EQ(in, sim.sent());
        // A plain telnet server's own line settings are said once on stderr and in the transcript.
        const QString own = QStringLiteral("the server's own line settings hold");
        EXPECT_EQ(QString::fromUtf8(result.err).count(own), server == Bridge::Ser2NetTelnet ? 1 : 0)
            << result.err.toStdString();
        EXPECT_EQ(work.read("t.txt").count(own.toUtf8()), server == Bridge::Ser2NetTelnet ? 1 : 0);
    }
}

TEST_F(NetworkModule, AServerThatStopsMidRunIsALostDevice)
{
    for (const Bridge::Server server : {Bridge::Ser2NetRfc2217, Bridge::Example}) {
        QFile::remove(work.file("t.txt"));
        SimModule sim({"--char-ms", "100"}, 2);
        Bridge bridge(server, sim.ptyPath());
        if (bridge.name.isEmpty())
            GTEST_SKIP() << exampleServerMissing;
        SCOPED_TRACE(bridge.name.toStdString());
        const ConsoleResult result = speak(bridge.name, 15000, [&](qint64) {
            sim.waitForReceived("MSG", 10000);
            bridge.stop();
        });
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 2) << result.err.toStdString();
        const QList<TranscriptRecord> records = transcript();
        const bool lost = std::any_of(records.cbegin(), records.cend(), [&](const auto &record) {
            return record.kind == QLatin1String("LOST")
                   && record.text.startsWith(bridge.name + QStringLiteral(": "));
        });
        EXPECT_TRUE(lost) << work.read("t.txt").toStdString();
    }
}

TEST_F(NetworkModule, APortNobodyServesFailsTheOpenWithItsCause)
{
    const int port = freeLocalPort();
    const struct
    {
        QString name;
        QString says;
    } rows[] = {
        // Refused at once: the cause is not the time-out of a server that does not answer.
        {QStringLiteral("rfc2217://127.0.0.1:%1").arg(port), QStringLiteral("connection refused")},
        {QStringLiteral("tcp://[::1]:%1").arg(port), QStringLiteral("connection refused")},
        {QStringLiteral("rfc2217://127.0.0.1"), QStringLiteral("not a network port")},
        {QStringLiteral("udp://127.0.0.1:%1").arg(port), QStringLiteral("unknown scheme udp://")},
        {QStringLiteral("rfc2217://no-such-host.invalid:%1").arg(port),
         QStringLiteral("unknown host")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        QFile::remove(work.file("t.txt"));
        const ConsoleResult result = speak(row.name);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(
            QString::fromUtf8(result.err)
                .contains(QStringLiteral("COMがOPENできません: %1: %2").arg(row.name, row.says)))
            << result.err.toStdString();
        const QList<TranscriptRecord> records = transcript();
        ASSERT_EQ(records.size(), 1);
        EXPECT_EQ(records[0].kind, QStringLiteral("OPEN-FAILED"));
    }
}

TEST_F(NetworkModule, WithoutItsNetworkModuleTheProgramFailsTheOpenAndSaysWhy)
{
    // The program alone in a folder: neither beside it nor in the installed place.
    const QString program = work.file(QStringLiteral("parlino"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(PARLINO_APP_PATH), program));
    const QString name = QStringLiteral("rfc2217://127.0.0.1:%1").arg(freeLocalPort());
    QProcess process;
    process.setWorkingDirectory(work.path());
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.insert(QStringLiteral("PARLINO_COM2"), name);
    process.setProcessEnvironment(variables);
    process.start(program, {"--speak", "two.txt", "--port", "2"});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 2);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(
        err.contains(QStringLiteral("COMがOPENできません: %1: the network module %2 is missing")
                         .arg(name, QFileInfo(PARLINO_NETWORK_MODULE_PATH).fileName())))
        << err.toStdString();
}

TEST(NetworkModuleFile, IsLoadedFromTheFirstFolderThatHoldsItElseTheCauseNamesIt)
{
    const QFileInfo module(QStringLiteral(PARLINO_NETWORK_MODULE_PATH));
    const QString built = module.absolutePath();
    const QTemporaryDir empty;
    const QTemporaryDir broken;
    QFile notALibrary(QDir(broken.path()).filePath(module.fileName()));
    ASSERT_TRUE(notALibrary.open(QIODevice::WriteOnly) && notALibrary.write("text\n") == 5);
    notALibrary.close();
    const struct
    {
        QStringList folders;
        QString problem; // empty: it loads
    } rows[] = {
        {{built}, {}},
        {{empty.path(), built}, {}},
        {{empty.path()},
         QStringLiteral("the network module %1 is missing: it is in none of %2")
             .arg(module.fileName(), empty.path())},
        // The first file found is the one meant: its loader's words say what is wrong with it.
        {{broken.path(), built},
         QStringLiteral("the network module cannot be loaded: Cannot load library %1")
             .arg(notALibrary.fileName())},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.folders.join(u' ').toStdString());
        const TcpConnections loaded = loadNetworkModule(row.folders);
        EXPECT_EQ(loaded.make == nullptr, !row.problem.isEmpty());
        EXPECT_EQ(loaded.problem.isEmpty(), row.problem.isEmpty());
        EXPECT_TRUE(loaded.problem.startsWith(row.problem)) << loaded.problem.toStdString();
    }
}

TEST_F(NetworkModule, TheListingTellsWhetherTheServerAnswers)
{
    SimModule sim({}, 2);
    Ser2NetServer server(sim.ptyPath());
    ASSERT_TRUE(server.isListening());
    const QString refused = QStringLiteral("tcp://127.0.0.1:%1").arg(freeLocalPort());
    const ConsoleResult result
        = runConsole({"--list-ports"},
                     work.path(),
                     {QStringLiteral("PARLINO_COM2=") + server.rfc2217Name(),
                      QStringLiteral("PARLINO_COM3=") + refused,
                      QStringLiteral("PARLINO_COM4=") + server.telnetName()});
    ASSERT_TRUE(result.finished);
    const QString out = QString::fromUtf8(result.out);
    EXPECT_TRUE(out.contains(
        QStringLiteral("COM2\t%1 (PARLINO_COM2)\tanswers\n").arg(server.rfc2217Name())))
        << result.out.toStdString();
    EXPECT_TRUE(
        out.contains(QStringLiteral("COM3\t%1 (PARLINO_COM3)\tdoes not answer: connection refused")
                         .arg(refused)))
        << result.out.toStdString();
    EXPECT_TRUE(
        out.contains(QStringLiteral("COM4\t%1 (PARLINO_COM4)\tanswers\n").arg(server.telnetName())))
        << result.out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("telnet://HOST:PORT (plain telnet")));
}

TEST_F(NetworkModule, TheWindowSpeaksThroughTheServerLosesTheModuleWithItAndConnectsAgain)
{
    MessageBoxRecorder boxes;
    EndProgramRecorder end;
    SimModule sim({"--char-ms", "5"}, 1);
    Ser2NetServer server(sim.ptyPath());
    ASSERT_TRUE(server.isListening());
    qputenv("PARLINO_COM1", server.rfc2217Name().toLatin1());
    Form1 form;
    form.Command5_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.MSComm1->PortOpen(); }, 5000));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    form.setText1_Text(QStringLiteral("MSGあいう"));
    form.Command10_Click();
    EXPECT_TRUE(sim.waitUntil([&] { return form.Snd_flg == 0; }, 10000));
    EXPECT_TRUE(sim.received().contains(cp932::encode(u"MSGあいう\r")));
    EXPECT_TRUE(boxes.boxes.isEmpty());
    server.stop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes.boxes.isEmpty(); }, 5000));
    EXPECT_FALSE(form.MSComm1->PortOpen());
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("COMが切断されました"));
    // The server answers again: the window connects by itself and writes nothing.
    const qsizetype heard = sim.received().size();
    ASSERT_TRUE(server.start());
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.MSComm1->PortOpen(); }, 10000));
    EXPECT_FALSE(form.findChild<QPushButton *>(QStringLiteral("Command5"))->isEnabled());
    EXPECT_EQ(sim.received().size(), heard);
}

TEST_F(NetworkModule, AHostThatNeverAnswersLeavesTheWindowAnsweringAndCloseGivesTheOpenUp)
{
    MessageBoxRecorder boxes;
    // It accepts the connection and then says nothing, also to the telnet requests.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const QString name = QStringLiteral("rfc2217://127.0.0.1:%1").arg(silent.serverPort());
    qputenv("PARLINO_COM1", name.toLatin1());
    Form1 form;
    form.show();
    auto *open = form.findChild<QPushButton *>(QStringLiteral("Command5"));
    auto *close = form.findChild<QPushButton *>(QStringLiteral("Command6"));
    // While an open waits: the busy pointer, OPEN off and CLOSE on; else the other way round.
    const struct
    {
        const char *step;
        std::function<void()> act;
        bool opening;
        int boxes;
    } steps[] = {
        {"OPEN waits for the server", [&] { QTest::mouseClick(open, Qt::LeftButton); }, true, 0},
        {"the window answers a click on CLOSE, which gives the open up",
         [&] { QTest::qWait(300), QTest::mouseClick(close, Qt::LeftButton); },
         false,
         0},
        {"OPEN again, left to run out: the cause names the server and the limit",
         [&] {
             QTest::mouseClick(open, Qt::LeftButton);
             EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes.boxes.isEmpty(); }, 8000));
         },
         false,
         1},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.step);
        step.act();
        EXPECT_EQ(form.MSComm1->isOpening(), step.opening);
        EXPECT_FALSE(form.MSComm1->PortOpen());
        EXPECT_EQ(QGuiApplication::overrideCursor() != nullptr, step.opening);
        EXPECT_EQ(open->isEnabled(), !step.opening);
        EXPECT_EQ(close->isEnabled(), step.opening);
        EXPECT_EQ(boxes.boxes.size(), step.boxes);
    }
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("COMがOPENできません"));
    EXPECT_TRUE(boxes.boxes[0].details.contains(
        QStringLiteral("the server at 127.0.0.1:%1 accepted the connection but did not answer "
                       "within 5 s")
            .arg(silent.serverPort())))
        << boxes.boxes[0].details.toStdString();
}

TEST(NetworkLinkOnServers, A0xFFByteCrossesTheTelnetEscapeOnceEachWay)
{
    if (Ser2NetServer::program().isEmpty())
        GTEST_SKIP() << "ser2net is not installed (./test installs it: apt-get install ser2net)";
    for (const Bridge::Server server :
         {Bridge::Ser2NetRfc2217, Bridge::Ser2NetTelnet, Bridge::Example}) {
        PtyPair module;
        const Bridge bridge(server, module.terminalPath());
        if (bridge.name.isEmpty())
            GTEST_SKIP() << exampleServerMissing;
        SCOPED_TRACE(bridge.name.toStdString());
        NetworkLink link;
        QByteArray received;
        QObject::connect(
            &link, &NetworkLink::received, [&](const QByteArray &bytes) { received += bytes; });
        ASSERT_EQ(openLink(link, bridge.name), QString());
        const QByteArray bytes("\xFF\r\x00\xFF\xFF\r\n", 7);
        link.write(bytes);
        EXPECT_TRUE(link.waitUntilAccepted(2000));
        EXPECT_EQ(link.pendingBytes(), 0);
        EXPECT_EQ(module.read(bytes.size()), bytes);
        module.write(bytes);
        EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() >= bytes.size(); }, 2000));
        QTest::qWait(50);
        EXPECT_EQ(received, bytes);
    }
}

TEST(NetworkLinkOnServers, OnceARawPortIsOpenTelnetBytesAreTheModules)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    NetworkLink link;
    QByteArray received;
    QObject::connect(&link, &NetworkLink::received, [&](const QByteArray &b) { received += b; });
    ASSERT_EQ(openLink(link, QStringLiteral("tcp://127.0.0.1:%1").arg(server.serverPort())), "");
    QTcpSocket *module = server.nextPendingConnection();
    ASSERT_NE(module, nullptr);
    module->write("\xFF\xFB\x01IDL\r");
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() >= 7; }, 2000));
    EXPECT_EQ(received, QByteArray("\xFF\xFB\x01IDL\r"));
    EXPECT_TRUE(link.isOpen());
}

TEST(NetworkLinkOnSer2Net, AServerThatTurnsTheClientAwayFailsTheOpenWithTheCause)
{
    if (Ser2NetServer::program().isEmpty())
        GTEST_SKIP() << "ser2net is not installed (./test installs it: apt-get install ser2net)";
    const struct
    {
        QString (*name)(const Ser2NetServer &);
        bool inUse;
        QString cause;
    } rows[] = {
        {[](const Ser2NetServer &s) { return s.plainTelnetName(); },
         false,
         QStringLiteral("the server offers no line settings (RFC 2217): for a plain telnet port "
                        "name it telnet://127.0.0.1:%1")},
        // RFC 2217 asked of a raw port: nobody answers the telnet side.
        {[](const Ser2NetServer &s) {
             return s.tcpName().replace(QStringLiteral("tcp:"), QStringLiteral("rfc2217:"));
         },
         false,
         QStringLiteral("the server at 127.0.0.1:%1 accepted the connection but did not answer "
                        "within 0.5 s")},
        // A raw port asked of a telnet server: its negotiation is no reply of the module.
        {[](const Ser2NetServer &s) {
             return s.rfc2217Name().replace(QStringLiteral("rfc2217:"), QStringLiteral("tcp:"));
         },
         false,
         QStringLiteral("the server speaks telnet: name the port rfc2217://127.0.0.1:%1 when it "
                        "offers line settings (RFC 2217), telnet://127.0.0.1:%1 when it does not")},
        {[](const Ser2NetServer &s) { return s.rfc2217Name(); },
         true,
         QStringLiteral("the server closed the connection")},
        {[](const Ser2NetServer &s) { return s.tcpName(); },
         true,
         QStringLiteral("the server closed the connection")},
    };
    for (const auto &row : rows) {
        PtyPair module;
        Ser2NetServer server(module.terminalPath());
        ASSERT_TRUE(server.isListening());
        const QString name = row.name(server);
        SCOPED_TRACE(name.toStdString());
        NetworkLink holder;
        if (row.inUse) {
            ASSERT_EQ(openLink(holder, server.tcpName()), QString());
        }
        NetworkLink link;
        const QString cause = openLink(link, name, 500);
        EXPECT_TRUE(cause.startsWith(row.cause.arg(parseNetworkPort(name)->port)))
            << cause.toStdString();
        if (row.inUse && name.startsWith(u"tcp:")) {
            EXPECT_TRUE(cause.contains(QStringLiteral("the port may be in use")))
                << cause.toStdString();
        }
        EXPECT_FALSE(link.isOpen());
        EXPECT_FALSE(link.isOpening());
    }
}

} // namespace
