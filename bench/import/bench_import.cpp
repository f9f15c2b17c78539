// Imports generated weeks into an empty horses.mdb and reports starts per second, side by side with the
// sqlite3 shell's .import of the same races and starts as CSV into the same schema, name index included. A
// last round imports through the window's platform with the progress label shown, to tell what the per-race
// repaint costs.
//
//   bench_import [--weeks N] [--seed S] [--rounds R] [--sqlite3 PATH]
#include "app/qtplatform.h"
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "db/nameindex.h"
#include "import/importdriver.h"
#include "sample/generator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace
{

QByteArray csvField(const QVariant& v)
{
    if (v.typeId() == QMetaType::QString) {
        QByteArray t = v.toString().toUtf8();
        t.replace('"', "\"\"");
        return '"' + t + '"';
    }
    if (v.typeId() == QMetaType::Double)
        return QByteArray::number(v.toDouble(), 'g', 17);
    return v.toString().toUtf8();
}

/** Writes a table as CSV without a header, in the column order of the schema. */
bool exportCsv(Database& db, const QString& table, const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    Sql::Statement q = db.prepare(QStringLiteral("SELECT * FROM %1").arg(table));
    if (!q)
        return false;
    QByteArray buffer;
    while (q.next()) {
        const int n = q.columnCount();
        for (int i = 0; i < n; ++i) {
            if (i)
                buffer += ',';
            buffer += csvField(q.value(i));
        }
        buffer += '\n';
        if (buffer.size() > (1 << 20)) {
            f.write(buffer);
            buffer.clear();
        }
    }
    f.write(buffer);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    QStringList args = app.arguments().mid(1);
    int weeks = 50, rounds = 3;
    quint64 seed = 1;
    QString shell = QStringLiteral("sqlite3");
    while (args.size() >= 2) {
        const QString a = args.takeFirst(), v = args.takeFirst();
        if (a == QLatin1String("--weeks"))
            weeks = std::max(1, v.toInt());
        else if (a == QLatin1String("--seed"))
            seed = v.toULongLong();
        else if (a == QLatin1String("--rounds"))
            rounds = std::max(1, v.toInt());
        else if (a == QLatin1String("--sqlite3"))
            shell = v;
    }

    QTemporaryDir tmp;
    const QString filesDir = tmp.filePath(QStringLiteral("weeks"));
    TurfGen::Settings settings;
    settings.seed = seed;
    TurfGen::Generator gen(settings);
    if (!gen.writeWeeks(600, 600 + weeks - 1, filesDir)) {
        err << "cannot write the generated weeks\n";
        return 1;
    }
    QStringList paths;
    for (const QString& name :
         QDir(filesDir).entryList({QStringLiteral("raceout*.txt")}, QDir::Files, QDir::Name))
        paths << QDir(filesDir).filePath(name);
    const qint64 starts = gen.totals().starts;
    const qint64 races = gen.totals().races;
    out << "Generated " << weeks << " weeks: " << races << " races, " << starts << " starts\n";

    double bestImport = 1e300, bestShell = 1e300;
    bool csvReady = false;
    for (int round = 0; round < rounds; ++round) {
        // Turf Trawler's import, through the same entry point as the menu command.
        const QString dir = tmp.filePath(QStringLiteral("import%1").arg(round));
        QDir().mkpath(dir);
        {
            Database db;
            if (!db.create(dir + QStringLiteral("/horses.mdb"))) {
                err << db.error() << "\n";
                return 1;
            }
        }
        HeadlessPlatform platform;
        MainWindowState finder(platform, dir, QString());
        QElapsedTimer t;
        t.start();
        const ImportResult r = importFiles(finder, paths);
        const double seconds = t.nsecsElapsed() / 1e9;
        if (r.status != ImportResult::Status::Done || r.starts != starts) {
            err << "import failed: " << r.detail << "\n";
            return 1;
        }
        bestImport = std::min(bestImport, seconds);

        if (!csvReady) {
            Database db;
            db.open(dir + QStringLiteral("/horses.mdb"));
            if (!exportCsv(db, QStringLiteral("tblraces"), tmp.filePath(QStringLiteral("races.csv"))) ||
                !exportCsv(db, QStringLiteral("tblhorsedata"), tmp.filePath(QStringLiteral("starts.csv")))) {
                err << "cannot write the CSV files\n";
                return 1;
            }
            csvReady = true;
        }

        // The sqlite3 shell loading the same rows into the same schema.
        const QString shellDb = tmp.filePath(QStringLiteral("shell%1.mdb").arg(round));
        {
            // With the name index and its triggers, as the import's own file has them.
            Database db;
            db.create(shellDb);
            NameIndex::ensure(db, [](const QString&) {});
        }
        QProcess p;
        p.start(shell, {shellDb});
        if (!p.waitForStarted()) {
            err << "the sqlite3 shell (" << shell << ") cannot be started; give --sqlite3 PATH\n";
            return 1;
        }
        t.restart();
        p.write(
            QStringLiteral(".mode csv\n.import %1 tblraces\n.import %2 tblhorsedata\n")
                .arg(tmp.filePath(QStringLiteral("races.csv")), tmp.filePath(QStringLiteral("starts.csv")))
                .toUtf8());
        p.closeWriteChannel();
        p.waitForFinished(-1);
        const double shellSeconds = t.nsecsElapsed() / 1e9;
        if (p.exitCode() != 0) {
            err << "sqlite3 .import failed: " << p.readAllStandardError() << "\n";
            return 1;
        }
        bestShell = std::min(bestShell, shellSeconds);
        out << "round " << round + 1 << ": import " << QString::number(seconds, 'f', 3)
            << " s, sqlite3 .import " << QString::number(shellSeconds, 'f', 3) << " s\n";
    }
    // The same import with the progress label on screen, repainted for every race as the window does.
    double windowSeconds = 0;
    {
        const QString dir = tmp.filePath(QStringLiteral("window"));
        QDir().mkpath(dir);
        Database().create(dir + QStringLiteral("/horses.mdb"));
        QLabel label;
        label.resize(300, 40);
        label.show();
        QtPlatform platform(&label);
        platform.addLabel(QStringLiteral("lblprogress"), &label);
        MainWindowState finder(platform, dir, QString());
        QElapsedTimer t;
        t.start();
        importFiles(finder, paths);
        windowSeconds = t.nsecsElapsed() / 1e9;
    }
    out << "Import with the progress label repainted per race: " << QString::number(windowSeconds, 'f', 3)
        << " s (" << QString::number((windowSeconds - bestImport) * 1e6 / std::max<qint64>(races, 1), 'f', 1)
        << " us a race over the best import)\n";
    out << "Import:          " << qint64(starts / bestImport) << " starts/s ("
        << QString::number(bestImport, 'f', 3) << " s for " << starts << " starts and " << races
        << " races)\n";
    out << "sqlite3 .import: " << qint64(starts / bestShell) << " starts/s ("
        << QString::number(bestShell, 'f', 3) << " s)\n";
    out << "Ratio (import speed / sqlite3 speed): " << QString::number(bestShell / bestImport, 'f', 2)
        << "\n";
    return 0;
}
