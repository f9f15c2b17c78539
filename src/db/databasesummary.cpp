#include "db/databasesummary.h"

#include "db/database.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

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
    QSqlQuery q(db.handle());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM tblhorsedata")) || !q.next()) {
        error = q.lastError().text();
        return std::nullopt;
    }
    s.starts = q.value(0).toLongLong();
    return s;
}
