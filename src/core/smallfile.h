#pragma once

#include <QByteArray>
#include <QString>

/** What reading one of the program's small text files gave. */
struct SmallFile {
    enum class Status {
        Read,    ///< bytes holds the whole file
        Missing, ///< there is no file of that name
        Unusable ///< not a regular file (a pipe, a device, a folder), larger than allowed, or unreadable
    };
    Status status = Status::Missing;
    QByteArray bytes;
    /** Why an Unusable file was not read, as the end of a sentence ("it is not a regular file."). */
    QString reason;
};

/**
 * Reads a small file beside the program (the grid settings, the saved stable names) whole, but only when it
 * is a regular file of at most maxBytes: a pipe would block the read for good and a huge file has no place
 * in memory, so both come back as Unusable, for the caller to treat like a damaged file.
 */
SmallFile readSmallFile(const QString& path, qint64 maxBytes);
