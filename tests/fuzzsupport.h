#pragma once

// What the fuzz targets of file readers share: an abort that libFuzzer reports, and the input as a file.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdlib>

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

/** Writes the input to this process's scratch file `fuzz-NAME-PID.SUFFIX` in the temporary folder. */
inline QString inputFile(const QByteArray& bytes, const char* name, const char* suffix)
{
    const QString path = QDir::temp().filePath(QStringLiteral("fuzz-%1-%2.%3")
                                                   .arg(QLatin1String(name))
                                                   .arg(QCoreApplication::applicationPid())
                                                   .arg(QLatin1String(suffix)));
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    return path;
}
