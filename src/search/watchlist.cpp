#include "search/watchlist.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "core/replacingfile.h"
#include "core/smallfile.h"
#include "db/database.h"
#include "search/gethorse.h"
#include "search/searchquery.h"

#include <QDir>
#include <QSet>

#include <utility>

#include <algorithm>

namespace
{

// A watch list is a few hundred lines; anything far larger is not one and is not read into memory.
constexpr qint64 MaxFileSize = 1024 * 1024;

QString fileError(const QString& what, const QString& path, const QString& reason)
{
    return QStringLiteral("The watch list could not be %1 %2: %3")
        .arg(what, QDir::toNativeSeparators(path), reason);
}

/** One line of the file as an entry; nullopt when it is not one. */
std::optional<WatchEntry> parseLine(const QString& line)
{
    const QStringList parts = line.split(QLatin1Char('|'));
    const QString kind = parts.first();
    if (parts.size() < 2 || parts.at(1).isEmpty())
        return std::nullopt;
    if (kind == QLatin1String("O") && parts.size() == 2)
        return WatchEntry{WatchEntry::Kind::Owner, parts.at(1), QString()};
    // "H|name" without the id field reads as a horse of any id, as a hand-edited file may have it.
    if (kind != QLatin1String("H") || parts.size() > 3)
        return std::nullopt;
    const QString id = parts.value(2);
    if (!id.isEmpty() && !Fmt::isWholeNumber(id))
        return std::nullopt;
    return WatchEntry{WatchEntry::Kind::Horse, parts.at(1), id.trimmed()};
}

/** The list in the file, the entry changed by `change`, and the file written; the message when any step
    fails, the file then being as it was. */
template <typename Change> bool update(MainWindowState& f, QList<WatchEntry>& shown, Change change)
{
    const QString path = Watchlist::path(f);
    Watchlist::ReadResult r = Watchlist::read(path);
    // A file that cannot be read is never overwritten: its entries would be lost.
    QString error = r.error;
    if (error.isEmpty())
        error = change(r.entries);
    if (error.isEmpty())
        error = Watchlist::write(path, r.entries);
    if (!error.isEmpty()) {
        f.platform().message(error);
        return false;
    }
    shown = r.entries;
    return true;
}

bool sameEntry(const WatchEntry& a, const WatchEntry& b)
{
    // The database compares names without regard to case, so the list does too.
    return a.kind == b.kind && a.name.compare(b.name, Qt::CaseInsensitive) == 0 && a.id == b.id;
}

} // namespace

QString WatchEntry::text() const
{
    if (kind == Kind::Owner)
        return QStringLiteral("Owner: ") + name;
    return QStringLiteral("Horse: ") + name + (id.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(id));
}

namespace Watchlist
{

QString path(const MainWindowState& f)
{
    return f.programPath() + QStringLiteral("KZTWatchlist.txt");
}

ReadResult read(const QString& path)
{
    ReadResult r;
    const SmallFile file = readSmallFile(path, MaxFileSize);
    if (file.status == SmallFile::Status::Missing)
        return r;
    if (file.status == SmallFile::Status::Unusable) {
        r.error =
            fileError(QStringLiteral("read from"), path,
                      QStringLiteral("it is not a readable file of at most 1 MB. It was left as it is."));
        return r;
    }
    QByteArray bytes = file.bytes;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const QStringList lines = Fmt::decodeText(bytes).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const auto entry = parseLine(line);
        if (!entry) {
            r.entries.clear();
            r.error =
                fileError(QStringLiteral("read from"), path,
                          QStringLiteral("line %1 (\"%2\") is not \"H|name|id\" or \"O|owner\". The file "
                                         "was left as it is; correct or remove that line.")
                              .arg(i + 1)
                              .arg(line));
            return r;
        }
        r.entries << *entry;
    }
    return r;
}

QString write(const QString& path, const QList<WatchEntry>& entries)
{
    QByteArray bytes;
    for (const WatchEntry& e : entries) {
        const QString line = e.kind == WatchEntry::Kind::Owner ? QStringLiteral("O|") + e.name
                                                               : QStringLiteral("H|%1|%2").arg(e.name, e.id);
        bytes += line.toUtf8() + "\r\n";
    }
    const QString error = writeWholeFile(path, bytes);
    return error.isEmpty() ? QString() : fileError(QStringLiteral("written to"), path, error);
}

Checked check(WatchEntry::Kind kind, const QString& name, const QString& id)
{
    const bool horse = kind == WatchEntry::Kind::Horse;
    // Horse names are stored cut to 25 characters, so a longer one would never be found.
    Checked c{{kind, nameBoxText(horse ? 1 : 4, name.trimmed()), id.trimmed()}, QString()};
    if (c.entry.name.isEmpty())
        c.error = horse ? QStringLiteral("Please enter the name of the horse to watch.")
                        : QStringLiteral("Please enter the name of the owner to watch.");
    else if (c.entry.name.contains(QLatin1Char('|')) || c.entry.name.contains(QLatin1Char('\n')) ||
             c.entry.name.contains(QLatin1Char('\r')))
        c.error = QStringLiteral("A name on the watch list cannot hold a \"|\" or a line break.");
    else if (!horse && !c.entry.id.isEmpty())
        c.error = QStringLiteral("An owner is watched by name alone; please clear the ID box.");
    else if (!c.entry.id.isEmpty()) {
        const auto value =
            Fmt::isWholeNumber(c.entry.id) ? Fmt::toInt32(c.entry.id.toDouble()) : std::nullopt;
        if (!value)
            c.error = QStringLiteral("The ID \"%1\" is not a number.").arg(id);
        else
            c.entry.id = QString::number(*value); // "0123" and "123" are one horse
    }
    return c;
}

bool add(MainWindowState& f, const WatchEntry& entry, QList<WatchEntry>& shown)
{
    return update(f, shown, [&](QList<WatchEntry>& entries) {
        for (const WatchEntry& e : entries) {
            if (sameEntry(e, entry))
                return QStringLiteral("%1 is already on the watch list.").arg(e.name);
        }
        entries << entry;
        return QString();
    });
}

bool remove(MainWindowState& f, const WatchEntry& entry, QList<WatchEntry>& shown)
{
    // By value, not by place: the file may have changed since the list was shown.
    return update(f, shown, [&](QList<WatchEntry>& entries) {
        entries.removeIf([&](const WatchEntry& e) { return sameEntry(e, entry); });
        return QString();
    });
}

} // namespace Watchlist

const std::array<const char*, WatchedStart::Columns> WatchedStart::captions = {
    "Name", "H.ID.", "Race #", "Tr", "Typ", "Dis", "S", "Sp", "Place", "Earn.", "Owner"};

QList<WatchedStart> watchedStarts(MainWindowState& f, const QList<int>& weeks)
{
    if (weeks.isEmpty())
        return {};
    const Watchlist::ReadResult list = Watchlist::read(Watchlist::path(f));
    if (!list.error.isEmpty()) {
        f.platform().message(list.error);
        return {};
    }
    if (list.entries.isEmpty())
        return {};

    // Week W is W < racenum < W + 1, and weeks imported one after another make one band from the first to
    // the last. One statement per entry and band reads only its own rows through the (name, racenum) index,
    // however large the database is.
    QList<int> sorted(weeks);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    QList<std::pair<int, int>> bands; // first and last week
    for (int w : sorted) {
        if (!bands.isEmpty() && bands.last().second + 1 == w)
            bands.last().second = w;
        else
            bands.append({w, w});
    }
    QList<SearchQuery::Statement> statements;
    for (const WatchEntry& e : list.entries) {
        const bool owner = e.kind == WatchEntry::Kind::Owner;
        for (const auto& [first, last] : bands) {
            SearchQuery::Statement st;
            st.sql = SearchQuery::selectColumns() +
                     (owner ? QLatin1String("WHERE oname = ?") : QLatin1String("WHERE hname = ?"));
            st.binds << e.name;
            if (!e.id.isEmpty()) {
                st.sql += QLatin1String(" AND hid = ?");
                st.binds << qlonglong(e.id.toLongLong());
            }
            st.sql += QLatin1String(" AND tblhorsedata.racenum > ? AND tblhorsedata.racenum < ?");
            // In the order of storage within a race, whichever index the engine reads.
            st.sql += QLatin1String(" ORDER BY tblhorsedata.racenum, tblhorsedata.rowid");
            st.binds << double(first) << double(last + 1);
            statements << st;
        }
    }

    std::vector<GridRow> rows;
    QString error;
    {
        Database db;
        if (!db.open(f.databasePath()))
            error = db.error();
        else if (!readGridRows(db, statements, rows, error))
            rows.clear();
        if (db.isOpen() && !db.close() && error.isEmpty())
            error = db.error();
    }
    if (!error.isEmpty()) {
        f.platform().message(error);
        return {};
    }
    // Newest race first, and in a race by place.
    std::stable_sort(rows.begin(), rows.end(), [](const GridRow& a, const GridRow& b) {
        if (a.racenum != b.racenum)
            return a.racenum > b.racenum;
        return a.cells[9].toInt() < b.cells[9].toInt();
    });
    QList<WatchedStart> out;
    QSet<QString> seen; // a horse both watched and in a watched stable is listed once
    for (const GridRow& r : rows) {
        const auto& c = r.cells;
        const QString key = c[2] + QLatin1Char('|') + c[1] + QLatin1Char('|') + c[0];
        if (seen.contains(key))
            continue;
        seen.insert(key);
        const QString place = c[9].isEmpty() ? QString() : c[9] + QStringLiteral(" of ") + c[10];
        out.append({{c[0], c[1], c[2], c[4], c[5], c[6], c[7], c[8], place, c[14], c[15]}, r.colour});
    }
    return out;
}
