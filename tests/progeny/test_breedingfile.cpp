#include "progeny/breedingfile.h"
#include "progenyfixture.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(ProgenySearchMode)

class TestBreedingFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString write(const QByteArray& text)
    {
        const QString path = m_dir.filePath(QStringLiteral("breeding.txt"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
            qFatal("cannot write the breeding file");
        return path;
    }

    /** Runs a scan to its end: the accepted ids, then "end", "check N" or "error at line N". */
    QString scanAll(const QString& path, const QString& name, ProgenySearchMode mode,
                    QString* error = nullptr)
    {
        BreedingScan scan(path, name, mode);
        if (!scan.start()) {
            if (error)
                *error = scan.error();
            return QStringLiteral("cannot open");
        }
        QStringList out;
        BreedingRecord rec;
        for (;;) {
            switch (scan.next(rec)) {
            case BreedingScan::Result::Record:
                out << QString::number(rec.id());
                continue;
            case BreedingScan::Result::End:
                out << QStringLiteral("end");
                break;
            case BreedingScan::Result::CheckFailed:
                out << QStringLiteral("check %1").arg(scan.failedId());
                break;
            case BreedingScan::Result::Malformed:
                out << QStringLiteral("error at line %1").arg(scan.lineNumber());
                if (error)
                    *error = scan.error();
                break;
            }
            return out.join(QLatin1Char(' '));
        }
    }

private slots:
    void scan_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<ProgenySearchMode>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const auto S = ProgenySearchMode::Sire, DS = ProgenySearchMode::DamSire,
                   DDS = ProgenySearchMode::DamDamSire;
        const QByteArray a = breedingHorse(1, "Alpha", "Big Red", "Dan", "Old Tom");
        const QByteArray b = breedingHorse(2, "Beta", "Big Red", "Sam", "Old Tom");
        const QByteArray c = breedingHorse(3, "Gamma", "Other", "Big Red", "Big Red");

        QTest::newRow("empty file") << QByteArray() << S << "Big Red"
                                    << "end";
        QTest::newRow("only blank lines") << QByteArray("\r\n\r\n") << S << "Big Red"
                                          << "end";
        QTest::newRow("sire") << a + b + c << S << "Big Red"
                              << "1 2 end";
        QTest::newRow("dam-sire") << a + b + c << DS << "Big Red"
                                  << "3 end";
        QTest::newRow("dam's dam-sire") << a + b + c << DDS << "old tom"
                                        << "1 2 end";
        QTest::newRow("blank lines between and at the end") << "\r\n" + a + "\r\n\r\n" + b + "\r\n"
                                                            << S << "Big Red"
                                                            << "1 2 end";
        QTest::newRow("line ends without CR, no end at the last line")
            << QByteArray(a + b).replace("\r\n", "\n").chopped(1) << S << "Big Red"
            << "1 2 end";
        QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + a << S << "Big Red"
                                         << "1 end";
        QTest::newRow("a line of blanks separates records") << a + "  \t\r\n" + b << S << "Big Red"
                                                            << "1 2 end";
        QTest::newRow("blank line 3 resynchronises")
            << QByteArray("7,Broken,3,F,x\r\n7,Big Red,0\r\n\r\n") + b << S << "Big Red"
            << "2 end";
        QTest::newRow("blank line 3 resynchronises, dam-sire")
            << QByteArray("7,Broken,3,F,x\r\n7,Big Red,0\r\n\r\n") + c << DS << "Big Red"
            << "3 end";
        QTest::newRow("letter case ignored") << a << S << "BIG red"
                                             << "1 end";
        QTest::newRow("searched name with a trailing blank") << a << S << "Big Red "
                                                             << "end";
        QTest::newRow("file name with a trailing blank")
            << breedingHorse(1, "Alpha", "Big Red ", "Dan", "Old Tom") << S << "Big Red"
            << "end";
        // Sire mode must consume lines 3 and 4 of a non-matching record even when they carry the name.
        QTest::newRow("skipped lines equal the name") << c + a << S << "Big Red"
                                                      << "1 end";
        QTest::newRow("skipped lines look like a record")
            << QByteArray("5,X,3,C,x\r\n5,Nobody,0\r\n6,Big Red,0\r\n6,Big Red,0\r\n") + a << S << "Big Red"
            << "1 end";
        QTest::newRow("one repeated id is enough")
            << QByteArray("1234,Kid,3,C,x\r\n1234,Big Red,0\r\n99,D,0\r\n99,E,0\r\n") << S << "Big Red"
            << "1234 end";
        QTest::newRow("id repeated only on line 4")
            << QByteArray("1234,Kid,3,C,x\r\n55,Big Red,0\r\n66,D,0\r\n1234,E,0\r\n") << S << "Big Red"
            << "1234 end";
        QTest::newRow("no repeated id stops the scan")
            << a + "1234,Kid,3,C,x\r\n55,Big Red,0\r\n66,D,0\r\n77,E,0\r\n" + b << S << "Big Red"
            << "1 check 1234";
        QTest::newRow("non-matching record with bad ids is skipped")
            << QByteArray("1234,Kid,3,C,x\r\n55,Nobody,0\r\n66,D,0\r\n77,E,0\r\n") + a << S << "Big Red"
            << "1 end";
        QTest::newRow("blank among skipped lines ends the record")
            << QByteArray("5,X,3,C,x\r\n5,Nobody,0\r\n\r\n") + a << S << "Big Red"
            << "1 end";
        QTest::newRow("truncated last record") << a + "8,Cut,3,C,x\r\n8,Big Red,0\r\n"
                                               << S << "Big Red"
                                               << "1 error at line 6";
        QTest::newRow("truncated non-matching record") << a + "8,Cut,3,C,x\r\n8,Nobody,0\r\n"
                                                       << S << "Big Red"
                                                       << "1 error at line 6";
        QTest::newRow("first line with two commas") << a + "8,Cut,3\r\n"
                                                    << S << "Big Red"
                                                    << "1 error at line 5";
        QTest::newRow("sire line with one comma") << a + "8,Cut,3,C\r\n8,Big Red\r\n"
                                                  << S << "Big Red"
                                                  << "1 error at line 6";
        QTest::newRow("id not a number") << a + "x8,Cut,3,C\r\n"
                                         << S << "Big Red"
                                         << "1 error at line 5";
        QTest::newRow("id with a decimal") << "8.5,Cut,3,C\r\n" + a << S << "Big Red"
                                           << "error at line 1";
        QTest::newRow("id beyond 32 bits") << QByteArray("4294967296,Cut,3,C\r\n") << S << "Big Red"
                                           << "error at line 1";
        QTest::newRow("age not a number") << a + "8,Cut,three,C\r\n"
                                          << S << "Big Red"
                                          << "1 error at line 5";
        QTest::newRow("ids and age with blanks around")
            << QByteArray(" 8 ,Kid, 3 ,C\r\n8 ,Big Red,0\r\n8,x,0\r\n8,y,0\r\n") << S << "Big Red"
            << "8 end";
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
        BreedingScan scan(path, QStringLiteral("SIRE ONE"), ProgenySearchMode::Sire);
        QVERIFY(scan.start());
        BreedingRecord rec;
        QCOMPARE(scan.next(rec), BreedingScan::Result::Record);
        QCOMPARE(rec.id(), 42);
        QCOMPARE(rec.firstLine, 2);
        QCOMPARE(rec.name(), QStringLiteral("Some Horse "));
        QCOMPARE(rec.lineNames[1], QStringLiteral("Sire One"));
        QCOMPARE(rec.lineNames[2], QStringLiteral("DS"));
        QCOMPARE(rec.lineNames[3], QStringLiteral(" DDS "));
        QCOMPARE(rec.ageYears, std::int16_t(3));
        QCOMPARE(rec.sexCode, QStringLiteral(" ")); // the character right after the third comma
        QCOMPARE(scan.next(rec), BreedingScan::Result::Record);
        QCOMPARE(rec.ageYears, std::int16_t(5));
        QVERIFY(rec.sexCode.isEmpty());
        QCOMPARE(scan.next(rec), BreedingScan::Result::End);
        QCOMPARE(scan.next(rec), BreedingScan::Result::End); // stays over
    }

    void eightBitAndUtf8Names()
    {
        // Names in Latin-1 and in UTF-8 both match a searched name typed with the accent.
        const QByteArray latin1 = breedingHorse(1, "Kid", "Beau Fr\xe9re", "a", "b");
        const QByteArray utf8 = breedingHorse(2, "Kid", "BEAU FR\xc3\x89RE", "a", "b");
        QCOMPARE(scanAll(write(latin1 + utf8), QStringLiteral("Beau Fr\u00e9re"), ProgenySearchMode::Sire),
                 QStringLiteral("1 2 end"));
    }

    void messagesNameFileAndLine()
    {
        QString error;
        const QString path = write(breedingHorse(1, "A", "B", "C", "D") + "2,Cut,3,C,x\r\n2,B,0\r\n");
        QCOMPARE(scanAll(path, QStringLiteral("B"), ProgenySearchMode::Sire, &error),
                 QStringLiteral("1 error at line 6"));
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("line 5")), qPrintable(error)); // where the cut horse starts

        write("1,A,3,C,x\r\n1,B\r\n");
        scanAll(path, QStringLiteral("B"), ProgenySearchMode::Sire, &error);
        QVERIFY2(error.contains(QStringLiteral("Line 2 ")) && error.contains(QDir::toNativeSeparators(path)),
                 qPrintable(error));

        write("1,A,old,C,x\r\n");
        scanAll(path, QStringLiteral("B"), ProgenySearchMode::Sire, &error);
        QVERIFY2(error.contains(QStringLiteral("Line 1 ")) && error.contains(QStringLiteral("\"old\"")),
                 qPrintable(error));
    }

    void missingFile()
    {
        QString error;
        const QString path = m_dir.filePath(QStringLiteral("gone.txt"));
        QCOMPARE(scanAll(path, QStringLiteral("B"), ProgenySearchMode::Sire, &error),
                 QStringLiteral("cannot open"));
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestBreedingFile)
#include "test_breedingfile.moc"
