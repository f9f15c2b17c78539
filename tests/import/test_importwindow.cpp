#include "app/frmmainfinder.h"
#include "app/statusprogress.h"
#include "importfixture.h"

#include <QAction>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QTest>

/** The import as the user reaches it: "&Import Race Data" in the File menu of the main window. */
class TestImportWindow : public QObject
{
    Q_OBJECT
private slots:
    void menuCommandImports()
    {
        ImportFixture fx;
        frmmainfinder w(fx.p, fx.path(), fx.dir.filePath(u"no-breeding.txt"_s));
        QVERIFY(w.Form_Load());
        fx.p.openAnswers.push_back(
            {fx.writeWeek(u"a.txt"_s, 611, 2, 3, u"A"_s), fx.writeWeek(u"b.txt"_s, 612, 1, 2, u"B"_s)});
        w.cmdimportdata->trigger();
        QCOMPARE(fx.p.dialogs.size(), 1);
        QCOMPARE(fx.stored({611, 612}), u"2/6 1/2"_s);

        // A file that cannot be read: the failure text in the label, on lines of its own.
        TestRace race;
        race.number = u"613.0101"_s;
        race.purse = u"\"$lots\""_s;
        fx.p.openAnswers.push_back({fx.writeRaces(u"raceout.zip"_s, {race}, Layout::OneLine)});
        w.cmdimportdata->trigger();
        QCOMPARE(w.lblprogress->text(), u"Import of raceout.zip was NOT completed.\nImport terminated."_s);
        QVERIFY(fx.p.messages.isEmpty());
    }

    void droppedFilesAreImported()
    {
        ImportFixture fx;
        frmmainfinder w(fx.p, fx.path(), QString());
        QVERIFY(w.Form_Load());
        w.show();
        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(fx.writeWeek(u"a.txt"_s, 611, 2, 3, u"A"_s)),
             QUrl::fromLocalFile(fx.writeZip(u"b.zip"_s, {{u"b.txt"_s, fx.weekBytes(612, 1, 2, u"B"_s)}}))});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &drop);
        QTRY_COMPARE(fx.stored({611, 612}), u"2/6 1/2"_s);
        QCOMPARE(w.statusProgress()->textLabel()->text(), u"2 weeks imported: 611, 612"_s);
        QVERIFY(!w.statusProgress()->progressBar()->isVisible());

        // Anything but local files is refused at the door.
        QMimeData text;
        text.setText(u"612"_s);
        QDragEnterEvent other(QPoint(50, 50), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &other);
        QVERIFY(!other.isAccepted());
    }
};

QTEST_MAIN(TestImportWindow)
#include "test_importwindow.moc"
