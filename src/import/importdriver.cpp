#include "import/importdriver.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "db/nameindex.h"
#include "db/racekey.h"
#include "db/undolog.h"
#include "import/importprogress.h"
#include "import/racewriter.h"
#include "import/resultsfile.h"
#include "import/ziparchive.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <set>

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

/** The progress of a run that nobody follows: it shows nothing and is never stopped. */
class NoProgress : public ImportProgress
{
public:
    void start(int) override {}
    void file(int, const QString&, qint64) override {}
    void end(const QString&) override {}
};

/** Passes a file's races on, noting their keys and the first key that comes a second time. */
class RaceKeys : public RaceSink
{
public:
    explicit RaceKeys(RaceSink& rows) : m_rows(rows) {}
    bool addRace(const RaceRow& race) override
    {
        if (!keys.insert(race.racenum).second && !repeated)
            repeated = race.racenum;
        return m_rows.addRace(race);
    }
    bool addStart(const StartRow& start) override { return m_rows.addStart(start); }
    QString error() const override { return m_rows.error(); }

    std::set<double> keys;
    std::optional<double> repeated;

private:
    RaceSink& m_rows;
};

/** One import run: the database, the classifier that carries its count across files, the tallies. */
class ImportRun
{
public:
    ImportRun(const ImportJob& job, Platform& platform, ImportProgress* progress)
        : m_path(job.databasePath), m_policy(job.policy), m_platform(platform),
          m_progress(progress ? *progress : m_unfollowed)
    {
    }

    ImportResult run(const QStringList& paths)
    {
        if (paths.isEmpty())
            return m_result;
        const QList<ImportItem> items = expandArchives(paths);
        m_progress.start(int(items.size()));
        const QString first = items.first().name();
        if (!openDatabase())
            return fail(first, m_db.error(), m_db.inUse());
        NameIndex::BulkCount names(m_db);
        m_names = &names;
        RaceWriter writer(m_db, &names);
        if (!writer.ok())
            return fail(first, writer.error(), writer.inUse());
        // IMMEDIATE: another program's short write is waited for here, before anything is read.
        Sql::Transaction transaction(m_db.sql());
        if (!transaction.ok()) {
            m_db.fail(QStringLiteral("The database cannot be written"));
            return fail(first, m_db.error(), m_db.inUse());
        }
        // The names of a whole file are counted at once rather than start by start.
        if (!names.begin())
            return fail(first, m_db.error(), m_db.inUse());
        // One transaction for the whole run, committed however it ends but for a failure of the database
        // itself: the weeks stored before a broken file or a refused week stay, while the indexes are written
        // out once instead of once per file.
        const bool completed = importAll(items, writer);
        if (m_writeFailed) {
            transaction.rollback();
            return nothingStored();
        }
        return store(transaction, completed ? items.last().name() : m_result.file);
    }

private:
    /** Opens the database and gives it this version's indexes; false when it cannot be opened. */
    bool openDatabase()
    {
        if (!m_db.open(m_path))
            return false;
        // A file from before the name index, or with older race, horse and owner indexes, gets this version's
        // indexes now; without them the searches stay exact, only slower.
        const auto show = [this](const QString& t) { m_progress.note(t); };
        NameIndex::ensure(m_db, show);
        m_db.ensureListingIndexes(show);
        return true;
    }

    /** Imports the files in order; false when one of them stopped the run. */
    bool importAll(const QList<ImportItem>& items, RaceWriter& writer)
    {
        m_items = &items;
        for (m_index = 0; m_index < items.size(); ++m_index) {
            const ImportItem& item = items[m_index];
            m_progress.file(int(m_index) + 1, item.name(), m_result.starts);
            m_skipping = false;
            if (stopped(item.name()) || !importOne(item, writer))
                return false;
            if (m_skipping) {
                m_result.skipped << m_result.week;
                continue;
            }
            ++m_result.files;
            m_result.weeks << m_result.week;
        }
        return true;
    }

    /** The database failed in the middle of a file's rows, and the run was rolled back: nothing of it can be
        trusted. */
    ImportResult nothingStored()
    {
        const ImportResult failed = m_result;
        m_result = ImportResult();
        m_result.status = ImportResult::Status::Failed;
        m_result.file = failed.file;
        m_result.detail = failed.detail;
        m_result.label = Fmt::lines(
            {QStringLiteral("Import of ") + m_result.file + QStringLiteral(" was NOT completed."),
             QStringLiteral("Nothing of this import was stored."), QStringLiteral("Import terminated.")});
        return m_result;
    }

    /** Commits the run and closes the database; `last` names the file a failure is reported against. */
    ImportResult store(Sql::Transaction& transaction, const QString& last)
    {
        if (!m_names->flush() || !m_names->end() || !transaction.commit()) {
            m_db.fail(QStringLiteral("The import could not be stored"));
            transaction.rollback();
            m_result.weeks.clear();
            m_result.replaced.clear();
            return fail(last, m_db.error(), m_db.inUse());
        }
        if (!m_db.close()) {
            // What was read is stored; the failure is that the file stays open until the program ends.
            m_platform.message(m_db.error());
            m_result.status = ImportResult::Status::Failed;
            m_result.detail = m_db.error();
        }
        return m_result;
    }

    /**
     * Reports a failure in lblprogress. inUse says it was another program's lock, which is no fault of the
     * file; undoneWeek names the week whose rows the failure rolled back: a stored week that a replacement
     * left as it was, or a new week of which nothing was stored.
     */
    ImportResult fail(const QString& name, const QString& detail, bool inUse = false, int undoneWeek = -1,
                      bool replacing = false)
    {
        m_result.status = ImportResult::Status::Failed;
        m_result.file = name;
        m_inUse = inUse;
        m_result.detail = inUse ? Database::inUseMessage(m_path) : detail;
        QStringList label{inUse ? m_result.detail
                                : QStringLiteral("Import of ") + m_result.file +
                                      QStringLiteral(" was NOT completed.")};
        if (undoneWeek >= 0) {
            label << (replacing ? QStringLiteral("Week %1 was left as it was before the import.")
                                : QStringLiteral("Nothing of week %1 was stored."))
                         .arg(undoneWeek);
            m_result.detail +=
                (m_result.detail.endsWith(QLatin1Char('.')) ? QStringLiteral(" ") : QStringLiteral(". ")) +
                label.last();
        }
        label << QStringLiteral("Import terminated.");
        m_result.label = label.join(QLatin1Char('\r'));
        return m_result;
    }

    /**
     * One file: read whole before anything of it is written, so that a file that fails stores nothing of its
     * week and a week it was to replace stays as it was.
     */
    bool importOne(const ImportItem& item, RaceWriter& writer)
    {
        const QString name = item.name();
        m_weekRead = false;
        m_replacing = false;
        if (importFile(item, name, writer))
            return true;
        if (m_weekRead && !m_writeFailed && m_result.status != ImportResult::Status::Stopped)
            fail(name, m_result.detail, m_inUse, m_result.week, m_replacing);
        return false;
    }

    /** A failure of the database while a file's rows were written: the run's transaction is rolled back. */
    bool writeFailed(const QString& name)
    {
        m_writeFailed = true;
        fail(name, m_db.error(), m_db.inUse());
        return false;
    }

    bool importFile(const ImportItem& item, const QString& name, RaceWriter& writer)
    {
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
        if (!stored)
            return writeFailed(name);
        if (*stored) {
            const Platform::Answer answer = storedWeekAnswer(week, name);
            if (answer == Platform::Answer::Skip) {
                m_skipping = true;
                return true;
            }
            if (answer != Platform::Answer::Yes) {
                m_result.file = name;
                // The status line says where it stopped: no second message.
                m_result.status = m_policy == DuplicateWeek::Ask ? ImportResult::Status::Cancelled
                                                                 : ImportResult::Status::Refused;
                return false;
            }
            m_replacing = true;
        }
        m_weekRead = true;
        // The progress is the file's, in the status bar: a label repainted for each race would cost more
        // than reading the race.
        RaceBuffer rows;
        RaceKeys keys(rows);
        if (!reader.readRaces(m_classifier, keys, {})) {
            fail(name, reader.error());
            return false;
        }
        const auto fault = keyFault(keys, name, week);
        if (!fault)
            return writeFailed(name);
        if (!fault->isEmpty()) {
            fail(name, *fault);
            return false;
        }
        if (stopped(name))
            return false;
        std::optional<qint64> change;
        if (m_replacing) {
            // The names counted so far go to the index first: the deletion counts its own starts off.
            change = m_names->flush() ? UndoLog::keep(m_db, UndoLog::Kind::Replace, {week}) : std::nullopt;
            if (!change || !m_db.removeWeek(week))
                return writeFailed(name);
        }
        if (!rows.writeTo(writer)) {
            m_db.fail(QStringLiteral("The races cannot be stored"));
            return writeFailed(name);
        }
        if (change && !UndoLog::seal(m_db, *change))
            return writeFailed(name);
        if (m_replacing)
            m_result.replaced << week;
        m_result.races += rows.races();
        m_result.starts += rows.starts();
        return true;
    }

    /** Whether the player asked the run to stop, before anything of the file `name` is stored. */
    bool stopped(const QString& name)
    {
        if (!m_progress.stopRequested())
            return false;
        m_result.status = ImportResult::Status::Stopped;
        m_result.file = name;
        return true;
    }

    /**
     * What to do with a week that is stored already: Yes replaces it, Skip keeps it and goes on, No stops.
     * "Replace All" and "Skip All" are offered when a later file's week is stored too, and answer for them.
     */
    Platform::Answer storedWeekAnswer(int week, const QString& name)
    {
        if (m_policy == DuplicateWeek::Skip)
            return Platform::Answer::Skip;
        if (m_policy == DuplicateWeek::Refuse)
            return Platform::Answer::No;
        if (m_forAll)
            return *m_forAll;
        using enum Platform::Answer;
        // Each button says what it does; "All" answers for the stored weeks of the later files too.
        const Platform::Choice replace{Yes, QStringLiteral("&Replace")}, skip{Skip, QStringLiteral("&Skip")},
            stop{No, QStringLiteral("S&top Import")};
        QList<Platform::Choice> buttons{replace, skip, stop};
        if (laterWeekStored())
            buttons = {replace,
                       {YesToAll, QStringLiteral("Replace &All")},
                       skip,
                       {SkipAll, QStringLiteral("S&kip All")},
                       stop};
        // Replacing is the answer that destroys data, so it is never the one Enter gives.
        const Platform::Answer answer = m_platform.askChoice(
            Fmt::lines({QStringLiteral("This week has already been entered into the database.  "
                                       "Do you wish to over-write all old data from this week?"),
                        QString(), QStringLiteral("Week %1, from %2.").arg(week).arg(name)}),
            buttons, No);
        if (answer == YesToAll || answer == SkipAll)
            m_forAll = answer == YesToAll ? Yes : Skip;
        const bool offered = std::any_of(buttons.begin(), buttons.end(),
                                         [answer](const Platform::Choice& c) { return c.answer == answer; });
        return m_forAll.value_or(offered ? answer : No);
    }

    /** Whether a file after the one being read starts with a race that is stored already. */
    bool laterWeekStored()
    {
        for (qsizetype i = m_index + 1; i < m_items->size(); ++i) {
            QString why;
            const std::unique_ptr<QIODevice> file = m_items->at(i).open(why);
            if (!file)
                continue;
            FieldReader fields(*file);
            ResultsReader reader(fields);
            if (reader.readOpening() && isStored(reader.firstHeader().number, reader.week()).value_or(false))
                return true;
        }
        return false;
    }

    /**
     * Why the races of a file cannot be stored as read: a key it repeats, or, unless its week is replaced, a
     * key stored already (only its first race decided that the week is new). Empty when there is none;
     * nullopt, with the database's error, when the stored races cannot be read.
     */
    std::optional<QString> keyFault(const RaceKeys& keys, const QString& name, int week)
    {
        if (keys.repeated)
            return QStringLiteral("Race %1 appears twice in %2").arg(RaceKey::text(*keys.repeated), name);
        if (m_replacing)
            return QString();
        Sql::Statement q = m_db.prepare("SELECT racenum FROM tblraces WHERE racenum > ? AND racenum < ?");
        q.bind(1, week).bind(2, week + 1);
        while (q.next()) {
            if (keys.keys.contains(q.real(0)))
                return QStringLiteral("Race %1 of %2 is stored already").arg(RaceKey::text(q.real(0)), name);
        }
        if (!q || q.failed()) {
            m_db.fail(QStringLiteral("The race table cannot be read"));
            return std::nullopt;
        }
        return QString();
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

    QString m_path;
    DuplicateWeek m_policy;
    Platform& m_platform;
    Database m_db;
    RaceClassifier m_classifier;
    ImportResult m_result;
    NoProgress m_unfollowed;
    ImportProgress& m_progress;
    NameIndex::BulkCount* m_names = nullptr;
    bool m_inUse = false;
    bool m_weekRead = false;    // the file's week is known and to be stored, so a failure is told per week
    bool m_replacing = false;   // the file replaces a stored week
    bool m_writeFailed = false; // the database failed while rows were written
    const QList<ImportItem>* m_items = nullptr;
    qsizetype m_index = 0;
    /** The file being read keeps its stored week. */
    bool m_skipping = false;
    /** The answer that "Replace All" or "Skip All" gave for every stored week after it. */
    std::optional<Platform::Answer> m_forAll;
};

} // namespace

QString importProgressText(const QString& name, qint64 starts)
{
    return name + QStringLiteral(", ") + Fmt::count(starts, QStringLiteral("start")) +
           QStringLiteral(" stored");
}

QString importProgressLine(int index, int count, const QString& name, qint64 starts)
{
    return QStringLiteral("file %1 of %2: ").arg(index).arg(count) + importProgressText(name, starts);
}

/** "3 weeks imported: 611, 612, 613", with the replaced and the skipped weeks named after them. */
static QString storedWeeks(const ImportResult& r)
{
    const auto listed = [](const QList<int>& weeks) {
        QStringList texts;
        for (int w : weeks)
            texts << QString::number(w);
        return texts.join(QStringLiteral(", "));
    };
    QList<int> added;
    for (int w : r.weeks)
        if (!r.replaced.contains(w))
            added << w;
    QString text = added.isEmpty() && !r.replaced.isEmpty()
                       ? QString()
                       : Fmt::count(added.size(), QStringLiteral("week")) + QStringLiteral(" imported") +
                             (added.isEmpty() ? QString() : QStringLiteral(": ") + listed(added));
    if (!r.replaced.isEmpty())
        text += text.isEmpty() ? Fmt::count(r.replaced.size(), QStringLiteral("week")) +
                                     QStringLiteral(" replaced: ") + listed(r.replaced)
                               : QStringLiteral("; replaced: ") + listed(r.replaced);
    if (!r.skipped.isEmpty())
        text += QStringLiteral("; kept as stored: ") + listed(r.skipped);
    return text;
}

QString importOutcome(const ImportResult& r)
{
    switch (r.status) {
    case ImportResult::Status::Done:
        return storedWeeks(r);
    case ImportResult::Status::Cancelled:
    case ImportResult::Status::Refused:
        return QStringLiteral("Stopped at week %1 of %2, which is already stored; ").arg(r.week).arg(r.file) +
               storedWeeks(r);
    case ImportResult::Status::Stopped:
        return QStringLiteral("Import cancelled at %1, of which nothing was stored; ").arg(r.file) +
               storedWeeks(r);
    case ImportResult::Status::Failed:
        break;
    }
    return QStringLiteral("Import of %1 was NOT completed: %2; ").arg(r.file, r.detail) + storedWeeks(r);
}

ImportResult runImport(const ImportJob& job, Platform& platform, ImportProgress* progress)
{
    ImportRun run(job, platform, progress);
    return run.run(job.paths);
}

void showImportResult(MainWindowState& f, const ImportResult& result)
{
    f.setProgress(result.label);
    f.setStatusLine(importOutcome(result));
}

namespace
{
/** The progress of an import on the calling thread: its own steps in lblprogress, the files to `files`. */
class LabelProgress : public ImportProgress
{
public:
    LabelProgress(MainWindowState& f, ImportProgress* files) : m_f(f), m_files(files) {}
    void start(int count) override
    {
        if (m_files)
            m_files->start(count);
    }
    void file(int index, const QString& name, qint64 starts) override
    {
        if (m_files)
            m_files->file(index, name, starts);
    }
    void note(const QString& text) override { m_f.setProgress(text); }
    void end(const QString& outcome) override
    {
        if (m_files)
            m_files->end(outcome);
    }
    bool stopRequested() const override { return m_files && m_files->stopRequested(); }

private:
    MainWindowState& m_f;
    ImportProgress* m_files;
};
} // namespace

ImportResult importFiles(MainWindowState& f, const QStringList& paths, DuplicateWeek policy,
                         ImportProgress* progress)
{
    if (paths.isEmpty())
        return {};
    BusyPointer busy(f.platform());
    LabelProgress shown(f, progress);
    const ImportResult result = runImport({f.databasePath(), paths, policy}, f.platform(), &shown);
    showImportResult(f, result);
    shown.end(importOutcome(result));
    return result;
}

QStringList chooseImportFiles(MainWindowState& f)
{
    Platform::FileDialog dialog;
    dialog.title = QStringLiteral("Open");
    // The files a player imports come first and are shown at once, wherever the dialog opens.
    dialog.filters = {QStringLiteral("Results files (raceout*.txt *.zip)|raceout*.txt;*.zip"),
                      QStringLiteral("Raceout.zip Files (*.zip)|*.zip"),
                      QStringLiteral("All Files (*.*)|*.*")};
    dialog.selectedFilter = 0;
    dialog.multiple = true;
    dialog.folder = f.importFolder;
    // The toolkit's dialog gives full paths already; a Cancel (no path) ends here without a trace. No busy
    // pointer: the program waits for the player.
    const QStringList paths = f.platform().openFiles(dialog);
    if (!paths.isEmpty())
        f.importFolder = QFileInfo(paths.first()).absolutePath();
    return paths;
}
