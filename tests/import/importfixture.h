#pragma once

#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "resultsbuilder.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

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
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return f.fileName();
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
    QStringList rows(const QString& sql) const
    {
        Database db;
        db.open(dir.filePath(u"horses.mdb"_s));
        QSqlQuery q(sql, db.handle());
        QStringList out;
        while (q.next()) {
            QStringList cols;
            for (int i = 0; i < q.record().count(); ++i)
                cols << q.value(i).toString();
            out << cols.join(QLatin1Char('|'));
        }
        return out;
    }

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
