#include "import/fieldreader.h"

#include <QBuffer>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFieldReader : public QObject
{
    Q_OBJECT

    /** The fields up to the end or a failure, which goes to `end`. */
    static QStringList readAll(FieldReader& r, FieldReader::Status* end = nullptr)
    {
        QStringList out;
        std::string_view f;
        FieldReader::Status s;
        while ((s = r.next(f)) == FieldReader::Status::Ok)
            out << QString::fromLatin1(f.data(), qsizetype(f.size()));
        if (end)
            *end = s;
        return out;
    }

private slots:
    void fields_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("ending"); // the status after the last field
        // The expected fields are given joined with "|".
        const auto row = [](const char* title, const QByteArray& input, const char* fields,
                            FieldReader::Status ending = FieldReader::Status::EndOfData) {
            const QString joined = QString::fromUtf8(fields);
            QTest::newRow(title) << input << (joined.isEmpty() ? QStringList() : joined.split(u'|'))
                                 << int(ending);
        };
        row("commas", "a,b,c", "a|b|c");
        row("line ends", "a\r\nb\nc\rd", "a|b|c|d");
        row("comma then line end is one separator", "a,\r\nb, \nc", "a|b|c");
        row("blanks before skipped, after trimmed", "  a  ,\tb c ,d", "a|b c|d");
        row("quoted comma", "\"Smith, Jones\",x", "Smith, Jones|x");
        row("text after closing quote dropped", "\"ab\"cd,e", "ab|e");
        row("quote inside text is text", "a\"b,c", "a\"b|c");
        row("empty fields", ",,x", "||x");
        row("blank line is an empty field", "a\r\n\r\nb", "a||b");
        row("trailing comma wants another field", "a,", "a");
        row("unterminated quote", "a,\"open", "a", FieldReader::Status::Unterminated);
        // 50 MB that is never part of a value must not be buffered whole either.
        row("text after a quote past the limit", "a,\"ab\"" + QByteArray(50 << 20, 'x'), "a",
            FieldReader::Status::TooLong);
        row("blanks after a comma past the limit", "a," + QByteArray(50 << 20, ' ') + "b", "",
            FieldReader::Status::TooLong);
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
            FieldReader::Status s;
            QCOMPARE(readAll(*r, &s), expected);
            QCOMPARE(int(s), ending);
        }
    }
};

QTEST_GUILESS_MAIN(TestFieldReader)
#include "test_fieldreader.moc"
