#pragma once

// What the fuzz targets of file readers share: an abort that libFuzzer reports, and the input as a file.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <map>
#include <string>

inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

/**
 * This process's scratch file `fuzz-NAME-PID.SUFFIX`, removed at exit, in memory-backed /dev/shm when there
 * is one: rewriting a file of a disk file system on every run costs more than the read being fuzzed (ext4
 * flushes a file truncated and written again when it is closed).
 */
inline QString scratchPath(const char* name, const char* suffix)
{
    static const QDir dir = [] {
        const QFileInfo shm(QStringLiteral("/dev/shm"));
        return shm.isDir() && shm.isWritable() ? QDir(shm.filePath()) : QDir::temp();
    }();
    struct Removed {
        QString path;
        ~Removed() { QFile::remove(path); }
    };
    static std::map<std::string, Removed> paths;
    Removed& p = paths[std::string(name) + '.' + suffix];
    if (p.path.isEmpty())
        p.path = dir.filePath(QStringLiteral("fuzz-%1-%2.%3")
                                  .arg(QLatin1String(name))
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(QLatin1String(suffix)));
    return p.path;
}

/** Writes the input to the scratch file `fuzz-NAME-PID.SUFFIX`. */
inline QString inputFile(const QByteArray& bytes, const char* name, const char* suffix)
{
    const QString path = scratchPath(name, suffix);
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) &&
          file.write(bytes) == bytes.size());
    return path;
}
