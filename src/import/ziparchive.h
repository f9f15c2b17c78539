#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

struct zip;

/**
 * A zip archive of weekly results files, read through libzip: the files it holds, and the bytes of one of
 * them. The archive is opened once and its directory read once; each file is then found by its place in
 * that directory, so reading every file of an archive costs the same per file however many it holds. Each
 * file is read whole into memory, so a file that would expand beyond MaxEntrySize is refused rather than
 * trusted (a small archive can claim or hold gigabytes).
 */
class ZipArchive
{
public:
    /** One file inside the archive; directories are not listed. */
    struct Entry {
        QString name;    // its path inside the archive
        int index = 0;   // its place in the archive's directory, which tells same-named entries apart
        qint64 size = 0; // its expanded size as the archive states it (a claim only)
    };

    static constexpr qint64 MaxEntrySize = qint64(64) << 20;

    explicit ZipArchive(const QString& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    /** Whether a chosen file is to be read as an archive: its name ends in .zip or it opens like one. */
    static bool isArchive(const QString& path);

    /** The files inside, in name order; nullopt with error() set when the archive cannot be read. */
    std::optional<QList<Entry>> entries();
    /** The bytes of one file; nullopt with error() set when it cannot be read or is too big. */
    std::optional<QByteArray> read(const Entry& entry);

    QString error() const { return m_error; }

private:
    /** The open archive, opened on first use; null with the error set when it cannot be read. */
    zip* archive();

    struct Close {
        void operator()(zip* z) const;
    };
    QString m_path;
    QString m_error;
    std::unique_ptr<zip, Close> m_zip;
};
