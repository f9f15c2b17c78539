#include "import/importdriver.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "db/dbcare.h"
#include "import/racewriter.h"
#include "import/resultsfile.h"

#include <QFile>
#include <QFileInfo>

namespace
{

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
            return fail(paths.first(), m_db.error(), m_db.inUse());
        RaceWriter writer(m_db);
        if (!writer.ok() || !writer.begin())
            return fail(paths.first(), writer.error(), writer.inUse());
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
            return fail(completed ? paths.last() : m_result.file, writer.error(), writer.inUse());
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
    ImportResult fail(const QString& path, const QString& detail, bool inUse = false, int keptWeek = -1)
    {
        m_result.status = ImportResult::Status::Failed;
        m_result.file = QFileInfo(path).fileName();
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
    bool importOne(const QString& path, RaceWriter& writer)
    {
        if (!writer.savepoint()) {
            fail(path, writer.error(), writer.inUse());
            return false;
        }
        bool replacing = false;
        const bool done = importFile(path, writer, replacing);
        if (done || !replacing) {
            if (!writer.releaseSavepoint()) {
                fail(path, writer.error(), writer.inUse());
                return false;
            }
            return done;
        }
        if (!writer.rollbackToSavepoint()) {
            fail(path, writer.error(), writer.inUse());
            return false;
        }
        m_result.races -= m_fileRaces;
        m_result.starts -= m_fileStarts;
        fail(path, m_result.detail, m_inUse, m_result.week);
        return false;
    }

    bool importFile(const QString& path, RaceWriter& writer, bool& replacing)
    {
        m_fileRaces = 0;
        m_fileStarts = 0;
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
            fail(path, m_db.error(), m_db.inUse());
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
            if (!keepSafetyCopy(path, writer))
                return false;
            replacing = true;
            if (!m_db.removeWeek(week)) {
                fail(path, m_db.error(), m_db.inUse());
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
            fail(path, reader.error(), writer.inUse());
            return false;
        }
        return true;
    }

    /** Before the run's first replacement, the database as it is then becomes the automatic copy. The copy
        reads through this connection, which must not be writing then: what the run stored so far is
        committed first, as it would be at any later stop, and this file's savepoint is taken again (the file
        has written nothing yet). */
    bool keepSafetyCopy(const QString& path, RaceWriter& writer)
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
            fail(path, error);
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
    bool m_safetyCopyKept = false;
    bool m_inUse = false;
    int m_fileRaces = 0;
    qint64 m_fileStarts = 0;
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
