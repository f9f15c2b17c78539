#include "app/frmmainfinder.h"
#include "app/gridview.h"
#include "app/scriptedplatform.h"
#include "progenyfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class TestProgenyWindow : public QObject
{
    Q_OBJECT

    static QString cell(GridView* g, int viewRow, int col)
    {
        return g->model()->index(viewRow, col).data(Qt::DisplayRole).toString();
    }

    static void checkNormalLayout(frmmainfinder& w)
    {
        QVERIFY(w.MSFSGrid->isVisible());
        QVERIFY(w.MSFWGrid->isVisible());
        QVERIFY(w.fraspeedstats->isVisible());
        QVERIFY(w.framaxspeedstats->isVisible());
        QVERIFY(w.txtinjury->isVisible());
        QVERIFY(!w.MSFSRGrid->isVisible());
        QVERIFY(!w.MSFmaxgrid->isVisible());
        QVERIFY(!w.lblfastest->isVisible());
        QCOMPARE(w.MSFlexGrid1->model()->columnCount(), 18);
        QVERIFY(w.cmdprint->isEnabled());
    }

    static void checkSireLayout(frmmainfinder& w)
    {
        QVERIFY(!w.MSFSGrid->isVisible());
        QVERIFY(!w.MSFWGrid->isVisible());
        QVERIFY(!w.fraspeedstats->isVisible());
        QVERIFY(!w.framaxspeedstats->isVisible());
        QVERIFY(!w.lblinjurytest->isVisible());
        QVERIFY(!w.txtinjury->isVisible());
        QVERIFY(w.MSFSRGrid->isVisible());
        QVERIFY(w.MSFmaxgrid->isVisible());
        QVERIFY(w.lblfastest->isVisible());
        QCOMPARE(w.MSFlexGrid1->model()->columnCount(), 19);
        QVERIFY(!w.cmdprint->isEnabled());
    }

private slots:
    void progenySearchThenHorseSearch()
    {
        ProgenyFixture fx;
        fx.writeBreeding(breedingHorse(11, "SPEEDY", "Big Red", "Dan", "Tom", 3, "C") +
                         breedingHorse(12, "Plodder", "Other", "Dan", "Tom") +
                         breedingHorse(13, "steady", "big red", "Sam", "Tom", 4, "F"));
        fx.addStart(QStringLiteral("Speedy"), 11, 1, 91.5, QStringLiteral("D"), 6, QStringLiteral("MC"));
        fx.addStart(QStringLiteral("Speedy"), 11, 1, 93.4, QStringLiteral("T"), 8.5, QStringLiteral("Alw"));
        fx.addStart(QStringLiteral("Steady"), 13, 3, 70, QStringLiteral("D"), 6, QStringLiteral("Clm"), 5000);

        ScriptedPlatform platform;
        frmmainfinder w(platform, fx.dir(), fx.breedingPath());
        QVERIFY(w.Form_Load());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        checkNormalLayout(w);
        QVERIFY(w.optsire->isEnabled());

        w.optsire->click();
        QVERIFY(w.optsire->isChecked());
        QVERIFY(w.txtnum->isVisible() && w.chk2yo->isVisible());
        QTest::keyClicks(w.txthorse, QStringLiteral("Big Red"));
        w.txtnum->selectAll();
        QTest::keyClicks(w.txtnum, QStringLiteral("1x")); // the letter beeps and is dropped
        QCOMPARE(w.txtnum->text(), QStringLiteral("1"));
        QTest::mouseClick(w.cmdgethorse, Qt::LeftButton);

        QVERIFY2(platform.messages.isEmpty(), qPrintable(platform.messages.join(QLatin1Char('\n'))));
        QCOMPARE(platform.busyDepth, 0);
        checkSireLayout(w);
        QCOMPARE(w.MSFlexGrid1->model()->rowCount(), 2);
        QCOMPARE(w.MSFlexGrid1->model()->headerData(2, Qt::Horizontal).toString(),
                 QStringLiteral("Dam-Sire"));
        QCOMPARE(cell(w.MSFlexGrid1, 0, 0), QStringLiteral("Speedy"));
        QCOMPARE(cell(w.MSFlexGrid1, 0, 6), QStringLiteral("2"));
        QCOMPARE(cell(w.MSFlexGrid1, 0, 11), QStringLiteral("92"));
        QCOMPARE(cell(w.MSFlexGrid1, 0, 16), QStringLiteral("93"));
        QCOMPARE(w.MSFlexGrid1->model()->index(0, 11).data(Qt::ForegroundRole).value<QColor>(),
                 QColor(128, 0, 0));
        QCOMPARE(w.MSFlexGrid1->model()->index(0, 16).data(Qt::ForegroundRole).value<QColor>(),
                 QColor(0, 128, 0));
        QCOMPARE(cell(w.MSFlexGrid1, 1, 0), QStringLiteral("Steady"));
        QCOMPARE(w.frainfo->title(), QStringLiteral("Statistics for Progeny of Big Red  (2)."));
        QCOMPARE(w.lblfastest->text(), QStringLiteral("Fastest progeny? Speedy - 93"));
        QCOMPARE(cell(w.MSFSRGrid, 1, 1), QStringLiteral("50.0%")); // MC: one of two broke its maiden there
        QCOMPARE(cell(w.MSFmaxgrid, 1, 1), QStringLiteral("81.0")); // dirt band 1: (92 + 70) / 2

        // Enter in the name box runs the same search; a dam-sire search changes the captions.
        w.optdamsire->click();
        w.txthorse->selectAll();
        QTest::keyClicks(w.txthorse, QStringLiteral("Dan"));
        QTest::keyClick(w.txthorse, Qt::Key_Return);
        checkSireLayout(w);
        QCOMPARE(w.MSFlexGrid1->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Sire"));
        QCOMPARE(w.MSFlexGrid1->model()->rowCount(), 2);
        QCOMPARE(cell(w.MSFlexGrid1, 1, 2), QStringLiteral("Other"));

        // Back to a horse search: the normal layout returns, with the horse's starts in 18 columns.
        w.opthorse->click();
        QVERIFY(!w.txtnum->isVisible());
        w.txthorse->selectAll();
        QTest::keyClicks(w.txthorse, QStringLiteral("Speedy"));
        QTest::mouseClick(w.cmdgethorse, Qt::LeftButton);
        QVERIFY2(platform.messages.isEmpty(), qPrintable(platform.messages.join(QLatin1Char('\n'))));
        QCOMPARE(platform.busyDepth, 0);
        checkNormalLayout(w);
        QCOMPARE(w.MSFlexGrid1->model()->rowCount(), 2);
        QCOMPARE(w.MSFlexGrid1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
        QCOMPARE(w.MSFlexGrid1->model()->headerData(17, Qt::Horizontal).toString(), QStringLiteral("St"));
        QVERIFY(cell(w.MSFlexGrid1, 0, 0).compare(QStringLiteral("Speedy"), Qt::CaseInsensitive) == 0);

        // And a progeny search after it switches again.
        w.optsire->click();
        w.txthorse->selectAll();
        QTest::keyClicks(w.txthorse, QStringLiteral("Big Red"));
        QTest::mouseClick(w.cmdgethorse, Qt::LeftButton);
        checkSireLayout(w);
        QCOMPARE(w.MSFlexGrid1->model()->rowCount(), 2);
    }
};

QTEST_MAIN(TestProgenyWindow)
#include "test_progenywindow.moc"
