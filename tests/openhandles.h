#pragma once

#include <QDir>
#include <QFileInfo>

/** How many of this process's file descriptors are open on the file: a connection that was not truly closed
    keeps one. */
inline int openHandles(const QString& path)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    int n = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFileInfo(fds.filePath(fd)).symLinkTarget();
        n += target == file || target == file + QStringLiteral(" (deleted)");
    }
    return n;
}
