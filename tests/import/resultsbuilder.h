#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

/** One start record of a hand-made results file; texts are written to the file as given. */
struct TestStart {
    QString name = QStringLiteral("\"Blue Moon\"");
    QString id = QStringLiteral("1234");
    QString speed = QStringLiteral("80");
    QString start = QStringLiteral("0.5");
    QString odds = QStringLiteral("0.5");
    QString post = QStringLiteral("-48");
    QString owner = QStringLiteral("\"Acme Stables\"");
};

/** One race of a hand-made results file. */
struct TestRace {
    QString number = QStringLiteral("612.0101");
    QString surface = QStringLiteral("\"Dirt\"");
    QString condition = QStringLiteral("\"Fast\"");
    QString distance = QStringLiteral("6");
    QString type = QStringLiteral("\"Claiming\"");
    QString claiming = QStringLiteral("\"$5,000\"");
    QString purse = QStringLiteral("\"$10,000\"");
    QString conditions = QStringLiteral("\"All 3 year olds and up\"");
    QList<TestStart> starts{TestStart{}};
};

/** How the fields are spread over lines. */
enum class Layout { RecordPerLine, OneLine, FieldPerLine };

/** The fields of a results file in reading order; the marker after the last race is "*99999" unless given. */
inline QStringList resultFields(const QList<TestRace>& races,
                                const QString& lastMarker = QStringLiteral("\"*99999\""))
{
    QStringList f{QStringLiteral("\"Raceout\""), QStringLiteral("\"Week\"")};
    for (qsizetype r = 0; r < races.size(); ++r) {
        const TestRace& race = races[r];
        f << race.number << QStringLiteral("\"R\"") << race.surface << race.condition << race.distance
          << QString::number(race.starts.size()) << QStringLiteral("\"x\"");
        f << race.type << race.claiming << QStringLiteral("\"x\"") << race.purse << race.conditions;
        for (const TestStart& s : race.starts) {
            f << s.name << s.id << s.speed << s.start;
            for (int i = 0; i < 6; ++i)
                f << QString::number(i + 1);
            f << s.odds << s.post << QStringLiteral("\"x\"") << s.owner;
        }
        f << (r + 1 == races.size() ? lastMarker : QStringLiteral("\"next\""));
    }
    return f;
}

/** Lays the fields out as a file: a record per line (as the simulation writes), all on one line, or one per
 * line. */
inline QByteArray resultText(const QStringList& fields, Layout layout)
{
    if (layout == Layout::OneLine)
        return fields.join(QLatin1Char(',')).toUtf8() + "\r\n";
    if (layout == Layout::FieldPerLine)
        return fields.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
    // Break after the leading pair, each header, conditions record, start record and marker.
    QByteArray out;
    qsizetype i = 0;
    auto line = [&](qsizetype n) {
        out += fields.mid(i, n).join(QLatin1Char(',')).toUtf8() + "\r\n";
        i += n;
    };
    line(2);
    while (i < fields.size()) {
        if (i + 7 > fields.size()) {
            line(fields.size() - i);
            break;
        }
        const int size = fields[i + 5].toInt();
        line(7);
        line(5);
        for (int s = 0; s < size; ++s)
            line(14);
        line(1);
    }
    return out;
}
