#include "search/savednames.h"

#include "core/replacingfile.h"
#include "core/smallfile.h"

#include <QDir>
#include <QStringDecoder>

namespace
{

// A list of stable names is a few kilobytes; anything far larger is not one and is not read into memory.
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

QString fileError(const QString& what, const QString& path, const QString& reason)
{
    return QStringLiteral("The saved stable names could not be %1 %2: %3")
        .arg(what, QDir::toNativeSeparators(path), reason);
}

/** The file as text: UTF-8 (a byte-order mark skipped), or Latin-1 when it is not valid UTF-8. */
QString decode(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

} // namespace

namespace SavedNames
{

ReadResult read(const QString& path)
{
    ReadResult r;
    const SmallFile file = readSmallFile(path, MaxFileSize);
    switch (file.status) {
    case SmallFile::Status::Missing:
        return r;
    case SmallFile::Status::Unusable:
        r.error = fileError(QStringLiteral("read from"), path, file.reason);
        return r;
    case SmallFile::Status::Read:
        break;
    }
    // Lines end in CR LF here, in LF alone when the file was written elsewhere.
    const QStringList lines = decode(file.bytes).split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        // Byte-order marks at the start of later lines come from files joined together; kept, one at the
        // start of the first set would be taken for the file's own mark and dropped the next time the list is
        // read.
        while (line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        if (!line.isEmpty())
            r.sets << line;
    }
    return r;
}

QString write(const QString& path, const QStringList& sets)
{
    QByteArray bytes;
    for (const QString& set : sets)
        bytes += set.toUtf8() + "\r\n";
    const QString error = writeWholeFile(path, bytes);
    return error.isEmpty() ? QString() : fileError(QStringLiteral("written to"), path, error);
}

} // namespace SavedNames
