// The watch list: its file, the watched starts of an import, the two windows over the main window, the
// commands.
#include "import/importfixture.h"
#include "runcli.h"

#include "gui/app/frmmainfinder.h"
#include "gui/search/frmwatchedstarts.h"
#include "gui/search/frmwatchlist.h"
#include "import/importdriver.h"
#include "search/watchlist.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace
{

TestStart S(const QString& name, int id, const QString& owner)
{
    return {.name = u"\"%1\""_s.arg(name), .id = QString::number(id), .owner = u"\"%1\""_s.arg(owner)};
}

TestRace R(const QString& number, const QList<TestStart>& starts)
{
    return {.number = number, .starts = starts};
}

const QString stable = u"Acme, Stables & Sons"_s;

/** Week 610 imported first, then 611 and 612 in one import; Blue Moon 1 changes owner between them, and a
    second Blue Moon (7) runs too. */
QList<int> importWeeks(ImportFixture& fx)
{
    importFiles(fx.f,
                {fx.writeRaces(u"w610.txt"_s, {R(u"610.0101"_s, {S(u"Blue Moon"_s, 1, u"Ann Lee"_s)})})});
    const QString w611 = fx.writeRaces(
        u"w611.txt"_s,
        {R(u"611.0101"_s, {S(u"Blue Moon"_s, 1, u"Ann Lee"_s), S(u"Other Horse"_s, 9, u"Nobody"_s),
                           S(u"Stable Star"_s, 5, stable)}),
         R(u"611.0102"_s, {S(u"Red, Sky & Co"_s, 2, u"Zed"_s), S(u"Blue Moon"_s, 7, u"Someone"_s)})});
    const QString w612 = fx.writeRaces(
        u"w612.txt"_s,
        {R(u"612.0101"_s, {S(u"Blue Moon"_s, 1, u"Bob Ray"_s), S(u"Green Hat"_s, 3, stable)}),
         R(u"612.0102"_s, {S(u"Other Horse"_s, 9, u"Nobody"_s), S(u"Red, Sky & Co"_s, 2, u"Zed"_s)})});
    return importFiles(fx.f, {w611, w612}).weeks;
}

/** The watch list of the tests: three horses (one without an id) and one stable. */
void watchFour(ImportFixture& fx)
{
    QCOMPARE(Watchlist::write(Watchlist::path(fx.f), {{WatchEntry::Kind::Horse, u"Blue Moon"_s, u"1"_s},
                                                      {WatchEntry::Kind::Horse, u"red, sky & co"_s, {}},
                                                      {WatchEntry::Kind::Horse, u"Green Hat"_s, u"3"_s},
                                                      {WatchEntry::Kind::Owner, stable, {}}}),
             QString());
}

QStringList summary(const QList<WatchedStart>& starts)
{
    QStringList out;
    for (const WatchedStart& s : starts)
        out << s.cells[0] + u'|' + s.cells[2] + u'|' + s.cells[8] + u'|' + s.cells[10];
    return out;
}

} // namespace

class TestWatchlist : public QObject
{
    Q_OBJECT
private slots:
    void importListsExactlyTheWatchedStarts()
    {
        ImportFixture fx;
        watchFour(fx);
        const QList<WatchedStart> starts = watchedStarts(fx.f, importWeeks(fx));
        // Newest first; Blue Moon 7 and week 610 are not listed, Green Hat once though its stable is watched
        // too, and Blue Moon under its new owner.
        QCOMPARE(summary(starts),
                 QStringList({u"Red, Sky & Co|612.0102|2 of 2|Zed"_s, u"Blue Moon|612.0101|1 of 2|Bob Ray"_s,
                              u"Green Hat|612.0101|2 of 2|Acme, Stables & Sons"_s,
                              u"Red, Sky & Co|611.0102|1 of 2|Zed"_s, u"Blue Moon|611.0101|1 of 3|Ann Lee"_s,
                              u"Stable Star|611.0101|3 of 3|Acme, Stables & Sons"_s}));
        QVERIFY(fx.p.messages.isEmpty());
        // Weeks apart: each its own band, 611 between them not read.
        QCOMPARE(summary(watchedStarts(fx.f, {612, 610})).size(), 4);

        // The texts and colour of the results grid (no track code: the track table is empty).
        QCOMPARE(starts[0].texts().join(u'|'), u"Red, Sky & Co|2|612.0102||Clm|6|D|80.0|2 of 2|2500|Zed"_s);
        QCOMPARE(starts[0].colour, 4);
    }

    void fileRoundTripsAndRefuses_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("comma and ampersand") << u"Smith, Jones & Co"_s << u"12"_s << QString();
        QTest::newRow("cut to 25 like the name box")
            << u"Abcdefghijklmnopqrstuvwxyz"_s << QString() << QString();
        QTest::newRow("line break") << u"A\nB"_s << QString() << u"A name on the watch list cannot hold"_s;
        QTest::newRow("id not a number")
            << u"Blue Moon"_s << u"12x"_s << u"The ID \"12x\" is not a number."_s;
    }
    void fileRoundTripsAndRefuses()
    {
        QFETCH(QString, name);
        QFETCH(QString, id);
        QFETCH(QString, refusal);
        ImportFixture fx;
        MainWindowState& f = fx.f;
        const Watchlist::Checked c = Watchlist::check(WatchEntry::Kind::Horse, name, id);
        QVERIFY2(c.error.startsWith(refusal), qPrintable(c.error));
        if (!refusal.isEmpty())
            return;
        QList<WatchEntry> shown;
        QVERIFY(Watchlist::add(f, c.entry, shown));
        QVERIFY(Watchlist::add(f, {WatchEntry::Kind::Owner, name, {}}, shown));
        const Watchlist::ReadResult r = Watchlist::read(Watchlist::path(f));
        QCOMPARE(r.error, QString());
        QCOMPARE(r.entries, shown);
        QCOMPARE(r.entries.first().name, name.left(25));
        QCOMPARE(r.entries.last().name, name);
        // The same entry again, in other letters: refused, the file as it was.
        const QByteArray before = readFile(Watchlist::path(f));
        QVERIFY(!Watchlist::add(f, {WatchEntry::Kind::Owner, name.toUpper(), {}}, shown));
        QCOMPARE(readFile(Watchlist::path(f)), before);
    }

    void damagedFileIsKept()
    {
        ImportFixture fx;
        const QByteArray damaged = "H|Blue Moon|1\r\nX|what is this\r\n";
        fx.write(u"KZTWatchlist.txt"_s, damaged);
        const Watchlist::ReadResult r = Watchlist::read(Watchlist::path(fx.f));
        QVERIFY(r.entries.isEmpty());
        QVERIFY2(r.error.contains(u"line 2 (\"X|what is this\")"_s), qPrintable(r.error));
        QList<WatchEntry> shown;
        QVERIFY(!Watchlist::add(fx.f, {WatchEntry::Kind::Owner, u"Zed"_s, {}}, shown));
        QCOMPARE(readFile(Watchlist::path(fx.f)), damaged);
        // After an import the message says so, and nothing is listed.
        QVERIFY(watchedStarts(fx.f, importWeeks(fx)).isEmpty());
        QCOMPARE(fx.p.messages.size(), 2);
        QCOMPARE(fx.p.messages.last(), r.error);
        QCOMPARE(runCli(fx.path(), {u"watch"_s}, 1), "turftrawler-cli watch: " + r.error.toUtf8() + "\n");
    }

    void windowsOverTheMainWindow()
    {
        ImportFixture fx;
        frmmainfinder w(fx.p, fx.path(), fx.dir.filePath(u"no-breeding.txt"_s));
        QVERIFY(w.Form_Load());
        w.show();
        control<QAction>(w, "watchlist")->trigger();
        auto* list = w.findChild<frmwatchlist*>();
        QVERIFY(list && list->isVisible());
        const auto add = [&](const QString& name, const QString& id, QPushButton* button) {
            list->txtname->setText(name);
            list->txtid->setText(id);
            QTest::mouseClick(button, Qt::LeftButton);
        };
        add(u"Blue Moon"_s, u"1"_s, list->cmdaddhorse);
        add(u"Red, Sky & Co"_s, QString(), list->cmdaddhorse);
        add(u"Nobody"_s, QString(), list->cmdaddowner);
        add(stable, QString(), list->cmdaddowner);
        QCOMPARE(list->lstwatch->count(), 4);
        list->lstwatch->setCurrentRow(2);
        QTest::mouseClick(list->cmdremove, Qt::LeftButton);
        QCOMPARE(list->lstwatch->count(), 3);
        QCOMPARE(readFile(Watchlist::path(fx.f)),
                 "H|Blue Moon|1\r\nH|Red, Sky & Co|\r\nO|Acme, Stables & Sons\r\n");
        QVERIFY(fx.p.messages.isEmpty());

        // A cancelled import changes and shows nothing; one that stores weeks shows their watched starts.
        fx.p.openAnswers.push_back({});
        fx.p.labelTexts.clear();
        control<QAction>(w, "cmdimportdata")->trigger();
        QVERIFY(!w.findChild<frmwatchedstarts*>() && fx.p.dialogs.first().multiple &&
                fx.p.labelTexts.isEmpty());
        fx.p.openAnswers.push_back({fx.writeRaces(
            u"w611.txt"_s,
            {R(u"611.0101"_s, {S(u"Blue Moon"_s, 1, u"Ann Lee"_s), S(u"Stable Star"_s, 5, stable)}),
             R(u"611.0102"_s, {S(u"Red, Sky & Co"_s, 2, u"Zed"_s)})})});
        control<QAction>(w, "cmdimportdata")->trigger();
        QTRY_VERIFY(!w.importing());
        QVERIFY(w.findChild<frmwatchedstarts*>() && w.findChild<frmwatchedstarts*>()->isVisible());
        QTableView* view = w.findChild<frmwatchedstarts*>()->MSFwatched;
        QCOMPARE(view->model()->rowCount(), 3);
        QCOMPARE(view->model()->index(2, 0).data().toString(), u"Stable Star"_s);

        // A double click on a row lists that horse in the main window.
        QVERIFY(QTest::qWaitForWindowExposed(w.findChild<frmwatchedstarts*>()));
        const QPoint cell = view->visualRect(view->model()->index(2, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(w.state().MSFlexGrid1.text(1, 0), u"Stable Star"_s);
    }

    void commands()
    {
        ImportFixture fx;
        QCOMPARE(runCli(fx.path(), {u"watch"_s, u"add-horse"_s, u"Blue Moon"_s, u"1"_s}, 0),
                 "1\tHorse: Blue Moon (1)\n");
        QCOMPARE(runCli(fx.path(), {u"watch"_s, u"add-owner"_s, stable}, 0),
                 "1\tHorse: Blue Moon (1)\n2\tOwner: Acme, Stables & Sons\n");
        QCOMPARE(runCli(fx.path(), {u"watch"_s, u"add-horse"_s, u"A|B"_s}, 1),
                 "turftrawler-cli watch: A name on the watch list cannot hold a \"|\" or a line break.\n"
                 "1\tHorse: Blue Moon (1)\n2\tOwner: Acme, Stables & Sons\n");

        const QString w611 = fx.writeRaces(
            u"w611.txt"_s,
            {R(u"611.0101"_s, {S(u"Blue Moon"_s, 1, u"Ann Lee"_s), S(u"Stable Star"_s, 5, stable)})});
        const QByteArray text = runCli(fx.path(), {u"import"_s, w611}, 0);
        QVERIFY(text.startsWith("Imported 1 races and 2 starts from 1 file.\n1 week imported: 611\n\"Blue "
                                "Moon\",\"1\",\"611.0101\","));
        QCOMPARE(text.count("\r\n"), 2); // one line per watched start
        const QString w612 =
            fx.writeRaces(u"w612.txt"_s, {R(u"612.0101"_s, {S(u"Blue Moon"_s, 1, u"Bob Ray"_s)})});
        const QJsonObject json =
            QJsonDocument::fromJson(runCli(fx.path(), {u"import"_s, u"--json"_s, w612}, 0, false)).object();
        QCOMPARE(json[u"outcome"_s].toString(), u"1 week imported: 612"_s);
        const QJsonArray watched = json[u"watched"_s].toArray();
        QCOMPARE(watched.size(), 1);
        QCOMPARE(watched[0].toArray()[10].toString(), u"Bob Ray"_s);
        QCOMPARE(runCli(fx.path(), {u"watch"_s, u"remove"_s, u"1"_s}, 0), "1\tOwner: Acme, Stables & Sons\n");
    }
};

QTEST_MAIN(TestWatchlist)
#include "test_watchlist.moc"
