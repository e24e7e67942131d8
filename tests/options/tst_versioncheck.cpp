#include "options/VersionFetch.h"
#include "options/VersionFile.h"

#include <QFile>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QByteArray kIdeLine = "qvasmide        00.24.3530 Dec 14 first release";

// A loopback HTTP server of the test's own: each connection gets what the mode says once its
// request has come in.
class LoopbackServer : public QTcpServer
{
public:
    enum Mode { Answer, NeverAnswer, Endless };

    LoopbackServer(Mode mode, QByteArray response)
        : m_mode(mode)
        , m_response(std::move(response))
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    m_request += socket->readAll();
                    if (!m_request.contains("\r\n\r\n") || m_mode == NeverAnswer)
                        return;
                    if (m_mode == Answer) {
                        socket->write(m_response);
                        socket->disconnectFromHost();
                        return;
                    }
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n");
                    feed(socket);
                });
            }
        });
        listen(QHostAddress::LocalHost);
    }

    QUrl home() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(serverPort())); }
    const QByteArray &request() const { return m_request; }
    qint64 sent() const { return m_sent; }

private:
    void feed(QTcpSocket *socket)
    {
        // Endless: another 8 KiB whenever the last went out, until the client hangs up.
        const QByteArray chunk(8192, 'x');
        m_sent += socket->write(chunk);
        connect(socket, &QTcpSocket::bytesWritten, socket, [this, socket, chunk] {
            if (socket->state() == QAbstractSocket::ConnectedState && !socket->bytesToWrite())
                m_sent += socket->write(chunk);
        });
    }

    Mode m_mode;
    QByteArray m_response;
    QByteArray m_request;
    qint64 m_sent = 0;
};

QByteArray httpResponse(const QByteArray &status, const QByteArray &body)
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: "
           + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

VersionFetch::Result fetch(VersionFetch &fetcher, const QUrl &url)
{
    QSignalSpy done(&fetcher, &VersionFetch::finished);
    fetcher.start(url);
    if (done.isEmpty() && !done.wait(15000))
        return {false, 0xFFFFFFFF, {}};
    return done.first().first().value<VersionFetch::Result>();
}
} // namespace

// The version file's columns and the fetch that brings it.
class tst_VersionCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<VersionFetch::Result>(); }
    void columns_data();
    void columns();
    void lineEndsAndEncodings_data();
    void lineEndsAndEncodings();
    void laterLineWins();
    void failureMessage();
    void fromFileUrl();
    void missingFile();
    void fromLoopbackServer();
    void httpError();
    void serverNeverAnswers();
    void endlessData();
    void sizeLimitBothSides_data();
    void sizeLimitBothSides();
    void nobodyListening();
};

void tst_VersionCheck::columns_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ide");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("comment");
    QTest::newRow("release-example") << QString::fromLatin1(kIdeLine) << true << "00.24.35"
                                     << "30 Dec 14"
                                     << " first release";
    QTest::newRow("capitalised-key-ignored")
        << "QVASMIDE        00.24.3530 Dec 14 first release" << false << ""
        << ""
        << "";
    QTest::newRow("key-without-padding-ignored") << "qvasmide 00.24.35" << false << ""
                                                 << ""
                                                 << "";
    QTest::newRow("key-only") << "qvasmide        " << true << ""
                              << ""
                              << "";
    QTest::newRow("short-version") << "qvasmide        00.2" << true << "00.2"
                                   << ""
                                   << "";
    QTest::newRow("short-date") << "qvasmide        00.24.3530 D" << true << "00.24.35"
                                << "30 D"
                                << "";
    QTest::newRow("no-comment") << "qvasmide        00.24.3530 Dec 14" << true << "00.24.35"
                                << "30 Dec 14"
                                << "";
    QTest::newRow("spaces-kept") << "qvasmide         1.0     1 Jan 99    x " << true << " 1.0    "
                                 << " 1 Jan 99"
                                 << "    x ";
}

void tst_VersionCheck::columns()
{
    QFETCH(QString, line);
    QFETCH(bool, ide);
    QFETCH(QString, version);
    QFETCH(QString, date);
    QFETCH(QString, comment);
    const VersionFile::Versions v = VersionFile::parse(QStringView(line));
    QCOMPARE(v.ide.found, ide);
    QCOMPARE(v.ide.version, version);
    QCOMPARE(v.ide.date, date);
    QCOMPARE(v.ide.comment, comment);
    QVERIFY(!v.assembler.found);
}

void tst_VersionCheck::lineEndsAndEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QString text = "# versions\nqvasmide        00.24.3530 Dec 14 first release\n"
                         "qvasm           01.02.0301 Jan 15 grüße\n";
    QString crlf = text;
    crlf.replace("\n", "\r\n");
    QString cr = text;
    cr.replace("\n", "\r");
    QTest::newRow("lf") << text.toUtf8();
    QTest::newRow("crlf") << crlf.toUtf8();
    QTest::newRow("lone-cr") << cr.toUtf8();
    QTest::newRow("no-final-break") << text.chopped(1).toUtf8();
    QTest::newRow("utf8-bom") << QByteArray("\xEF\xBB\xBF") + crlf.toUtf8();
    QTest::newRow("latin1") << crlf.toLatin1();
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    QTest::newRow("utf16le-bom") << QByteArray(utf16(crlf));
}

void tst_VersionCheck::lineEndsAndEncodings()
{
    QFETCH(QByteArray, bytes);
    const VersionFile::Versions v = VersionFile::parse(bytes);
    QCOMPARE(v.ide.version, QString("00.24.35"));
    QCOMPARE(v.ide.comment, QString(" first release")); // no line break carried in
    QCOMPARE(v.assembler.version, QString("01.02.03"));
    QCOMPARE(v.assembler.date, QString("01 Jan 15"));
    QCOMPARE(v.assembler.comment, QString::fromUtf8(" grüße"));
}

void tst_VersionCheck::laterLineWins()
{
    const VersionFile::Versions v = VersionFile::parse(
        QStringView(u"qvasm           00.00.0101 Jan 00 old\n"
                    u"qvasm           00.00.0202 Jan 00 new"));
    QCOMPARE(v.assembler.version, QString("00.00.02"));
    QCOMPARE(v.assembler.comment, QString(" new"));
}

void tst_VersionCheck::failureMessage()
{
    QCOMPARE(VersionFetch::failureMessage(404),
             QString("Could not establish a connection: 0x00000194"));
    QCOMPARE(VersionFetch::failureMessage(0xDEADBEEF),
             QString("Could not establish a connection: 0xDEADBEEF"));
}

void tst_VersionCheck::fromFileUrl()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("docs"));
    QFile file(dir.filePath("docs/versions.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kIdeLine + "\r\n");
    file.close();

    VersionFetch fetcher;
    const QUrl home = QUrl::fromLocalFile(dir.path() + "/");
    const VersionFetch::Result r = fetch(fetcher, QUrl(home.toString() + "docs/versions.txt"));
    QVERIFY(r.ok);
    QCOMPARE(VersionFile::parse(r.data).ide.date, QString("30 Dec 14"));
}

void tst_VersionCheck::missingFile()
{
    QTemporaryDir dir;
    VersionFetch fetcher;
    const VersionFetch::Result r = fetch(fetcher, QUrl::fromLocalFile(dir.filePath("none.txt")));
    QVERIFY(!r.ok);
    QVERIFY(r.errorCode != 0);
}

void tst_VersionCheck::fromLoopbackServer()
{
    LoopbackServer server(LoopbackServer::Answer, httpResponse("200 OK", kIdeLine + "\r\n"));
    QVERIFY(server.isListening());
    VersionFetch fetcher;
    const VersionFetch::Result r = fetch(fetcher, server.home().resolved(QUrl("docs/versions.txt")));
    QVERIFY(r.ok);
    QCOMPARE(VersionFile::parse(r.data).ide.version, QString("00.24.35"));
    QVERIFY(server.request().startsWith("GET /docs/versions.txt HTTP/1.1\r\n"));
    QVERIFY(!fetcher.isRunning());
}

void tst_VersionCheck::httpError()
{
    LoopbackServer server(LoopbackServer::Answer, httpResponse("404 Not Found", "no such page"));
    VersionFetch fetcher;
    const VersionFetch::Result r = fetch(fetcher, server.home());
    QVERIFY(!r.ok);
    QCOMPARE(r.errorCode, 404u);
    QVERIFY(r.data.isEmpty());
}

void tst_VersionCheck::serverNeverAnswers()
{
    LoopbackServer server(LoopbackServer::NeverAnswer, {});
    VersionFetch fetcher;
    fetcher.setTimeout(300);
    QElapsedTimer clock;
    clock.start();
    const VersionFetch::Result r = fetch(fetcher, server.home());
    QVERIFY(!r.ok);
    QCOMPARE(r.errorCode, VersionFetch::TimedOut);
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(!fetcher.isRunning());
}

void tst_VersionCheck::endlessData()
{
    LoopbackServer server(LoopbackServer::Endless, {});
    VersionFetch fetcher;
    const VersionFetch::Result r = fetch(fetcher, server.home());
    QVERIFY(!r.ok);
    QCOMPARE(r.errorCode, VersionFetch::TooLarge);
    QVERIFY(r.data.isEmpty());
}

void tst_VersionCheck::sizeLimitBothSides_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("ok");
    QTest::newRow("at-limit") << int(VersionFetch::DefaultSizeLimit) << true;
    QTest::newRow("one-past-limit") << int(VersionFetch::DefaultSizeLimit + 1) << false;
}

void tst_VersionCheck::sizeLimitBothSides()
{
    QFETCH(int, size);
    QFETCH(bool, ok);
    QByteArray body = kIdeLine + "\n";
    body += QByteArray(size - body.size(), ' ');
    LoopbackServer server(LoopbackServer::Answer, httpResponse("200 OK", body));
    VersionFetch fetcher;
    const VersionFetch::Result r = fetch(fetcher, server.home());
    QCOMPARE(r.ok, ok);
    if (ok)
        QCOMPARE(r.data.size(), qsizetype(size));
    else
        QCOMPARE(r.errorCode, VersionFetch::TooLarge);
}

void tst_VersionCheck::nobodyListening()
{
    quint16 port = 0;
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        port = closed.serverPort();
    }
    VersionFetch fetcher;
    const VersionFetch::Result r = fetch(fetcher,
                                         QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)));
    QVERIFY(!r.ok);
    QCOMPARE(r.errorCode, quint32(1)); // QNetworkReply::ConnectionRefusedError
}

QTEST_GUILESS_MAIN(tst_VersionCheck)
#include "tst_versioncheck.moc"
