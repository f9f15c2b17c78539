#include "app/frmmainfinder.h"
#include "app/gridview.h"
#include "core/headlessplatform.h"
#include "db/database.h"
#include "output/gridsettings.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

static const QByteArray DefaultLine =
    " 1450  500  760  410  350  350  320  200  450  280  280  280  655  500  650 "
    " 750  500  300 -2147483626 \r\n";

/** A program directory with an empty database and, when asked, a breeding file; its main window, loaded. */
struct Install {
    QTemporaryDir dir;
    HeadlessPlatform p;
    std::unique_ptr<frmmainfinder> w;
    explicit Install(bool withDatabase = true, bool withBreeding = true, const QByteArray& settings = "none")
    {
        if (withDatabase)
            Database().create(dir.filePath(u"horses.mdb"_s));
        if (withBreeding)
            QFile(dir.filePath(u"breeding.txt"_s)).open(QIODevice::WriteOnly);
        if (settings != "none")
            write(settings);
        w = std::make_unique<frmmainfinder>(p, dir.path(), dir.filePath(u"breeding.txt"_s));
        loaded = w->Form_Load();
        w->show();
    }
    bool loaded = false;
    QString settingsPath() const { return dir.filePath(u"KZTSettings.ini"_s); }
    QByteArray settings() const
    {
        QFile f(settingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("none");
    }
    void write(const QByteArray& text) const
    {
        QFile f(settingsPath());
        f.open(QIODevice::WriteOnly);
        f.write(text);
    }
};

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void startsIntoTheMainWindow()
    {
        Install i;
        frmmainfinder& w = *i.w;
        QVERIFY(i.loaded && i.p.messages.isEmpty());
        QCOMPARE(w.windowTitle(), u"Turf Trawler v4.33"_s);
        QAbstractItemModel* results = w.MSFlexGrid1->model();
        QCOMPARE(results->columnCount(), 18);
        QCOMPARE(results->headerData(0, Qt::Horizontal).toString() +
                     results->headerData(17, Qt::Horizontal).toString(),
                 u"NameSt"_s);
        // The colour key in the palette colours that the results rows use: dark red dirt, dark green turf.
        const QAbstractItemModel* key = w.MSFColorGridKey->model();
        QCOMPARE(key->index(1, 0).data().toString() + key->index(6, 0).data().toString(),
                 u"Dirt - FastTurf - Yldg"_s);
        QCOMPARE(key->index(1, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(128, 0, 0));
        QCOMPARE(key->index(2, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
        // The normal layout: the progeny grids and controls hidden.
        QVERIFY(w.MSFSGrid->isVisible() && w.MSFWGrid->isVisible());
        QVERIFY(!w.MSFSRGrid->isVisible() && !w.MSFmaxgrid->isVisible() && !w.lblfastest->isVisible());
        QVERIFY(!w.txtnum->isVisible() && w.opthorse->isChecked() && w.optsire->isEnabled());
        QCOMPARE(w.txtnum->text() + w.txtinjury->text(), u"530"_s);
        QCOMPARE(w.lblinjurytest->text(), u"Injury Exclusion:\nIgnore races slower than ..."_s);
        QCOMPARE(i.settings(), QByteArray("none")); // nothing written at start
        QVERIFY(w.close());
        QCOMPARE(i.settings(), QByteArray("none")); // nor at shutdown
    }

    void missingFilesAtStart()
    {
        Install noDatabase(false);
        QVERIFY(!noDatabase.loaded);
        QCOMPARE(noDatabase.p.messages,
                 QStringList{u"Please restart this program after you have successfully saved or moved the "
                             "horses.mdb file to the SAME directory in which this program is located."_s});
        QVERIFY(noDatabase.w->state().MSFlexGrid1.text(0, 0).isEmpty()); // nothing after the check ran

        Install noBreeding(true, false);
        QVERIFY(noBreeding.loaded && noBreeding.p.messages.isEmpty());
        for (QRadioButton* b : {noBreeding.w->optsire, noBreeding.w->optdamsire, noBreeding.w->optdamdamsire})
            QVERIFY(!b->isEnabled() && b->isVisible());
    }

    void settingsAppliedAtStart_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("width0");
        QTest::addColumn<QByteArray>("afterwards");
        QByteArray custom = DefaultLine;
        custom.replace(" 1450 ", " 2000 ");
        QTest::newRow("saved widths") << custom << 2000 << custom;
        QTest::newRow("malformed, rewritten") << QByteArray("12 abc") << 1450 << DefaultLine;
    }
    void settingsAppliedAtStart()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, width0);
        QFETCH(QByteArray, afterwards);
        Install i(true, true, file);
        QCOMPARE(i.w->MSFlexGrid1->columnWidth(0), i.w->MSFlexGrid1->twipsToPixels(width0));
        QCOMPARE(i.settings(), afterwards);
    }

    void popupLayoutCommands()
    {
        Install i;
        frmmainfinder& w = *i.w;
        const QColor first = w.MSFlexGrid1->palette().color(QPalette::Base);
        w.msfgridback->trigger();
        QVERIFY(i.settings().endsWith("-2147483643 \r\n"));
        QVERIFY(w.MSFlexGrid1->palette().color(QPalette::Base) != first);
        w.msfgridback->trigger();
        QCOMPARE(w.MSFlexGrid1->palette().color(QPalette::Base), first);
        // A column dragged by the user is undone by Reset Columns.
        w.MSFlexGrid1->setColumnWidth(0, 300);
        QCOMPARE(w.state().MSFlexGrid1.colWidth(0), w.MSFlexGrid1->pixelsToTwips(300));
        w.msfgridreset->trigger();
        QCOMPARE(w.MSFlexGrid1->columnWidth(0), w.MSFlexGrid1->twipsToPixels(1450));
        QCOMPARE(i.settings(), DefaultLine);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
