#pragma once

#include "core/gridstate.h"
#include "db/database.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

/** The four lines of one breeding-file horse, each ending in CR LF. */
inline QByteArray breedingHorse(int id, const QByteArray& name, const QByteArray& sire = "Big Red",
                                const QByteArray& damSire = "a", const QByteArray& damDamSire = "b",
                                int age = 4, const QByteArray& sex = "C")
{
    const QByteArray i = QByteArray::number(id);
    return i + ',' + name + ',' + QByteArray::number(age) + ',' + sex + ",x\r\n" + i + ',' + sire + ",0\r\n" +
           i + ',' + damSire + ",0\r\n" + i + ',' + damDamSire + ",0\r\n";
}

/** Horses by Big Red, numbered from 1 in the order given. */
inline QByteArray bigRedKids(const QList<QByteArray>& names)
{
    QByteArray out;
    for (qsizetype i = 0; i < names.size(); ++i)
        out += breedingHorse(int(i + 1), names[i]);
    return out;
}

/** Cells c0 to c1 of one grid row (their texts, or their colour indexes), joined with "|". */
inline QString cells(const GridState& g, int row, int c0, int c1, bool colours = false)
{
    QStringList out;
    for (int c = c0; c <= c1; ++c)
        out << (colours ? QString::number(g.colour(row, c)) : g.text(row, c));
    return out.join(QLatin1Char('|'));
}

/** A program directory with a fresh horses.mdb and a breeding file written by the test. */
class ProgenyFixture
{
public:
    ProgenyFixture()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_db.create(m_dir.filePath(u"horses.mdb"_s)), qPrintable(m_db.error()));
        QSqlQuery(u"PRAGMA synchronous = OFF"_s,
                  m_db.handle()); // a scratch database: no waiting for the disk
    }

    QString dir() const { return m_dir.path(); }
    QString breedingPath() const { return m_dir.filePath(u"breeding.txt"_s); }
    Database& db() { return m_db; }

    void writeBreeding(const QByteArray& text)
    {
        QFile file(breedingPath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    }

    /** One start in a race of its own: the race key goes up by one race with every call, oldest first. */
    void addStart(const QString& hname, int hid, int fin, double sp, const QString& surf = u"D"_s,
                  double dist = 6, const QString& restr = u"Alw"_s, int cprice = 0)
    {
        if (!m_race++) { // prepared once: some tests store tens of thousands of starts
            m_insertRace = std::make_unique<QSqlQuery>(m_db.handle());
            m_insertStart = std::make_unique<QSqlQuery>(m_db.handle());
            m_insertRace->prepare(u"INSERT INTO tblraces VALUES (?, ?, 'F', ?, 8, 10000, ?, ?, 'O-3+')"_s);
            m_insertStart->prepare(
                u"INSERT INTO tblhorsedata VALUES (?, ?, ?, ?, 1, ?, 100, 2.5, 'Some Stable')"_s);
        }
        const double racenum =
            600 + m_race / 9801 + double((m_race % 9801) / 99 + 1) / 100 + double(m_race % 99 + 1) / 10000;
        for (const QVariant& v :
             {QVariant(racenum), QVariant(surf), QVariant(dist), QVariant(cprice), QVariant(restr)})
            m_insertRace->addBindValue(v);
        QVERIFY2(m_insertRace->exec(), qPrintable(m_insertRace->lastError().text()));
        for (const QVariant& v :
             {QVariant(hname), QVariant(hid), QVariant(racenum), QVariant(fin), QVariant(sp)})
            m_insertStart->addBindValue(v);
        QVERIFY2(m_insertStart->exec(), qPrintable(m_insertStart->lastError().text()));
    }

    /** n unplaced starts of no class, to reach a number of starts. */
    void addStarts(const QString& hname, int hid, int n, double sp = 0, const QString& surf = u"D"_s)
    {
        for (int i = 0; i < n; ++i)
            addStart(hname, hid, 5, sp, surf, 6, u"Clm"_s, 5000);
    }

private:
    QTemporaryDir m_dir;
    Database m_db;
    int m_race = 0;
    std::unique_ptr<QSqlQuery> m_insertRace, m_insertStart;
};
