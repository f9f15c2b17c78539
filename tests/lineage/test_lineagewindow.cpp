// "Get Lineage Info." from the results grid's pop-up menu, and the lineage window it fills.
#include "lineagefixture.h"
#include "search/searchfixture.h"

#include "app/frmmainfinder.h"
#include "app/gridview.h"
#include "core/headlessplatform.h"
#include "lineage/frmlineage.h"
#include "lineage/getlineage.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

class TestLineageWindow : public QObject
{
    Q_OBJECT
private slots:
    void lookupFromTheGrid();
};

void TestLineageWindow::lookupFromTheGrid()
{
    SearchFixture fx;
    const std::pair<const char*, int> horses[] = {
        {"Fancy Dancer", 123456}, {"Night Train", 654321}, {"Old Timer", 123456}};
    for (int i = 0; i < 3; ++i)
        fx.add({.hname = QLatin1String(horses[i].first),
                .hid = horses[i].second,
                .week = 410 - i,
                .oname = u"Red Barn"_s});
    qputenv("TURFTRAWLER_SITE", "http://sim.test");
    HeadlessPlatform p;
    p.pages[lineagePageAddress(u"http://sim.test"_s, u"123456"_s)] = savedPage("fancy-dancer.html");
    p.pages[lineagePageAddress(u"http://sim.test"_s, u"654321"_s)] = savedPage("night-train.html");
    frmmainfinder w(p, fx.path(), fx.path() + u"/breeding.txt"_s);
    w.Form_Load();
    w.show();
    w.optowner->click();
    w.txthorse->setText(u"Red Barn"_s);
    w.cmdgethorse->click();
    QCOMPARE(w.state().MSFlexGrid1.rows(), 4);

    // A right-button press on a row opens the pop-up there; its entry asks for the lineage.
    const auto lineageOf = [&](int row) {
        GridView* view = w.MSFlexGrid1;
        const QPoint at = view->visualRect(view->model()->index(row - 1, 0)).center();
        QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &menu);
        QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
        QVERIFY(w.popmenu->isVisible());
        w.popmenu->close();
        w.getlineage->trigger();
    };
    lineageOf(1);
    QPointer<frmlineage> lw = w.findChild<frmlineage*>();
    QVERIFY(lw && lw->isVisible() && !lw->isModal());
    QCOMPARE(lw->windowTitle(), u"Lineage and Statistics"_s);
    QCOMPARE(lw->lbllineage->text(), u"Lineage of 'Fancy Dancer'  (123456)"_s);
    QCOMPARE(lw->lblmisc->text(),
             u"Owner:   RED BARN STABLES\n\n4 yo bay colt by Storm Chaser\n\nDiv. Ranking: "
             "12th\nLow Claim-Tag/6 Months: $25,000\nNon M/C/O/S Wins: 3"_s);
    QCOMPARE(lw->lblwinstats->text(),
             u"Earnings:  $123,456\n\nWins in the last:\n3 months: 1\n6 months: 2\n9 months: 2\nYear: 4"_s);
    QStringList cells;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 4; ++c)
            cells << lw->MSFlexGrid1->model()->index(r, c).data().toString();
    QCOMPARE(cells.join(u'|'),
             u"|Sire Line|Dam-Sire Line|Dam's Dam-Sire Line|Horse|Fancy Dancer|Lady Luck|Morning "
             "Dew|Sire|Storm Chaser|Silver Bell|Quiet Night|Dam-Sire|Gold Rush|Bright Star|Sea "
             "Breeze|Sire's Sire|Iron Duke|Red Rose|Blue Moon"_s);

    // The next horse goes into the same window, replacing everything; a column the user widened stays so.
    lw->MSFlexGrid1->setColumnWidth(1, 200);
    lineageOf(2);
    QCOMPARE(w.findChild<frmlineage*>(), lw.data());
    const QStringList night = windowTexts(lw->state());
    QCOMPARE(night, expectedTexts(savedPage("night-train.html"), u"654321"_s));
    QCOMPARE(lw->lblmisc->text(), QString(night[1]).replace(u'\r', u'\n'));
    QVERIFY(lw->state().MSFlexGrid1.colWidth(1) != 2309);

    // No at the question leaves the open window as it was.
    QVERIFY(p.messages.isEmpty());
    lineageOf(3);
    QCOMPARE(p.messages.size(), 1);
    QVERIFY(p.messages[0].startsWith(u"Warning: This horse no longer exists"_s));
    QCOMPARE(windowTexts(lw->state()), night);

    // Closed and asked again, the window loads afresh with its first column widths.
    lw->close();
    QTRY_VERIFY(!lw);
    lineageOf(1);
    lw = w.findChild<frmlineage*>();
    QVERIFY(lw && lw->isVisible());
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(lw->state().MSFlexGrid1.colWidth(c), c ? 2309 : 1013);
        QCOMPARE(lw->MSFlexGrid1->columnWidth(c), lw->MSFlexGrid1->twipsToPixels(c ? 2309 : 1013));
    }
    QCOMPARE(p.busyDepth, 0);
}

QTEST_MAIN(TestLineageWindow)
#include "test_lineagewindow.moc"
