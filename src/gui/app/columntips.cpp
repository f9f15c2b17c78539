#include "gui/app/columntips.h"

#include "db/database.h"

#include <QHash>

namespace
{

/** The short captions of the normal layout, and of the sire layout where they differ. */
const QHash<QString, QString>& captionTips()
{
    static const QHash<QString, QString> tips = {
        {QStringLiteral("H.ID."), QStringLiteral("Horse ID number")},
        {QStringLiteral("Race #"),
         QStringLiteral("Race number: week, then track and race (the row colour is surface and condition)")},
        {QStringLiteral("Age"), QStringLiteral("Age and sex restriction of the race")},
        {QStringLiteral("Tr"), QStringLiteral("Track code")},
        {QStringLiteral("Typ"), QStringLiteral("Race type")},
        {QStringLiteral("Dis"), QStringLiteral("Distance in furlongs")},
        {QStringLiteral("S"), QStringLiteral("Surface: D dirt, T turf")},
        {QStringLiteral("Sp"), QStringLiteral("Speed figure")},
        {QStringLiteral("PL"), QStringLiteral("Finishing place")},
        {QStringLiteral("FD"), QStringLiteral("Field size: number of starters")},
        {QStringLiteral("PP"), QStringLiteral("Post position")},
        {QStringLiteral("Earn."), QStringLiteral("Earnings from this start")},
        {QStringLiteral("Clm"), QStringLiteral("Claiming price")},
        {QStringLiteral("St"), QStringLiteral("Start figure")},
        {QStringLiteral("Y"), QStringLiteral("Age in years")},
        {QStringLiteral("Sx"), QStringLiteral("Sex")},
        {QStringLiteral("#"), QStringLiteral("Number of starts")},
        {QStringLiteral("M"), QStringLiteral("Y when the horse has won at least once")},
        {QStringLiteral("Al"), QStringLiteral("Allowance or better wins")},
        {QStringLiteral("Sk"), QStringLiteral("Stakes wins, graded stakes included")},
        {QStringLiteral("Gr"), QStringLiteral("Graded stakes wins")},
    };
    return tips;
}

} // namespace

/** True when the track table gives at least one track a code; a table that cannot be read at once (another
    program writing, an import under way) counts as one, so that a tooltip never waits for a lock. */
static bool anyTrackCode(const QString& dbPath)
{
    Database db;
    if (!db.open(dbPath, 0))
        return true;
    Sql::Statement q = db.prepare("SELECT 1 FROM statecodes WHERE trim(stcode) <> '' LIMIT 1");
    return !q || q.next() || q.failed();
}

QString resultsColumnTip(int column, const QString& caption, const QString& dbPath)
{
    // Read when the pointer rests on the heading, so that a code added a moment ago counts.
    if (caption == QLatin1String("Tr") && !anyTrackCode(dbPath))
        return QStringLiteral(
            "Track code: no track has one yet. Utilities > Edit Tracks gives each track number "
            "its code, shown from the next search.");
    // The sire layout's speed columns share their captions: columns 11 to 14 are dirt, 15 to 18 turf.
    static const QHash<QString, QString> bands = {
        {QStringLiteral("<8"), QStringLiteral("under 8 furlongs")},
        {QStringLiteral("<=9"), QStringLiteral("8 to 9 furlongs")},
        {QStringLiteral("<11"), QStringLiteral("9.5 to 10.5 furlongs")},
        {QStringLiteral("11+"), QStringLiteral("11 furlongs and up")}};
    if (bands.contains(caption))
        return QStringLiteral("Best %1 speed figure, %2")
            .arg(column >= 15 ? QStringLiteral("turf") : QStringLiteral("dirt"), bands.value(caption));
    return captionTips().value(caption);
}
