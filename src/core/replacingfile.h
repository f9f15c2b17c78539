#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

/**
 * A file that takes the place of its target whole, or not at all. The bytes go to a new file beside the
 * target, under a name nobody can know in advance; every write and the final flush to the disk are checked;
 * only then does the new file replace the target in one step. A full disk, a failed write or a crash leaves
 * the target byte for byte as it was.
 *
 * A target that is a link is followed, so that the link keeps naming the same file, and the new file takes
 * the old one's permissions and owner. A target that is there but is not a regular file (a pipe, a device, a
 * folder) is refused before anything is opened: it is never written into, waited on or replaced.
 */
class ReplacingFile : public QIODevice
{
public:
    explicit ReplacingFile(const QString& target);
    /** Drops the new file unless it was committed. */
    ~ReplacingFile() override;

    /** Creates the new file; false with errorString() set (the target is refused, the folder is not
        writable). Only WriteOnly is offered. */
    bool open(OpenMode mode) override;
    /** Drops the new file; the target stays as it was. */
    void close() override;
    bool isSequential() const override { return true; }

    /** The name of the new file while it is written, for a writer that can only take a name. */
    QString temporaryPath() const;
    /**
     * Writes the new file through to the disk and puts it in the target's place. False, with errorString()
     * naming the cause ("No space left on device") and the target unchanged, when any step failed, a write
     * before it included.
     */
    bool commit();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    void fail(const QString& reason);
    void discard();

    QString m_target;
    QByteArray m_final; // the file the target names, links followed
    QByteArray m_temporary;
    int m_fd = -1;
    bool m_failed = false;
    bool m_keepOwner = false;
    unsigned m_mode = 0;
    unsigned m_uid = 0;
    unsigned m_gid = 0;
};

/** Writes bytes as the whole of path through a ReplacingFile: empty when it worked, else why not. */
QString writeWholeFile(const QString& path, const QByteArray& bytes);
