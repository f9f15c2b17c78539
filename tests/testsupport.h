#pragma once

#include "db/database.h"

#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/mount.h>

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

/** KZTSettings.ini as Reset Columns writes it: the standard widths and the standard background. */
inline const QByteArray DefaultSettingsLine = " 1450  500  760  410  350  350  320  200  450  280  280  280  "
                                              "655  500  650  750  500  300 -2147483626 \r\n";

/** Texts given as one string with '|' between them; "" is none. */
inline QStringList L(const char* texts)
{
    return *texts ? QString::fromUtf8(texts).split(QLatin1Char('|')) : QStringList();
}

/** One line per row of the query on the file, the columns joined with "|"; the error text if it fails. */
inline QStringList queryRows(const QString& file, const QString& sql, const QVariantList& binds = {})
{
    Database db;
    db.open(file);
    Sql::Statement q = db.prepare(sql);
    for (int i = 0; i < binds.size(); ++i)
        q.bindValue(i + 1, binds[i]);
    QStringList out;
    for (QStringList cols; q.next(); out << cols.join(u'|'), cols.clear())
        for (int i = 0; i < q.columnCount(); ++i)
            cols << q.value(i).toString();
    if (!q || q.failed())
        out = QStringList{db.sql().errorMessage()};
    return out;
}

/** A file system of the given size ("512k") on a temporary folder while the object lives, for a full disk;
    only a test allowed to mount one gets it (mounted() tells). */
struct SmallDisk : QTemporaryDir {
    explicit SmallDisk(const char* size)
        : mounted(::mount("tmpfs", QFile::encodeName(path()).constData(), "tmpfs", 0,
                          (QByteArray("size=") + size).constData()) == 0)
    {
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(QFile::encodeName(path()).constData(), MNT_DETACH);
    }
    const bool mounted;
};

/** The control that `window` (in one of its panels or menus) names `name`, the name the program's handlers
   know it by. A control that is not there ends the test run. */
template <typename T> T* control(const QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control named %s", name);
    return found;
}
