// The removal dialog and the track editor driven through their widgets, opened from the main window.
#include "app/frmmainfinder.h"
#include "db/frmedittracks.h"
#include "db/frmremovedata.h"
#include "import/importdriver.h"
#include "import/importfixture.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

static void clickItem(QListWidget* list, const QString& text)
{
    const auto items = list->findItems(text, Qt::MatchExactly);
    QVERIFY(!items.isEmpty());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

class TestCareWindows : public QObject
{
    Q_OBJECT
private slots:
    void removeDataDialog()
    {
        ImportFixture fx;
        frmmainfinder w(fx.p, fx.path(), QString());
        QVERIFY(w.Form_Load());
        w.show();
        fx.p.messages.clear();
        w.cmdremoverace->trigger();
        QCOMPARE(fx.p.messages, QStringList{u"No races in the database.  Action cancelled."_s});
        QVERIFY(!w.findChild<frmremovedata*>());

        QStringList files;
        for (int week : {610, 611, 612})
            files << fx.writeWeek(u"r%1.txt"_s.arg(week), week, 2, 3, u"H"_s);
        importFiles(w.state(), files);
        w.cmdremoverace->trigger();
        auto* dialog = w.findChild<frmremovedata*>();
        QVERIFY(dialog && dialog->isVisible());
        // A second click on an entry clears it again; the others stay selected.
        for (const QString& week : {u"Week 610"_s, u"Week 611"_s, u"Week 612"_s, u"Week 612"_s})
            clickItem(dialog->lstweeks, week);
        QCOMPARE(dialog->lstweeks->selectedItems().size(), 2);
        fx.p.answers = {Platform::Answer::Yes};
        QTest::mouseClick(dialog->cmdremove, Qt::LeftButton);
        QCOMPARE(fx.stored({610, 611, 612}), u"0/0 0/0 2/6"_s);
        QCOMPARE(w.lblprogress->text(), QString());
        QTRY_VERIFY(!w.findChild<frmremovedata*>());

        w.cmdremoverace->trigger();
        QTest::mouseClick(w.findChild<frmremovedata*>()->cmdcancel, Qt::LeftButton);
        QTRY_VERIFY(!w.findChild<frmremovedata*>());
        QCOMPARE(fx.stored({612}), u"2/6"_s);
    }

    void compactAndBackUpFromTheMenu()
    {
        ImportFixture fx;
        frmmainfinder w(fx.p, fx.path(), QString());
        QVERIFY(w.Form_Load());
        importFiles(w.state(), {fx.writeWeek(u"r.txt"_s, 612, 2, 3, u"H"_s)});
        w.cmdcompact->trigger();
        QCOMPARE(fx.p.labelTexts.last(), u"lblprogress: "_s);
        QCOMPARE(fx.p.busyDepth, 0);
        fx.p.saveAnswers = {fx.dir.filePath(u"saved.mdb"_s)};
        w.cmdbackup->trigger();
        QCOMPARE(w.lblprogress->text(), u"Database backed up to saved.mdb."_s);
        QVERIFY(fx.p.messages.isEmpty());
    }

    void trackEditor()
    {
        ImportFixture fx;
        frmmainfinder w(fx.p, fx.path(), QString());
        QVERIFY(w.Form_Load());
        w.edittracks->trigger();
        auto* t = w.findChild<frmedittracks*>();
        QVERIFY(t && t->isVisible());
        QCOMPARE(t->lsttracks->count(), 0);

        QTest::keyClicks(t->txttracknum, u"7"_s);
        QTest::keyClicks(t->txttrackcode, u"ABC"_s);
        QTest::mouseClick(t->cmdaddtrack, Qt::LeftButton);
        QCOMPARE(t->lsttracks->item(0)->text(), u"07: ABC"_s);
        QCOMPARE(t->txttracknum->text() + t->txttrackcode->text(), QString());

        QTest::keyClicks(t->txttracknum, u"07"_s);
        QTest::mouseClick(t->cmdaddtrack, Qt::LeftButton);
        QVERIFY(fx.p.messages.last().startsWith(u"07 is already in the database."_s));
        QCOMPARE(t->txttracknum->text(), u"07"_s);
        QCOMPARE(t->lsttracks->count(), 1);

        QTest::mouseClick(t->cmddeletetrack, Qt::LeftButton);
        QCOMPARE(fx.p.messages.last(), u"Please select a track to delete."_s);
        clickItem(t->lsttracks, u"07: ABC"_s);
        QTest::mouseClick(t->cmddeletetrack, Qt::LeftButton);
        QCOMPARE(t->lsttracks->count(), 0);
    }
};

QTEST_MAIN(TestCareWindows)
#include "test_carewindows.moc"
