#include "db/databasesummary.h"

#include "core/format.h"
#include "db/database.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
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

QStringList describeFolder(const QString& folder, QString& error)
{
    const QString path = QDir(folder).filePath(QStringLiteral("horses.mdb"));
    QStringList lines = {QStringLiteral("Folder in use: ") +
                             QDir::toNativeSeparators(QDir::cleanPath(folder)),
                         QStringLiteral("Database: ") + QDir::toNativeSeparators(path)};
    if (const auto s = summariseDatabase(path, error)) {
        const QString range = s->weeks.isEmpty()
                                  ? QString()
                                  : QStringLiteral(" (%1 to %2)").arg(s->weeks.last()).arg(s->weeks.first());
        lines << QStringLiteral("Size: ") + QLocale::system().formattedDataSize(s->bytes)
              << QStringLiteral("Stored weeks: ") + Fmt::grouped(double(s->weeks.size())) + range
              << QStringLiteral("Starts: ") + Fmt::grouped(double(s->starts));
    }
    return lines;
}
