#include "core/datafolder.h"
#include "core/headlessplatform.h"
#include "db/database.h"
#include "gui/app/frmmainfinder.h"
#include "gui/app/qtplatform.h"
#include "gui/app/startpanel.h"
#include "gui/app/statusprogress.h"
#include "gui/widgets/gridview.h"
#include "output/gridsettings.h"
#include "search/searchfixture.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

/** A program directory with an empty database and, when asked, a breeding file; its main window, loaded. */
struct Install {
    QTemporaryDir dir;
    HeadlessPlatform p;
    std::unique_ptr<frmmainfinder> w;
    explicit Install(bool withDatabase = true, bool withBreeding = true)
    {
        if (withDatabase)
            Database().create(dir.filePath(u"horses.mdb"_s));
        if (withBreeding)
            writeFile(dir.filePath(u"breeding.txt"_s), {});
        w = std::make_unique<frmmainfinder>(p, dir.path(), dir.filePath(u"breeding.txt"_s));
        loaded = w->Form_Load();
        w->show();
    }
    bool loaded = false;
    QByteArray settings() const { return readFile(dir.filePath(u"KZTSettings.ini"_s), "none"); }
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
        QVERIFY(!control<QLineEdit>(w, "txtnum")->isVisible() &&
                control<QRadioButton>(w, "opthorse")->isChecked() &&
                control<QRadioButton>(w, "optsire")->isEnabled());
        QCOMPARE(control<QLineEdit>(w, "txtnum")->text() + control<QLineEdit>(w, "txtinjury")->text(),
                 u"530"_s);
        QCOMPARE(i.settings(), QByteArray("none")); // nothing written at start
        w.setGeometry(90, 80, 1200, 700);
        QVERIFY(w.close());
        QCOMPARE(i.settings(), QByteArray("none")); // nor at shutdown
        // The window's place is kept in a file of its own, and the next run opens there.
        frmmainfinder next(i.p, i.dir.path(), QString());
        QVERIFY(next.Form_Load());
        QCOMPARE(next.geometry(), QRect(90, 80, 1200, 700));
    }

    void missingFilesAtStart()
    {
        Install i(false);
        const QString mdb = i.dir.filePath(u"horses.mdb"_s), shown = QDir::toNativeSeparators(mdb);
        QVERIFY(!i.loaded);
        QCOMPARE(i.p.messages, QStringList{u"There is no race database (horses.mdb) in the folder %1.\r\r"
                                           "Create an empty one there now?"_s.arg(
                                               QDir::toNativeSeparators(QDir::cleanPath(i.dir.path())))});
        QCOMPARE(i.p.defaultButtons, QList{Platform::Answer::Yes});
        QVERIFY(i.w->state().MSFlexGrid1.text(0, 0).isEmpty()); // nothing after the check ran
        QVERIFY(!QFile::exists(mdb));
        // Answered Yes, the empty database is made and the window opens on it.
        i.p.answers = {Platform::Answer::Yes};
        frmmainfinder w(i.p, i.dir.path(), QString());
        QVERIFY(w.Form_Load());
        control<QAction>(w, "cmdabout")->trigger();
        const QString about = i.p.messages.last();
        QVERIFY2(about.startsWith(u"Turf Trawler v4.33\r\rFolder in use: %1\rDatabase: %2\rSize: "_s.arg(
                     QDir::toNativeSeparators(i.dir.path()), shown)) &&
                     about.endsWith(u"\rStored weeks: 0\rStarts: 0"_s),
                 qPrintable(about));

        Install noBreeding(true, false);
        QVERIFY(noBreeding.loaded && noBreeding.p.messages.isEmpty());
        for (QRadioButton* b : {control<QRadioButton>(*noBreeding.w, "optsire"),
                                control<QRadioButton>(*noBreeding.w, "optdamsire"),
                                control<QRadioButton>(*noBreeding.w, "optdamdamsire")})
            QVERIFY(!b->isEnabled() && b->isVisible() &&
                    b->toolTip().contains(u"breeding.txt in the data"_s));
    }

    void dataFolderChoice()
    {
        QTemporaryDir program, data;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        const QString player = data.filePath(u"turftrawler"_s);
        DataFolder f = chooseDataFolder({}, program.path());
        QVERIFY(f.path == player && f.kind == DataFolder::Kind::PlayerData && !QFileInfo::exists(player));
        // The player's own folder is made, with its database, by the first start, without a question.
        HeadlessPlatform p;
        auto w = std::make_unique<frmmainfinder>(p, f.path, breedingPathFor(f.path));
        QVERIFY(w->Form_Load(MissingDatabase::Create) && p.messages.isEmpty());
        QVERIFY(QFileInfo::exists(player + u"/horses.mdb"_s));
        w->close();
        QVERIFY(QFileInfo::exists(player + u"/TurfTrawlerWindow.ini"_s)); // its settings go there too

        // A program directory that holds horses.mdb (a build tree, a portable copy) is used as it is.
        QVERIFY(Database().create(program.filePath(u"horses.mdb"_s)));
        f = chooseDataFolder({}, program.path());
        QVERIFY(f.path == program.path() && f.kind == DataFolder::Kind::ProgramDir);
        // --dir wins over both, relative or not; naming the player's folder keeps it the player's own.
        f = chooseDataFolder(u"."_s, program.path());
        QVERIFY(f.path == QDir::currentPath() && f.kind == DataFolder::Kind::Given);
        f = chooseDataFolder(player + u"/"_s, program.path());
        QVERIFY(f.path == player && f.kind == DataFolder::Kind::PlayerData);

        // The folder's own breeding file, when it has one; else the usual one.
        QCOMPARE(breedingPathFor(program.path()), QDir::homePath() + u"/qvl/breeding.txt"_s);
        QVERIFY(writeFile(program.filePath(u"breeding.txt"_s), {}));
        QCOMPARE(breedingPathFor(program.path()), program.filePath(u"breeding.txt"_s));
    }

    void startPanelOffersSampleData()
    {
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        Install i;
        StartPanel* panel = i.w->findChild<StartPanel*>();
        QVERIFY(panel->isVisible() && panel->geometry() == control<GridView>(*i.w, "MSFlexGrid1")->rect());
        panel->sampleWeeks = 2;
        QTest::mouseClick(panel->cmdsample, Qt::LeftButton);
        const QString sample = data.filePath(u"turftrawler/sample"_s);
        // The sample's window opens a step from this one's corner.
        const QStringList started{QCoreApplication::applicationFilePath(), u"--dir"_s, sample, u"--near"_s,
                                  u"1,1"_s};
        QCOMPARE(i.p.startedPrograms, QList<QStringList>{started});
        QCOMPARE(
            queryRows(sample + u"/horses.mdb"_s, u"SELECT DISTINCT CAST(racenum AS INT) FROM tblraces"_s),
            L("699|700"));
        QVERIFY(readFile(sample + u"/breeding.txt"_s).size() > 1000);
        QCOMPARE(queryRows(i.dir.filePath(u"horses.mdb"_s), u"SELECT COUNT(*) FROM tblraces"_s), L("0"));
        // Made once: the next click opens the same sample again.
        const QDateTime made = QFileInfo(sample + u"/horses.mdb"_s).lastModified();
        panel->cmdsample->click();
        QCOMPARE(i.p.startedPrograms, (QList<QStringList>{started, started}));
        QCOMPARE(QFileInfo(sample + u"/horses.mdb"_s).lastModified(), made);
        QVERIFY(panel->isVisible() && i.p.messages.isEmpty());
        // Once a week is imported the grid takes the panel's place.
        i.w->importDropped({QStringLiteral(TURF_TEST_DATA "/import/generated/raceout578.txt")});
        QTRY_VERIFY(!i.w->importing());
        QVERIFY(!panel->isVisible());
    }

    void popupLayoutCommands()
    {
        Install i;
        frmmainfinder& w = *i.w;
        const QColor first = control<GridView>(w, "MSFlexGrid1")->palette().color(QPalette::Base);
        control<QAction>(w, "msfgridback")->trigger();
        QVERIFY(i.settings().endsWith("-2147483643 \r\n"));
        QVERIFY(control<GridView>(w, "MSFlexGrid1")->palette().color(QPalette::Base) != first);
        control<QAction>(w, "msfgridback")->trigger();
        QCOMPARE(control<GridView>(w, "MSFlexGrid1")->palette().color(QPalette::Base), first);
        // A plain colour value is blue, green, red from the high byte down.
        w.state().MSFlexGrid1.setBackColor(0x0000ff);
        w.refresh();
        QCOMPARE(control<GridView>(w, "MSFlexGrid1")->palette().color(QPalette::Base), QColor(255, 0, 0));
        // The columns share the grid's width out by their widths; one dragged keeps its twips at that share,
        // and Reset Columns brings the standard widths back.
        GridView* v = control<GridView>(w, "MSFlexGrid1");
        int shown = 0;
        for (int c = 0; c < 18; ++c)
            shown += v->columnWidth(c);
        QVERIFY(shown <= v->viewport()->width() && shown > v->viewport()->width() - 18);
        v->setColumnWidth(0, v->columnWidth(0) * 2);
        QVERIFY(std::abs(w.state().MSFlexGrid1.colWidth(0) - 2900) < 40);
        control<QAction>(w, "msfgridreset")->trigger();
        QCOMPARE(w.state().MSFlexGrid1.colWidth(0), 1450);
        QCOMPARE(i.settings(), DefaultSettingsLine);
    }

    void resultsGridCopyTooltipsAndKeys()
    {
        Install i;
        frmmainfinder& w = *i.w;
        QVERIFY(QTest::qWaitForWindowActive(&w));
        GridState& g = w.state().MSFlexGrid1;
        g.setRows(5);
        for (int r = 1; r < 5; ++r)
            for (int c = 0; c < g.cols(); ++c)
                g.setText(r, c, QStringLiteral("%1.%2").arg(r).arg(c));
        w.refresh();
        GridView* v = control<GridView>(w, "MSFlexGrid1");
        const auto copied = [&] {
            QTest::keyClick(v, Qt::Key_C, Qt::ControlModifier);
            return QApplication::clipboard()->text();
        };
        v->setFocus();
        v->selectionModel()->select(QItemSelection(v->model()->index(0, 1), v->model()->index(2, 2)),
                                    QItemSelectionModel::ClearAndSelect);
        QCOMPARE(copied(), QStringLiteral("1.1\t1.2\n2.1\t2.2\n3.1\t3.2\n"));
        v->clearSelection();
        v->selectColumn(15); // whole columns come with their heading
        QCOMPARE(copied(), QStringLiteral("Owner\n1.15\n2.15\n3.15\n4.15\n"));

        QTest::keyClick(v, Qt::Key_Tab);
        QVERIFY(!v->hasFocus());
    }

    void listReadableSortedAndSaid()
    {
        SearchFixture fx;
        for (int i = 0; i < 3; ++i)
            fx.add({.hname = u"Horse %1"_s.arg(i),
                    .hid = 5027710 + i,
                    .week = 600 + i,
                    .sp = 70.0 + i,
                    .oname = u"Brown, Hall & Hall"_s,
                    .restr = u"Handicap"_s});
        HeadlessPlatform p;
        frmmainfinder w(p, fx.path(), QString());
        QVERIFY(w.Form_Load());
        w.show();
        QCOMPARE(QFontInfo(control<GridView>(w, "MSFlexGrid1")->font()).family(),
                 u"Liberation Sans Narrow"_s);
        // The grid's model keeps the rules of the model classes through searches, sorts and reloads.
        QAbstractItemModelTester tester(control<GridView>(w, "MSFlexGrid1")->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto search = [](frmmainfinder& in) {
            control<QRadioButton>(in, "optowner")->click();
            control<QLineEdit>(in, "txthorse")->setText(u"Brown, Hall & Hall"_s);
            control<QPushButton>(in, "cmdgethorse")->click();
        };
        // Before there is a settings file, columns too narrow for the list's texts widen to them.
        search(w);
        const GridState& g = w.state().MSFlexGrid1;
        QVERIFY(g.colWidth(1) > 500 && g.colWidth(5) > 350 && g.colWidth(15) > 750 && g.colWidth(0) == 1450);
        QVERIFY(readFile(w.state().settingsPath()).contains(" " + QByteArray::number(g.colWidth(15)) + " "));
        QCOMPARE(w.statusProgress()->textLabel()->text(), u"3 starts of 3 horses"_s);

        // A double click on a heading sorts by its column; the heading shows the arrow until a new list.
        QHeaderView* h = control<GridView>(w, "MSFlexGrid1")->horizontalHeader();
        QTest::mouseDClick(h->viewport(), Qt::LeftButton, {},
                           QPoint(h->sectionViewportPosition(8) + h->sectionSize(8) / 2, 5));
        QCOMPARE(cells(g, 1, 3, 8, 8), L("70.0|71.0|72.0"));
        QVERIFY(h->isSortIndicatorShown() && h->sortIndicatorSection() == 8);
        QCOMPARE(w.state().statusline, u"Sorted by Sp, ascending"_s);
        search(w);
        QVERIFY(!h->isSortIndicatorShown());
        // An empty settings file asks for the standard widths, and they stay the player's.
        writeFile(w.state().settingsPath(), {});
        frmmainfinder next(p, fx.path(), QString());
        QVERIFY(next.Form_Load());
        search(next);
        QCOMPARE(next.state().MSFlexGrid1.colWidth(15), 750);

        // The controls without a caption say what they are for; each menu's entries have keys of their own.
        for (QWidget* c :
             std::initializer_list<QWidget*>{control<QCheckBox>(w, "chkname"), control<QCheckBox>(w, "chkid"),
                                             control<QLineEdit>(w, "txtinjury")})
            QVERIFY(!c->toolTip().isEmpty());
        for (QMenu* menu : {control<QMenu>(w, "filemenu"), control<QMenu>(w, "viewmenu"),
                            control<QMenu>(w, "Utilitiesmenu"), control<QMenu>(w, "helpmenu")}) {
            QSet<QString> keys;
            for (QAction* a : menu->actions()) {
                const qsizetype at = a->text().indexOf(u'&') + 1;
                const QString key = a->text().mid(at, 1).toLower();
                QVERIFY(a->isSeparator() || (at > 0 && !keys.contains(key)));
                keys.insert(key);
            }
        }
    }

    void windowKeepsItsSize()
    {
        SearchFixture fx;
        for (int i = 0; i < 48; ++i) {
            Run r{.hid = i, .week = 400 + i % 12, .race = i / 12 + 1, .sp = 80.0 + i, .purse = 1000000 * i};
            r.hname = u"Horse %1"_s.arg(i), r.oname = u"Owner %1 With A Long Name"_s.arg(i % 2);
            fx.add(r);
        }
        HeadlessPlatform p;
        frmmainfinder w(p, fx.path(), QString());
        QVERIFY(w.Form_Load());
        w.show();
        w.resize(1, 1); // the least size the window allows: any growth of a control would show
        QApplication::processEvents();
        const QSize least = w.size();
        const QRect grid = control<GridView>(w, "MSFlexGrid1")->geometry();
        QVERIFY(control<GridView>(w, "MSFlexGrid1")->viewport()->height() >=
                6 * control<GridView>(w, "MSFlexGrid1")->rowHeightPixels());
        control<QRadioButton>(w, "optowner")->click();
        control<QLineEdit>(w, "txthorse")->setText(u"Owner 1 With A Long Name"_s);
        control<QPushButton>(w, "cmdgethorse")->click();
        QApplication::processEvents();
        QCOMPARE(w.size(), least);
        QCOMPARE(p.messages, QStringList());
        // Room the window gains goes to the results grid.
        w.resize(least + QSize(300, 200));
        QApplication::processEvents();
        QCOMPARE(control<GridView>(w, "MSFlexGrid1")->size(), grid.size() + QSize(300, 200));
    }

    void questionsSayWhatTheirButtonsDo()
    {
        // The message box a player sees: the buttons named as given, Escape answering Stop Import, and no
        // busy pointer over it while the program waits for the answer; the pointer comes back after.
        QtPlatform p;
        p.setBusy(true);
        QStringList captions;
        bool busyOverBox = true;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            poll.stop();
            for (QAbstractButton* b : box->buttons())
                captions << b->text();
            busyOverBox = QApplication::overrideCursor() != nullptr;
            QTest::keyClick(box, Qt::Key_Escape);
        });
        poll.start(10);
        using enum Platform::Answer;
        QCOMPARE(p.askChoice(u"Stored"_s, {{Yes, u"&Replace"_s}, {Skip, u"&Skip"_s}, {No, u"S&top Import"_s}},
                             Yes),
                 No);
        captions.sort();
        QCOMPARE(captions, L("&Replace|&Skip|S&top Import"));
        QVERIFY(!busyOverBox);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        p.setBusy(false);
        QVERIFY(!QApplication::overrideCursor());
        // Work that ends while a box is open (an import beside the About box) leaves no pointer behind.
        p.setBusy(true);
        poll.disconnect();
        connect(&poll, &QTimer::timeout, [&] {
            if (auto* box = QApplication::activeModalWidget()) {
                poll.stop();
                p.setBusy(false);
                QTest::keyClick(box, Qt::Key_Escape);
            }
        });
        poll.start(10);
        p.message(u"About"_s);
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
