// Imports zip archives of one-race weeks, each archive into an empty horses.mdb, and reports the time per
// entry: reading every entry of an archive must cost the same per entry whether it holds 400 or 10,000
// (goal: 1,600 entries in at most 5 times the time of 400). The entries are stored in a shuffled order, so
// that the archive's order and the import's (by name) differ, as they do in an archive made by hand.
//
//   bench_zip [--entries 400,1600] [--keep DIR]   (--keep leaves the archives in DIR, for other builds)
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "import/importdriver.h"
#include "sample/generator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <zip.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace
{

/** Writes `count` one-race weeks from week 1001 on into a zip archive, in a shuffled order. */
bool writeArchive(const QString& path, int count, QTextStream& err)
{
    TurfGen::Settings settings;
    settings.tracks = 1;
    settings.racesPerTrack = 1;
    settings.activeHorses = 200;
    settings.owners = 50;
    settings.stallions = 20;
    TurfGen::Generator gen(settings);
    std::vector<QByteArray> weeks;
    for (int i = 0; i < count; ++i)
        weeks.push_back(gen.weekFile(1001 + i));
    std::vector<int> order(weeks.size());
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(1));
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!z) {
        err << "cannot create " << path << "\n";
        return false;
    }
    for (int i : order) {
        const QByteArray name = "raceout" + QByteArray::number(1001 + i) + ".txt";
        const QByteArray& data = weeks[std::size_t(i)];
        zip_source_t* source = zip_source_buffer(z, data.constData(), zip_uint64_t(data.size()), 0);
        if (!source || zip_file_add(z, name.constData(), source, 0) < 0) {
            zip_source_free(source);
            err << "cannot add " << name << ": " << zip_strerror(z) << "\n";
            zip_discard(z);
            return false;
        }
    }
    if (zip_close(z) != 0) {
        err << "cannot write " << path << ": " << zip_strerror(z) << "\n";
        zip_discard(z);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    QStringList args = app.arguments().mid(1);
    QList<int> sizes{400, 1600};
    QString keep;
    while (args.size() >= 2) {
        const QString a = args.takeFirst(), v = args.takeFirst();
        if (a == QLatin1String("--entries")) {
            sizes.clear();
            for (const QString& n : v.split(QLatin1Char(',')))
                sizes << std::max(1, n.toInt());
        } else if (a == QLatin1String("--keep")) {
            keep = v;
        }
    }
    QTemporaryDir tmp;
    const QString dir = keep.isEmpty() ? tmp.path() : keep;
    QDir().mkpath(dir);
    double first = 0;
    for (int n : sizes) {
        const QString archive = QDir(dir).filePath(QStringLiteral("weeks%1.zip").arg(n));
        if (!writeArchive(archive, n, err))
            return 1;
        const QString program = tmp.filePath(QStringLiteral("db%1").arg(n));
        QDir().mkpath(program);
        if (!Database().create(program + QStringLiteral("/horses.mdb"))) {
            err << "cannot create the database\n";
            return 1;
        }
        HeadlessPlatform platform;
        MainWindowState finder(platform, program, QString());
        QElapsedTimer t;
        t.start();
        const ImportResult r = importFiles(finder, {archive});
        const double seconds = t.nsecsElapsed() / 1e9;
        if (r.status != ImportResult::Status::Done || r.files != n) {
            err << "import failed: " << r.detail << "\n";
            return 1;
        }
        if (first == 0)
            first = seconds;
        out << n << " entries: " << QString::number(seconds, 'f', 3) << " s, "
            << QString::number(seconds * 1e3 / n, 'f', 3) << " ms an entry, "
            << QString::number(seconds / first, 'f', 2) << " times the first archive's time for "
            << QString::number(double(n) / sizes.first(), 'f', 2) << " times its entries\n";
    }
    return 0;
}
