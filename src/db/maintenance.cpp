#include "db/maintenance.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "db/dbcare.h"
#include "db/nameindex.h"
#include "db/undolog.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

/**
 * A file from before the name index, or with the race, horse and owner indexes of older versions, gets the
 * indexes of this version the first time it is written to, their progress in the status label, which is
 * cleared again when they were built. Without them the searches stay exact, only slower: a failure here stops
 * nothing.
 */
static void indexNames(Platform& p, const QString& dbPath)
{
    bool shown = false;
    const QString label = QStringLiteral("lblprogress");
    const auto show = [&](const QString& text) {
        shown = true;
        p.repaintLabel(label, text);
    };
    Database db;
    if (db.open(dbPath)) {
        NameIndex::ensure(db, show);
        db.ensureListingIndexes(show);
    }
    if (shown)
        p.repaintLabel(label, QString());
}

namespace
{

QString noWeekRemoved()
{
    return QStringLiteral("No week was removed.");
}

/** "week 640 (3,572 starts)": a week with its starts, for the texts that name what a change touches. */
QString weekWithStarts(int week, qint64 starts)
{
    return QStringLiteral("week %1 (%2)").arg(week).arg(Fmt::count(starts, QStringLiteral("start")));
}

/** Whether to forget the kept changes before compacting: asked only when there are any, No the default. */
std::optional<bool> askForgetUndo(MainWindowState& f)
{
    Database db;
    if (!db.open(f.databasePath())) {
        f.platform().message(db.error());
        return std::nullopt;
    }
    const auto held = UndoLog::held(db);
    if (!held) {
        f.platform().message(db.error());
        return std::nullopt;
    }
    if (held->changes == 0)
        return false;
    const QString changes = held->changes == 1 ? QStringLiteral("last change")
                                               : QStringLiteral("last %1 changes").arg(held->changes);
    return f.platform().askYesNo(
               Fmt::lines({QStringLiteral("The undo records of the %1 hold %2 starts (%3).")
                               .arg(changes, Fmt::grouped(double(held->starts)), Fmt::megabytes(held->bytes)),
                           QStringLiteral("Forget them once the database is compacted, so that their space "
                                          "is given back too? %1 can then no longer be undone.")
                               .arg(held->changes == 1 ? QStringLiteral("That change")
                                                       : QStringLiteral("Those changes"))}),
               Platform::Answer::No) == Platform::Answer::Yes;
}

} // namespace

bool cmdcompact_Click(MainWindowState& f, std::optional<bool> forgetUndo)
{
    BusyPointer busy(f.platform());
    indexNames(f.platform(), f.databasePath());
    if (!forgetUndo)
        forgetUndo = askForgetUndo(f);
    if (!forgetUndo)
        return false;
    const qint64 before = QFileInfo(f.databasePath()).size();
    f.setProgress(Fmt::lines({QStringLiteral("Compacting Database ..."), QString(),
                              QStringLiteral("This may take several minutes.")}));
    f.setStatusLine(QStringLiteral("Compacting the database (%1); this may take several minutes...")
                        .arg(Fmt::megabytes(before)));
    QString error;
    const DbCare::Compaction outcome = DbCare::compact(f.databasePath(), *forgetUndo, error);
    f.setProgress(QString());
    QString said;
    switch (outcome) {
    case DbCare::Compaction::Failed:
        said = *forgetUndo
                   ? QStringLiteral("The database was not compacted and is as it was before; its undo "
                                    "records were not forgotten.")
                   : QStringLiteral("The database was not compacted and is as it was before.");
        f.setStatusLine(QStringLiteral("The database was not compacted."));
        f.platform().message(said + QLatin1Char('\r') + error);
        return false;
    case DbCare::Compaction::UndoKept:
        said = QStringLiteral("The database was compacted, but its undo records were not forgotten.");
        break;
    case DbCare::Compaction::SpaceKept:
        said = QStringLiteral("The database was compacted and its undo records forgotten, but the space they "
                              "took is not yet given back to the disk; the next compaction gives it back.");
        break;
    case DbCare::Compaction::Done:
        break;
    }
    f.setStatusLine(QStringLiteral("Compacted: %1 -> %2")
                        .arg(Fmt::megabytes(before), Fmt::megabytes(QFileInfo(f.databasePath()).size())));
    if (outcome == DbCare::Compaction::Done)
        return true;
    f.platform().message(said + QLatin1Char('\r') + error);
    return false;
}

std::optional<QStringList> weeklist(MainWindowState& f)
{
    BusyPointer busy(f.platform());
    QString error;
    const auto weeks = DbCare::storedWeeks(f.databasePath(), error);
    if (!weeks) {
        f.platform().message(error);
        return std::nullopt;
    }
    if (weeks->isEmpty()) {
        f.platform().message(QStringLiteral("No races in the database.  Action cancelled."));
        return std::nullopt;
    }
    QStringList entries;
    for (int w : *weeks)
        entries << QStringLiteral("Week %1").arg(w);
    return entries;
}

RemoveOutcome removeweeks(MainWindowState& f, const QStringList& selectedEntries, bool ask)
{
    QList<int> weeks;
    for (const QString& entry : selectedEntries)
        weeks << entry.mid(4).trimmed().toInt();
    QString error;
    const auto starts =
        weeks.isEmpty() ? QList<qint64>() : DbCare::weekStarts(f.databasePath(), weeks, error);
    if (!starts) {
        f.setStatusLine(noWeekRemoved());
        f.platform().message(noWeekRemoved() + QLatin1Char('\r') + error);
        return RemoveOutcome::Failed;
    }
    QStringList named;
    qint64 total = 0;
    for (qsizetype i = 0; i < weeks.size(); ++i) {
        named << weekWithStarts(weeks[i], starts->at(i));
        total += starts->at(i);
    }
    // The weeks are named, so that no other week can be taken for the one selected; No is the default.
    if (!named.isEmpty())
        named.first()[0] = named.first()[0].toUpper();
    QString question = QStringLiteral("Are you sure you wish to remove the selected week(s)?");
    if (!named.isEmpty())
        question += QLatin1Char('\r') + named.join(QStringLiteral(", "));
    if (ask && f.platform().askYesNo(question, Platform::Answer::No) != Platform::Answer::Yes) {
        f.setProgress(QString());
        f.setStatusLine(noWeekRemoved());
        return RemoveOutcome::Declined;
    }
    const QString wait =
        Fmt::lines({QStringLiteral("Please wait."), QString(), QStringLiteral("Removing Data.")});
    f.setProgress(wait);
    if (weeks.isEmpty()) {
        f.setProgress(QString());
        return RemoveOutcome::NothingSelected;
    }
    BusyPointer busy(f.platform());
    indexNames(f.platform(), f.databasePath());
    f.setProgress(wait);
    const bool ok = DbCare::removeWeeks(f.databasePath(), weeks, error);
    f.setProgress(QString());
    if (!ok) {
        f.setStatusLine(noWeekRemoved());
        f.platform().message(noWeekRemoved() + QLatin1Char('\r') + error);
        return RemoveOutcome::Failed;
    }
    f.storedWeeksChanged();
    f.setStatusLine(QStringLiteral("Removed %1 %2 (%3). Edit > Undo puts %4 back.")
                        .arg(weeks.size() == 1 ? QStringLiteral("week") : QStringLiteral("weeks"),
                             UndoLog::spokenWeeks(weeks), Fmt::count(total, QStringLiteral("start")),
                             weeks.size() == 1 ? QStringLiteral("it") : QStringLiteral("them")));
    return RemoveOutcome::Removed;
}

namespace
{
/** The file's change counter (which every commit moves on), size and time; empty when it cannot be read. */
QByteArray fileStamp(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray counter = file.read(28).mid(24);
    const QFileInfo info(path);
    return counter + QByteArray::number(info.size()) + '/' +
           QByteArray::number(info.lastModified().toMSecsSinceEpoch());
}

std::optional<QString> workOutUndoCaption(const QString& path)
{
    Database db;
    if (!db.open(path))
        return std::nullopt;
    // The change undo would take: an older one when the newer cannot be undone; else the newest, which the
    // undo then refuses saying why.
    auto kept = UndoLog::changes(db);
    if (!kept || kept->isEmpty() || !UndoLog::review(db, *kept))
        return std::nullopt;
    return QStringLiteral("Undo ") + UndoLog::title(kept->at(UndoLog::nextToUndo(*kept)));
}
} // namespace

std::optional<QString> undoCaption(MainWindowState& f)
{
    // Reviewing the kept changes reads and checks every row they kept: worked out again only when the file
    // has changed since, not after every search.
    const QByteArray stamp = fileStamp(f.databasePath());
    if (stamp.isEmpty() || stamp != f.undoStamp) {
        f.undoCaption = workOutUndoCaption(f.databasePath());
        f.undoStamp = stamp;
    }
    return f.undoCaption;
}

bool cmdundo_Click(MainWindowState& f)
{
    BusyPointer busy(f.platform());
    Database db;
    if (!db.open(f.databasePath())) {
        f.platform().message(QStringLiteral("Nothing was restored.") + QLatin1Char('\r') + db.error());
        return false;
    }
    const UndoLog::Outcome outcome = UndoLog::undoLast(db);
    if (outcome.status != UndoLog::Outcome::Status::Restored) {
        f.platform().message(outcome.text);
        return false;
    }
    f.storedWeeksChanged();
    f.setStatusLine(outcome.text);
    return true;
}

bool backupdatabase(MainWindowState& f)
{
    Platform::FileDialog dialog;
    dialog.title = QStringLiteral("Back Up Database");
    dialog.filters = {QStringLiteral("Database Files (*.mdb)|*.mdb"), QStringLiteral("All Files (*.*)|*.*")};
    dialog.defaultName = QStringLiteral("horses-backup.mdb");
    const QString target = f.platform().saveFile(dialog);
    if (target.isEmpty()) {
        f.setStatusLine(QStringLiteral("No backup was written."));
        return false;
    }
    return backupdatabaseTo(f, target);
}

bool backupdatabaseTo(MainWindowState& f, const QString& target)
{
    BusyPointer busy(f.platform());
    const auto show = [&f](int percent) {
        f.setProgress(Fmt::lines({QStringLiteral("Backing Up Database ..."), QString(),
                                  QStringLiteral("%1% copied.").arg(percent)}));
    };
    show(0);
    QString error;
    const bool ok = DbCare::backupFile(f.databasePath(), target, show, error);
    if (!ok) {
        f.setProgress(QString());
        f.setStatusLine(QStringLiteral("No backup was written."));
        f.platform().message(QStringLiteral("The database was not backed up.") + QLatin1Char('\r') + error);
        return false;
    }
    f.setProgress(QString());
    f.setStatusLine(QStringLiteral("Database backed up to ") + QFileInfo(target).fileName() +
                    QLatin1Char('.'));
    return true;
}

std::optional<QStringList> loadtracks(Platform& platform, const QString& dbPath)
{
    QString error;
    const auto rows = DbCare::tracks(dbPath, error);
    if (!rows) {
        platform.message(error);
        return std::nullopt;
    }
    QStringList entries;
    for (const DbCare::Track& t : *rows)
        entries << Fmt::fixed(t.num, 0, 2) + QStringLiteral(": ") + t.code;
    return entries;
}

TrackOutcome addtrack(Platform& platform, const QString& dbPath, const QString& numText, const QString& code)
{
    if (!Fmt::isNumeric(numText.trimmed())) {
        platform.message(QStringLiteral("You must enter a valid track number."));
        return TrackOutcome::Refused;
    }
    // A race key carries two track digits: a number outside 0 to 99 could never show on a race.
    const double n = Fmt::roundHalfEven(numText.trimmed().toDouble());
    if (n < 0 || n > 99) {
        platform.message(QStringLiteral("You must enter a track number from 0 to 99."));
        return TrackOutcome::Refused;
    }
    // The code is shown in a grid column and on one line of the list: a line break or a control character
    // would split or garble both. Empty is allowed, as it always was.
    const QList<uint> characters = code.toUcs4();
    if (characters.size() > MaxTrackCode || !std::all_of(characters.begin(), characters.end(), [](uint c) {
            return QChar::isPrint(char32_t(c));
        })) {
        platform.message(
            QStringLiteral("A track code is one line of at most %1 printable characters.").arg(MaxTrackCode));
        return TrackOutcome::Refused;
    }
    indexNames(platform, dbPath);
    QString error;
    switch (DbCare::addTrack(dbPath, int(n), code, error)) {
    case DbCare::TrackChange::Exists:
        platform.message(numText +
                         QStringLiteral(" is already in the database.  If you wish to edit or replace it, ") +
                         QLatin1Char('\r') + QStringLiteral("then please delete the track first."));
        return TrackOutcome::Exists;
    case DbCare::TrackChange::Failed:
        platform.message(error);
        return TrackOutcome::Failed;
    default:
        return TrackOutcome::Stored;
    }
}

TrackOutcome deletetrack(Platform& platform, const QString& dbPath, const QString& entry)
{
    if (entry.isNull()) {
        platform.message(QStringLiteral("Please select a track to delete."));
        return TrackOutcome::Refused;
    }
    bool numeric = false;
    const int n = entry.section(QStringLiteral(": "), 0, 0).trimmed().toInt(&numeric);
    if (!numeric) {
        platform.message(QStringLiteral("Please select a track to delete."));
        return TrackOutcome::Refused;
    }
    indexNames(platform, dbPath);
    QString error;
    switch (DbCare::deleteTrack(dbPath, n, error)) {
    case DbCare::TrackChange::Failed:
        platform.message(error);
        return TrackOutcome::Failed;
    case DbCare::TrackChange::Missing:
        return TrackOutcome::Missing;
    default:
        return TrackOutcome::Stored;
    }
}
