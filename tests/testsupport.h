#pragma once

#include <QFile>
#include <QStringList>

/** The whole file, or `missing` when it cannot be read. */
inline QByteArray readFile(const QString& path, const QByteArray& missing = "missing")
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : missing;
}

/** Writes the file whole; false when it cannot. */
inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

/** Texts given as one string with '|' between them; "" is none. */
inline QStringList L(const char* texts)
{
    return *texts ? QString::fromUtf8(texts).split(QLatin1Char('|')) : QStringList();
}
