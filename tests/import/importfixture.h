#pragma once

#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "resultsbuilder.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <zip.h>

using namespace Qt::StringLiterals;

/** A program directory with an empty horses.mdb and the main window's state on a scripted platform. */
class ImportFixture
{
public:
    ImportFixture() { Database().create(dir.filePath(u"horses.mdb"_s)); }

    QString path() const { return dir.path(); }

    /** Writes a file into the directory and returns its full path. */
    QString write(const QString& name, const QByteArray& text)
    {
        writeFile(dir.filePath(name), text);
        return dir.filePath(name);
    }

    /** Writes a zip archive holding the files (name and bytes) in the order given; returns its path. */
    QString writeZip(const QString& name, const QList<std::pair<QString, QByteArray>>& files)
    {
        const QString p = dir.filePath(name);
        // An archive without files is its directory's end record alone (libzip writes none).
        if (files.isEmpty() && writeFile(p, QByteArray("PK\x05\x06") + QByteArray(18, '\0')))
            return p;
        zip_t* z = zip_open(QFile::encodeName(p).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
        for (const auto& [entry, data] : files)
            zip_file_add(z, entry.toUtf8().constData(),
                         zip_source_buffer(z, data.constData(), data.size(), 0), ZIP_FL_ENC_UTF_8);
        zip_close(z);
        return p;
    }

    /** A week as writeWeek() makes it, as bytes (for an archive). */
    QByteArray weekBytes(int week, int races, int starts, const QString& tag)
    {
        return readFile(writeWeek(u"week.tmp"_s, week, races, starts, tag));
    }

    QString writeRaces(const QString& name, const QList<TestRace>& races,
                       Layout layout = Layout::RecordPerLine)
    {
        return write(name, resultText(resultFields(races), layout));
    }

    /** A week of `races` races at track 1 with `starts` starts each; `tag` goes into the horse names. */
    QString writeWeek(const QString& name, int week, int races, int starts, const QString& tag)
    {
        QList<TestRace> list(races);
        for (int r = 0; r < races; ++r) {
            list[r].number = u"%1.01%2"_s.arg(week).arg(r + 1, 2, 10, QLatin1Char('0'));
            list[r].starts = QList<TestStart>(starts);
            for (int s = 0; s < starts; ++s)
                list[r].starts[s].name = u"\"%1 %2\""_s.arg(tag).arg(s);
        }
        return writeRaces(name, list);
    }

    /** One line per row of the query: the columns joined with "|". */
    QStringList rows(const QString& sql) const { return queryRows(dir.filePath(u"horses.mdb"_s), sql); }

    /** What each week holds, as "races/starts", the weeks separated by blanks. */
    QString stored(std::initializer_list<int> weeks) const
    {
        QStringList out;
        for (int w : weeks)
            out << rows(
                       u"SELECT (SELECT COUNT(*) FROM tblraces WHERE racenum > %1 AND racenum < %1 + 1) || "
                       u"'/' || "
                       "(SELECT COUNT(*) FROM tblhorsedata WHERE racenum > %1 AND racenum < %1 + 1)"_s.arg(w))
                       .value(0);
        return out.join(u' ');
    }

    QTemporaryDir dir;
    HeadlessPlatform p;
    MainWindowState f{p, dir.path(), QString()};
};
