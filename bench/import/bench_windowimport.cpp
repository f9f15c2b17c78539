// The window's import against the command-line tool's, in processor time, on the same generated weeks: the
// window imports on its worker thread with the status bar following each file (its thread repaints
// meanwhile), the tool as `turftrawler-cli import` in a process of its own. Reports the best round of each
// and their ratio, the window's over the tool's (its goal: at most 1.2).
//
//   bench_windowimport [--weeks N] [--runs R]
#include "benchdata.h"
#include "db/database.h"
#include "gui/app/frmmainfinder.h"
#include "gui/app/qtplatform.h"
#include "gui/app/statusprogress.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

namespace
{

/** Processor time (user and system) of this process, or of its reaped children, in seconds. */
double cpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

/** A folder with an empty horses.mdb for one round. */
QString emptyFolder(const QTemporaryDir& tmp, const QString& name)
{
    const QString dir = tmp.filePath(name);
    QDir().mkpath(dir);
    Database().create(dir + QStringLiteral("/horses.mdb"));
    return dir;
}

struct Round {
    double cpu = 1e300;
    double wall = 1e300;
    void keep(double c, double w)
    {
        cpu = std::min(cpu, c);
        wall = std::min(wall, w);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    BenchData::Options defaults;
    defaults.weeks = 31;
    defaults.runs = 3;
    const BenchData::Options options = BenchData::parseOptions(app.arguments().mid(1), defaults);
    // The weeks as turf-generate writes them for a player's folder, imported oldest first.
    QTemporaryDir tmp;
    const QString bin = QCoreApplication::applicationDirPath();
    const QString files = tmp.filePath(QStringLiteral("weeks"));
    if (QProcess::execute(bin + QStringLiteral("/turf-generate"),
                          {QStringLiteral("--seed"), QStringLiteral("1"), QStringLiteral("--weeks"),
                           QStringLiteral("600-%1").arg(599 + options.weeks), QStringLiteral("--out"),
                           files}) != 0) {
        err << "turf-generate failed\n";
        return 1;
    }
    QStringList paths;
    for (const QString& name :
         QDir(files).entryList({QStringLiteral("raceout*.txt")}, QDir::Files, QDir::Name))
        paths << QDir(files).filePath(name);
    out << "Generated " << paths.size() << " weeks\n";

    const QString cli = bin + QStringLiteral("/turftrawler-cli");
    Round tool, window;
    for (int round = 0; round < options.runs; ++round) {
        QProcess p;
        const double before = cpuSeconds(RUSAGE_CHILDREN);
        QElapsedTimer t;
        t.start();
        p.start(cli,
                QStringList{QStringLiteral("--dir"), emptyFolder(tmp, QStringLiteral("cli%1").arg(round)),
                            QStringLiteral("import")} +
                    paths);
        if (!p.waitForFinished(-1) || p.exitCode() != 0) {
            err << "turftrawler-cli import failed: " << p.readAllStandardError() << "\n";
            return 1;
        }
        tool.keep(cpuSeconds(RUSAGE_CHILDREN) - before, t.nsecsElapsed() / 1e9);

        QtPlatform platform;
        frmmainfinder w(platform, emptyFolder(tmp, QStringLiteral("window%1").arg(round)), QString());
        platform.setParentWidget(&w);
        if (!w.Form_Load())
            return 1;
        w.show();
        QCoreApplication::processEvents();
        const double cpu = cpuSeconds(RUSAGE_SELF);
        t.restart();
        w.importDropped(paths);
        while (w.importing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        window.keep(cpuSeconds(RUSAGE_SELF) - cpu, t.nsecsElapsed() / 1e9);
        out << "round " << round + 1 << ": " << w.statusProgress()->textLabel()->text().left(40) << "...\n";
    }
    out << "turftrawler-cli import: " << QString::number(tool.cpu, 'f', 3) << " s processor, "
        << QString::number(tool.wall, 'f', 3) << " s elapsed\n";
    out << "window import:          " << QString::number(window.cpu, 'f', 3) << " s processor, "
        << QString::number(window.wall, 'f', 3) << " s elapsed\n";
    out << "Ratio (window / command line, processor time, best of each): "
        << QString::number(window.cpu / tool.cpu, 'f', 2) << "\n";
    return 0;
}
