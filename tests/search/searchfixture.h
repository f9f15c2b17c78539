#pragma once

#include "db/database.h"
#include "db/racekey.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <set>

/** One start with its race, with the usual values of a sprint on fast dirt. */
struct Run {
    QString hname = QStringLiteral("Blue Streak");
    qint64 hid = 100;
    int week = 400;
    int track = 4;
    int race = 5;
    int fin = 1;
    int ppos = 3;
    double sp = 80;
    int start = 1;
    double odds = 2.5;
    QString oname = QStringLiteral("Red Barn");
    QString surf = QStringLiteral("D");
    QString cond = QStringLiteral("F");
    double dist = 6;
    int size = 8;
    qint64 purse = 10000;
    qint64 cprice = 0;
    QString restr = QStringLiteral("Alw");
    QString age = QStringLiteral("O-3+");
};

/** A program directory with a fresh horses.mdb that the tests fill start by start. */
class SearchFixture
{
public:
    SearchFixture()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_db.create(path() + QStringLiteral("/horses.mdb")), qPrintable(m_db.error()));
        QSqlQuery q(m_db.handle());
        // Test data need not survive a power cut: no waiting for the disk on every insert.
        QVERIFY(q.exec(QStringLiteral("PRAGMA synchronous = OFF")));
        for (const auto& [num, code] :
             std::initializer_list<std::pair<int, const char*>>{{1, "AZ"}, {4, "CA"}, {7, "KY"}})
            QVERIFY(q.exec(QStringLiteral("INSERT INTO statecodes VALUES (%1, '%2')")
                               .arg(num)
                               .arg(QLatin1String(code))));
    }

    QString path() const { return m_dir.path(); }
    Database& db() { return m_db; }

    /** Stores the start, and its race the first time the race is seen. */
    void add(const Run& r)
    {
        const double key = RaceKey::make(r.week, r.track, r.race);
        QSqlQuery q(m_db.handle());
        if (m_races.insert(key).second) {
            q.prepare(QStringLiteral("INSERT INTO tblraces VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
            for (const QVariant& v :
                 {QVariant(key), QVariant(r.surf), QVariant(r.cond), QVariant(r.dist), QVariant(r.size),
                  QVariant(r.purse), QVariant(r.cprice), QVariant(r.restr), QVariant(r.age)})
                q.addBindValue(v);
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        }
        q.prepare(QStringLiteral("INSERT INTO tblhorsedata VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const QVariant& v :
             {QVariant(r.hname), QVariant(r.hid), QVariant(key), QVariant(r.fin), QVariant(r.ppos),
              QVariant(r.sp), QVariant(r.start), QVariant(r.odds), QVariant(r.oname)})
            q.addBindValue(v);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }

    /** Many starts in one transaction. */
    template <typename Make> void addMany(int count, Make make)
    {
        QVERIFY(m_db.begin());
        for (int i = 0; i < count; ++i)
            add(make(i));
        QVERIFY(m_db.commit());
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
