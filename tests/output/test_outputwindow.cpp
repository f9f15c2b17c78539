// The results grid's gestures, the date calculator, printing and export in the real main window, and the
// command-line options that do the same.
#include "search/searchfixture.h"

#include "app/frmmainfinder.h"
#include "app/gridview.h"
#include "core/headlessplatform.h"
#include "output/frmdatecalculator.h"
#include "output/gridjson.h"
#include "output/printing.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>

namespace
{

struct Window {
    explicit Window(SearchFixture& fx) : w(p, fx.path(), fx.path() + u"/breeding.txt"_s)
    {
        w.Form_Load();
        w.show();
        w.optowner->click();
        w.txthorse->setText(u"Red Barn"_s);
        w.cmdgethorse->click();
    }
    GridState& grid() { return w.state().MSFlexGrid1; }
    QPoint cell(int row, int col)
    {
        return w.MSFlexGrid1->visualRect(w.MSFlexGrid1->model()->index(row - 1, col)).center();
    }
    /** A double click as the pointer gives it: a click, then the second press. */
    void doubleClick(int row, int col)
    {
        QTest::mouseClick(w.MSFlexGrid1->viewport(), Qt::LeftButton, {}, cell(row, col));
        QTest::mouseDClick(w.MSFlexGrid1->viewport(), Qt::LeftButton, {}, cell(row, col));
    }
    /** A right-button press on a data row, as the pointer gives it. */
    void rightPress(int row, int col)
    {
        QTest::mouseClick(w.MSFlexGrid1->viewport(), Qt::LeftButton, {}, cell(row, col));
        QContextMenuEvent press(QContextMenuEvent::Mouse, cell(row, col),
                                w.MSFlexGrid1->viewport()->mapToGlobal(cell(row, col)));
        QApplication::sendEvent(w.MSFlexGrid1->viewport(), &press);
    }
    QJsonArray popmenuJson()
    {
        QJsonArray out;
        for (QAction* a : w.popmenu->actions())
            out.append(QJsonObject{{u"entry"_s, a->objectName()},
                                   {u"caption"_s, a->text().replace(u"&&"_s, u"&"_s)},
                                   {u"visible"_s, a->isVisible()}});
        return out;
    }

    HeadlessPlatform p;
    frmmainfinder w;
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
}

/** turftrawler-cli over the fixture; standard output, or what went wrong. */
QByteArray cli(SearchFixture& fx, const QStringList& args, int status)
{
    QProcess p;
    p.start(QStringLiteral(TURF_CLI), QStringList{u"--dir"_s, fx.path()} << args);
    if (!p.waitForFinished(30000))
        return "timed out";
    return p.exitCode() == status ? p.readAllStandardOutput() : "exit " + QByteArray::number(p.exitCode());
}

} // namespace

class TestOutputWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_fx = std::make_unique<SearchFixture>();
        for (int i = 0; i < 8; ++i)
            m_fx->add(Run{.hname = i % 2 ? u"Night Train"_s : u"Blue Streak"_s,
                          .hid = 100 + i % 2,
                          .week = 583 + i,
                          .track = i % 3 ? 4 : 7,
                          .sp = 70.0 + (i * 7) % 20,
                          .oname = u"Red Barn"_s,
                          .cond = i % 4 ? u"F"_s : u"G"_s,
                          .cprice = i % 3 ? 0 : 4000});
    }

    void gridGestures()
    {
        Window t(*m_fx);
        // Newest first, the first figure above the last: the double click sorts ascending.
        t.doubleClick(1, 8);
        QCOMPARE(cells(t.grid(), 1, 8, 8, 8), L("70.0|71.0|72.0|77.0|78.0|79.0|84.0|85.0"));
        QCOMPARE(t.w.MSFlexGrid1->model()->index(0, 8).data().toString(), u"70.0"_s);

        t.rightPress(2, 4);
        QVERIFY(t.w.popmenu->isVisible());
        QCOMPARE(t.w.datecalc->text(), u"Week 585 = 2/26/2000"_s);
        QCOMPARE(t.w.listrace->text(), u"List race: 586.0705"_s);
        t.w.listfilter->trigger();
        t.w.popmenu->close();
        QCOMPARE(cells(t.grid(), 1, t.grid().rows() - 1, 4, 8),
                 L("KY|Alw|6|D|70.0|KY|Alw|6|D|71.0|KY|Alw|6|D|72.0"));
        QCOMPARE(t.w.MSFlexGrid1->model()->rowCount(), 3);
    }

    void dateCalculator()
    {
        Window t(*m_fx);
        t.p.dateFormat = u"d MMM yyyy"_s;
        t.w.datecalculator->trigger();
        auto* calc = t.w.findChild<frmdatecalculator*>();
        QVERIFY(calc && calc->isVisible() && t.w.isVisible());
        QCOMPARE(calc->windowTitle(), u"Date Calculator"_s);
        QTest::keyClicks(calc->txtdate, u"586"_s);
        QTest::keyClick(calc->txtdate, Qt::Key_Return);
        QCOMPARE(calc->lbldateinfo->text(), u"Week 586\n=\n26 Feb 2000"_s);
        calc->txtdate->setText(u"abc"_s);
        QTest::mouseClick(calc->cmdgetdate, Qt::LeftButton);
        QCOMPARE(t.p.messages, QStringList{u"You must enter a week number in the text box."_s});
        QCOMPARE(calc->lbldateinfo->text(), u"Week 586\n=\n26 Feb 2000"_s);
        calc->txtdate->setText(u"587"_s);
        QTest::mouseClick(calc->cmdgetdate, Qt::LeftButton);
        QCOMPARE(calc->lbldateinfo->text(), u"Week 587\n=\n28 Feb 2000"_s);
    }

    void commandLineMatchesWindow()
    {
        Window t(*m_fx);
        for (int col : {8, 4})
            t.doubleClick(1, col);
        t.grid().setCurrent(3, 0);
        t.w.listfilter->trigger();
        t.rightPress(2, 5);
        t.w.popmenu->close();
        t.p.answers = {Platform::Answer::Yes};
        t.w.cmdprint->trigger();
        const QString windowFile = m_fx->path() + u"/window.txt"_s, cliFile = m_fx->path() + u"/cli.txt"_s;
        t.p.saveAnswers = {windowFile};
        t.w.ExportText->trigger();

        const QJsonObject json =
            QJsonDocument::fromJson(
                cli(*m_fx,
                    {u"search"_s, u"--owner"_s, u"Red Barn"_s, u"--sort"_s, u"8"_s, u"--sort"_s, u"4"_s,
                     u"--filter"_s, u"3,0"_s, u"--popup"_s, u"2"_s, u"--print-log"_s, u"--export"_s, cliFile,
                     u"--date-format"_s, t.p.dateFormat, u"--json"_s},
                    0))
                .object();
        QCOMPARE(json[u"MSFlexGrid1"_s].toObject(), gridToJson(t.grid()));
        QCOMPARE(t.p.printJobs.size(), 1);
        QCOMPARE(json[u"popmenu"_s].toArray(), t.popmenuJson());
        QCOMPARE(json[u"print"_s].toArray(), Printing::toJson(t.p.printJobs.value(0)));
        QCOMPARE(readAll(cliFile), readAll(windowFile));
    }

    void commandLineRefusals()
    {
        QCOMPARE(cli(*m_fx, {u"weekdate"_s, u"587"_s, u"--date-format"_s, u"d.M.yyyy"_s}, 0),
                 "Week 587\r=\r28.2.2000\n");
        QCOMPARE(cli(*m_fx, {u"weekdate"_s, u"40000"_s}, 1), "");
        const QString pdf = m_fx->path() + u"/findings.pdf"_s;
        const QStringList nobody{u"search"_s, u"--horse"_s, u"Nobody"_s};
        const QJsonObject json =
            QJsonDocument::fromJson(
                cli(*m_fx, nobody + QStringList{u"--print-log"_s, u"--popup"_s, u"1"_s, u"--json"_s}, 1))
                .object();
        QCOMPARE(json[u"messages"_s].toArray().last().toString(), Printing::noResultsMessage());
        QVERIFY(json[u"popmenu"_s].isNull() && json[u"print"_s].toArray().isEmpty());
        cli(*m_fx, nobody + QStringList{u"--pdf"_s, pdf}, 1);
        QVERIFY(!QFile::exists(pdf));
        cli(*m_fx, {u"search"_s, u"--owner"_s, u"Red Barn"_s, u"--pdf"_s, pdf}, 0);
        QVERIFY(readAll(pdf).startsWith("%PDF"));
    }

private:
    std::unique_ptr<SearchFixture> m_fx;
};

QTEST_MAIN(TestOutputWindow)
#include "test_outputwindow.moc"
