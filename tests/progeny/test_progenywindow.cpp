#include "app/frmmainfinder.h"
#include "app/gridview.h"
#include "core/headlessplatform.h"
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

    /** The normal layout shows the statistics of one horse; the sire layout those of the progeny. */
    static void checkLayout(frmmainfinder& w, bool sire)
    {
        for (QWidget* shownInNormal : std::initializer_list<QWidget*>{w.MSFSGrid, w.MSFWGrid, w.fraspeedstats,
                                                                      w.framaxspeedstats, w.txtinjury})
            QCOMPARE(shownInNormal->isVisible(), !sire);
        for (QWidget* shownInSire : std::initializer_list<QWidget*>{w.MSFSRGrid, w.MSFmaxgrid, w.lblfastest})
            QCOMPARE(shownInSire->isVisible(), sire);
        if (sire)
            QVERIFY(!w.lblinjurytest->isVisible());
        QCOMPARE(w.MSFlexGrid1->model()->columnCount(), sire ? 19 : 18);
        QCOMPARE(w.cmdprint->isEnabled(), !sire);
    }

    /** Chooses the kind of search and runs it for `name` with the search button. */
    static void searchFor(frmmainfinder& w, QRadioButton* kind, const QString& name)
    {
        kind->click();
        w.txthorse->selectAll();
        QTest::keyClicks(w.txthorse, name);
        QTest::mouseClick(w.cmdgethorse, Qt::LeftButton);
    }

private slots:
    void progenySearchThenHorseSearch()
    {
        ProgenyFixture fx;
        fx.writeBreeding(breedingHorse(11, "SPEEDY", "Big Red", "Dan", "Tom", 3, "C") +
                         breedingHorse(12, "Plodder", "Other", "Dan", "Tom") +
                         breedingHorse(13, "steady", "big red", "Sam", "Tom", 4, "F"));
        fx.addStart(u"Speedy"_s, 11, 1, 91.5, u"D"_s, 6, u"MC"_s);
        fx.addStart(u"Speedy"_s, 11, 1, 93.4, u"T"_s, 8.5, u"Alw"_s);
        fx.addStart(u"Steady"_s, 13, 3, 70, u"D"_s, 6, u"Clm"_s, 5000);

        HeadlessPlatform platform;
        frmmainfinder w(platform, fx.dir(), fx.breedingPath());
        QVERIFY(w.Form_Load());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        checkLayout(w, false);
        QVERIFY(w.optsire->isEnabled());

        w.optsire->click();
        QVERIFY(w.optsire->isChecked());
        QVERIFY(w.txtnum->isVisible() && w.chk2yo->isVisible());
        QTest::keyClicks(w.txthorse, u"Big Red"_s);
        w.txtnum->selectAll();
        QTest::keyClicks(w.txtnum, u"1x"_s); // the letter beeps and is dropped
        QCOMPARE(w.txtnum->text(), u"1"_s);
        QTest::mouseClick(w.cmdgethorse, Qt::LeftButton);

        QVERIFY2(platform.messages.isEmpty(), qPrintable(platform.messages.join(u'\n')));
        QCOMPARE(platform.busyDepth, 0);
        checkLayout(w, true);
        QAbstractItemModel* m = w.MSFlexGrid1->model();
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->headerData(2, Qt::Horizontal).toString(), u"Dam-Sire"_s);
        QCOMPARE(cell(w.MSFlexGrid1, 0, 0) + cell(w.MSFlexGrid1, 1, 0), u"SpeedySteady"_s);
        QCOMPARE(cell(w.MSFlexGrid1, 0, 6) + u'|' + cell(w.MSFlexGrid1, 0, 11) + u'|' +
                     cell(w.MSFlexGrid1, 0, 16),
                 u"2|92|93"_s);
        QCOMPARE(m->index(0, 11).data(Qt::ForegroundRole).value<QColor>(), QColor(128, 0, 0));
        QCOMPARE(m->index(0, 16).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
        QCOMPARE(w.frainfo->title(), u"Statistics for Progeny of Big Red  (2)."_s);
        QCOMPARE(w.lblfastest->text(), u"Fastest progeny? Speedy - 93"_s);
        QCOMPARE(cell(w.MSFSRGrid, 1, 1), u"50.0%"_s); // MC: one of two broke its maiden there
        QCOMPARE(cell(w.MSFmaxgrid, 1, 1), u"81.0"_s); // dirt band 1: (92 + 70) / 2

        // Enter in the name box runs the same search; a dam-sire search changes the captions.
        w.optdamsire->click();
        w.txthorse->selectAll();
        QTest::keyClicks(w.txthorse, u"Dan"_s);
        QTest::keyClick(w.txthorse, Qt::Key_Return);
        checkLayout(w, true);
        QCOMPARE(m->headerData(2, Qt::Horizontal).toString(), u"Sire"_s);
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(cell(w.MSFlexGrid1, 1, 2), u"Other"_s);

        // Back to a horse search: the normal layout returns, with the horse's starts in 18 columns.
        searchFor(w, w.opthorse, u"Speedy"_s);
        QVERIFY(!w.txtnum->isVisible());
        QVERIFY2(platform.messages.isEmpty(), qPrintable(platform.messages.join(u'\n')));
        QCOMPARE(platform.busyDepth, 0);
        checkLayout(w, false);
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->headerData(0, Qt::Horizontal).toString() + m->headerData(17, Qt::Horizontal).toString(),
                 u"NameSt"_s);
        QVERIFY(cell(w.MSFlexGrid1, 0, 0).compare(u"Speedy"_s, Qt::CaseInsensitive) == 0);

        // And a progeny search after it switches again.
        searchFor(w, w.optsire, u"Big Red"_s);
        checkLayout(w, true);
        QCOMPARE(m->rowCount(), 2);
    }
};

QTEST_MAIN(TestProgenyWindow)
#include "test_progenywindow.moc"
