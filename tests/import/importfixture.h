#pragma once

#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "resultsbuilder.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>

using namespace Qt::StringLiterals;

/** A program directory with an empty horses.mdb, the main window's state on a scripted platform, and helpers
 * to write results files and read rows back. */
class ImportFixture
{
public:
    ImportFixture() { Database().create(dir.filePath(u"horses.mdb"_s)); }

    QString path() const { return dir.path(); }

    /** Writes a results file into the directory and returns its full path. */
    QString write(const QString& name, const QByteArray& text)
    {
        const QString p = dir.filePath(name);
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return p;
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
        QFile f(writeWeek(u"week.tmp"_s, week, races, starts, tag));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

    /** Writes the races as a results file. */
    QString writeRaces(const QString& name, const QList<TestRace>& races,
                       Layout layout = Layout::RecordPerLine)
    {
        return write(name, resultText(resultFields(races), layout));
    }

    /** A week of `races` races at track 1 with `starts` starts each; `tag` goes into the horse names. */
    QString writeWeek(const QString& name, int week, int races, int starts, const QString& tag)
    {
        QList<TestRace> list;
        for (int r = 1; r <= races; ++r) {
            TestRace race;
            race.number = u"%1.01%2"_s.arg(week).arg(r, 2, 10, QLatin1Char('0'));
            race.starts.clear();
            for (int s = 0; s < starts; ++s) {
                TestStart st;
                st.name = u"\"%1 %2\""_s.arg(tag).arg(s);
                race.starts << st;
            }
            list << race;
        }
        return writeRaces(name, list);
    }

    /** One line per row of a table, in key order: the columns joined with "|". */
    QStringList rows(const QString& sql) const
    {
        Database db;
        db.open(dir.filePath(u"horses.mdb"_s));
        QSqlQuery q(db.handle());
        q.exec(sql);
        QStringList out;
        while (q.next()) {
            QStringList cols;
            for (int i = 0; i < q.record().count(); ++i)
                cols << q.value(i).toString();
            out << cols.join(QLatin1Char('|'));
        }
        return out;
    }

    /** The first column of the first row, as a number. */
    int number(const QString& sql) const { return rows(sql).value(0).toInt(); }

    /** The rows of a table in one week. */
    int count(const QString& table, int week) const
    {
        return number(
            u"SELECT COUNT(*) FROM %1 WHERE racenum > %2 AND racenum < %3"_s.arg(table).arg(week).arg(week +
                                                                                                      1));
    }

    /** What each week holds, as "races/starts", the weeks separated by blanks. */
    QString stored(std::initializer_list<int> weeks) const
    {
        QStringList out;
        for (int w : weeks)
            out << u"%1/%2"_s.arg(count(u"tblraces"_s, w)).arg(count(u"tblhorsedata"_s, w));
        return out.join(u' ');
    }

    QTemporaryDir dir;
    HeadlessPlatform p;
    MainWindowState f{p, dir.path(), QString()};
};
