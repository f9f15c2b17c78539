#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

class MainWindowState;

/** One entry of the watch list: a horse by name (and id, when one is given) or a stable by owner name. */
struct WatchEntry {
    enum class Kind { Horse, Owner };
    Kind kind = Kind::Horse;
    QString name;
    /** Horses only: empty when the name alone picks the horse. */
    QString id;

    bool operator==(const WatchEntry&) const = default;
    /** How the window and the command-line tool list it: "Horse: Blue Moon (1234)", "Owner: Acme Stables". */
    QString text() const;
};

/** The watch list file KZTWatchlist.txt beside the database: one entry a line, "H|name|id" or "O|owner". */
namespace Watchlist
{

QString path(const MainWindowState& f);

/** The entries of the file, or the message that explains why it cannot be read. A missing file is an empty
    list. */
struct ReadResult {
    QList<WatchEntry> entries;
    QString error;
};
ReadResult read(const QString& path);
/** Replaces the file with the entries, whole or not at all; an empty text on success, else the message. */
QString write(const QString& path, const QList<WatchEntry>& entries);

/** The entry the boxes of the window describe, or the message that refuses them. */
struct Checked {
    WatchEntry entry;
    QString error;
};
Checked check(WatchEntry::Kind kind, const QString& name, const QString& id);

/** Adds an entry to the list in the file; false after a message when it is refused, already there, or the
    file cannot be read or written (the file is then as it was). `shown` gets the list as it now stands. */
bool add(MainWindowState& f, const WatchEntry& entry, QList<WatchEntry>& shown);
/** Takes an entry out of the list in the file; false after a message when the file cannot be changed. */
bool remove(MainWindowState& f, const WatchEntry& entry, QList<WatchEntry>& shown);

} // namespace Watchlist

/** One watched start as the "Watched Starts" window lists it: the texts of the results grid, and its colour.
 */
struct WatchedStart {
    static constexpr int Columns = 11;
    static const std::array<const char*, Columns> captions;
    std::array<QString, Columns> cells;
    std::uint8_t colour = 0;

    QStringList texts() const { return {cells.begin(), cells.end()}; }
};

/**
 * The starts of the watched horses and owners in the weeks just imported, newest first. Nothing when
 * nothing is watched or none of theirs ran; a message (and nothing) when the list or the database cannot be
 * read.
 */
QList<WatchedStart> watchedStarts(MainWindowState& f, const QList<int>& weeks);
