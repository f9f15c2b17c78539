#pragma once

#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "resultsbuilder.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>

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
        archive* a = archive_write_new();
        archive_write_set_format_zip(a);
        archive_write_open_filename(a, QFile::encodeName(p).constData());
        for (const auto& [entry, data] : files) {
            archive_entry* e = archive_entry_new();
            archive_entry_set_pathname(e, entry.toUtf8().constData());
            archive_entry_set_filetype(e, AE_IFREG);
            archive_entry_set_perm(e, 0644);
            archive_entry_set_size(e, data.size());
            archive_write_header(a, e);
            archive_write_data(a, data.constData(), size_t(data.size()));
            archive_entry_free(e);
        }
        archive_write_free(a);
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
