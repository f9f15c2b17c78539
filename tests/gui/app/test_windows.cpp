#include "core/headlessplatform.h"
#include "db/dbcare.h"
#include "gui/app/frmmainfinder.h"
#include "gui/app/qtplatform.h"
#include "gui/app/statusprogress.h"
#include "gui/app/windowgeometry.h"
#include "gui/db/frmremovedata.h"
#include "gui/search/frmwatchedstarts.h"
#include "gui/widgets/gridview.h"
#include "search/searchfixture.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

using namespace Qt::StringLiterals;

/** Red Barn's Blue Streak in weeks 600 to 602 and Oak Farm's Gold Rush in week 601, a breeding file, and a
    main window on them. */
struct Barn {
    SearchFixture fx;
    HeadlessPlatform p;
    std::unique_ptr<frmmainfinder> w;
    explicit Barn(Platform* platform = nullptr)
    {
        for (int week : {600, 601, 602})
            fx.add({.week = week});
        fx.add({.hname = u"Gold Rush"_s, .hid = 200, .week = 601, .oname = u"Oak Farm"_s});
        QVERIFY(writeFile(fx.path() + u"/breeding.txt"_s, {}));
        w = std::make_unique<frmmainfinder>(platform ? *platform : p, fx.path(),
                                            fx.path() + u"/breeding.txt"_s);
        QVERIFY(w->Form_Load());
        w->show();
    }
    template <typename T> T* c(const char* name) { return control<T>(*w, name); }
    void search(const char* mode, const QString& name)
    {
        c<QRadioButton>(mode)->click();
        c<QLineEdit>("txthorse")->setText(name);
        c<QPushButton>("cmdgethorse")->click();
    }
    QString status() { return w->statusProgress()->textLabel()->text(); }
    int listed() { return w->state().listedRows; }
    /** Removes the week in the removal window, the question answered as given. */
    void remove(const QString& week, Platform::Answer answer)
    {
        c<QAction>("cmdremoverace")->trigger();
        auto* dialog = w->findChild<frmremovedata*>();
        dialog->lstweeks->findItems(week, Qt::MatchExactly).value(0)->setSelected(true);
        p.answers = {answer};
        dialog->cmdremove->click();
        QApplication::processEvents();
    }
};

class TestWindows : public QObject
{
    Q_OBJECT
private slots:
    void smallWindowsOwnTheirMessagesAndPlaces()
    {
        QtPlatform qt;
        Barn b(&qt);
        qt.setParentWidget(b.w.get());
        QVERIFY(QTest::qWaitForWindowActive(b.w.get()));
        const QRect screen = b.w->screen()->availableGeometry();
        QWidget* owner = nullptr;
        // A message of a small window (an analysis's too) stays over it, and the window opens over the main
        // window's middle.
        for (const auto& [action, button] :
             {std::pair{"datecalculator", "cmdgetdate"}, std::pair{"edittracks", "cmddeletetrack"},
              std::pair{"cmdheadtohead", "cmdrun"}}) {
            b.c<QAction>(action)->trigger();
            QWidget* small = b.c<QPushButton>(button)->window();
            QTRY_COMPARE(QApplication::activeWindow(), small);
            QTimer::singleShot(0, [&owner] { // the box's owner, and the box closed
                owner = QApplication::activeModalWidget()->parentWidget();
                QApplication::activeModalWidget()->close();
            });
            b.c<QPushButton>(button)->click(); // no week typed, no track selected
            QCOMPARE(owner, small);
            // A window wider or taller than the screen is shrunk to it, still over the main window's middle.
            const QRect frame = small->frameGeometry();
            QVERIFY(screen.contains(frame));
            const QPoint middle = b.w->geometry().center();
            QVERIFY(frame.width() == screen.width() || frame.height() == screen.height()
                        ? small->geometry().contains(middle)
                        : (small->geometry().center() - middle).manhattanLength() <= 2);
        }
        // A second main window opens a step from the first one's corner, and on the screen whatever the
        // corner.
        frmmainfinder second(qt, b.fx.path(), QString());
        second.resize(400, 300);
        WindowGeometry::placeAfter(&second, QPoint(100, 80));
        QVERIFY(second.pos().x() > 100 && second.pos().x() - 100 == second.pos().y() - 80);
        WindowGeometry::placeAfter(&second, screen.bottomRight() - QPoint(50, 50));
        QVERIFY(screen.contains(second.frameGeometry()));

        // An export named without an extension gets the text filter's.
        b.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(b.w.get()));
        b.search("optowner", u"Red Barn"_s);
        QTimer::singleShot(0, [&b] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->selectFile(b.fx.path() + u"/export"_s);
            static_cast<QDialog*>(dialog)->accept();
        });
        b.c<QAction>("ExportText")->trigger();
        QVERIFY(readFile(b.fx.path() + u"/export.txt"_s).startsWith("\"Name\","));
    }

    void listFollowsTheStoredWeeks()
    {
        Barn b;
        b.search("optowner", u"Red Barn"_s);
        QCOMPARE(b.listed(), 3);
        b.remove(u"Week 602"_s, Platform::Answer::Yes);
        QCOMPARE(b.listed(), 2);
        QCOMPARE(b.status(),
                 u"Removed week 602 (1 start). Edit > Undo puts it back. The list was run again: 2 "
                 "starts of 1 horse"_s);
        b.c<QAction>("cmdundo")->trigger();
        QCOMPARE(b.listed(), 3);
        QVERIFY(b.status().endsWith(u". The list was run again: 3 starts of 1 horse"_s));
        // A search that finds nothing leaves the list with its own caption and summary.
        const QString summary = b.c<QLabel>("lblprogress")->text();
        b.search("optowner", u"Nobody"_s);
        QCOMPARE(b.c<QLabel>("lblprogress")->text(), summary);
        QVERIFY(summary.startsWith(u"Statistics for Red Barn\n"_s) &&
                b.c<QGroupBox>("frainfo")->title().startsWith(u"Statistics for Red Barn;"_s));

        // A watched start double-clicked lists its horse, and the panel says so.
        QVERIFY(writeFile(b.fx.path() + u"/KZTWatchlist.txt"_s, "H|Swift Bear|\r\n"));
        b.w->importDropped({QStringLiteral(TURF_TEST_DATA "/import/generated/raceout578.txt")});
        QTRY_VERIFY(!b.w->importing());
        QVERIFY(b.status().endsWith(u"The list was run again: 3 starts of 1 horse"_s));
        b.w->findChild<frmwatchedstarts*>()->MSFwatched_DblClick(0);
        QVERIFY(b.c<QRadioButton>("opthorse")->isChecked());
        QCOMPARE(b.c<QLineEdit>("txthorse")->text() + u'|' + b.c<QLineEdit>("txtid")->text(),
                 u"Swift Bear|26749"_s);
        QVERIFY(b.c<QGroupBox>("frainfo")->title().startsWith(u"Statistics for Swift Bear;"_s));
        // Its only week removed, the list is cleared, and so is the panel.
        b.remove(u"Week 578"_s, Platform::Answer::Yes);
        QCOMPARE(b.w->state().MSFlexGrid1.rows(), 2);
        QVERIFY(b.c<QGroupBox>("frainfo")->title().isEmpty() && b.c<QLineEdit>("txthorse")->text().isEmpty());
        QVERIFY(b.status().endsWith(u"The list was cleared: its search finds nothing now."_s));
    }

    void everyActionEndsWithALine()
    {
        Barn b;
        b.search("opthorse", u"Blue Streak"_s);
        b.remove(u"Week 601"_s, Platform::Answer::No);
        QCOMPARE(b.status(), u"No week was removed."_s);
        b.p.answers = {Platform::Answer::Yes};
        b.c<QAction>("cmdprint")->trigger();
        QCOMPARE(b.status(), u"Printed: 1 page."_s);
        b.c<QAction>("msfgridback")->trigger();
        QCOMPARE(b.status(), u"Background: plain."_s);
        b.c<QAction>("getlineage")->trigger();
        QTRY_VERIFY(b.status().startsWith(u"No lineage page of 100: "_s));
        b.c<QAction>("cmdcompact")->trigger();
        QVERIFY(b.p.labelTexts.filter(u"statusline: Compacting the database ("_s).size() == 1 &&
                b.status().startsWith(u"Compacted: "_s));
    }

    void searchPanelKeepsItsPlaces()
    {
        Barn b;
        QVERIFY(QTest::qWaitForWindowActive(b.w.get()));
        auto* go = b.c<QPushButton>("cmdgethorse");
        auto* multi = b.c<QPushButton>("cmdspecial");
        const QRect places[] = {go->geometry(), multi->geometry()};
        for (const char* mode :
             {"optsire", "optdamsire", "optdamdamsire", "optrace", "optowner", "opthorse"}) {
            b.c<QRadioButton>(mode)->click();
            QApplication::processEvents();
            QCOMPARE(go->geometry(), places[0]);
            QCOMPARE(multi->geometry(), places[1]);
        }
        // A race is found by its number, in the ID box, which the race mode makes ready.
        b.c<QRadioButton>("optrace")->click();
        QVERIFY(!b.c<QLineEdit>("txthorse")->isEnabled() && b.c<QLineEdit>("txtid")->hasFocus());
        go->click();
        QCOMPARE(b.p.messages.last(), u"Please enter a race number, such as 612.0507, in the ID box."_s);
        b.c<QRadioButton>("opthorse")->click();
        QVERIFY(b.c<QLineEdit>("txthorse")->isEnabled());

        // The track code's heading says where codes come from while no track has one.
        const auto trTip = [&b] {
            return b.c<GridView>("MSFlexGrid1")
                ->model()
                ->headerData(4, Qt::Horizontal, Qt::ToolTipRole)
                .toString();
        };
        const QString db = b.fx.path() + u"/horses.mdb"_s;
        QString error;
        QCOMPARE(trTip(), u"Track code"_s);
        const auto tracks = DbCare::tracks(db, error);
        for (const DbCare::Track& t : tracks.value_or(QList<DbCare::Track>()))
            DbCare::deleteTrack(db, t.num, error);
        QVERIFY2(error.isEmpty() && trTip().contains(u"Utilities > Edit Tracks"_s),
                 qPrintable(error + trTip()));

        // The results grid zooms, and keeps its zoom with the window's place.
        b.c<QAction>("cmdzoomin")->trigger();
        QCOMPARE(b.status(), u"Zoom: 115%"_s);
        QCOMPARE(b.c<GridView>("MSFlexGrid1")->font().pointSizeF(), 7 * 1.15);
        b.w->close();
        QVERIFY(readFile(b.fx.path() + u"/TurfTrawlerWindow.ini"_s).contains("zoom=115"));
    }
};

QTEST_MAIN(TestWindows)
#include "test_windows.moc"
