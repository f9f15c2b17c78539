#include "core/startup.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "output/gridsettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

QString defaultBreedingPath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\qvl\\breeding.txt");
#else
    return QDir::homePath() + QStringLiteral("/qvl/breeding.txt");
#endif
}

QString breedingPathFor(const QString& folder)
{
    const QString own = QDir(folder).filePath(QStringLiteral("breeding.txt"));
    return QFileInfo::exists(own) ? own : defaultBreedingPath();
}

QString playerDataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("turftrawler"));
}

DataFolder chooseDataFolder(const QString& dirOption, const QString& programDir)
{
    if (!dirOption.isEmpty())
        return {QDir::cleanPath(QDir(dirOption).absolutePath()), DataFolder::Kind::Given};
    if (QFileInfo::exists(QDir(programDir).filePath(QStringLiteral("horses.mdb"))))
        return {programDir, DataFolder::Kind::ProgramDir};
    return {playerDataFolder(), DataFolder::Kind::PlayerData};
}

static void setHeight(GridState& grid, int rows, int rowHeight, int margin, int cap)
{
    grid.setHeight(std::min(rows * rowHeight + margin, cap));
}

static void layoutSireGrids(MainWindowState& f, int rowHeight)
{
    GridState& sr = f.MSFSRGrid;
    for (int c = 0; c <= 6; ++c) {
        sr.setColWidth(c, 560);
        sr.setColAlign(c, Align::RightCenter);
    }
    sr.setColWidth(6, 650);
    sr.setColAlign(0, Align::LeftTop);
    const char* srHead[] = {"Tot", "D", "T", "R", "S", "Num"};
    for (int c = 1; c <= 6; ++c)
        sr.setText(0, c, QString::fromLatin1(srHead[c - 1]));
    const char* srRows[] = {"MC", "MSW", "Mdn", "1+A", "3+A", "Stk", "Grp"};
    for (int r = 1; r <= 7; ++r)
        sr.setText(r, 0, QString::fromLatin1(srRows[r - 1]));

    GridState& mx = f.MSFmaxgrid;
    for (int c = 0; c <= 5; ++c) {
        mx.setColWidth(c, 650);
        mx.setColAlign(c, Align::RightCenter);
    }
    mx.setColWidth(0, 560);
    setHeight(mx, 7, rowHeight, 90, 1812);
    const char* mxRows[] = {"D", "T", "Avg", "Max", "D#", "T#"};
    for (int r = 1; r <= 6; ++r)
        mx.setText(r, 0, QString::fromLatin1(mxRows[r - 1]));
    const char* mxHead[] = {"<7.5", "8-9", "9.5-10.5", "11+", "Avg"};
    for (int c = 1; c <= 5; ++c)
        mx.setText(0, c, QString::fromLatin1(mxHead[c - 1]));

    setHeight(sr, 8, rowHeight, 90, 2225);
}

static void layoutSpeedGrid(MainWindowState& f, int rowHeight)
{
    GridState& g = f.MSFSGrid;
    for (int c = 1; c <= 3; ++c)
        g.setCellAlign(0, c, Align::RightCenter);
    const char* head[] = {"Sprint", "Route", "Total"};
    for (int c = 1; c <= 3; ++c)
        g.setText(0, c, QString::fromLatin1(head[c - 1]));
    const char* rows[] = {"Dirt", "Turf", "OT", "Total"};
    for (int r = 1; r <= 4; ++r)
        g.setText(r, 0, QString::fromLatin1(rows[r - 1]));
    g.setRowColour(1, 0, 3, Palette::DarkRed);
    g.setRowColour(2, 0, 3, Palette::DarkGreen);
    for (int c = 1; c <= 3; ++c)
        g.setShaded(4, c, true);
    for (int r = 1; r <= 4; ++r) {
        g.setShaded(r, 3, true);
        g.setCellAlign(r, 3, Align::RightCenter);
    }
    setHeight(g, 5, rowHeight, 90, 1464);
    for (int c = 1; c <= 3; ++c)
        g.setColWidth(c, 730);
    g.setColWidth(0, 450);
}

static void layoutWinGrid(MainWindowState& f, int rowHeight)
{
    GridState& g = f.MSFWGrid;
    g.setColWidth(0, 350);
    g.setText(0, 1, QStringLiteral("4-5"));
    for (int c = 2; c <= 7; ++c)
        g.setText(0, c, QString::number(c + 4));
    g.setText(0, 8, QStringLiteral("12+"));
    g.setText(0, 9, QStringLiteral("Max"));
    const char* rows[] = {"D", "T", "OT", "D", "T", "OT"};
    for (int r = 1; r <= 6; ++r)
        g.setText(r, 0, QString::fromLatin1(rows[r - 1]));
    for (int r : {1, 4})
        g.setRowColour(r, 0, 9, Palette::DarkRed);
    for (int r : {2, 5})
        g.setRowColour(r, 0, 9, Palette::DarkGreen);
    for (int r = 4; r <= 6; ++r)
        for (int c = 0; c <= 9; ++c)
            g.setShaded(r, c, true);
    setHeight(g, 7, rowHeight, 90, 1812);
    for (int c = 1; c <= 8; ++c)
        g.setColWidth(c, 615);
    g.setColWidth(9, 1050);
    g.setCellAlign(0, 9, Align::RightCenter);
}

static void layoutColourKey(MainWindowState& f, int rowHeight)
{
    GridState& g = f.MSFColorGridKey;
    g.setColAlign(0, Align::LeftTop);
    g.setText(0, 0, QStringLiteral("Color Key"));
    const char* rows[] = {"Dirt - Fast", "Turf - Firm", "Dirt - Good",
                          "Turf - Good", "Dirt - Slop", "Turf - Yldg"};
    const std::uint8_t colours[] = {Palette::DarkRed,  Palette::DarkGreen, Palette::DarkMagenta,
                                    Palette::DarkCyan, Palette::DarkBlue,  Palette::DarkYellow};
    for (int r = 1; r <= 6; ++r) {
        g.setText(r, 0, QString::fromLatin1(rows[r - 1]));
        g.setColour(r, 0, colours[r - 1]);
    }
    setHeight(g, 7, rowHeight, 12, 1788);
}

void layoutStatGrids(MainWindowState& f, int rowHeight)
{
    layoutSireGrids(f, rowHeight);
    layoutSpeedGrid(f, rowHeight);
    layoutWinGrid(f, rowHeight);
    layoutColourKey(f, rowHeight);
}

/** Handles a missing horses.mdb as `missing` says. True when the database is there now. */
static bool provideDatabase(MainWindowState& f, MissingDatabase missing)
{
    const QString folder = QDir::toNativeSeparators(QDir::cleanPath(f.programPath()));
    const QString none =
        QStringLiteral("There is no race database (horses.mdb) in the folder %1.").arg(folder);
    if (missing == MissingDatabase::Report) {
        f.platform().message(none);
        return false;
    }
    if (missing == MissingDatabase::Ask &&
        f.platform().askYesNo(Fmt::lines({none, QString(), QStringLiteral("Create an empty one there now?")}),
                              Platform::Answer::Yes) != Platform::Answer::Yes)
        return false;
    QDir().mkpath(f.programPath());
    Database db;
    if (db.create(f.databasePath()))
        return true;
    f.platform().message(db.error());
    return false;
}

bool formLoad(MainWindowState& f, int rowHeight, MissingDatabase missing)
{
    f.MSFSRGrid.setVisible(false);
    f.MSFmaxgrid.setVisible(false);
    f.lblfastestVisible = false;
    layoutSireGrids(f, rowHeight);

    if (!QFileInfo::exists(f.databasePath()) && !provideDatabase(f, missing))
        return false;
    {
        // Opening the file once now rolls back a journal that a stopped write left beside it, so that the
        // file is whole again before anything, or anyone, reads or copies it. A file that another program
        // holds is not waited for: that program rolls it back itself, and the first operation that needs the
        // database reports the lock.
        Database db;
        db.open(f.databasePath(), 0);
    }
    f.panel.progenyEnabled = QFileInfo::exists(f.breedingPath());
    f.lblinjurytest =
        Fmt::lines({QStringLiteral("Injury Exclusion:"), QStringLiteral("Ignore races slower than ...")});
    layoutSpeedGrid(f, rowHeight);
    layoutWinGrid(f, rowHeight);
    layoutColourKey(f, rowHeight);
    f.MSFlexGrid1.setFontSize(7);
    msfgridcaption(f);
    msfgridgetsettings(f);
    return true;
}
