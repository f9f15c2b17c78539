#include "app/frmmainfinder.h"
#include "app/gridview.h"
#include "core/headlessplatform.h"
#include "db/database.h"
#include "output/gridsettings.h"
#include "search/searchfixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

static const QByteArray DefaultLine =
    " 1450  500  760  410  350  350  320  200  450  280  280  280  655  500  650 "
    " 750  500  300 -2147483626 \r\n";

/** A program directory with an empty database and, when asked, a breeding file. */
struct Install {
    QTemporaryDir dir;
    QString breeding;
    explicit Install(bool withDatabase = true, bool withBreeding = true)
    {
        if (withDatabase) {
            Database db;
            db.create(dir.filePath(QStringLiteral("horses.mdb")));
        }
        breeding = dir.filePath(QStringLiteral("qvl/breeding.txt"));
        if (withBreeding) {
            QDir(dir.path()).mkpath(QStringLiteral("qvl"));
            QFile f(breeding);
            f.open(QIODevice::WriteOnly);
        }
    }
    QString settings() const { return dir.filePath(QStringLiteral("KZTSettings.ini")); }
    QByteArray settingsText() const
    {
        QFile f(settings());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeSettings(const QByteArray& text) const
    {
        QFile f(settings());
        f.open(QIODevice::WriteOnly);
        f.write(text);
    }
};

static QString cell(GridView* view, int row, int col)
{
    return view->gridModel()->grid().text(row, col);
}

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void startsIntoTheMainWindow()
    {
        Install install;
        HeadlessPlatform p;
        frmmainfinder w(p, install.dir.path(), install.breeding);
        QVERIFY(w.Form_Load());
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("Turf Trawler v4.33"));
        QVERIFY(p.messages.isEmpty());

        // The results grid before any search: 2 rows, 18 columns, captions in the header.
        GridState& g = w.state().MSFlexGrid1;
        QCOMPARE(g.rows(), 2);
        QCOMPARE(g.cols(), 18);
        QCOMPARE(g.fixedRows(), 1);
        QCOMPARE(g.fontSize(), 7.0);
        QCOMPARE(w.MSFlexGrid1->model()->rowCount(), 1);
        QCOMPARE(w.MSFlexGrid1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
        QCOMPARE(w.MSFlexGrid1->model()->headerData(17, Qt::Horizontal).toString(), QStringLiteral("St"));
        QVERIFY(cell(w.MSFlexGrid1, 1, 0).isEmpty());

        // Statistics grids and the colour key.
        QCOMPARE(cell(w.MSFSGrid, 0, 1), QStringLiteral("Sprint"));
        QCOMPARE(cell(w.MSFSGrid, 4, 0), QStringLiteral("Total"));
        QCOMPARE(cell(w.MSFWGrid, 0, 1), QStringLiteral("4-5"));
        QCOMPARE(cell(w.MSFWGrid, 0, 7), QStringLiteral("11"));
        QCOMPARE(cell(w.MSFWGrid, 0, 9), QStringLiteral("Max"));
        QCOMPARE(cell(w.MSFSRGrid, 7, 0), QStringLiteral("Grp"));
        QCOMPARE(cell(w.MSFmaxgrid, 0, 3), QStringLiteral("9.5-10.5"));
        const QStringList key = {QStringLiteral("Color Key"),   QStringLiteral("Dirt - Fast"),
                                 QStringLiteral("Turf - Firm"), QStringLiteral("Dirt - Good"),
                                 QStringLiteral("Turf - Good"), QStringLiteral("Dirt - Slop"),
                                 QStringLiteral("Turf - Yldg")};
        const QList<QColor> colours = {QColor(128, 0, 0),   QColor(0, 128, 0), QColor(128, 0, 128),
                                       QColor(0, 128, 128), QColor(0, 0, 128), QColor(128, 128, 0)};
        for (int r = 0; r < 7; ++r) {
            const QModelIndex i = w.MSFColorGridKey->model()->index(r, 0);
            QCOMPARE(i.data().toString(), key[r]);
            if (r > 0)
                QCOMPARE(i.data(Qt::ForegroundRole).value<QColor>(), colours[r - 1]);
        }
        QCOMPARE(w.MSFSGrid->model()->index(1, 2).data(Qt::ForegroundRole).value<QColor>(),
                 QColor(128, 0, 0));
        QCOMPARE(w.MSFWGrid->model()->index(5, 3).data(Qt::ForegroundRole).value<QColor>(),
                 QColor(0, 128, 0));
        QVERIFY(w.state().MSFWGrid.shaded(4, 0));
        QVERIFY(w.state().MSFSGrid.shaded(2, 3));
        QVERIFY(!w.state().MSFSGrid.shaded(1, 1));

        // Layout: normal statistics shown, progeny ones hidden.
        QVERIFY(w.MSFSGrid->isVisible());
        QVERIFY(w.MSFWGrid->isVisible());
        QVERIFY(!w.MSFSRGrid->isVisible());
        QVERIFY(!w.MSFmaxgrid->isVisible());
        QVERIFY(!w.lblfastest->isVisible());
        QVERIFY(!w.chk2yo->isVisible());
        QVERIFY(!w.txtnum->isVisible());
        QVERIFY(w.opthorse->isChecked());
        QVERIFY(w.chkname->isChecked());
        QVERIFY(!w.chkid->isChecked());
        QCOMPARE(w.txtnum->text(), QStringLiteral("5"));
        QCOMPARE(w.txtinjury->text(), QStringLiteral("30"));
        QCOMPARE(w.lblinjurytest->text(), QStringLiteral("Injury Exclusion:\nIgnore races slower than ..."));
        QCOMPARE(w.state().lblinjurytest, QStringLiteral("Injury Exclusion:\rIgnore races slower than ..."));
        QVERIFY(w.optsire->isEnabled());
        QVERIFY(w.cmdprint->isEnabled());

        // Menus with every command.
        QStringList commands;
        for (QAction* a : w.filemenu->actions())
            commands << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(commands,
                 (QStringList{QStringLiteral("&Import Race Data"), QStringLiteral("R&emove Race Data"),
                              QStringLiteral("-"), QStringLiteral("&Print Findings"),
                              QStringLiteral("E&xport to Text File"), QStringLiteral("-"),
                              QStringLiteral("E&xit")}));
        QCOMPARE(w.cmdexit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QCOMPARE(w.helpmenu->actions(), QList<QAction*>{w.cmdabout});
        QCOMPARE(w.cmdabout->text(), QStringLiteral("&About Turf Trawler"));
        commands.clear();
        for (QAction* a : w.Utilitiesmenu->actions())
            commands << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(commands,
                 (QStringList{QStringLiteral("&Date Calculator"), QStringLiteral("-"),
                              QStringLiteral("&Compact Database"), QStringLiteral("&Edit Tracks")}));
        // No settings file yet: widths untouched and nothing written.
        QVERIFY(!QFile::exists(install.settings()));
    }

    void missingDatabaseOffersAnEmptyOne()
    {
        Install install(false);
        HeadlessPlatform p;
        const QString mdb = install.dir.filePath(QStringLiteral("horses.mdb"));
        {
            frmmainfinder w(p, install.dir.path(), install.breeding);
            QVERIFY(!w.Form_Load());
            QCOMPARE(
                p.messages,
                QStringList{QStringLiteral(
                                "Please restart this program after you have successfully saved or moved the "
                                "horses.mdb file to the SAME directory in which this program is located.\r\r"
                                "It was looked for as %1.\rCreate an empty database there now?")
                                .arg(QDir::toNativeSeparators(mdb))});
            QCOMPARE(p.defaultButtons, QList{Platform::Answer::No});
            // Nothing after the check ran: no captions, no settings file, no database.
            QVERIFY(w.state().MSFlexGrid1.text(0, 0).isEmpty());
            QVERIFY(w.state().MSFSGrid.text(0, 1).isEmpty());
            QVERIFY(!QFile::exists(install.settings()) && !QFile::exists(mdb));
        }
        p.answers = {Platform::Answer::Yes};
        frmmainfinder w(p, install.dir.path(), install.breeding);
        QVERIFY(w.Form_Load());
        QCOMPARE(w.state().MSFSGrid.text(0, 1), QStringLiteral("Sprint"));
        w.cmdabout->trigger();
        QVERIFY2(p.messages.last().startsWith(QStringLiteral("Turf Trawler v4.33\r\rDatabase: %1\rSize: ")
                                                  .arg(QDir::toNativeSeparators(mdb))) &&
                     p.messages.last().endsWith(QStringLiteral("\rStored weeks: 0\rStarts: 0")),
                 qPrintable(p.messages.last()));
    }

    void missingBreedingFileDisablesProgenyOptions()
    {
        Install install(true, false);
        HeadlessPlatform p;
        frmmainfinder w(p, install.dir.path(), install.breeding);
        QVERIFY(w.Form_Load());
        w.show();
        for (QRadioButton* b : {w.optsire, w.optdamsire, w.optdamdamsire}) {
            QVERIFY(!b->isEnabled());
            QVERIFY(b->isVisible());
        }
        QVERIFY(w.opthorse->isEnabled() && w.optowner->isEnabled() && w.optrace->isEnabled());
        QVERIFY(p.messages.isEmpty());
    }

    void directoryEndingInSeparator()
    {
        Install install;
        HeadlessPlatform p;
        MainWindowState f(p, QStringLiteral("C:\\"), QString());
        QCOMPARE(f.databasePath(), QStringLiteral("C:\\horses.mdb"));
        MainWindowState g(p, install.dir.path() + QLatin1Char('/'), QString());
        QCOMPARE(g.databasePath(), install.dir.path() + QStringLiteral("/horses.mdb"));
        frmmainfinder w(p, install.dir.path() + QLatin1Char('/'), install.breeding);
        QVERIFY(w.Form_Load());
    }

    void largeFontKeepsStatisticsGridsCapped()
    {
        Install install;
        HeadlessPlatform p;
        const QFont saved = QApplication::font();
        QFont big = saved;
        big.setPointSize(28);
        QApplication::setFont(big);
        frmmainfinder w(p, install.dir.path(), install.breeding);
        QVERIFY(w.Form_Load());
        QApplication::setFont(saved);
        QCOMPARE(w.state().MSFSRGrid.height(), 2225);
        QCOMPARE(w.state().MSFmaxgrid.height(), 1812);
        QCOMPARE(w.state().MSFSGrid.height(), 1464);
        QCOMPARE(w.state().MSFWGrid.height(), 1812);
        QCOMPARE(w.state().MSFColorGridKey.height(), 1788);
        QCOMPARE(w.MSFSGrid->height(), w.MSFSGrid->twipsToPixels(1464));

        // With the ordinary font the heights follow the rows and stay below the caps.
        frmmainfinder small(p, install.dir.path(), install.breeding);
        QVERIFY(small.Form_Load());
        QVERIFY(small.state().MSFSGrid.height() < 1464);
        QCOMPARE(small.state().MSFSGrid.height(), 5 * small.MSFSGrid->rowHeightTwips() + 90);
    }

    void settingsAppliedAtStart_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("width0");
        QTest::addColumn<int>("back");
        QTest::addColumn<QByteArray>("afterwards");
        QByteArray custom = DefaultLine;
        custom.replace(" 1450 ", " 2000 ");
        QByteArray other = DefaultLine;
        other.replace("-2147483626", " 65535");
        QTest::newRow("no file") << QByteArray("none") << 1450 << int(BackColor::ThreeDLight)
                                 << QByteArray("none");
        QTest::newRow("empty file") << QByteArray() << 1450 << int(BackColor::ThreeDLight) << DefaultLine;
        QTest::newRow("saved widths") << custom << 2000 << int(BackColor::ThreeDLight) << custom;
        QTest::newRow("extra numbers")
            << custom.trimmed() + " 7 8 9\r\n"
            << 2000 << int(BackColor::ThreeDLight) << custom.trimmed() + " 7 8 9\r\n";
        QTest::newRow("other colour") << other << 1450 << 65535 << other;
        QTest::newRow("malformed") << QByteArray("12 abc") << 1450 << int(BackColor::ThreeDLight)
                                   << DefaultLine;
    }
    void settingsAppliedAtStart()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, width0);
        QFETCH(int, back);
        QFETCH(QByteArray, afterwards);
        Install install;
        if (file != "none")
            install.writeSettings(file);
        HeadlessPlatform p;
        frmmainfinder w(p, install.dir.path(), install.breeding);
        QVERIFY(w.Form_Load());
        QCOMPARE(w.state().MSFlexGrid1.colWidth(0), width0);
        QCOMPARE(w.MSFlexGrid1->columnWidth(0), w.MSFlexGrid1->twipsToPixels(width0));
        QCOMPARE(w.state().MSFlexGrid1.backColor(), back);
        if (afterwards == "none")
            QVERIFY(!QFile::exists(install.settings()));
        else
            QCOMPARE(install.settingsText(), afterwards);
    }

    void toggleBackgroundTwice()
    {
        Install install;
        HeadlessPlatform p;
        frmmainfinder w(p, install.dir.path(), install.breeding);
        QVERIFY(w.Form_Load());
        const QColor first = w.MSFlexGrid1->palette().color(QPalette::Base);
        w.msfgridback->trigger();
        QCOMPARE(w.state().MSFlexGrid1.backColor(), BackColor::Window);
        QVERIFY(install.settingsText().endsWith("-2147483643 \r\n"));
        QVERIFY(w.MSFlexGrid1->palette().color(QPalette::Base) != first);
        w.msfgridback->trigger();
        QCOMPARE(w.state().MSFlexGrid1.backColor(), BackColor::ThreeDLight);
        QVERIFY(install.settingsText().endsWith("-2147483626 \r\n"));
        QCOMPARE(w.MSFlexGrid1->palette().color(QPalette::Base), first);
    }

    void resetColumnsInBothLayouts()
    {
        Install install;
        HeadlessPlatform p;
        frmmainfinder w(p, install.dir.path(), install.breeding);
        QVERIFY(w.Form_Load());
        w.show();
        // A column dragged by the user is written by the next save and undone by Reset Columns.
        w.MSFlexGrid1->setColumnWidth(0, 300);
        QCOMPARE(w.state().MSFlexGrid1.colWidth(0), w.MSFlexGrid1->pixelsToTwips(300));
        w.msfgridreset->trigger();
        QCOMPARE(w.MSFlexGrid1->columnWidth(0), w.MSFlexGrid1->twipsToPixels(1450));
        QCOMPARE(install.settingsText(), DefaultLine);

        // In the sire layout the grid changes on screen only.
        showSireLayout(w.state());
        w.refresh();
        QVERIFY(w.MSFSRGrid->isVisible());
        QVERIFY(w.MSFmaxgrid->isVisible());
        QVERIFY(!w.MSFSGrid->isVisible());
        QVERIFY(!w.fraspeedstats->isVisible());
        QVERIFY(!w.txtinjury->isVisible());
        QVERIFY(!w.cmdprint->isEnabled());
        QCOMPARE(w.MSFlexGrid1->model()->columnCount(), 19);
        w.MSFlexGrid1->setColumnWidth(3, 500);
        w.msfgridreset->trigger();
        QCOMPARE(w.MSFlexGrid1->columnWidth(3), w.MSFlexGrid1->twipsToPixels(410));
        w.msfgridback->trigger();
        QCOMPARE(install.settingsText(), DefaultLine);

        showNormalLayout(w.state());
        w.refresh();
        QVERIFY(w.MSFSGrid->isVisible());
        QVERIFY(!w.MSFSRGrid->isVisible());
        QVERIFY(w.cmdprint->isEnabled());
        QCOMPARE(w.MSFlexGrid1->model()->columnCount(), 18);
        QCOMPARE(w.state().MSFlexGrid1.backColor(), BackColor::ThreeDLight);
    }

    void commandsNotYetBuiltSaySo()
    {
        Install install;
        HeadlessPlatform p;
        frmmainfinder w(p, install.dir.path(), install.breeding);
        QVERIFY(w.Form_Load());
        w.edittracks->trigger();
        QCOMPARE(p.messages, QStringList{QStringLiteral("This command is not available yet.")});
    }

    void closingEndsTheProgram()
    {
        Install install;
        HeadlessPlatform p;
        frmmainfinder w(p, install.dir.path(), install.breeding);
        QVERIFY(w.Form_Load());
        w.show();
        w.setGeometry(90, 80, 1100, 700);
        QVERIFY(w.close());
        QVERIFY(!QFile::exists(install.settings())); // the column settings are not saved at shutdown
        // The window's place is, and the next run opens there.
        frmmainfinder next(p, install.dir.path(), install.breeding);
        QVERIFY(next.Form_Load());
        QCOMPARE(next.geometry(), QRect(90, 80, 1100, 700));
    }

    void resultsGridCopyTooltipsAndKeys()
    {
        Install install;
        HeadlessPlatform p;
        frmmainfinder w(p, install.dir.path(), install.breeding);
        QVERIFY(w.Form_Load());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        GridState& g = w.state().MSFlexGrid1;
        g.setRows(5);
        for (int r = 1; r < 5; ++r)
            for (int c = 0; c < g.cols(); ++c)
                g.setText(r, c, QStringLiteral("%1.%2").arg(r).arg(c));
        w.refresh();
        GridView* v = w.MSFlexGrid1;
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

        QCOMPARE(v->model()->headerData(10, Qt::Horizontal, Qt::ToolTipRole).toString(),
                 QStringLiteral("Field size: number of starters"));
        QVERIFY(!w.chkname->toolTip().isEmpty() && !w.chkid->toolTip().isEmpty());

        // A double click on the divider after a column fits it to its texts; the width is kept in twips.
        QHeaderView* header = v->horizontalHeader();
        v->setColumnWidth(15, 8);
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {},
                           QPoint(header->sectionViewportPosition(15) + 7, header->height() / 2));
        QVERIFY(v->columnWidth(15) >= v->fontMetrics().horizontalAdvance(QStringLiteral("Owner")));
        QCOMPARE(g.colWidth(15), v->pixelsToTwips(v->columnWidth(15)));

        QTest::keyClick(v, Qt::Key_Tab);
        QVERIFY(!v->hasFocus());
    }

    void windowKeepsItsSize()
    {
        SearchFixture fx;
        for (int o = 0; o < 10; ++o)
            for (int i = 0; i < 12; ++i)
                fx.add({.hname = QStringLiteral("Horse %1").arg(i),
                        .hid = 10 * o + i,
                        .week = 400 + i,
                        .race = o + 1,
                        .fin = i % 4 + 1,
                        .sp = 80.0 + o * 4 + i,
                        .start = i,
                        .oname = QStringLiteral("Owner %1 With A Long Name %1").arg(o).left(25),
                        .dist = 5.0 + i,
                        .purse = 1000000 * (o + 1)});
        HeadlessPlatform p;
        frmmainfinder w(p, fx.path(), QString());
        QVERIFY(w.Form_Load());
        w.show();
        w.resize(1, 1); // the least size the window allows: any growth of a control would show
        QApplication::processEvents();
        const QSize least = w.size();
        const QRect grid = w.MSFlexGrid1->geometry();
        QVERIFY(grid.height() > w.MSFlexGrid1->rowHeightPixels());
        for (int o = 0; o < 10; ++o) {
            w.optowner->click();
            w.txthorse->setText(QStringLiteral("Owner %1 With A Long Name %1").arg(o).left(25));
            w.cmdgethorse->click();
            QApplication::processEvents();
            QCOMPARE(w.size(), least);
        }
        QCOMPARE(p.messages, QStringList());
        // Room the window gains goes to the results grid.
        w.resize(least + QSize(300, 200));
        QApplication::processEvents();
        QCOMPARE(w.MSFlexGrid1->size(), grid.size() + QSize(300, 200));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
