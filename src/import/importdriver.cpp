#include "import/importdriver.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
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

QString failureText(const QString& name)
{
    return Fmt::lines({QStringLiteral("Import of ") + name + QStringLiteral(" was NOT completed."),
                       QStringLiteral("Import terminated.")});
}

/** One file to import: a results file chosen on its own, or one inside a chosen zip archive. */
struct ImportItem {
    QString path; // the chosen file
    std::optional<ZipArchive::Entry> entry;
    QString error; // why the archive could not be opened

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
        ZipArchive zip(path);
        const auto data = zip.read(*entry);
        if (!data) {
            why = zip.error();
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
            items.append({path, std::nullopt, QString()});
            continue;
        }
        ZipArchive zip(path);
        const auto entries = zip.entries();
        if (!entries || entries->isEmpty())
            items.append(
                {path, std::nullopt, entries ? QStringLiteral("the archive holds no files") : zip.error()});
        else
            for (const ZipArchive::Entry& e : *entries)
                items.append({path, e, QString()});
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
            return fail(items.first().name(), m_db.error());
        RaceWriter writer(m_db);
        if (!writer.ok() || !writer.begin())
            return fail(items.first().name(), writer.error());
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
            return fail(completed ? items.last().name() : m_result.file, writer.error());
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
    ImportResult fail(const QString& name, const QString& detail)
    {
        m_result.status = ImportResult::Status::Failed;
        m_result.file = name;
        m_result.detail = detail;
        m_f.setProgress(failureText(name));
        return m_result;
    }

    bool importOne(const ImportItem& item, RaceWriter& writer)
    {
        const QString name = item.name();
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
            fail(name, m_db.error());
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
            if (!m_db.removeWeek(week)) {
                fail(name, m_db.error());
                return false;
            }
        }
        m_f.setProgress(QStringLiteral("Import in Progress..."));
        const bool read =
            reader.readRaces(m_classifier, writer, [this](const QString& t) { m_f.setProgress(t); });
        m_result.races += reader.races();
        m_result.starts += reader.starts();
        if (!read) {
            fail(name, reader.error());
            return false;
        }
        return true;
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
    ImportProgress* m_progress;
    Database m_db;
    RaceClassifier m_classifier;
    ImportResult m_result;
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

void importRaceData(MainWindowState& f, ImportProgress* progress)
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
        return;
    importFiles(f, paths, DuplicateWeek::Ask, progress);
}
