#pragma once

#include <QList>
#include <QString>
#include <QStringList>

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

/**
 * What Help > About and `turftrawler-cli info` say about the folder in use: the folder, its horses.mdb and,
 * when the database can be read, its size, stored weeks and starts. Sets error when it cannot be read.
 */
QStringList describeFolder(const QString& folder, QString& error);

/** What the engine's quick check of every page finds wrong with the database at path, as one line for the
    player; empty when it finds nothing. */
QString damage(const QString& path);
