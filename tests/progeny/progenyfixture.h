#pragma once

#include "db/database.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

/** The four lines of one breeding-file horse, each ending in CR LF. */
inline QByteArray breedingHorse(int id, const QByteArray& name, const QByteArray& sire,
                                const QByteArray& damSire, const QByteArray& damDamSire, int age = 4,
                                const QByteArray& sex = "C")
{
    const QByteArray i = QByteArray::number(id);
    return i + ',' + name + ',' + QByteArray::number(age) + ',' + sex + ",x\r\n" + i + ',' + sire + ",0\r\n" +
           i + ',' + damSire + ",0\r\n" + i + ',' + damDamSire + ",0\r\n";
}

/** A program directory with a fresh horses.mdb and a breeding file written by the test. */
class ProgenyFixture
{
public:
    ProgenyFixture()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_db.create(m_dir.filePath(QStringLiteral("horses.mdb"))), qPrintable(m_db.error()));
        // A scratch database: no waiting for the disk after every inserted row.
        QSqlQuery q(m_db.handle());
        q.exec(QStringLiteral("PRAGMA synchronous = OFF"));
        q.exec(QStringLiteral("PRAGMA journal_mode = MEMORY"));
    }

    QString dir() const { return m_dir.path(); }
    QString breedingPath() const { return m_dir.filePath(QStringLiteral("breeding.txt")); }
    Database& db() { return m_db; }

    void writeBreeding(const QByteArray& text)
    {
        QFile file(breedingPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(text), text.size());
    }

    /** One start in a race of its own: the race key goes up by one race with every call, oldest first. */
    void addStart(const QString& hname, int hid, int fin, double sp,
                  const QString& surf = QStringLiteral("D"), double dist = 6,
                  const QString& restr = QStringLiteral("Alw"), int cprice = 0)
    {
        ++m_race;
        const double racenum =
            600 + m_race / 9801 + double((m_race % 9801) / 99 + 1) / 100 + double(m_race % 99 + 1) / 10000;
        QSqlQuery q(m_db.handle());
        q.prepare(QStringLiteral(
            "INSERT INTO tblraces (racenum, surf, cond, dist, size, purse, cprice, restr, age) "
            "VALUES (?, ?, 'F', ?, 8, 10000, ?, ?, 'O-3+')"));
        q.addBindValue(racenum);
        q.addBindValue(surf);
        q.addBindValue(dist);
        q.addBindValue(cprice);
        q.addBindValue(restr);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        q.prepare(QStringLiteral(
            "INSERT INTO tblhorsedata (hname, hid, racenum, fin, ppos, sp, start, odds, oname) "
            "VALUES (?, ?, ?, ?, 1, ?, 100, 2.5, 'Some Stable')"));
        q.addBindValue(hname);
        q.addBindValue(hid);
        q.addBindValue(racenum);
        q.addBindValue(fin);
        q.addBindValue(sp);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }

    /** n unplaced starts of no class, to reach a number of starts. */
    void addStarts(const QString& hname, int hid, int n, double sp = 0,
                   const QString& surf = QStringLiteral("D"))
    {
        for (int i = 0; i < n; ++i)
            addStart(hname, hid, 5, sp, surf, 6, QStringLiteral("Clm"), 5000);
    }

private:
    QTemporaryDir m_dir;
    Database m_db;
    int m_race = 0;
};
