// The real HTTP client and the command-line lookup against a small server on 127.0.0.1 run by the test.
#include "lineagefixture.h"

#include "app/qtplatform.h"
#include "lineage/getlineage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace
{

/** Answers every request with the same bytes once the request's head has arrived; an empty answer says
    nothing; with `close` the connection is closed after the answer. */
class Server : public QTcpServer
{
public:
    Server(QByteArray answer, bool close) : m_answer(std::move(answer)), m_close(close)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                m_request += s->readAll();
                if (!m_request.contains("\r\n\r\n"))
                    return;
                s->write(m_answer);
                if (m_close)
                    s->disconnectFromHost();
            });
        });
    }
    QString site() const { return u"http://127.0.0.1:%1"_s.arg(serverPort()); }

private:
    QByteArray m_answer, m_request;
    bool m_close;
};

QByteArray http(const QByteArray& status, const QByteArray& body, qint64 length = -1)
{
    return "HTTP/1.1 " + status +
           "\r\nContent-Length: " + QByteArray::number(length < 0 ? body.size() : length) +
           "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

class TestLineageNetwork : public QObject
{
    Q_OBJECT
private slots:
    void client_data();
    void client();
    void laterRequestCancelsEarlier();
    void commandLine_data();
    void commandLine();
};

void TestLineageNetwork::client_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("close");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QByteArray>("body"); // the body received, or "!" and a piece of the failure's text
    const QByteArray page = savedPage("fancy-dancer.html");
    QTest::newRow("page") << http("200 OK", page) << true << true << page;
    QTest::newRow("empty body") << http("200 OK", "") << true << true << QByteArray("");
    QTest::newRow("404") << http("404 Not Found", "gone") << true << true << QByteArray("!Not Found");
    QTest::newRow("500") << http("500 Internal Server Error", "oops") << true << true
                         << QByteArray("!Internal Server Error");
    QTest::newRow("dropped at once") << QByteArray() << true << true << QByteArray("!closed");
    QTest::newRow("dropped mid-body")
        << http("200 OK", "<html>", 900) << true << true << QByteArray("!closed");
    QTest::newRow("never answers") << QByteArray() << false << true << QByteArray("!in time");
    QTest::newRow("nothing listening") << QByteArray() << true << false << QByteArray("!refused");
    QTest::newRow("body over the limit, declared")
        << http("200 OK", "<html>", 1 << 30) << false << true << QByteArray("!too large");
    QTest::newRow("body over the limit, undeclared")
        << "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + QByteArray(5000, 'x') << true << true
        << QByteArray("!too large");
}

void TestLineageNetwork::client()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, close);
    QFETCH(bool, listening);
    QFETCH(QByteArray, body);
    Server server(answer, close);
    QVERIFY(server.isListening());
    const QString site = server.site();
    if (!listening)
        server.close();
    QtPlatform platform;
    platform.connection().timeoutMs = 1000;
    platform.connection().maxBytes = 4000;
    const Platform::HttpResult r = platform.httpGet(lineagePageAddress(site, u"123456"_s));
    QCOMPARE(r.ok, !body.startsWith('!'));
    QVERIFY2(r.ok ? r.body == body : r.error.contains(QString::fromUtf8(body.mid(1))), qPrintable(r.error));
    QVERIFY(!platform.connection().get(u"file:///etc/hostname"_s).ok);
}

void TestLineageNetwork::laterRequestCancelsEarlier()
{
    Server silent(QByteArray(), false), page(http("200 OK", "<p>page</p>"), true);
    QtPlatform platform;
    Platform::HttpResult second;
    QTimer::singleShot(200, [&] { second = platform.httpGet(page.site()); });
    const Platform::HttpResult first = platform.httpGet(silent.site());
    QVERIFY(!first.ok);
    QVERIFY(second.ok);
    QCOMPARE(second.body, QByteArray("<p>page</p>"));
}

void TestLineageNetwork::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("messages"); // first word of each message
    QTest::newRow("same horse") << QStringList{u"123456"_s, u"Fancy Dancer"_s} << true << 0 << QString();
    QTest::newRow("other name, No") << QStringList{u"123456"_s, u"Old Timer"_s} << true << 1 << u"Warning:"_s;
    QTest::newRow("other name, --yes")
        << QStringList{u"123456"_s, u"Old Timer"_s, u"--yes"_s} << true << 0 << u"Warning:"_s;
    QTest::newRow("nothing listening")
        << QStringList{u"123456"_s, u"Fancy Dancer"_s} << false << 1 << u"Connection"_s;
    QTest::newRow("no id") << QStringList{QString(), u"Fancy Dancer"_s} << true << 1 << u"Please"_s;
}

void TestLineageNetwork::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(bool, listening);
    QFETCH(int, status);
    QFETCH(QString, messages);
    const QByteArray page = savedPage("fancy-dancer.html");
    Server server(http("200 OK", page), true);
    if (!listening)
        server.close();
    // The site from the environment; --site wins over it.
    for (const bool option : {false, true}) {
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"TURFTRAWLER_SITE"_s, option ? u"http://127.0.0.1:1"_s : server.site());
        cli.setProcessEnvironment(env);
        cli.start(QStringLiteral(TURF_CLI),
                  QStringList{u"lineage"_s, u"--json"_s}
                      << args << (option ? QStringList{u"--site"_s, server.site()} : QStringList()));
        QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 30000);
        QCOMPARE(cli.exitCode(), status);
        const QJsonObject out = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
        QStringList seen;
        for (const QJsonValue& m : out[u"messages"_s].toArray())
            seen << m.toString().section(u' ', 0, 0);
        QCOMPARE(seen.join(u'|'), messages);
        if (status == 0) {
            const QStringList texts = expectedTexts(page, u"123456"_s);
            QCOMPARE(out[u"lbllineage"_s].toString(), texts[0]);
            QCOMPARE(out[u"lblmisc"_s].toString(), texts[1]);
            QCOMPARE(out[u"lblwinstats"_s].toString(), texts[2]);
            QCOMPARE(out[u"MSFlexGrid1"_s][u"cells"_s][2][1].toString(), u"Storm Chaser"_s);
        }
    }
}

QTEST_MAIN(TestLineageNetwork)
#include "test_lineagenetwork.moc"
