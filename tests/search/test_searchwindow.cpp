// The search panel and the results in the real main window, and the command-line search beside it.
#include "searchfixture.h"

#include "app/frmmainfinder.h"
#include "app/gridview.h"
#include "app/scriptedplatform.h"
#include "output/gridjson.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace
{

/** A window over a fixture with two horses of one owner, the breeding file present. */
struct Window {
    explicit Window(SearchFixture& fx)
        : breeding(fx.path() + QStringLiteral("/breeding.txt")), w(p, fx.path(), breeding)
    {
        QFile file(breeding);
        file.open(QIODevice::WriteOnly);
        p.todayDate = dateOfWeek(420);
        p.dateFormat = QStringLiteral("d MMM yyyy");
        w.Form_Load();
        w.show();
        p.messages.clear();
    }
    Finder& f() { return w.finder(); }
    QStringList column(int c) { return columnOf(f().MSFlexGrid1, c); }
    static QStringList columnOf(const GridState& g, int c)
    {
        QStringList out;
        for (int r = 1; r < g.rows(); ++r)
            out << g.text(r, c);
        return out;
    }

    ScriptedPlatform p;
    QString breeding;
    frmmainfinder w;
};

/** Clicks a button near its left edge, where an option button's circle and caption are. */
void click(QAbstractButton* button)
{
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void addHorses(SearchFixture& fx)
{
    const char* names[] = {"Blue Streak", "Night Train", "Abcdefghijklmnopqrstuvwxy"};
    for (int i = 0; i < 9; ++i) {
        Run r;
        r.hname = QString::fromLatin1(names[i % 3]);
        r.hid = 100 + i % 3;
        r.week = 410 - i;
        r.race = 1 + i % 3;
        r.fin = i % 4 + 1;
        r.sp = 85 + i * 3.1;
        r.cprice = i % 2 ? 4000 : 0;
        r.restr = i % 2 ? QStringLiteral("Clm") : QStringLiteral("Alw");
        r.cond = i % 3 == 2 ? QStringLiteral("G") : QStringLiteral("F");
        r.surf = i % 2 ? QStringLiteral("T") : QStringLiteral("D");
        r.oname = i < 3 ? QStringLiteral("Oak Farm") : QStringLiteral("Red Barn");
        fx.add(r);
    }
}

} // namespace

class TestSearchWindow : public QObject
{
    Q_OBJECT
private slots:
    void modePresets();
    void modeNumbers_data();
    void modeNumbers();
    void weekBoxKeys();
    void idBoxKeys();
    void enterRunsSearch();
    void longNameIsCut();
    void resultsShown();
    void popupCommands();
    void commandLineMatchesWindow_data();
    void commandLineMatchesWindow();
    void commandLineText();
};

void TestSearchWindow::modePresets()
{
    SearchFixture fx;
    Window t(fx);
    frmmainfinder& w = t.w;
    QVERIFY(w.opthorse->isChecked());
    QVERIFY(w.chkname->isChecked() && w.chkname->isEnabled());
    QVERIFY(!w.chkid->isChecked() && w.chkid->isEnabled());

    click(w.optowner);
    QVERIFY(!w.chkid->isEnabled());
    QVERIFY(w.chkname->isChecked() && w.chkname->isEnabled());

    click(w.optrace);
    QVERIFY(w.chkid->isChecked() && w.chkid->isEnabled());
    QVERIFY(!w.chkname->isChecked() && !w.chkname->isEnabled());
    QVERIFY(w.chk2yo->isHidden() && w.txtnum->isHidden());

    w.txthorse->setText(QStringLiteral("kept"));
    QVERIFY(w.optsire->isEnabled());
    click(w.optsire);
    QVERIFY(w.optsire->isChecked());
    QVERIFY(!w.chkid->isChecked() && !w.chkid->isEnabled());
    QVERIFY(w.chkname->isChecked());
    QVERIFY(w.chk2yo->isVisible() && w.lblnum->isVisible() && w.txtnum->isVisible());

    click(w.opthorse);
    QVERIFY(w.chk2yo->isHidden() && w.lblnum->isHidden() && w.txtnum->isHidden());
    QVERIFY(w.chkname->isChecked() && w.chkid->isEnabled());
    QCOMPARE(w.txthorse->text(), QStringLiteral("kept"));
}

void TestSearchWindow::modeNumbers_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("name");
    QTest::addColumn<bool>("id");
    QTest::addColumn<int>("mode");
    QTest::newRow("horse name and id") << "opthorse" << true << true << 1;
    QTest::newRow("horse name") << "opthorse" << true << false << 2;
    QTest::newRow("horse id") << "opthorse" << false << true << 3;
    QTest::newRow("horse neither") << "opthorse" << false << false << 2;
    QTest::newRow("owner with id ticked") << "optowner" << true << true << 4;
    QTest::newRow("race") << "optrace" << false << true << 5;
    QTest::newRow("sire") << "optsire" << true << false << 0;
}

void TestSearchWindow::modeNumbers()
{
    QFETCH(QString, option);
    QFETCH(bool, name);
    QFETCH(bool, id);
    QFETCH(int, mode);
    SearchFixture fx;
    Window t(fx);
    auto* button = t.w.findChild<QRadioButton*>(option);
    QVERIFY(button);
    click(button);
    t.w.chkname->setChecked(name);
    t.w.chkid->setChecked(id);
    QCOMPARE(int(t.w.searchMode()), mode);
}

void TestSearchWindow::weekBoxKeys()
{
    SearchFixture fx;
    addHorses(fx);
    Window t(fx);
    for (QLineEdit* box : {t.w.txtfirstweek, t.w.txtlastweek, t.w.txtinjury}) {
        box->clear();
        const int beeps = t.p.beeps;
        QTest::keyClicks(box, QStringLiteral("4a-1."));
        QCOMPARE(box->text(), QStringLiteral("41"));
        QCOMPARE(t.p.beeps, beeps + 3);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("4"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(t.p.beeps, beeps + 4);
        QCOMPARE(box->text(), QStringLiteral("4"));
    }
    // Enter in a week box only beeps: no search ran.
    QVERIFY(t.p.messages.isEmpty());
    QCOMPARE(t.f().MSFlexGrid1.text(1, 0), QString());
    t.w.txtfirstweek->setText(QStringLiteral("12345"));
    QCOMPARE(t.w.txtfirstweek->text(), QStringLiteral("1234"));
}

void TestSearchWindow::idBoxKeys()
{
    SearchFixture fx;
    Window t(fx);
    QTest::keyClicks(t.w.txtid, QStringLiteral("1x2.*?-"));
    QCOMPARE(t.w.txtid->text(), QStringLiteral("12.*?"));
    QCOMPARE(t.p.beeps, 2);
    QTest::keyClick(t.w.txtid, Qt::Key_Backspace);
    QCOMPARE(t.w.txtid->text(), QStringLiteral("12.*"));
    // Any key goes into the name box.
    QTest::keyClicks(t.w.txthorse, QStringLiteral("O'Hara-2 \"x\""));
    QCOMPARE(t.w.txthorse->text(), QStringLiteral("O'Hara-2 \"x\""));
    QCOMPARE(t.p.beeps, 2);
}

void TestSearchWindow::enterRunsSearch()
{
    SearchFixture fx;
    addHorses(fx);
    Window t(fx);
    // Enter in the id box runs the same search as "GO!": here by id alone.
    t.w.chkname->setChecked(false);
    t.w.chkid->setChecked(true);
    QTest::keyClicks(t.w.txtid, QStringLiteral("101"));
    QTest::keyClick(t.w.txtid, Qt::Key_Return);
    QCOMPARE(t.column(0), QStringList(3, QStringLiteral("Night Train")));
    QCOMPARE(t.p.beeps, 0);

    t.w.chkname->setChecked(true);
    t.w.chkid->setChecked(false);
    QTest::keyClicks(t.w.txthorse, QStringLiteral("blue*"));
    QTest::keyClick(t.w.txthorse, Qt::Key_Enter);
    QCOMPARE(t.column(0), QStringList(3, QStringLiteral("Blue Streak")));

    // Race mode passes the typed key unchanged.
    click(t.w.optrace);
    t.w.txtid->setText(QStringLiteral("410.0401"));
    click(t.w.cmdgethorse);
    QCOMPARE(t.column(2), QStringList{QStringLiteral("410.0401")});
    QCOMPARE(t.w.lblprogress->text(), QString());
    QCOMPARE(t.p.busyDepth, 0);
}

void TestSearchWindow::longNameIsCut()
{
    SearchFixture fx;
    addHorses(fx);
    Window t(fx);
    QTest::keyClicks(t.w.txthorse, QStringLiteral("Abcdefghijklmnopqrstuvwxyz1234"));
    QCOMPARE(t.w.txthorse->text().size(), 25);
    click(t.w.cmdgethorse);
    QVERIFY(t.p.messages.isEmpty());
    QCOMPARE(t.column(0), QStringList(3, QStringLiteral("Abcdefghijklmnopqrstuvwxy")));
}

void TestSearchWindow::resultsShown()
{
    SearchFixture fx;
    addHorses(fx);
    Window t(fx);
    t.w.txthorse->setText(QStringLiteral("Blue Streak"));
    click(t.w.cmdgethorse);
    const Finder& f = t.f();
    QCOMPARE(t.w.frainfo->title(), f.frainfo);
    QVERIFY(f.frainfo.startsWith(QLatin1String("Statistics for Blue Streak;     $")));
    QCOMPARE(t.w.lblprogress->text(), QString(f.lblprogress).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    QVERIFY(t.w.lblprogress->text().contains(QLatin1String("\nUnder trainer:  Oak Farm\n")));
    QCOMPARE(t.w.MSFlexGrid1->model()->rowCount(), 3);
    QCOMPARE(t.w.MSFlexGrid1->model()->index(0, 2).data().toString(), QStringLiteral("410.0401"));
    QCOMPARE(t.w.MSFWGrid->model()->index(1, 9).data().toString(), f.MSFWGrid.text(1, 9));

    // Nothing found: the message, and the grid keeps the last result.
    t.w.txthorse->setText(QStringLiteral("Nobody"));
    click(t.w.cmdgethorse);
    QCOMPARE(t.p.messages, QStringList{QStringLiteral("No horses under the search criteria were found.")});
    QCOMPARE(t.w.MSFlexGrid1->model()->rowCount(), 3);
    QCOMPARE(t.w.lblprogress->text(), QString());
}

void TestSearchWindow::popupCommands()
{
    SearchFixture fx;
    addHorses(fx);
    Window t(fx);
    click(t.w.optowner);
    t.w.txthorse->setText(QStringLiteral("Red Barn"));
    click(t.w.cmdgethorse);
    QCOMPARE(t.column(15), QStringList(6, QStringLiteral("Red Barn")));

    // Select a row in the view, as a click would, then run the pop-up commands.
    GridView* view = t.w.MSFlexGrid1;
    view->setCurrentIndex(view->model()->index(1, 0));
    QCOMPARE(t.f().MSFlexGrid1.row(), 2);
    const QString horse = t.f().MSFlexGrid1.text(2, 0);
    t.w.listhorse->trigger();
    QCOMPARE(t.column(0), QStringList(3, horse));
    QCOMPARE(t.column(15).last(), QStringLiteral("Red Barn"));
    QCOMPARE(t.column(15).first(), QStringLiteral("Oak Farm"));

    t.f().MSFlexGrid1.setCurrent(1, 0); // the newest start, under Oak Farm
    t.w.listowner->trigger();
    QCOMPARE(t.column(15), QStringList(3, QStringLiteral("Oak Farm")));

    t.f().MSFlexGrid1.setCurrent(3, 0);
    const QString oldest = t.f().MSFlexGrid1.text(3, 2);
    t.w.listrace->trigger();
    QCOMPARE(t.column(2), QStringList{oldest});
    QVERIFY(t.p.messages.isEmpty());
}

void TestSearchWindow::commandLineMatchesWindow_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("firstWeek");
    QTest::addColumn<bool>("currentOwner");
    QTest::newRow("horse") << QStringList{QStringLiteral("--horse"), QStringLiteral("Blue*")} << "opthorse"
                           << "Blue*"
                           << ""
                           << "" << false;
    QTest::newRow("horse, current owner")
        << QStringList{QStringLiteral("--horse"), QStringLiteral("Night Train"),
                       QStringLiteral("--current-owner")}
        << "opthorse"
        << "Night Train"
        << ""
        << "" << true;
    QTest::newRow("owner from week 404") << QStringList{QStringLiteral("--owner"), QStringLiteral("red barn"),
                                                        QStringLiteral("--first-week"), QStringLiteral("404")}
                                         << "optowner"
                                         << "red barn"
                                         << ""
                                         << "404" << false;
    QTest::newRow("race") << QStringList{QStringLiteral("--race"), QStringLiteral("409.0402")} << "optrace"
                          << ""
                          << "409.0402"
                          << "" << false;
    QTest::newRow("nothing") << QStringList{QStringLiteral("--horse"), QStringLiteral("Nobody")} << "opthorse"
                             << "Nobody"
                             << ""
                             << "" << false;
}

void TestSearchWindow::commandLineMatchesWindow()
{
    QFETCH(QStringList, args);
    QFETCH(QString, option);
    QFETCH(QString, name);
    QFETCH(QString, id);
    QFETCH(QString, firstWeek);
    QFETCH(bool, currentOwner);

    SearchFixture fx;
    addHorses(fx);
    Window t(fx);
    click(t.w.findChild<QRadioButton*>(option));
    t.w.txthorse->setText(name);
    t.w.txtid->setText(id);
    t.w.txtfirstweek->setText(firstWeek);
    t.w.chkowner->setChecked(currentOwner);
    click(t.w.cmdgethorse);

    QProcess cli;
    cli.start(QStringLiteral(TURF_CLI),
              QStringList{QStringLiteral("--dir"), fx.path(), QStringLiteral("search")}
                  << args
                  << QStringList{QStringLiteral("--today"), t.p.todayDate.toString(Qt::ISODate),
                                 QStringLiteral("--date-format"), t.p.dateFormat, QStringLiteral("--json")});
    QVERIFY(cli.waitForFinished(20000));
    QCOMPARE(cli.exitCode(), 0);
    const QJsonObject json = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    const Finder& f = t.f();
    QCOMPARE(json.value(QStringLiteral("MSFlexGrid1")).toObject(), gridToJson(f.MSFlexGrid1));
    QCOMPARE(json.value(QStringLiteral("MSFSGrid")).toObject(), gridToJson(f.MSFSGrid));
    QCOMPARE(json.value(QStringLiteral("MSFWGrid")).toObject(), gridToJson(f.MSFWGrid));
    QCOMPARE(json.value(QStringLiteral("frainfo")).toString(), f.frainfo);
    QCOMPARE(json.value(QStringLiteral("lblprogress")).toString(), f.lblprogress);
    QCOMPARE(json.value(QStringLiteral("messages")).toArray(), QJsonArray::fromStringList(t.p.messages));
}

void TestSearchWindow::commandLineText()
{
    SearchFixture fx;
    addHorses(fx);
    auto run = [&](const QStringList& args, int status) {
        QProcess cli;
        cli.start(QStringLiteral(TURF_CLI),
                  QStringList{QStringLiteral("--dir"), fx.path(), QStringLiteral("search")} << args);
        if (!cli.waitForFinished(20000))
            return QStringList{QStringLiteral("timed out")};
        if (cli.exitCode() != status)
            return QStringList{QStringLiteral("exit %1").arg(cli.exitCode())};
        return QString::fromUtf8(cli.readAllStandardError() + cli.readAllStandardOutput())
            .split(QLatin1Char('\n'));
    };
    const QStringList lines = run({QStringLiteral("--owner"), QStringLiteral("Oak Farm"),
                                   QStringLiteral("--today"), QStringLiteral("1999-01-01")},
                                  0);
    QCOMPARE(lines.value(0),
             QStringLiteral("\"Name\",\"H.ID.\",\"Race #\",\"Age\",\"Tr\",\"Typ\",\"Dis\",\"S\",\"Sp\","
                            "\"PL\",\"FD\",\"PP\",\"Purse\",\"Odds\",\"Earn.\",\"Owner\",\"Clm\",\"St\",\r"));
    QVERIFY(lines.value(1).startsWith(QLatin1String("\"Blue Streak\",\"100\",\"410.0401\",")));
    QVERIFY(lines.value(4).startsWith(QLatin1String("Statistics for Oak Farm;     $")));
    QCOMPARE(lines.value(5), QStringLiteral("Statistics for Oak Farm"));

    QCOMPARE(run({QStringLiteral("--id"), QStringLiteral("abc")}, 0).value(0),
             QStringLiteral("The ID \"abc\" is not a number."));
    QCOMPARE(
        run({QStringLiteral("--owner"), QStringLiteral("A"), QStringLiteral("--race"), QStringLiteral("1")},
            2)
            .value(0),
        QStringLiteral("turftrawler-cli search: give --horse and/or --id, or --owner, or --race"));
}

QTEST_MAIN(TestSearchWindow)
#include "test_searchwindow.moc"
