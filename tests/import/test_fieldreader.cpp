#include "import/fieldreader.h"

#include <QBuffer>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFieldReader : public QObject
{
    Q_OBJECT
private slots:
    void fields_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("ending"); // the status after the last field

        const int end = int(FieldReader::Status::EndOfData);
        QTest::newRow("commas") << QByteArray("a,b,c") << QStringList{u"a"_s, u"b"_s, u"c"_s} << end;
        QTest::newRow("line ends") << QByteArray("a\r\nb\nc\rd")
                                   << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s} << end;
        QTest::newRow("comma then line end is one separator")
            << QByteArray("a,\r\nb, \nc") << QStringList{u"a"_s, u"b"_s, u"c"_s} << end;
        QTest::newRow("blanks before skipped, after trimmed")
            << QByteArray("  a  ,\tb c ,d") << QStringList{u"a"_s, u"b c"_s, u"d"_s} << end;
        QTest::newRow("quoted comma")
            << QByteArray("\"Smith, Jones\",x") << QStringList{u"Smith, Jones"_s, u"x"_s} << end;
        QTest::newRow("text after closing quote dropped")
            << QByteArray("\"ab\"cd,e") << QStringList{u"ab"_s, u"e"_s} << end;
        QTest::newRow("quote inside text is text")
            << QByteArray("a\"b,c") << QStringList{u"a\"b"_s, u"c"_s} << end;
        QTest::newRow("empty fields") << QByteArray(",,x") << QStringList{u""_s, u""_s, u"x"_s} << end;
        QTest::newRow("blank line is an empty field")
            << QByteArray("a\r\n\r\nb") << QStringList{u"a"_s, u""_s, u"b"_s} << end;
        QTest::newRow("trailing comma wants another field") << QByteArray("a,") << QStringList{u"a"_s} << end;
        QTest::newRow("unterminated quote")
            << QByteArray("a,\"open") << QStringList{u"a"_s} << int(FieldReader::Status::Unterminated);
        QTest::newRow("empty input") << QByteArray() << QStringList{} << end;
    }

    void fields()
    {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, expected);
        QFETCH(int, ending);
        // The same text read from memory and streamed from a device must give the same fields.
        QBuffer buffer(&input);
        buffer.open(QIODevice::ReadOnly);
        FieldReader fromDevice(buffer);
        FieldReader fromMemory(std::string_view(input.constData(), size_t(input.size())));
        for (FieldReader* r : {&fromDevice, &fromMemory}) {
            QStringList got;
            std::string_view f;
            FieldReader::Status s;
            while ((s = r->next(f)) == FieldReader::Status::Ok)
                got << QString::fromLatin1(f.data(), qsizetype(f.size()));
            QCOMPARE(got, expected);
            QCOMPARE(int(s), ending);
        }
    }

    void streamsAcrossChunks()
    {
        // Fields that straddle the reader's chunk boundaries, including a long quoted one and a CR LF split.
        QByteArray input;
        QStringList expected;
        for (int i = 0; i < 20000; ++i) {
            const QByteArray word = QByteArray::number(i * 7919);
            input += word + (i % 3 == 0 ? "\r\n" : ",");
            expected << QString::fromLatin1(word);
        }
        const QByteArray longText(200000, 'x');
        input += "\"" + longText + "\",end";
        expected << QString::fromLatin1(longText) << QStringLiteral("end");
        QBuffer buffer(&input);
        buffer.open(QIODevice::ReadOnly);
        FieldReader r(buffer);
        std::string_view f;
        qsizetype i = 0;
        while (r.next(f) == FieldReader::Status::Ok) {
            QVERIFY(i < expected.size());
            QCOMPARE(QString::fromLatin1(f.data(), qsizetype(f.size())), expected[i]);
            ++i;
        }
        QCOMPARE(i, expected.size());
        QCOMPARE(r.line(), qint64(20000 / 3 + 1 + 1));
    }

    void numbers_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("empty is 0") << QByteArray("") << true << 0.0;
        QTest::newRow("blanks is 0") << QByteArray("  ") << true << 0.0;
        QTest::newRow("whole") << QByteArray("612") << true << 612.0;
        QTest::newRow("decimals") << QByteArray("612.0507") << true << 612.0507;
        QTest::newRow("leading point") << QByteArray(".25") << true << 0.25;
        QTest::newRow("trailing point") << QByteArray("5.") << true << 5.0;
        QTest::newRow("signs") << QByteArray("-47") << true << -47.0;
        QTest::newRow("exponent") << QByteArray("1.5e2") << true << 150.0;
        QTest::newRow("text") << QByteArray("abc") << false << 0.0;
        QTest::newRow("digits then text") << QByteArray("12abc") << false << 0.0;
        QTest::newRow("thousands separator") << QByteArray("1,000") << false << 0.0;
        QTest::newRow("inf") << QByteArray("inf") << false << 0.0;
        QTest::newRow("nan") << QByteArray("nan") << false << 0.0;
        QTest::newRow("beyond double") << QByteArray("1e400") << false << 0.0;
        QTest::newRow("lone sign") << QByteArray("-") << false << 0.0;
        QTest::newRow("two points") << QByteArray("1.2.3") << false << 0.0;
    }

    void numbers()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const auto v = parseNumber(std::string_view(text.constData(), size_t(text.size())));
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QCOMPARE(*v, value);
    }
};

QTEST_GUILESS_MAIN(TestFieldReader)
#include "test_fieldreader.moc"
