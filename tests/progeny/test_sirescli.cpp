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

    /** turftrawler-cli sires NAME --breeding PATH, with the options given after the name. */
    static Output sires(const ProgenyFixture& fx, const QString& name, const QStringList& options = {},
                        const QString& breeding = {})
    {
        QProcess p;
        p.start(QStringLiteral(TURF_CLI),
                QStringList{u"--dir"_s, fx.dir(), u"sires"_s, name} + options +
                    QStringList{u"--breeding"_s, breeding.isEmpty() ? fx.breedingPath() : breeding});
        if (!p.waitForFinished(30000))
            return {};
        return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
    }

private slots:
    void jsonLikeTheWindow()
    {
        ProgenyFixture fx;
        fx.writeBreeding(breedingHorse(3, "QUICK KID", "Big Red", "Dan", "Tom", 2, "F"));
        fx.addStart(u"Quick Kid"_s, 3, 1, 81.5, u"T"_s, 9, u"MS"_s);
        const Output o =
            sires(fx, u"Tom"_s, {u"--as"_s, u"damdamsire"_s, u"--min"_s, u"1"_s, u"--2yo"_s, u"--json"_s});
        QCOMPARE(o.status, 0);
        const QJsonObject j = QJsonDocument::fromJson(o.out).object();
        const QJsonArray rows = j[u"MSFlexGrid1"_s][u"cells"_s].toArray();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0][3].toString(), u"Dam-Sire"_s);
        QCOMPARE(rows[1][0].toString() + rows[1][16].toString(), u"Quick Kid82"_s);
        QCOMPARE(j[u"lblfastest"_s].toString(), u"Fastest progeny? Quick Kid - 82"_s);
    }

    void failures()
    {
        ProgenyFixture fx;
        fx.writeBreeding("1234,Bad,3,C,x\r\n55,Big Red,0\r\n66,a,0\r\n77,b,0\r\n");
        Output o = sires(fx, u"Big Red"_s, {u"--json"_s});
        QCOMPARE(o.status, 1);
        QCOMPARE(QJsonDocument::fromJson(o.out).object()[u"messages"_s][0].toString(),
                 u"There was an error with horse 1234.  Check the breeding.txt file."_s);
        QVERIFY(o.err.contains("horse 1234"));
        QCOMPARE(sires(fx, u"Big Red"_s, {u"--as"_s, u"dam"_s}).status, 2);
        o = sires(fx, u"Big Red"_s, {}, fx.breedingPath() + u".none"_s);
        QCOMPARE(o.status, 1);
        QVERIFY(o.err.contains("does not exist"));
    }
};

QTEST_GUILESS_MAIN(TestSiresCli)
#include "test_sirescli.moc"
