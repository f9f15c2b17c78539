#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "core/startup.h"
#include "db/database.h"
#include "output/gridsettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

static const QByteArray DefaultLine =
    " 1450  500  760  410  350  350  320  200  450  280  280  280  655  500  650 "
    " 750  500  300 -2147483626 \r\n";

static QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

static void writeAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

class TestGridSettings : public QObject
{
    Q_OBJECT
private slots:
    void defaultLineIsExact() { QCOMPARE(GridSettings::format(GridSettings::defaults()), DefaultLine); }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("firstWidth");
        QTest::addColumn<int>("back");
        const QByteArray nums = "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18";
        QTest::newRow("blanks") << nums + " -2147483643" << true << 1 << -2147483643;
        QTest::newRow("commas and line ends")
            << QByteArray("1,2,3\r\n4,5,6,7,8,9,10,11,12,13,14,15,16,17,18\n,255") << true << 1 << 255;
        QTest::newRow("extra numbers ignored") << nums + " 99 100 junk" << true << 1 << 99;
        QTest::newRow("eighteen numbers") << nums << false << 0 << 0;
        QTest::newRow("a word") << QByteArray("1 2 x 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 0") << false << 0
                                << 0;
        QTest::newRow("width past 16 bits") << QByteArray("40000") + nums.mid(1) + " 0" << false << 0 << 0;
    }
    void parse()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        const auto v = GridSettings::parse(text);
        QCOMPARE(bool(v), valid);
        if (valid) {
            QFETCH(int, firstWidth);
            QFETCH(int, back);
            QCOMPARE(int(v->widths[0]), firstWidth);
            QCOMPARE(v->backColor, back);
        }
    }

    void sireLayoutWritesNothing()
    {
        QTemporaryDir dir;
        HeadlessPlatform p;
        MainWindowState f(p, dir.path(), QString());
        msfgridreset_Click(f);
        f.MSFlexGrid1.setColWidth(0, 2000);
        showSireLayout(f);
        QCOMPARE(readAll(f.settingsPath()), DefaultLine);
        QCOMPARE(f.MSFlexGrid1.cols(), 19);
        f.MSFlexGrid1.setColWidth(0, 3000);
        msfgridreset_Click(f); // on screen only
        QCOMPARE(f.MSFlexGrid1.colWidth(0), 1450);
        msfgridback_Click(f);
        QCOMPARE(readAll(f.settingsPath()), DefaultLine);

        // Back in the normal layout the file's widths and colour return.
        f.MSFlexGrid1.setColWidth(1, 999);
        showNormalLayout(f);
        QCOMPARE(f.MSFlexGrid1.cols(), 18);
        QCOMPARE(f.MSFlexGrid1.colWidth(1), 500);
        QCOMPARE(f.MSFlexGrid1.backColor(), BackColor::ThreeDLight);
    }

    void userWidthsSurviveASave()
    {
        QTemporaryDir dir;
        HeadlessPlatform p;
        MainWindowState f(p, dir.path(), QString());
        msfgridreset_Click(f);
        f.MSFlexGrid1.setColWidth(15, 2222);
        msfgridsavesettings(f);
        f.MSFlexGrid1.setColWidth(15, 1);
        msfgridgetsettings(f);
        QCOMPARE(f.MSFlexGrid1.colWidth(15), 2222);
        // A width beyond the file's range is written at its largest value rather than wrapped.
        f.MSFlexGrid1.setColWidth(0, 50000);
        msfgridsavesettings(f);
        msfgridgetsettings(f);
        QCOMPARE(f.MSFlexGrid1.colWidth(0), 32767);
    }

    void unwritableOrReadOnlyNeverWrites()
    {
        QTemporaryDir dir;
        HeadlessPlatform p;
        MainWindowState f(p, dir.path(), QString());
        QVERIFY(QDir(dir.path()).mkdir(u"KZTSettings.ini"_s)); // a directory cannot be written as a file
        msfgridreset_Click(f);
        QCOMPARE(f.MSFlexGrid1.colWidth(0), 1450);
        QVERIFY(p.messages.isEmpty());
        QVERIFY(QDir(dir.path()).rmdir(u"KZTSettings.ini"_s));
        f.settingsWritable = false;
        writeAll(f.settingsPath(), QByteArray());
        msfgridgetsettings(f);
        QCOMPARE(readAll(f.settingsPath()), QByteArray());
    }

    void unusableFileGivesDefaultsAtStartup_data()
    {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("pipe") << true; // reading it would wait for a writer for ever
        QTest::newRow("huge") << false;
    }
    void unusableFileGivesDefaultsAtStartup()
    {
        QFETCH(bool, pipe);
        QTemporaryDir dir;
        HeadlessPlatform p;
        MainWindowState f(p, dir.path(), QString());
        QVERIFY(Database().create(f.databasePath()));
        if (pipe)
            QCOMPARE(::mkfifo(QFile::encodeName(f.settingsPath()).constData(), 0600), 0);
        else
            writeAll(f.settingsPath(),
                     QByteArray(" 999").repeated(19) + QByteArray(GridSettings::MaxFileSize, ' '));
        QVERIFY(formLoad(f, NominalRowHeight));
        QCOMPARE(f.MSFlexGrid1.colWidth(0), 1450);
        QCOMPARE(readAll(f.settingsPath()), DefaultLine);
    }
};

QTEST_APPLESS_MAIN(TestGridSettings)
#include "test_gridsettings.moc"
