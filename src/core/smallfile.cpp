#include "core/smallfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

SmallFile readSmallFile(const QString& path, qint64 maxBytes)
{
    SmallFile result;
    const QFileInfo info(path);
    if (!info.exists()) {
        // A link to nowhere is there but cannot be read; only a name that is absent counts as missing.
        result.status = info.isSymLink() ? SmallFile::Status::Unusable : SmallFile::Status::Missing;
        return result;
    }
    result.status = SmallFile::Status::Unusable;
    // Checked before opening: opening a pipe for reading waits until something writes to it.
    if (!info.isFile() || info.size() > maxBytes)
        return result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    // One byte more than allowed tells a file that grew since it was looked at.
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > maxBytes)
        return result;
    result.status = SmallFile::Status::Read;
    result.bytes = std::move(bytes);
    return result;
}

QString writeSmallFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}
