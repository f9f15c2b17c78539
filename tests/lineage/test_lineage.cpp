// The lineage lookup: the page parser on a saved page and its variants, the real HTTP client and the lineage
// command against a server on 127.0.0.1 run by the test, and "Get Lineage Info." into the lineage window.
#include "search/searchfixture.h"

#include "runcli.h"

#include "core/headlessplatform.h"
#include "gui/app/frmmainfinder.h"
#include "gui/app/qtplatform.h"
#include "gui/lineage/frmlineage.h"
#include "gui/widgets/gridview.h"
#include "lineage/getlineage.h"
#include "lineage/httpconnection.h"

#include <QContextMenuEvent>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

namespace
{

QByteArray savedPage(const QString& name)
{
    return readFile(QStringLiteral(TURF_TEST_DATA "/lineage/") + name, {});
}

/** Every value, pedigree row by row at the end. */
QStringList values(const LineagePage& p)
{
    QStringList v{p.name,        p.owner,   p.earnings, p.description, p.ranking, p.claimTag,
                  p.nonMcosWins, p.wins[0], p.wins[1],  p.wins[2],     p.wins[3]};
    for (const auto& row : p.pedigree)
        for (const QString& name : row)
            v << name;
    return v;
}

/** Answers each request, once its head has arrived, with the bytes `answer` gives for the head, then closes
    when asked to. */
struct Server : QTcpServer {
    Server(const QByteArray& answer, bool close) : Server([=](const QByteArray&) { return answer; }, close) {}
    Server(const std::function<QByteArray(const QByteArray&)>& answer, bool close)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [=, this] {
            QTcpSocket* s = nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, s, [=] {
                const QByteArray head = s->readAll();
                if (head.contains("\r\n\r\n") && s->write(answer(head)) >= 0 && close)
                    s->disconnectFromHost();
            });
        });
    }
    QString site() const { return u"http://127.0.0.1:%1"_s.arg(serverPort()); }
};

/** Sends one chunked page of `total` bytes from a thread of its own, 64 KB a chunk, as fast as the client
    takes it, and stops early when the client goes. */
struct FloodServer {
    explicit FloodServer(qint64 total) : listener(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof a;
        ::bind(listener, reinterpret_cast<sockaddr*>(&a), size);
        ::listen(listener, 1);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
        port = ntohs(a.sin_port);
        thread = std::thread([this, total] {
            const int c = ::accept(listener, nullptr, nullptr);
            if (c < 0)
                return;
            char head[4096];
            [[maybe_unused]] const ssize_t got = ::recv(c, head, sizeof head, 0);
            const QByteArray chunk = "10000\r\n" + QByteArray(0x10000, 'x') + "\r\n";
            QByteArray out = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
            for (qint64 sent = 0; sent < total; sent += 0x10000, out = chunk)
                if (::send(c, out.constData(), size_t(out.size()), MSG_NOSIGNAL) < 0)
                    break;
            ::send(c, "0\r\n\r\n", 5, MSG_NOSIGNAL);
            ::close(c);
        });
    }
    ~FloodServer()
    {
        ::shutdown(listener, SHUT_RDWR); // ends a wait for a client that never came
        thread.join();
        ::close(listener);
    }
    int listener;
    quint16 port = 0;
    std::thread thread;
};

/** The process's resident memory ("VmRSS:"), or its peak ("VmHWM:"), in kB. */
qint64 memoryKb(const char* field)
{
    const QByteArray status = readFile(u"/proc/self/status"_s);
    const qsizetype at = status.indexOf(field);
    return at < 0 ? -1 : status.mid(at + qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
}

QByteArray http(const QByteArray& status, const QByteArray& body, qint64 length = -1)
{
    return "HTTP/1.1 " + status +
           "\r\nContent-Length: " + QByteArray::number(length < 0 ? body.size() : length) + "\r\n\r\n" + body;
}

} // namespace

class TestLineage : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        // The saved page with `from` replaced by `to`; "index=value" for each value that then differs.
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("changed");
        const auto row = [](const char* name, const char* from, const char* to, const char* changed) {
            QTest::newRow(name) << QString::fromUtf8(from) << QString::fromUtf8(to)
                                << QString::fromUtf8(changed);
        };
        row("saved page", "", "", "");
        row("two-character description start", "size=2>4", "size=2>14", "3=14 yo bay colt by Storm Chaser");
        row("bold part of the description", "colt by", "colt <b>bred by owner</b> by",
            "3=4 yo bay colt HOMEBRED by Storm Chaser");
        row("wins: the next bold texts, whatever the labels", "<tr><td>9 months:", "<b>9</b> mo.",
            "9=9|10=2");
        // "Sire</th>" also matches the end of a heading before it: the sire row reads that heading's names.
        row("Dam-Sire before Sire", "<th>Sire</th>", "<th>Dam-Sire</th>",
            "17=Storm Chaser|18=Silver Bell|19=Quiet Night");
        // Ends among the characters skipped after a marker give empty, not the text up to a later end.
        row("anchor text without its line break", ">\r\nFancy Dancer</a>", ">F</a>", "11=");
    }

    void parse()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, changed);
        const QString saved = pageText(savedPage(u"fancy-dancer.html"_s));
        // The saved page's values are checked whole where the lineage window shows them.
        QStringList expected = values(parseLineagePage(saved));
        for (const QString& c : changed.split(u'|', Qt::SkipEmptyParts))
            expected[c.section(u'=', 0, 0).toInt()] = c.section(u'=', 1);
        QCOMPARE(values(parseLineagePage(QString(saved).replace(from, to))), expected);
    }

    void missingMarkers()
    {
        // A page that lacks a piece of HTML gives each value as on the saved page or empty, never text from
        // elsewhere; the value the piece marks is empty.
        const QString saved = pageText(savedPage(u"fancy-dancer.html"_s));
        const QStringList full = values(parseLineagePage(saved));
        const QStringList markers =
            u"font size=4@0|</td>@0|&idno=&name=@1|</th>@2|ID#@3|<font size=2>@3|</font>@3|"
            "Divisional Ranking:@4|<b>@4|</b>@4|Low Claim-Tag/6@5|<td align=right>@5|Non "
            "M/C/O/S@6|3 months:@7|Horse</th>@11|Sire</th>@14|Dam-Sire</th>@17|Sire's "
            "Sire</th>@20|<a@11|</a@11|>@0"_s.split(u'|');
        for (const QString& m : markers) {
            const QStringList v = values(parseLineagePage(QString(saved).remove(m.section(u'@', 0, 0))));
            QVERIFY2(v[m.section(u'@', 1).toInt()].isEmpty(), qPrintable(m));
            for (qsizetype i = 0; i < v.size(); ++i)
                QVERIFY2(v[i].isEmpty() || v[i] == full[i], qPrintable(m));
        }
    }

    void client()
    {
        // Answer, whether the server closes after it, and the body received or "!" and part of the failure.
        const std::tuple<const char*, QByteArray, bool, QByteArray> cases[] = {
            {"page", http("200 OK", "<p>page</p>"), true, "<p>page</p>"},
            {"404", http("404 Not Found", "gone"), true, "!HTTP 404 Not Found"},
            {"dropped at once", "", true, "!closed"},
            {"dropped mid-body", http("200 OK", "<html>", 900), true, "!closed"},
            {"never answers", "", false, "!did not answer within 1 second."},
            {"body of the limit", http("200 OK", QByteArray(4000, 'x')), true, QByteArray(4000, 'x')},
            {"body over the limit", http("200 OK", "<html>", 1 << 30), false, "!too large: over 4000 bytes"},
            {"body over the limit, undeclared", "HTTP/1.1 200 OK\r\n\r\n" + QByteArray(4001, 'x'), true,
             "!too large"}};
        for (const auto& [name, answer, close, got] : cases) {
            Server server(answer, close); // nothing listening: the command line's test below
            const QString site = server.site();
            QtPlatform platform;
            platform.connection().timeoutMs = 1000;
            platform.connection().maxBytes = 4000;
            const Platform::HttpResult r = platform.httpGet(lineagePageAddress(site, u"1"_s));
            QVERIFY2(r.ok == !got.startsWith('!') &&
                         (r.ok ? r.body == got : r.error.contains(QString::fromUtf8(got.mid(1)))),
                     name);
        }

        // Redirects are followed on the same site (host and port) only.
        Server site(
            [](const QByteArray& head) {
                const auto moved = [](const char* to) {
                    return "HTTP/1.1 302 Found\r\nLocation: " + QByteArray(to) +
                           "\r\nContent-Length: 0\r\n\r\n";
                };
                return head.startsWith("GET /far")    ? moved("http://localhost:1/page")
                       : head.startsWith("GET /near") ? moved("/page")
                                                      : http("200 OK", "<p>moved</p>");
            },
            true);
        HttpConnection c;
        QCOMPARE(c.get(site.site() + u"/near"_s).body, "<p>moved</p>");
        QCOMPARE(
            c.get(site.site() + u"/far"_s).error,
            u"The site sent the request on to another site, http://localhost:1/page; it was not followed."_s);

        // A cancelled request never reports.
        bool reported = false;
        Server silent(QByteArray(), false);
        c.start(silent.site(), [&](const Platform::HttpResult&) { reported = true; });
        c.cancel();
        QTest::qWait(50);
        QVERIFY(!reported);

        // However large and fast the page, a request holds little more than the limit it keeps.
        const qint64 idle = memoryKb("VmRSS:");
        writeFile(u"/proc/self/clear_refs"_s, "5"); // the peak starts again from here
        FloodServer flood(qint64(200) << 20);
        QVERIFY(c.get(u"http://127.0.0.1:%1/"_s.arg(flood.port)).error.contains(u"too large: over 5 MB"_s));
        QCOMPARE_LE(memoryKb("VmHWM:") - idle, 15 * 1024);
    }

    void commandLine()
    {
        // The page names another horse: No unless --yes. The site from the environment, or --site before it.
        Server server(http("200 OK", savedPage(u"fancy-dancer.html"_s)), true);
        for (const bool yes : {true, false}) {
            QProcess cli;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"TURFTRAWLER_SITE"_s, yes ? server.site() : u"http://127.0.0.1:1"_s);
            cli.setProcessEnvironment(env);
            cli.start(QStringLiteral(TURF_CLI),
                      QStringList{u"lineage"_s, u"123456"_s, u"Old Timer"_s, u"--json"_s} +
                          (yes ? QStringList{u"--yes"_s} : QStringList{u"--site"_s, server.site()}));
            QTRY_COMPARE_WITH_TIMEOUT(cli.state(), QProcess::NotRunning, 30000);
            const QJsonDocument out = QJsonDocument::fromJson(cli.readAllStandardOutput());
            QCOMPARE(cli.exitCode(), yes ? 0 : 1);
            QVERIFY(out[u"messages"_s][0].toString().startsWith(u"Warning: This horse"_s));
            QCOMPARE(out[u"MSFlexGrid1"_s][u"cells"_s][2][1].toString(), yes ? u"Storm Chaser"_s : QString());
        }
        // An id that is not a number is never sent; a failed fetch names the site asked and the cause.
        QCOMPARE(runCli(QDir::tempPath(), {u"lineage"_s, u"1&admin=1"_s, u"X"_s}, 1),
                 "The id \"1&admin=1\" is not a horse's number; its lineage cannot be looked up.\n");
        QCOMPARE(
            runCli(QDir::tempPath(), {u"lineage"_s, u"5"_s, u"X"_s, u"--site"_s, u"http://127.0.0.1:1"_s}, 1),
            "Connection with Stridemark was not successful.  Please check your internet connection and try "
            "again.\nhttp://127.0.0.1:1: Connection refused\n");
        QCOMPARE(lineagePageAddress(u"http://s/"_s, u"1&a=1"_s),
                 u"http://s/hr/runtime/onehoss.asp?hossnum=1%26a%3D1"_s);
    }

    void lookupFromTheGrid()
    {
        SearchFixture fx;
        const char* horses[] = {"Fancy Dancer", "Night Train", "Old Timer"};
        for (int i = 0; i < 3; ++i)
            fx.add({.hname = QLatin1String(horses[i]), .hid = i == 1 ? 654321 : 123456, .week = 410 - i});
        qputenv("TURFTRAWLER_SITE", "http://sim.test");
        HeadlessPlatform p;
        const QString fancy = lineagePageAddress(u"http://sim.test"_s, u"123456"_s);
        p.pages[fancy] = savedPage(u"fancy-dancer.html"_s);
        p.pages[lineagePageAddress(u"http://sim.test"_s, u"654321"_s)] = savedPage(u"night-train.html"_s);
        frmmainfinder w(p, fx.path(), fx.path() + u"/breeding.txt"_s);
        w.Form_Load();
        w.show();
        control<QAction>(w, "getlineage")->trigger(); // before any search
        control<QRadioButton>(w, "optowner")->click();
        control<QLineEdit>(w, "txthorse")->setText(u"Red Barn"_s);
        control<QPushButton>(w, "cmdgethorse")->click();

        // A right-button press on a row opens the pop-up there; its entry asks for that row's lineage.
        QPointer<frmlineage> lw;
        const auto lineageOf = [&](int row) {
            QWidget* grid = control<GridView>(w, "MSFlexGrid1")->viewport();
            const QPoint at =
                control<GridView>(w, "MSFlexGrid1")
                    ->visualRect(control<GridView>(w, "MSFlexGrid1")->model()->index(row - 1, 0))
                    .center();
            QTest::mousePress(grid, Qt::RightButton, {}, at);
            QContextMenuEvent menu(QContextMenuEvent::Mouse, at, grid->mapToGlobal(at));
            QApplication::sendEvent(grid, &menu);
            QVERIFY(control<QMenu>(w, "popmenu")->isVisible());
            control<QMenu>(w, "popmenu")->close();
            control<QAction>(w, "getlineage")->trigger();
            QTRY_COMPARE(p.busyDepth, 0); // the page arrives while the window goes on
            lw = w.findChild<frmlineage*>();
            QVERIFY(lw && lw->isVisible() && !lw->isModal());
        };
        const auto shown = [&] {
            QStringList t{lw->windowTitle(), lw->lbllineage->text(), lw->lblmisc->text(),
                          lw->lblwinstats->text()};
            for (int r = 0; r < 20; ++r)
                t << lw->MSFlexGrid1->model()->index(r / 4, r % 4).data().toString();
            return t;
        };
        lineageOf(1);
        QCOMPARE(
            shown().join(u'|'),
            u"Lineage and Statistics|Lineage of 'Fancy Dancer'  (123456)|Owner:   RED BARN STABLES\n\n4 yo "
            "bay colt by Storm Chaser\n\nDiv. Ranking: 12th\nLow Claim-Tag/6 Months: $25,000\nNon M/C/O/S "
            "Wins: 3|Earnings:  $123,456\n\nWins in the last:\n3 months: 1\n6 months: 2\n9 months: 2\nYear: "
            "4||Sire Line|Dam-Sire Line|Dam's Dam-Sire Line|Horse|Fancy Dancer|Lady Luck|Morning Dew|Sire|"
            "Storm Chaser|Silver Bell|Quiet Night|Dam-Sire|Gold Rush|Bright Star|Sea Breeze|Sire's Sire|"
            "Iron Duke|Red Rose|Blue Moon"_s);

        // The next horse (its page name in capitals) goes into the same window and leaves nothing of the
        // first but the captions; a widened column stays so.
        const QStringList first = shown();
        const frmlineage* same = lw;
        lw->MSFlexGrid1->setColumnWidth(1, 200);
        lineageOf(2);
        QCOMPARE(lw.data(), same);
        const QStringList night = shown();
        for (int i = 1; i < night.size(); ++i)
            QVERIFY(night[i] != first[i] || i < 8 || i % 4 == 0);
        QCOMPARE(lw->MSFlexGrid1->columnWidth(1), 200);

        // No at the question, an empty page, a row without an id, a caption row alone: the open window stays
        // as it was. A selection on the caption row asks for row 1.
        lineageOf(3);
        p.pages[fancy].clear();
        w.state().MSFlexGrid1.setCurrent(0, 0);
        control<QAction>(w, "getlineage")->trigger();
        QCOMPARE(w.state().MSFlexGrid1.row(), 1);
        QTRY_VERIFY(p.messages.last().endsWith(u"try again.\rhttp://sim.test: The page is empty."_s));

        // While the page is on its way the status line says so, and Cancel drops the request.
        p.holdHttp = true;
        control<QAction>(w, "getlineage")->trigger();
        auto* cancel = w.findChild<QPushButton*>(u"cmdcancellineage"_s);
        QVERIFY(cancel && cancel->isVisible());
        QCOMPARE(w.state().statusline, u"Fetching the page of 123456..."_s);
        QCOMPARE(p.busyDepth, 1);
        QTest::mouseClick(cancel, Qt::LeftButton);
        p.answerHttp();
        QVERIFY(!cancel->isVisible());
        QCOMPARE(w.state().statusline, u"The lineage request was cancelled."_s);
        w.state().MSFlexGrid1.setText(1, 1, QString());
        control<QAction>(w, "getlineage")->trigger();
        w.state().MSFlexGrid1.setRows(1);
        control<QAction>(w, "getlineage")->trigger();
        QCOMPARE(shown(), night);
        for (QString& m : p.messages)
            m = m.section(u' ', 0, 0);
        QCOMPARE(p.messages.join(u'|'), u"Please|Warning:|Connection|Please|Please"_s);
        QCOMPARE(p.busyDepth, 0);
    }
};

QTEST_MAIN(TestLineage)
#include "test_lineage.moc"
