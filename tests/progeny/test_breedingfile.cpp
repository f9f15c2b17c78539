#include "progeny/breedingfile.h"
#include "progenyfixture.h"

#include <QTest>

Q_DECLARE_METATYPE(ProgenySearchMode)

class TestBreedingFile : public QObject
{
    Q_OBJECT

    ProgenyFixture m_fx;

    QString write(const QByteArray& text)
    {
        m_fx.writeBreeding(text);
        return m_fx.breedingPath();
    }

    /** Runs a scan to its end: the accepted ids, then "end", "check N" or "error at line N". */
    QString scanAll(const QString& path, const QString& name,
                    ProgenySearchMode mode = ProgenySearchMode::Sire)
    {
        BreedingScan scan(path, name, mode);
        if (!scan.start())
            return u"cannot open"_s;
        QStringList out;
        BreedingRecord rec;
        BreedingScan::Result r;
        while ((r = scan.next(rec)) == BreedingScan::Result::Record)
            out << QString::number(rec.id());
        out << (r == BreedingScan::Result::End           ? u"end"_s
                : r == BreedingScan::Result::CheckFailed ? u"check %1"_s.arg(scan.failedId())
                                                         : u"error at line %1"_s.arg(scan.lineNumber()));
        return out.join(u' ');
    }

private slots:
    void scan_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<ProgenySearchMode>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const auto S = ProgenySearchMode::Sire, DS = ProgenySearchMode::DamSire;
        const QByteArray a = breedingHorse(1, "Alpha", "Big Red", "Dan", "Old Tom");
        const QByteArray b = breedingHorse(2, "Beta", "Big Red", "Sam", "Old Tom");
        const QByteArray c = breedingHorse(3, "Gamma", "Other", "Big Red", "Big Red");
        const auto row = [](const char* title, const QByteArray& text, const char* expected,
                            ProgenySearchMode mode = ProgenySearchMode::Sire, const char* name = "Big Red") {
            QTest::newRow(title) << text << mode << QString::fromUtf8(name) << QString::fromUtf8(expected);
        };
        row("empty file", {}, "end");
        row("sire", a + b + c, "1 2 end");
        row("dam-sire", a + b + c, "3 end", DS);
        row("dam's dam-sire", a + b + c, "1 2 end", ProgenySearchMode::DamDamSire, "old tom");
        row("line ends without CR, no end at the last line",
            QByteArray(a + b).replace("\r\n", "\n").chopped(1), "1 2 end");
        row("byte order mark", "\xEF\xBB\xBF" + a, "1 end");
        row("a line of blanks separates records", a + "  \t\r\n" + b, "1 2 end");
        row("blank line 3 resynchronises", "7,Broken,3,F,x\r\n7,Big Red,0\r\n\r\n" + b, "2 end");
        row("letter case ignored", a, "1 end", S, "BIG red");
        row("searched name with a trailing blank", a, "end", S, "Big Red ");
        // Sire mode must consume lines 3 and 4 of a non-matching record even when they carry the name.
        row("skipped lines equal the name", c + a, "1 end");
        row("skipped lines look like a record",
            "5,X,3,C,x\r\n5,Nobody,0\r\n6,Big Red,0\r\n6,Big Red,0\r\n" + a, "1 end");
        row("one repeated id is enough", "1234,Kid,3,C,x\r\n1234,Big Red,0\r\n99,D,0\r\n99,E,0\r\n",
            "1234 end");
        row("id repeated only on line 4", "1234,Kid,3,C,x\r\n55,Big Red,0\r\n66,D,0\r\n1234,E,0\r\n",
            "1234 end");
        row("no repeated id stops the scan", a + "1234,Kid,3,C,x\r\n55,Big Red,0\r\n66,D,0\r\n77,E,0\r\n" + b,
            "1 check 1234");
        row("non-matching record with bad ids is skipped",
            "1234,Kid,3,C,x\r\n55,Nobody,0\r\n66,D,0\r\n77,E,0\r\n" + a, "1 end");
        row("blank among skipped lines ends the record", "5,X,3,C,x\r\n5,Nobody,0\r\n\r\n" + a, "1 end");
        row("truncated last record", a + "8,Cut,3,C,x\r\n8,Big Red,0\r\n", "1 error at line 6");
        row("first line with two commas", a + "8,Cut,3\r\n", "1 error at line 5");
        row("id with a decimal", "8.5,Cut,3,C\r\n" + a, "error at line 1");
        row("ids and age with blanks around", " 8 ,Kid, 3 ,C\r\n8 ,Big Red,0\r\n8,x,0\r\n8,y,0\r\n", "8 end");
        // Names in Latin-1 and in UTF-8 both match a searched name typed with the accent.
        row("eight-bit and UTF-8 names",
            breedingHorse(1, "Kid", "Beau Fr\xe9re") + breedingHorse(2, "Kid", "BEAU FR\xc3\x89RE"),
            "1 2 end", S, "Beau Fr\xc3\xa9re");
    }

    void scan()
    {
        QFETCH(QByteArray, text);
        QFETCH(ProgenySearchMode, mode);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(scanAll(write(text), name, mode), expected);
    }

    void recordFields()
    {
        const QString path = write("\r\n42,Some Horse ,3, F extra,stuff\r\n42,Sire One,9,9\r\n42,DS,1\r\n"
                                   "42, DDS ,1\r\n43,No Sex,5,\r\n43,sire one,0\r\n43,a,0\r\n43,b,0\r\n");
        BreedingScan scan(path, u"SIRE ONE"_s, ProgenySearchMode::Sire);
        QVERIFY(scan.start());
        BreedingRecord rec;
        QCOMPARE(scan.next(rec), BreedingScan::Result::Record);
        QCOMPARE(rec.id(), 42);
        QCOMPARE(rec.firstLine, 2);
        QCOMPARE(QStringList({rec.name(), rec.lineNames[1], rec.lineNames[2], rec.lineNames[3]}),
                 (QStringList{u"Some Horse "_s, u"Sire One"_s, u"DS"_s, u" DDS "_s}));
        QCOMPARE(rec.ageYears, std::int16_t(3));
        QCOMPARE(rec.sexCode, u" "_s); // the character right after the third comma
        QCOMPARE(scan.next(rec), BreedingScan::Result::Record);
        QCOMPARE(rec.ageYears, std::int16_t(5));
        QVERIFY(rec.sexCode.isEmpty());
        QCOMPARE(scan.next(rec), BreedingScan::Result::End);
        QCOMPARE(scan.next(rec), BreedingScan::Result::End); // stays over
    }
};

QTEST_GUILESS_MAIN(TestBreedingFile)
#include "test_breedingfile.moc"
