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
        HeadlessPlatform& p = fx.p;
        frmmainfinder w(p, fx.path(), fx.dir.filePath(u"no-breeding.txt"_s));
        QVERIFY(w.Form_Load());
        p.labelTexts.clear();
        p.openAnswers.push_back(
            {fx.writeWeek(u"a.txt"_s, 611, 2, 3, u"A"_s), fx.writeWeek(u"b.txt"_s, 612, 1, 2, u"B"_s)});
        QCOMPARE(w.cmdimportdata->text(), u"&Import Race Data"_s);
        w.cmdimportdata->trigger();
        QCOMPARE(p.dialogs.size(), 1);
        QCOMPARE(p.dialogs.first().title, u"Open"_s);
        QCOMPARE(p.labelTexts,
                 (QStringList{u"lblprogress: Import in Progress..."_s, u"lblprogress: 611.0102"_s,
                              u"lblprogress: Import in Progress..."_s, u"lblprogress: "_s}));
        QVERIFY(p.messages.isEmpty());
        QCOMPARE(w.lblprogress->text(), QString());
        QCOMPARE(fx.stored({611, 612}), u"2/6 1/2"_s);

        // The same week again, answered No: the question, then the cancel message, and nothing changes.
        p.openAnswers.push_back({fx.writeWeek(u"again.txt"_s, 612, 1, 5, u"C"_s)});
        p.answers = {Platform::Answer::No};
        w.cmdimportdata->trigger();
        QCOMPARE(p.messages,
                 (QStringList{u"This week has already been entered into the database.  Do you wish to "
                              u"over-write all old data from this week?\r\rWeek 612, from again.txt."_s,
                              u"Database import cancelled at user request."_s}));
        QCOMPARE(w.statusProgress()->textLabel()->text(),
                 u"Stopped at week 612 of again.txt, which is already stored; 0 weeks imported"_s);
        QCOMPARE(fx.stored({612}), u"1/2"_s);

        // A file that cannot be read: the failure text in the label, and no message.
        TestRace race;
        race.number = u"613.0101"_s;
        race.purse = u"\"$lots\""_s;
        p.messages.clear();
        p.openAnswers.push_back({fx.writeRaces(u"raceout.zip"_s, {race}, Layout::OneLine)});
        w.cmdimportdata->trigger();
        QCOMPARE(w.lblprogress->text(), u"Import of raceout.zip was NOT completed.\nImport terminated."_s);
        QVERIFY(p.messages.isEmpty());
        QCOMPARE(p.busyDepth, 0);
        QCOMPARE(fx.count(u"tblraces"_s, 613), 0);
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
