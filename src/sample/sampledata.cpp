#include "sample/sampledata.h"

#include "core/datafolder.h"
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

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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
    // The weeks' files are written beside the database, not in the system's temporary folder: whatever a
    // stopped run leaves of them is in one place, with the database it was building.
    QTemporaryDir tmp(QDir(dir).filePath(QStringLiteral(".weeks-XXXXXX")));
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

namespace
{

/**
 * The sample's folder for one run: made when missing, and removed again when the run leaves it empty (a full
 * disk then leaves no empty folder); locked against a second run, and cleared of the work folders that a run
 * stopped by a kill left. The lock is the kernel's, on the open folder: a killed run leaves none behind.
 */
class SampleFolder
{
public:
    explicit SampleFolder(const QString& dir) : m_dir(dir), m_made(!QFileInfo::exists(dir))
    {
        if (!QDir().mkpath(dir)) {
            error = QStringLiteral("Cannot make the folder %1.").arg(QDir::toNativeSeparators(dir));
            return;
        }
        m_fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_fd < 0 || ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            error = errno == EWOULDBLOCK
                        ? QStringLiteral(
                              "Sample data is being made in %1 already; try again when that has ended.")
                        : QStringLiteral("Cannot write in the folder %1.");
            error = error.arg(QDir::toNativeSeparators(dir));
            return;
        }
        const QDir folder(dir);
        const auto leftOver =
            folder.entryList({QStringLiteral(".sample-*")},
                             QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
        for (const QString& name : leftOver)
            QDir(folder.filePath(name)).removeRecursively();
    }
    ~SampleFolder()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_made)
            QDir().rmdir(m_dir); // only when empty: a finished sample stays
    }
    SampleFolder(const SampleFolder&) = delete;
    SampleFolder& operator=(const SampleFolder&) = delete;

    /** Why the folder cannot be used; empty when it can. */
    QString error;

private:
    QString m_dir;
    bool m_made;
    int m_fd = -1;
};

} // namespace

QString folderFor(const QString& dataFolder)
{
    return dataFolder.isEmpty() ? QString() : QDir(dataFolder).filePath(QStringLiteral("sample"));
}

bool make(const QString& dir, int weeks, std::uint64_t seed, QString& error, const SampleProgress& progress)
{
    if (dir.isEmpty()) {
        error = noDataFolderMessage();
        return false;
    }
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
    const SampleFolder folder(dir);
    if (!folder.error.isEmpty()) {
        error = folder.error;
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
