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

QString joinSet(const QStringList& names)
{
    QStringList shown;
    for (const QString& name : names)
        shown << (name.contains(QLatin1Char(',')) ? QLatin1Char('"') + name + QLatin1Char('"') : name);
    return shown.join(QStringLiteral(", "));
}

std::array<QString, 4> splitSet(const QString& set)
{
    std::array<QString, 4> boxes;
    qsizetype from = 0;   // where the box's name starts
    qsizetype comma = -1; // the comma before it
    for (std::size_t box = 0; box < boxes.size(); ++box) {
        const bool last = box + 1 == boxes.size();
        // A quoted name ends at its closing quote, which the end of the set follows, or a comma before the
        // last box.
        const qsizetype close = from < set.size() && set.at(from) == QLatin1Char('"')
                                    ? set.indexOf(QLatin1Char('"'), from + 1)
                                    : -1;
        if (close > from && (close + 1 == set.size() || (!last && set.at(close + 1) == QLatin1Char(',')))) {
            boxes[box] = set.mid(from + 1, close - from - 1);
            comma = close + 1;
        } else if (last) {
            boxes[box] = set.mid(from);
            break;
        } else {
            comma = set.indexOf(QLatin1Char(','), comma + 1);
            // A comma before the name's start (A,,B) leaves the box empty.
            boxes[box] = comma < 0 ? set.mid(from) : comma > from ? set.mid(from, comma - from) : QString();
        }
        if (comma < 0 || comma >= set.size())
            break;
        from = comma + 2;
    }
    return boxes;
}

} // namespace SavedNames
