#pragma once

#include "db/database.h"
#include "resultsbuilder.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

/** A program directory with an empty horses.mdb, and helpers to write results files and read rows back. */
class ImportFixture
{
public:
    ImportFixture() { Database().create(dir.filePath(QStringLiteral("horses.mdb"))); }

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

    /** A week of `races` races at track 1 with `starts` starts each; `tag` goes into the horse names. */
    QString writeWeek(const QString& name, int week, int races, int starts, const QString& tag)
    {
        QList<TestRace> list;
        for (int r = 1; r <= races; ++r) {
            TestRace race;
            race.number = QStringLiteral("%1.01%2").arg(week).arg(r, 2, 10, QLatin1Char('0'));
            race.starts.clear();
            for (int s = 0; s < starts; ++s) {
                TestStart st;
                st.name = QStringLiteral("\"%1 %2\"").arg(tag).arg(s);
                race.starts << st;
            }
            list << race;
        }
        return write(name, resultText(resultFields(list), Layout::RecordPerLine));
    }

    /** One line per row of a table, in key order: the columns joined with "|". */
    QStringList rows(const QString& sql) const
    {
        Database db;
        db.open(dir.filePath(QStringLiteral("horses.mdb")));
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

    int count(const QString& table, int week) const
    {
        return rows(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE racenum > %2 AND racenum < %3")
                        .arg(table)
                        .arg(week)
                        .arg(week + 1))
            .value(0)
            .toInt();
    }

    QTemporaryDir dir;
};
