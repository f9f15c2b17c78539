#include "db/databasesummary.h"

#include "db/database.h"

#include <QFileInfo>

std::optional<DatabaseSummary> summariseDatabase(const QString& path, QString& error)
{
    Database db;
    if (!db.open(path)) {
        error = db.error();
        return std::nullopt;
    }
    DatabaseSummary s;
    s.bytes = QFileInfo(path).size();
    const auto weeks = db.weeks();
    if (!weeks) {
        error = db.error();
        return std::nullopt;
    }
    s.weeks = *weeks;
    const auto starts =
        db.number("SELECT COUNT(*) FROM tblhorsedata", QStringLiteral("The starts cannot be counted"));
    if (!starts) {
        error = db.error();
        return std::nullopt;
    }
    s.starts = *starts;
    return s;
}
