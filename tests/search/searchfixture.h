#pragma once

#include "core/gridstate.h"
#include "db/database.h"
#include "db/racekey.h"
#include "testsupport.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <set>

using namespace Qt::StringLiterals;

/** One start with its race, with the usual values of a sprint on fast dirt; fields in table order. */
struct Run {
    QString hname = u"Blue Streak"_s;
    qint64 hid = 100;
    int week = 400, track = 4, race = 5, fin = 1, ppos = 3;
    double sp = 80;
    int start = 1;
    double odds = 2.5;
    QString oname = u"Red Barn"_s, surf = u"D"_s, cond = u"F"_s;
    double dist = 6;
    int size = 8;
    qint64 purse = 10000, cprice = 0;
    QString restr = u"Alw"_s, age = u"O-3+"_s;
};

/** A program directory with a fresh horses.mdb that the tests fill start by start. */
class SearchFixture
{
public:
    SearchFixture()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_db.create(path() + u"/horses.mdb"_s), qPrintable(m_db.error()));
        // Test data need not survive a power cut: no waiting for the disk on every insert.
        exec(u"PRAGMA synchronous = OFF"_s);
        exec(u"INSERT INTO statecodes VALUES (1, 'AZ'), (4, 'CA'), (7, 'KY')"_s);
    }

    QString path() const { return m_dir.path(); }
    Database& db() { return m_db; }

    void exec(const QString& sql, const QVariantList& binds = {})
    {
        Sql::Statement q = m_db.prepare(sql);
        for (int i = 0; i < binds.size(); ++i)
            q.bindValue(i + 1, binds[i]);
        QVERIFY2(q.run(), qPrintable(m_db.sql().errorMessage()));
    }

    /** Stores the start, and its race the first time the race is seen. */
    void add(const Run& r)
    {
        const double key = RaceKey::make(r.week, r.track, r.race);
        if (m_races.insert(key).second)
            exec(u"INSERT INTO tblraces VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                 {key, r.surf, r.cond, r.dist, r.size, r.purse, r.cprice, r.restr, r.age});
        exec(u"INSERT INTO tblhorsedata VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
             {r.hname, r.hid, key, r.fin, r.ppos, r.sp, r.start, r.odds, r.oname});
    }

private:
    QTemporaryDir m_dir;
    Database m_db;
    std::set<double> m_races;
};

/** The date whose day number (days since 30 December 1899) is the one the statistics give week w. */
inline QDate dateOfWeek(int week)
{
    return QDate(1899, 12, 30).addDays(35997 + week);
}

/** The texts of a block of a grid, row after row. */
inline QStringList cells(const GridState& g, int top, int bottom, int left, int right)
{
    QStringList out;
    for (int r = top; r <= bottom; ++r)
        for (int c = left; c <= right; ++c)
            out << g.text(r, c);
    return out;
}
