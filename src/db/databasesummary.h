#pragma once

#include <QList>
#include <QString>

#include <optional>

/** What horses.mdb holds, for the About box: its size on disk, its weeks and its starts. */
struct DatabaseSummary {
    qint64 bytes = 0;
    /** The stored weeks, newest first. */
    QList<int> weeks;
    qint64 starts = 0;
};

/** Reads the summary of the database at path; nullopt with error set when it cannot be read. */
std::optional<DatabaseSummary> summariseDatabase(const QString& path, QString& error);
