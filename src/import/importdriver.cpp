#include "import/importdriver.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "db/dbcare.h"
#include "db/nameindex.h"
#include "import/importprogress.h"
#include "import/racewriter.h"
#include "import/resultsfile.h"
#include "import/ziparchive.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <memory>

namespace
{

/** One file to import: a results file chosen on its own, or one inside a chosen zip archive. */
struct ImportItem {
    QString path; // the chosen file
    std::optional<ZipArchive::Entry> entry;
    QString error; // why the archive could not be opened
    /** The archive of an entry, open once for all its entries: opening it again for each would read its
        whole directory again for each. */
    std::shared_ptr<ZipArchive> zip;

    /** The name the texts give it: the file's name, or the entry's followed by the archive's. */
    QString name() const
    {
        const QString file = QFileInfo(path).fileName();
        return entry ? entry->name + QStringLiteral(" in ") + file : file;
    }

    /** The file's bytes, read from the disk as they are needed or expanded from the archive. */
    std::unique_ptr<QIODevice> open(QString& why) const
    {
        if (!error.isEmpty()) {
            why = error;
            return nullptr;
        }
        if (!entry) {
            auto file = std::make_unique<QFile>(path);
            if (!file->open(QIODevice::ReadOnly)) {
                why = file->errorString();
                return nullptr;
            }
            return file;
        }
        const auto data = zip->read(*entry);
        if (!data) {
            why = zip->error();
            return nullptr;
        }
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(*data);
        buffer->open(QIODevice::ReadOnly);
        return buffer;
    }
};

/** The chosen files with each zip archive replaced by the files inside it. */
QList<ImportItem> expandArchives(const QStringList& paths)
{
    QList<ImportItem> items;
    for (const QString& path : paths) {
        if (!ZipArchive::isArchive(path)) {
            items.append({path, std::nullopt, QString(), nullptr});
            continue;
        }
        const auto zip = std::make_shared<ZipArchive>(path);
        const auto entries = zip->entries();
        if (!entries || entries->isEmpty())
            items.append({path, std::nullopt,
                          entries ? QStringLiteral("the archive holds no files") : zip->error(), nullptr});
        else
            for (const ZipArchive::Entry& e : *entries)
                items.append({path, e, QString(), zip});
    }
    return items;
}

/** One import run: the database, the classifier that carries its count across files, the tallies. */
class ImportRun
{
public:
    ImportRun(MainWindowState& f, DuplicateWeek policy, ImportProgress* progress)
        : m_f(f), m_policy(policy), m_progress(progress)
    {
    }

    ImportResult run(const QStringList& paths)
    {
        if (paths.isEmpty())
            return m_result;
        const QList<ImportItem> items = expandArchives(paths);
        if (m_progress)
            m_progress->start(int(items.size()));
        if (!m_db.open(m_f.databasePath()))
            return fail(items.first().name(), m_db.error(), m_db.inUse());
        // A file from before the name index, or with older race, horse and owner indexes, gets this version's
        // indexes now; without them the searches stay exact, only slower.
        const auto show = [this](const QString& t) { m_f.setProgress(t); };
        NameIndex::ensure(m_db, show);
        m_db.ensureListingIndexes(show);
        RaceWriter writer(m_db);
        if (!writer.ok() || !writer.begin())
            return fail(items.first().name(), writer.error(), writer.inUse());
        // One transaction for the whole run, committed however it ends: what was stored before a failure
        // or a refused week stays, as if each row had been written on its own, while the indexes are
        // written out once instead of once per file.
        bool completed = true;
        for (const ImportItem& item : items) {
            if (m_progress)
                m_progress->file(m_result.files + 1, item.name());
            if (!importOne(item, writer)) {
                completed = false;
                break;
            }
            ++m_result.files;
            m_result.weeks << m_result.week;
        }
        if (!writer.commit()) {
            m_db.rollback();
            m_result.weeks.clear();
            return fail(completed ? items.last().name() : m_result.file, writer.error(), writer.inUse());
        }
        if (!m_db.close()) {
            // What was read is stored; the failure is that the file stays open until the program ends.
            m_f.platform().message(m_db.error());
            m_result.status = ImportResult::Status::Failed;
            m_result.detail = m_db.error();
            return m_result;
        }
        if (completed)
            m_f.setProgress(QString());
        return m_result;
    }

private:
    /**
     * Reports a failure in lblprogress. inUse says it was another program's lock, which is no fault of the
     * file; keptWeek names a stored week that a failed replacement left as it was.
     */
    ImportResult fail(const QString& name, const QString& detail, bool inUse = false, int keptWeek = -1)
    {
        m_result.status = ImportResult::Status::Failed;
        m_result.file = name;
        m_inUse = inUse;
        m_result.detail = inUse ? Database::inUseMessage(m_f.databasePath()) : detail;
        QStringList label{inUse ? m_result.detail
                                : QStringLiteral("Import of ") + m_result.file +
                                      QStringLiteral(" was NOT completed.")};
        if (keptWeek >= 0) {
            label << QStringLiteral("Week %1 was left as it was before the import.").arg(keptWeek);
            m_result.detail +=
                (m_result.detail.endsWith(QLatin1Char('.')) ? QStringLiteral(" ") : QStringLiteral(". ")) +
                label.last();
        }
        label << QStringLiteral("Import terminated.");
        m_f.setProgress(label.join(QLatin1Char('\r')));
        return m_result;
    }

    /**
     * One file inside a savepoint: when a file that replaces a stored week fails, the week goes back to
     * exactly what it was; a new week keeps the rows read before the failure.
     */
    bool importOne(const ImportItem& item, RaceWriter& writer)
    {
        const QString name = item.name();
        if (!writer.savepoint()) {
            fail(name, writer.error(), writer.inUse());
            return false;
        }
        bool replacing = false;
        const bool done = importFile(item, name, writer, replacing);
        if (done || !replacing) {
            if (!writer.releaseSavepoint()) {
                fail(name, writer.error(), writer.inUse());
                return false;
            }
            return done;
        }
        if (!writer.rollbackToSavepoint()) {
            fail(name, writer.error(), writer.inUse());
            return false;
        }
        m_result.races -= m_fileRaces;
        m_result.starts -= m_fileStarts;
        fail(name, m_result.detail, m_inUse, m_result.week);
        return false;
    }

    bool importFile(const ImportItem& item, const QString& name, RaceWriter& writer, bool& replacing)
    {
        m_fileRaces = 0;
        m_fileStarts = 0;
        QString why;
        const std::unique_ptr<QIODevice> file = item.open(why);
        if (!file) {
            fail(name, why);
            return false;
        }
        FieldReader fields(*file);
        ResultsReader reader(fields);
        if (!reader.readOpening()) {
            fail(name, reader.error());
            return false;
        }
        const int week = reader.week();
        m_result.week = week;

        const auto stored = isStored(reader.firstHeader().number, week);
        if (!stored) {
            fail(name, m_db.error(), m_db.inUse());
            return false;
        }
        if (*stored) {
            // Replacing is the answer that destroys data, so it is never the one Enter gives.
            const bool replace =
                m_policy == DuplicateWeek::Ask &&
                m_f.platform().askYesNo(
                    Fmt::lines({QStringLiteral("This week has already been entered into the database.  "
                                               "Do you wish to over-write all old data from this week?"),
                                QString(), QStringLiteral("Week %1, from %2.").arg(week).arg(name)}),
                    Platform::Answer::No) == Platform::Answer::Yes;
            if (!replace) {
                m_result.file = name;
                if (m_policy == DuplicateWeek::Ask) {
                    m_result.status = ImportResult::Status::Cancelled;
                    m_f.platform().message(QStringLiteral("Database import cancelled at user request."));
                } else {
                    m_result.status = ImportResult::Status::Refused;
                }
                return false;
            }
            m_f.setProgress(
                Fmt::lines({QStringLiteral("Deleting old records."), QStringLiteral("Please wait.")}));
            if (!keepSafetyCopy(name, writer))
                return false;
            replacing = true;
            if (!m_db.removeWeek(week)) {
                fail(name, m_db.error(), m_db.inUse());
                return false;
            }
        }
        m_f.setProgress(QStringLiteral("Import in Progress..."));
        const bool read =
            reader.readRaces(m_classifier, writer, [this](const QString& t) { m_f.setProgress(t); });
        m_fileRaces = reader.races();
        m_fileStarts = reader.starts();
        m_result.races += m_fileRaces;
        m_result.starts += m_fileStarts;
        if (!read) {
            fail(name, reader.error(), writer.inUse());
            return false;
        }
        return true;
    }

    /** Before the run's first replacement, the database as it is then becomes the automatic copy. The copy
        reads through this connection, which must not be writing then: what the run stored so far is
        committed first, as it would be at any later stop, and this file's savepoint is taken again (the file
        has written nothing yet). */
    bool keepSafetyCopy(const QString& name, RaceWriter& writer)
    {
        if (m_safetyCopyKept)
            return true;
        QString error;
        bool ok = writer.commit();
        error = ok ? QString() : writer.error();
        ok = ok && DbCare::keepSafetyCopy(m_db, m_f.programPath(), error);
        const bool reopened = writer.begin() && writer.savepoint();
        if (!reopened && ok) {
            ok = false;
            error = writer.error();
        }
        if (!ok)
            fail(name, error);
        return m_safetyCopyKept = ok;
    }

    /** Whether the first race is stored already, under its number as read or the key it is stored under. */
    std::optional<bool> isStored(double firstNumber, int week)
    {
        auto found = m_db.hasRace(firstNumber);
        if (!found || *found)
            return found;
        const auto key = ResultValues::storedRaceNumber(firstNumber, week);
        if (!key || *key == firstNumber)
            return false;
        return m_db.hasRace(*key);
    }

    MainWindowState& m_f;
    DuplicateWeek m_policy;
    Database m_db;
    RaceClassifier m_classifier;
    ImportResult m_result;
    ImportProgress* m_progress;
    bool m_safetyCopyKept = false;
    bool m_inUse = false;
    int m_fileRaces = 0;
    qint64 m_fileStarts = 0;
};

} // namespace

QString importOutcome(const ImportResult& r)
{
    QStringList weeks;
    for (int w : r.weeks)
        weeks << QString::number(w);
    const QString imported =
        weeks.size() == 1
            ? QStringLiteral("1 week imported: ") + weeks.first()
            : QStringLiteral("%1 weeks imported").arg(weeks.size()) +
                  (weeks.isEmpty() ? QString() : QStringLiteral(": ") + weeks.join(QStringLiteral(", ")));
    switch (r.status) {
    case ImportResult::Status::Done:
        return imported;
    case ImportResult::Status::Cancelled:
    case ImportResult::Status::Refused:
        return QStringLiteral("Stopped at week %1 of %2, which is already stored; ").arg(r.week).arg(r.file) +
               imported;
    case ImportResult::Status::Failed:
        break;
    }
    return QStringLiteral("Import of %1 was NOT completed: %2; ").arg(r.file, r.detail) + imported;
}

ImportResult importFiles(MainWindowState& f, const QStringList& paths, DuplicateWeek policy,
                         ImportProgress* progress)
{
    BusyPointer busy(f.platform());
    ImportRun run(f, policy, progress);
    const ImportResult result = run.run(paths);
    if (progress && !paths.isEmpty())
        progress->end(importOutcome(result));
    return result;
}

ImportResult importRaceData(MainWindowState& f, ImportProgress* progress)
{
    BusyPointer busy(f.platform());
    Platform::FileDialog dialog;
    dialog.title = QStringLiteral("Open");
    dialog.filters = {QStringLiteral("All Files (*.*)|*.*"),
                      QStringLiteral("Raceout.zip Files (*.zip)|*.zip")};
    dialog.selectedFilter = 1;
    dialog.multiple = true;
    // The toolkit's dialog gives full paths already; a Cancel (no path) ends here without a trace.
    const QStringList paths = f.platform().openFiles(dialog);
    if (paths.isEmpty())
        return {};
    return importFiles(f, paths, DuplicateWeek::Ask, progress);
}
