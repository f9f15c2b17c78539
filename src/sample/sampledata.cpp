#include "sample/sampledata.h"

#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "core/replacingfile.h"
#include "db/database.h"
#include "db/dbcare.h"
#include "import/importdriver.h"
#include "import/importprogress.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace TurfGen
{

namespace
{

/** Counts the files the import reads as the second step of each week. */
class ImportSteps : public ImportProgress
{
public:
    ImportSteps(const SampleProgress& progress, int doneBefore, int total)
        : m_progress(progress), m_before(doneBefore), m_total(total)
    {
    }
    void start(int) override {}
    void file(int index, const QString&, qint64) override
    {
        if (m_progress)
            m_progress(m_before + index, m_total);
    }
    void end(const QString&) override {}

private:
    const SampleProgress& m_progress;
    int m_before;
    int m_total;
};

} // namespace

bool buildDatabase(const QString& dir, Generator& generator, int first, int last, QString* error,
                   const SampleProgress& progress)
{
    const auto failed = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(QStringLiteral("horses.mdb"));
    if (!QFileInfo::exists(path)) {
        Database db;
        if (!db.create(path))
            return failed(db.error());
    }
    QTemporaryDir tmp;
    if (!tmp.isValid())
        return failed(QStringLiteral("No temporary directory for the generated weeks"));
    const int total = 2 * (last - first + 1);
    int done = 0;
    constexpr int Batch = 50;
    for (int from = first; from <= last; from += Batch) {
        const int to = std::min(last, from + Batch - 1);
        QStringList paths;
        for (int w = from; w <= to; ++w) {
            QString writeError;
            if (!generator.writeWeeks(w, w, tmp.path(), &writeError))
                return failed(writeError);
            paths << QDir(tmp.path()).filePath(QStringLiteral("raceout%1.txt").arg(w));
            if (progress)
                progress(++done, total);
        }
        HeadlessPlatform platform;
        platform.defaultAnswer = Platform::Answer::Yes; // a week already there is replaced
        MainWindowState finder(platform, dir, QString());
        ImportSteps steps(progress, done, total);
        const ImportResult r = importFiles(finder, paths, DuplicateWeek::Ask, &steps);
        if (r.status != ImportResult::Status::Done)
            return failed(QStringLiteral("Import of %1 failed: %2").arg(r.file, r.detail));
        done += int(paths.size());
        for (const QString& p : paths)
            QFile::remove(p);
    }
    return true;
}

} // namespace TurfGen

namespace SampleData
{

QString folderFor(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("sample"));
}

bool make(const QString& dir, int weeks, std::uint64_t seed, QString& error, const SampleProgress& progress)
{
    const QString target = QDir(dir).filePath(QStringLiteral("horses.mdb"));
    if (QFileInfo::exists(target)) {
        error = QStringLiteral("%1 already holds a database; sample data goes into a folder of its own.")
                    .arg(QDir::toNativeSeparators(dir));
        return false;
    }
    if (weeks < 1 || weeks > LastWeek) {
        error = QStringLiteral("The number of weeks must be 1 to %1.").arg(LastWeek);
        return false;
    }
    if (!QDir().mkpath(dir)) {
        error = QStringLiteral("Cannot make the folder %1.").arg(QDir::toNativeSeparators(dir));
        return false;
    }
    // Built aside and moved in whole, so that a stopped run never leaves a half-filled sample to be taken
    // for a finished one.
    QTemporaryDir work(QDir(dir).filePath(QStringLiteral(".sample-XXXXXX")));
    if (!work.isValid()) {
        error = QStringLiteral("Cannot write in the folder %1.").arg(QDir::toNativeSeparators(dir));
        return false;
    }
    TurfGen::Settings settings;
    settings.seed = seed;
    TurfGen::Generator generator(settings);
    if (!TurfGen::buildDatabase(work.path(), generator, LastWeek - weeks + 1, LastWeek, &error, progress))
        return false;
    // Invented track codes, so that the grid's "Tr" column reads as it does on real data.
    const QString built = QDir(work.path()).filePath(QStringLiteral("horses.mdb"));
    for (int track = 1; track <= settings.tracks; ++track) {
        static const char consonants[] = "BCDFGHKLMNPRSTVWYZ", vowels[] = "AEIOU";
        const char letters[] = {consonants[track % 18], vowels[track / 18 % 5], consonants[track * 7 % 18],
                                0};
        const QString code = QString::fromLatin1(letters);
        if (DbCare::addTrack(built, track, code, error) != DbCare::TrackChange::Done)
            return false;
    }
    error = writeWholeFile(QDir(dir).filePath(QStringLiteral("breeding.txt")), generator.breedingFile());
    if (!error.isEmpty())
        return false;
    if (!QFile::rename(built, target)) {
        error = QStringLiteral("Cannot put the sample database in place as %1.")
                    .arg(QDir::toNativeSeparators(target));
        return false;
    }
    return true;
}

} // namespace SampleData
