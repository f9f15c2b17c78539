#include "progenyfixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

class TestSiresCli : public QObject
{
    Q_OBJECT

    struct Output {
        int status = -1;
        QByteArray out;
        QByteArray err;
    };

    Output run(const QString& dir, const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(TURF_CLI), QStringList{QStringLiteral("--dir"), dir} + args);
        if (!p.waitForFinished(30000))
            return {};
        return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
    }

private slots:
    void jsonLikeTheWindow()
    {
        ProgenyFixture fx;
        fx.writeBreeding(breedingHorse(3, "QUICK KID", "Big Red", "Dan", "Tom", 2, "F"));
        fx.addStart(QStringLiteral("Quick Kid"), 3, 1, 81.5, QStringLiteral("T"), 9, QStringLiteral("MS"));
        const Output o =
            run(fx.dir(), {QStringLiteral("sires"), QStringLiteral("Tom"), QStringLiteral("--as"),
                           QStringLiteral("damdamsire"), QStringLiteral("--min"), QStringLiteral("1"),
                           QStringLiteral("--2yo"), QStringLiteral("--breeding"), fx.breedingPath(),
                           QStringLiteral("--json")});
        QCOMPARE(o.status, 0);
        const QJsonObject j = QJsonDocument::fromJson(o.out).object();
        const QJsonArray rows = j[QStringLiteral("MSFlexGrid1")][QStringLiteral("cells")].toArray();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].toArray().size(), 19);
        QCOMPARE(rows[0][3].toString(), QStringLiteral("Dam-Sire"));
        QCOMPARE(rows[1][0].toString(), QStringLiteral("Quick Kid"));
        QCOMPARE(rows[1][16].toString(), QStringLiteral("82"));
        QCOMPARE(j[QStringLiteral("MSFlexGrid1")][QStringLiteral("colours")][1][16].toInt(), 2);
        QCOMPARE(j[QStringLiteral("MSFSRGrid")][QStringLiteral("cells")][2][1].toString(),
                 QStringLiteral("100.0%"));
        QCOMPARE(j[QStringLiteral("MSFmaxgrid")][QStringLiteral("cells")][2][2].toString(),
                 QStringLiteral("82.0"));
        QCOMPARE(j[QStringLiteral("frainfo")].toString(),
                 QStringLiteral("Statistics for Progeny of Tom  (1)."));
        QCOMPARE(j[QStringLiteral("lblfastest")].toString(),
                 QStringLiteral("Fastest progeny? Quick Kid - 82"));
        QCOMPARE(j[QStringLiteral("messages")].toArray().size(), 0);
    }

    void textWithAllColumns()
    {
        ProgenyFixture fx;
        fx.writeBreeding(breedingHorse(3, "Kid", "Big Red", "Dan", "Tom"));
        const Output o = run(fx.dir(), {QStringLiteral("sires"), QStringLiteral("Big Red"),
                                        QStringLiteral("--breeding"), fx.breedingPath()});
        QCOMPARE(o.status, 0);
        const QList<QByteArray> lines = o.out.split('\n');
        QVERIFY(lines[0].endsWith('\r'));
        QVERIFY(lines.size() > 3);
        QCOMPARE(lines[0].count("\","), 19);
        QVERIFY(lines[0].endsWith("\"<=9\",\"<11\",\"11+\",\r"));
        QCOMPARE(
            lines[1],
            QByteArray("\"Kid\",\"3\",\"Dan\",\"Tom\",\"4\",\"C\",\"\",\"\",\"\",\"\",\"\",\"0\",\"0\",\"0\","
                       "\"0\",\"0\",\"0\",\"0\",\"0\",\r"));
        QVERIFY(o.out.contains("Statistics for Progeny of Big Red  (1)."));
    }

    void failures()
    {
        ProgenyFixture fx;
        fx.writeBreeding("1234,Bad,3,C,x\r\n55,Big Red,0\r\n66,a,0\r\n77,b,0\r\n");
        Output o = run(fx.dir(), {QStringLiteral("sires"), QStringLiteral("Big Red"),
                                  QStringLiteral("--breeding"), fx.breedingPath(), QStringLiteral("--json")});
        QCOMPARE(o.status, 1);
        QCOMPARE(QJsonDocument::fromJson(o.out).object()[QStringLiteral("messages")][0].toString(),
                 QStringLiteral("There was an error with horse 1234.  Check the breeding.txt file."));
        QVERIFY(o.err.contains("horse 1234"));

        o = run(fx.dir(), {QStringLiteral("sires"), QStringLiteral("Big Red"), QStringLiteral("--as"),
                           QStringLiteral("dam"), QStringLiteral("--breeding"), fx.breedingPath()});
        QCOMPARE(o.status, 2);
        o = run(fx.dir(), {QStringLiteral("sires"), QStringLiteral("Big Red"), QStringLiteral("--breeding"),
                           fx.breedingPath() + QStringLiteral(".none")});
        QCOMPARE(o.status, 1);
        QVERIFY(o.err.contains("does not exist"));
    }
};

QTEST_GUILESS_MAIN(TestSiresCli)
#include "test_sirescli.moc"
