#include "app/frmmainfinder.h"
#include "app/gridview.h"
#include "core/headlessplatform.h"
#include "progenyfixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class TestProgenyWindow : public QObject
{
    Q_OBJECT

    /** The normal layout shows the statistics of one horse; the sire layout those of the progeny. */
    static void checkLayout(frmmainfinder& w, bool sire)
    {
        for (QWidget* normal : std::initializer_list<QWidget*>{w.MSFSGrid, w.fraspeedstats, w.txtinjury})
            QCOMPARE(normal->isVisible(), !sire);
        for (QWidget* progeny : std::initializer_list<QWidget*>{w.MSFSRGrid, w.MSFmaxgrid, w.lblfastest})
            QCOMPARE(progeny->isVisible(), sire);
        QCOMPARE(w.MSFlexGrid1->model()->columnCount(), sire ? 19 : 18);
        QCOMPARE(w.cmdprint->isEnabled(), !sire);
    }

private slots:
    void progenySearchThenHorseSearch()
    {
        ProgenyFixture fx;
        fx.writeBreeding(breedingHorse(11, "SPEEDY", "Big Red", "Dan", "Tom", 3, "C") +
                         breedingHorse(12, "Plodder", "Other", "Dan", "Tom"));
        fx.addStart(u"Speedy"_s, 11, 1, 91.5, u"D"_s, 6, u"MC"_s);
        fx.addStart(u"Speedy"_s, 11, 1, 93.4, u"T"_s, 8.5, u"Alw"_s);
        HeadlessPlatform platform;
        frmmainfinder w(platform, fx.path(), fx.breedingPath());
        QVERIFY(w.Form_Load());
        w.show();

        w.optsire->click();
        QTest::keyClicks(w.txthorse, u"Big Red"_s);
        w.txtnum->selectAll();
        QTest::keyClicks(w.txtnum, u"1x"_s); // the letter beeps and is dropped
        QCOMPARE(w.txtnum->text(), u"1"_s);
        QTest::mouseClick(w.cmdgethorse, Qt::LeftButton);
        QVERIFY2(platform.messages.isEmpty(), qPrintable(platform.messages.join(u'\n')));
        checkLayout(w, true);
        QAbstractItemModel* m = w.MSFlexGrid1->model();
        QCOMPARE(m->index(0, 0).data().toString() + m->index(0, 11).data().toString(), u"Speedy92"_s);
        QCOMPARE(m->index(0, 11).data(Qt::ForegroundRole).value<QColor>(), QColor(128, 0, 0));
        QCOMPARE(w.lblfastest->text(), u"Fastest progeny? Speedy - 93"_s);

        // Enter in the name box runs the same search; a dam-sire search changes the captions.
        w.optdamsire->click();
        w.txthorse->selectAll();
        QTest::keyClicks(w.txthorse, u"Dan"_s);
        QTest::keyClick(w.txthorse, Qt::Key_Return);
        QCOMPARE(m->headerData(2, Qt::Horizontal).toString() + m->index(1, 2).data().toString(),
                 u"SireOther"_s);

        // Back to a horse search: the normal layout returns.
        w.opthorse->click();
        w.txthorse->setText(u"Speedy"_s);
        QTest::mouseClick(w.cmdgethorse, Qt::LeftButton);
        QVERIFY(platform.messages.isEmpty() && !w.txtnum->isVisible());
        checkLayout(w, false);
        QCOMPARE(m->rowCount(), 2);
    }
};

QTEST_MAIN(TestProgenyWindow)
#include "test_progenywindow.moc"
