#include "core/smallfile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

SmallFile readSmallFile(const QString& path, qint64 maxBytes)
{
    SmallFile result;
    const QFileInfo info(path);
    if (!info.exists()) {
        // A link to nowhere is there but cannot be read; only a name that is absent counts as missing.
        if (info.isSymLink()) {
            result.status = SmallFile::Status::Unusable;
            result.reason = QStringLiteral("it is a link to a file that does not exist.");
        }
        return result;
    }
    result.status = SmallFile::Status::Unusable;
    // Checked before opening: opening a pipe for reading waits until something writes to it.
    if (!info.isFile()) {
        result.reason = QStringLiteral("it is not a regular file.");
        return result;
    }
    if (info.size() > maxBytes) {
        result.reason = QStringLiteral("at %1 bytes it is too large.").arg(info.size());
        return result;
    }
    QFile file(path);
    // Unbuffered: the file is read in one piece straight into its own array, so a buffer would only copy it.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        result.reason = file.errorString();
        return result;
    }
    // Room for what the file holds and one byte more, which tells a file that grew since it was looked at;
    // asking for the whole allowance at once would set aside maxBytes of memory for a file of a few bytes.
    QByteArray bytes(info.size() + 1, Qt::Uninitialized);
    qint64 got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > maxBytes)
                break;
            bytes.resize(std::min(got * 2, maxBytes + 1));
        }
        const qint64 n = file.read(bytes.data() + got, bytes.size() - got);
        if (n <= 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    if (file.error() != QFileDevice::NoError) {
        result.reason = file.errorString();
        return result;
    }
    if (bytes.size() > maxBytes) {
        result.reason = QStringLiteral("it grew beyond %1 bytes while it was read.").arg(maxBytes);
        return result;
    }
    result.status = SmallFile::Status::Read;
    result.bytes = std::move(bytes);
    return result;
}
