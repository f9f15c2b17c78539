#include "import/importdriver.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "db/nameindex.h"
#include "import/racewriter.h"
#include "import/resultsfile.h"

#include <QFile>
#include <QFileInfo>

namespace
{

QString failureText(const QString& path)
{
    return Fmt::lines(
        {QStringLiteral("Import of ") + QFileInfo(path).fileName() + QStringLiteral(" was NOT completed."),
         QStringLiteral("Import terminated.")});
}

/** One import run: the database, the classifier that carries its count across files, the tallies. */
class ImportRun
{
public:
    ImportRun(MainWindowState& f, DuplicateWeek policy) : m_f(f), m_policy(policy) {}

    ImportResult run(const QStringList& paths)
    {
        if (paths.isEmpty())
            return m_result;
        if (!m_db.open(m_f.databasePath()))
            return fail(paths.first(), m_db.error());
        // A file from before the name index gets it now; without it the searches stay exact, only slower.
        NameIndex::ensure(m_db, [this](const QString& t) { m_f.setProgress(t); });
        RaceWriter writer(m_db);
        if (!writer.ok() || !writer.begin())
            return fail(paths.first(), writer.error());
        // One transaction for the whole run, committed however it ends: what was stored before a failure
        // or a refused week stays, as if each row had been written on its own, while the indexes are
        // written out once instead of once per file.
        bool completed = true;
        for (const QString& path : paths) {
            if (!importOne(path, writer)) {
                completed = false;
                break;
            }
            ++m_result.files;
        }
        if (!writer.commit()) {
            m_db.rollback();
            return fail(completed ? paths.last() : m_result.file, writer.error());
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
    ImportResult fail(const QString& path, const QString& detail)
    {
        m_result.status = ImportResult::Status::Failed;
        m_result.file = QFileInfo(path).fileName();
        m_result.detail = detail;
        m_f.setProgress(failureText(path));
        return m_result;
    }

    bool importOne(const QString& path, RaceWriter& writer)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            fail(path, file.errorString());
            return false;
        }
        FieldReader fields(file);
        ResultsReader reader(fields);
        if (!reader.readOpening()) {
            fail(path, reader.error());
            return false;
        }
        const int week = reader.week();
        m_result.week = week;

        const auto stored = isStored(reader.firstHeader().number, week);
        if (!stored) {
            fail(path, m_db.error());
            return false;
        }
        if (*stored) {
            const bool replace =
                m_policy == DuplicateWeek::Ask &&
                m_f.platform().askYesNo(QStringLiteral(
                    "This week has already been entered into the database.  "
                    "Do you wish to over-write all old data from this week?")) == Platform::Answer::Yes;
            if (!replace) {
                m_result.file = QFileInfo(path).fileName();
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
                fail(path, m_db.error());
                return false;
            }
        }
        m_f.setProgress(QStringLiteral("Import in Progress..."));
        const bool read =
            reader.readRaces(m_classifier, writer, [this](const QString& t) { m_f.setProgress(t); });
        m_result.races += reader.races();
        m_result.starts += reader.starts();
        if (!read) {
            fail(path, reader.error());
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
    Database m_db;
    RaceClassifier m_classifier;
    ImportResult m_result;
};

} // namespace

ImportResult importFiles(MainWindowState& f, const QStringList& paths, DuplicateWeek policy)
{
    BusyPointer busy(f.platform());
    ImportRun run(f, policy);
    return run.run(paths);
}

void importRaceData(MainWindowState& f)
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
    importFiles(f, paths, DuplicateWeek::Ask);
}
