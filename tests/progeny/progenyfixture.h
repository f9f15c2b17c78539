#pragma once

#include "search/searchfixture.h"
#include "testsupport.h"

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
inline QString rowCells(const GridState& g, int row, int c0, int c1, bool colours = false)
{
    QStringList out;
    for (int c = c0; c <= c1; ++c)
        out << (colours ? QString::number(g.colour(row, c)) : g.text(row, c));
    return out.join(QLatin1Char('|'));
}

/** A program directory with a fresh horses.mdb and a breeding file written by the test. */
class ProgenyFixture : public SearchFixture
{
public:
    QString breedingPath() const { return path() + u"/breeding.txt"_s; }
    void writeBreeding(const QByteArray& text) { QVERIFY(writeFile(breedingPath(), text)); }

    /** One start in a race of its own: the race key goes up by one race with every call, oldest first. */
    void addStart(const QString& hname, int hid, int fin, double sp, const QString& surf = u"D"_s,
                  double dist = 6, const QString& restr = u"Alw"_s, int cprice = 0)
    {
        const int n = m_race++;
        add({.hname = hname,
             .hid = hid,
             .week = 600 + n / 9801,
             .track = n % 9801 / 99 + 1,
             .race = n % 99 + 1,
             .fin = fin,
             .sp = sp,
             .surf = surf,
             .dist = dist,
             .cprice = cprice,
             .restr = restr});
    }

    /** n unplaced starts of no class, to reach a number of starts. */
    void addStarts(const QString& hname, int hid, int n, double sp = 0, const QString& surf = u"D"_s)
    {
        for (int i = 0; i < n; ++i)
            addStart(hname, hid, 5, sp, surf, 6, u"Clm"_s, 5000);
    }

private:
    int m_race = 0;
};
