#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

/**
 * A zip archive of weekly results files, read through libarchive: the files it holds, and the bytes of one
 * of them. Each file is read whole into memory, so a file that would expand beyond MaxEntrySize is refused
 * rather than trusted (a small archive can claim or hold gigabytes).
 */
class ZipArchive
{
public:
    /** One file inside the archive; directories are not listed. */
    struct Entry {
        QString name;  // its path inside the archive
        int index = 0; // its place among the archive's entries, which tells same-named entries apart
    };

    static constexpr qint64 MaxEntrySize = qint64(64) << 20;

    explicit ZipArchive(const QString& path) : m_path(path) {}

    /** Whether a chosen file is to be read as an archive: its name ends in .zip or it opens like one. */
    static bool isArchive(const QString& path);

    /** The files inside, in name order; nullopt with error() set when the archive cannot be read. */
    std::optional<QList<Entry>> entries();
    /** The bytes of one file; nullopt with error() set when it cannot be read or is too big. */
    std::optional<QByteArray> read(const Entry& entry);

    QString error() const { return m_error; }

private:
    QString m_path;
    QString m_error;
};
