#include "db/databasesummary.h"

#include "core/format.h"
#include "db/database.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

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

QString damage(const QString& path)
{
    Database db;
    if (!db.open(path))
        return db.error();
    Sql::Statement q = db.prepare("PRAGMA quick_check(1)");
    if (!q.next())
        return QStringLiteral("%1 is damaged: %2").arg(path, db.sql().errorMessage());
    // The engine names the database it checked on a line of its own; there is only the one.
    const QString found = q.text(0).remove(QStringLiteral("*** in database main ***")).simplified();
    return found == QLatin1String("ok")
               ? QString()
               : QStringLiteral("%1 is damaged: %2. Restore it from a backup.").arg(path, found);
}
