#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class MainWindowState;
class Platform;

/** "&Compact Database": compacts horses.mdb with the progress text and the busy pointer. Whether the kept
    changes are forgotten first is asked when there are any, unless forgetUndo says. False when declined or
    on a failure, which has been shown in a message; horses.mdb is then as it was. */
bool cmdcompact_Click(MainWindowState& f, std::optional<bool> forgetUndo = std::nullopt);

/** The week list of "R&emove Race Data" ("Week 612", newest first); nullopt when there is nothing to show,
    after the message saying why. */
std::optional<QStringList> weeklist(MainWindowState& f);

/** How a removal of selected weeks ended. */
enum class RemoveOutcome { Removed, Declined, NothingSelected, Failed };

/**
 * The removal of the weeks whose list entries ("Week 612") are given: asks first, naming them and their
 * starts, unless ask is false; shows the wait text, removes them all in one go or none (kept for undo),
 * clears the progress label and says in the status line what was removed.
 */
RemoveOutcome removeweeks(MainWindowState& f, const QStringList& selectedEntries, bool ask = true);

/** The caption of the Edit menu's undo ("Undo Remove Week 640"), or nullopt when there is nothing to undo. */
std::optional<QString> undoCaption(MainWindowState& f);
/** Edit > Undo: puts back the last change that deleted weeks and says so in the status line; false after a
    message when there is nothing to undo or it was refused. */
bool cmdundo_Click(MainWindowState& f);

/** "&Back Up Database...": asks for a file and writes a copy of horses.mdb to it. */
bool backupdatabase(MainWindowState& f);
/** Writes a copy of horses.mdb to target with the progress in lblprogress; false after a message. */
bool backupdatabaseTo(MainWindowState& f, const QString& target);

/** The track list entries ("05: ABC") in ascending number; nullopt after a message when unreadable. */
std::optional<QStringList> loadtracks(Platform& platform, const QString& dbPath);

/** How an add or delete of the track editor ended. */
enum class TrackOutcome {
    Stored,  // the table changed: reload the list
    Missing, // a delete found the row gone already (changed since the list was filled): reload the list
    Exists,  // the number was stored already; a message said so and nothing was stored
    Refused, // a message refused the input; nothing stored
    Failed   // the database failed; a message said so
};

/** The longest track code "Add Track" stores. */
constexpr int MaxTrackCode = 10;

/** "Add Track" with the two boxes' texts; on Stored the boxes are to be emptied. A code longer than
    MaxTrackCode or holding anything but printable characters (a line break, a tab) is refused. */
TrackOutcome addtrack(Platform& platform, const QString& dbPath, const QString& numText, const QString& code);
/** "Delete Track" with the selected entry (a null text when none is selected). */
TrackOutcome deletetrack(Platform& platform, const QString& dbPath, const QString& entry);
