// The stable search: the saved sets and their file, the searches, the window over the main window, the
// commands.
#include "searchfixture.h"

#include "app/frmmainfinder.h"
#include "app/gridview.h"
#include "core/headlessplatform.h"
#include "core/startup.h"
#include "output/gridjson.h"
#include "search/frmstable.h"
#include "search/gethorse.h"

#include <QDir>
#include <QGroupBox>
#include <QJsonDocument>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QPushButton>

#include <sys/stat.h>

namespace
{

using Boxes = std::array<QString, 4>;

/** Four boxes given as one string with '|' between them. */
Boxes B(const char* texts)
{
    const QStringList l = QString::fromUtf8(texts).split(u'|');
    return {l.value(0), l.value(1), l.value(2), l.value(3)};
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : "missing";
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

/** The dialog's state over a directory, loaded as the dialog opens. */
struct Dialog {
    explicit Dialog(const QString& dir) : f(p, dir, QString()) { cmdload_Click(f, s); }
    QString file() const { return f.savedNamesPath(); }
    HeadlessPlatform p;
    MainWindowState f;
    StableState s;
};

QByteArray runCli(const QString& dir, const QStringList& args, int status)
{
    QProcess cli;
    cli.start(QStringLiteral(TURF_CLI), QStringList{u"--dir"_s, dir} << args);
    if (!cli.waitForFinished(20000))
        return "timed out";
    if (cli.exitCode() != status)
        return "exit " + QByteArray::number(cli.exitCode()) + ": " + cli.readAllStandardError();
    return cli.readAllStandardError() + cli.readAllStandardOutput();
}

} // namespace

class TestStableSearch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void useSplitsSets_data();
    void useSplitsSets();
    void fileForms_data();
    void fileForms();
    void listButtons();
    void refusedNamesAndUnusableFiles();
    void searches();
    void window();
    void commandLine();

private:
    std::unique_ptr<SearchFixture> m_fx;
};

void TestStableSearch::initTestCase()
{
    m_fx = std::make_unique<SearchFixture>();
    const char* owners[] = {"Red Barn", "Oak Farm", "Elm Farm",  "Red Barn",
                            "Oak Farm", "Red Bank", "Hill, Dale"};
    for (int i = 0; i < 7; ++i)
        m_fx->add({.hname = u"Horse %1"_s.arg(i),
                   .hid = 100 + i,
                   .week = 400 + i,
                   .oname = QLatin1String(owners[i])});
}

void TestStableSearch::useSplitsSets_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("boxes");
    QTest::newRow("one name") << u"Red Barn"_s << u"Red Barn|||"_s;
    QTest::newRow("two") << u"A, B"_s << u"A|B||"_s;
    QTest::newRow("typed without blank") << u"A,B"_s << u"A|||"_s;
    QTest::newRow("five names") << u"A, B, C, D, E"_s << u"A|B|C|D, E"_s;
    QTest::newRow("adjacent commas") << u"A,,B, C"_s << u"A|||C"_s;
    QTest::newRow("trailing comma") << u"A, B,"_s << u"A|B||"_s;
}

void TestStableSearch::useSplitsSets()
{
    QFETCH(QString, set);
    QFETCH(QString, boxes);
    QTemporaryDir dir;
    Dialog d(dir.path());
    d.s.lstnames = QStringList{set};
    d.s.txto1 = B("old|old|old|old");
    d.s.ListIndex = 0;
    cmduse_Click(d.f, d.s);
    QCOMPARE(d.s.txto1, B(boxes.toUtf8().constData()));
    QVERIFY(d.p.messages.isEmpty());
}

void TestStableSearch::fileForms_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF") << QByteArray("A, B\r\nC\r\n");
    QTest::newRow("LF alone, no last line end") << QByteArray("A, B\nC");
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF"
                                                   "A, B\r\nC\r\n");
    QTest::newRow("empty lines") << QByteArray("\r\n\r\nA, B\r\n\n\r\nC\r\n\r\n");
}

void TestStableSearch::fileForms()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    writeBytes(dir.path() + u"/KZTSavednames.txt"_s, bytes);
    Dialog d(dir.path());
    QCOMPARE(d.s.lstnames, L("A, B|C"));
    // The next write leaves the file in its own form.
    d.s.txto1 = B("D|||");
    cmdadd_Click(d.f, d.s);
    QCOMPARE(fileBytes(d.file()), "A, B\r\nC\r\nD\r\n");
}

void TestStableSearch::listButtons()
{
    QTemporaryDir dir;
    Dialog d(dir.path());
    QVERIFY(d.s.lstnames.isEmpty());
    QCOMPARE(fileBytes(d.file()), "missing");
    d.s.txto1 = B("A||B|");
    cmdadd_Click(d.f, d.s);
    d.s.txto1 = B(" |Red Barn||Oak Farm");
    cmdadd_Click(d.f, d.s);
    cmdadd_Click(d.f, d.s); // duplicates are kept
    QCOMPARE(fileBytes(d.file()), "A, B\r\n , Red Barn, Oak Farm\r\n , Red Barn, Oak Farm\r\n");

    // Messages change nothing but the file, which an empty "Add" writes again from the list.
    QFile::remove(d.file());
    d.s.txto1 = B("|||");
    cmdadd_Click(d.f, d.s);
    cmddelete_Click(d.f, d.s);
    cmduse_Click(d.f, d.s);
    QCOMPARE(d.p.messages,
             L("Please enter at least one Stable into the textboxes provided.|"
               "Please select a set of stables to delete.|Please select a set of names to use."));
    QCOMPARE(fileBytes(d.file()), "A, B\r\n , Red Barn, Oak Farm\r\n , Red Barn, Oak Farm\r\n");

    d.s.ListIndex = 1;
    cmddelete_Click(d.f, d.s);
    QCOMPARE(d.s.ListIndex, -1);
    d.s.ListIndex = 0;
    cmduse_Click(d.f, d.s);
    QCOMPARE(d.s.txto1, B("A|B||"));
    QCOMPARE(fileBytes(d.file()), "A, B\r\n , Red Barn, Oak Farm\r\n");
}

void TestStableSearch::refusedNamesAndUnusableFiles()
{
    QTemporaryDir dir;
    Dialog d(dir.path());
    d.s.lstnames = L("Kept");
    const std::pair<const char*, const char*> refused[] = {
        {"A|Say \"When\"||", "Stable #2 holds a double quote"},
        {"|||Hill, Dale", "Stable #4 holds a comma"},
        {"A\nB|||", "Stable #1 holds a line break"}};
    for (const auto& [boxes, message] : refused) {
        d.s.txto1 = B(boxes);
        cmdadd_Click(d.f, d.s);
        QVERIFY2(d.p.messages.last().contains(QLatin1String(message)), qPrintable(d.p.messages.last()));
    }
    // The search takes commas (owner names have them), but no quote.
    d.s.txto1 = B(refused[0].first);
    QVERIFY(!cmdgo_Click(d.f, d.s));
    QCOMPARE(d.p.messages.size(), 4);
    QVERIFY(d.p.messages.last().contains("double quote, which a stable search cannot take"_L1));
    QCOMPARE(d.s.lstnames, L("Kept"));
    QCOMPARE(fileBytes(d.file()), "missing");

    // A file in place of a directory and a directory in place of the file: neither reads nor writes.
    QDir(dir.path()).mkdir(u"KZTSavednames.txt"_s);
    for (const QString& where : {dir.path(), dir.path() + u"/KZTSavednames.txt/missing"_s}) {
        Dialog bad(where);
        bad.s.lstnames = L("Kept");
        bad.s.txto1 = B("New|||");
        cmdadd_Click(bad.f, bad.s);
        bad.s.ListIndex = 0;
        cmddelete_Click(bad.f, bad.s);
        if (where == dir.path())
            cmdload_Click(bad.f, bad.s);
        QCOMPARE(bad.s.lstnames, L("Kept"));
        QCOMPARE(bad.p.messages.size(), where == dir.path() ? 4 : 2);
        for (const QString& m : bad.p.messages)
            QVERIFY2(m.startsWith("The saved stable names could not be "_L1), qPrintable(m));
    }

    // A pipe in place of the file would never end: only a regular file is read.
    QVERIFY(QFile::remove(dir.path() + u"/KZTSavednames.txt"_s) ||
            QDir(dir.path()).rmdir(u"KZTSavednames.txt"_s));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.path() + u"/KZTSavednames.txt"_s).constData(), 0600), 0);
    QVERIFY(Dialog(dir.path()).p.messages.value(0).contains("not a regular file"_L1));

    // 1 MB of very long lines reads whole; a file far larger than any list is refused.
    QTemporaryDir big;
    const QByteArray longLine(100000, 'x');
    writeBytes(big.path() + u"/KZTSavednames.txt"_s, (longLine + "\r\n").repeated(10));
    Dialog d2(big.path());
    QCOMPARE(d2.s.lstnames, QStringList(10, QString::fromLatin1(longLine)));
    QVERIFY(QFile::resize(d2.file(), 17 * 1024 * 1024));
    cmdload_Click(d2.f, d2.s);
    QCOMPARE(d2.s.lstnames.size(), 10);
    QVERIFY(d2.p.messages.value(0).contains("too large"_L1));
}

void TestStableSearch::searches()
{
    HeadlessPlatform p;
    MainWindowState f(p, m_fx->path(), QString());
    formLoad(f, NominalRowHeight);
    const auto search = [&](const char* boxes) {
        StableState s;
        s.txto1 = B(boxes);
        cmdgo_Click(f, s);
        return QStringList{s.lblquerystring, f.frainfo.section(u';', 0, 0)} +
               cells(f.MSFlexGrid1, 1, f.MSFlexGrid1.rows() - 1, 15, 15);
    };
    QCOMPARE(search("||Red Barn|Oak Farm"),
             L("Red Barn\" OR oname=\"Oak Farm|Statistics for Special: Red Barn|"
               "Oak Farm|Red Barn|Oak Farm|Red Barn"));
    // A box of blanks is a name, and so is one with a comma; only the first name can be a pattern.
    QCOMPARE(search(" |Hill, Dale||Elm Farm"), L(" \" OR oname=\"Hill, Dale\" OR oname=\"Elm Farm|"
                                                 "Statistics for Special:  |Hill, Dale|Elm Farm"));
    QCOMPARE(search("Red B*|Elm*||"), L("Red B*\" OR oname=\"Elm*|Statistics for Special: Red B*|"
                                        "Red Bank|Red Barn|Red Barn"));
    gethorse(f, 4, u"Oak Farm"_s, QString());
    const QJsonObject ownerGrid = gridToJson(f.MSFlexGrid1);
    const QString caption = f.frainfo, summary = f.lblprogress;
    QCOMPARE(search("|||Oak Farm"), L("Oak Farm|Statistics for Oak Farm|Oak Farm|Oak Farm"));
    QCOMPARE(gridToJson(f.MSFlexGrid1), ownerGrid);
    QCOMPARE(f.frainfo, caption);
    QCOMPARE(f.lblprogress, summary);
    QCOMPARE(p.messages, QStringList());
    StableState empty;
    QVERIFY(!cmdgo_Click(f, empty));
    QCOMPARE(p.messages, QStringList{u"You must enter at least one trainer's name."_s});
}

void TestStableSearch::window()
{
    writeBytes(m_fx->path() + u"/KZTSavednames.txt"_s, "Elm Farm\r\n , Red Barn, Oak Farm\r\n");
    HeadlessPlatform p;
    QFile(m_fx->path() + u"/breeding.txt"_s).open(QIODevice::WriteOnly);
    frmmainfinder w(p, m_fx->path(), m_fx->path() + u"/breeding.txt"_s);
    QVERIFY(w.Form_Load());
    w.show();
    QTest::mouseClick(w.cmdspecial, Qt::LeftButton);
    QPointer<frmstable> dlg = w.findChild<frmstable*>();
    QVERIFY(dlg && dlg->isVisible() && !dlg->isModal());
    QCOMPARE(dlg->windowTitle(), u"Special Stable Search"_s);
    QCOMPARE(dlg->lstnames->count(), 2);

    // Nothing to search, then a quote: the dialog stays as it was.
    QTest::mouseClick(dlg->cmdgo, Qt::LeftButton);
    QTest::keyClicks(dlg->txto1[2], u"Red \"Barn\""_s);
    QTest::keyClick(dlg->txto1[2], Qt::Key_Return);
    QCOMPARE(p.messages.size(), 2);
    QVERIFY(p.messages.at(1).contains("Stable #3 holds a double quote"_L1));
    QVERIFY(dlg->isVisible());

    // Double click fills the boxes; Delete and Add change the list and the file.
    const QRect second = dlg->lstnames->visualItemRect(dlg->lstnames->item(1));
    QTest::mouseClick(dlg->lstnames->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(dlg->lstnames->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(dlg->txto1[2]->text(), u"Oak Farm"_s);
    QTest::mouseClick(dlg->cmddelete, Qt::LeftButton);
    dlg->txto1[0]->clear();
    QTest::mouseClick(dlg->cmdadd, Qt::LeftButton);
    QCOMPARE(dlg->lstnames->item(1)->text(), u"Red Barn, Oak Farm"_s);
    QCOMPARE(fileBytes(m_fx->path() + u"/KZTSavednames.txt"_s), "Elm Farm\r\nRed Barn, Oak Farm\r\n");

    // Enter in box 2 searches, the result shows in the main window, and the dialog goes.
    QTest::keyClick(dlg->txto1[1], Qt::Key_Enter);
    QCOMPARE(w.frainfo->title().section(u';', 0, 0), u"Statistics for Special: Red Barn"_s);
    QCOMPARE(w.MSFlexGrid1->model()->rowCount(), 4);
    QTRY_VERIFY(dlg.isNull());

    QTest::mouseClick(w.cmdspecial, Qt::LeftButton);
    dlg = w.findChild<frmstable*>();
    QTest::mouseClick(dlg->cmdcancel, Qt::LeftButton);
    QTRY_VERIFY(dlg.isNull());
    QCOMPARE(p.messages.size(), 2);
    QFile::remove(m_fx->path() + u"/KZTSavednames.txt"_s);
}

void TestStableSearch::commandLine()
{
    // The command prints what the window shows for the same boxes.
    HeadlessPlatform p;
    MainWindowState f(p, m_fx->path(), QString());
    formLoad(f, NominalRowHeight);
    StableState s;
    s.txto1 = B("Red Barn|||Elm Farm");
    cmdgo_Click(f, s);
    const QJsonObject json =
        QJsonDocument::fromJson(runCli(m_fx->path(),
                                       {u"stable"_s, u"Red Barn"_s, u""_s, u""_s, u"Elm Farm"_s, u"--json"_s,
                                        u"--today"_s, u"2026-12-06"_s},
                                       0))
            .object();
    QCOMPARE(json.value(u"MSFlexGrid1"_s).toObject(), gridToJson(f.MSFlexGrid1));
    QCOMPARE(json.value(u"frainfo"_s).toString(), f.frainfo);
    QVERIFY(runCli(m_fx->path(), {u"stable"_s, u"Nobody"_s}, 1).startsWith("No horses under"));
    QVERIFY(runCli(m_fx->path(), {u"stable"_s, u"\"A\""_s}, 1).contains("Stable #1 holds a double quote"));

    QTemporaryDir dir;
    const QStringList sets{u"saved-sets"_s};
    QCOMPARE(runCli(dir.path(), sets + L("add|A||B|"), 0), "1\tA, B\n");
    QCOMPARE(runCli(dir.path(), sets + L("add|C"), 0), "1\tA, B\n2\tC\n");
    QCOMPARE(runCli(dir.path(), sets + L("use|1"), 0), "[\"A\",\"B\",\"\",\"\"]\n");
    QCOMPARE(runCli(dir.path(), sets + L("delete|1"), 0), "1\tC\n");
    QCOMPARE(runCli(dir.path(), sets + L("--json"), 0), "[\n    \"C\"\n]\n");
    QCOMPARE(runCli(dir.path(), sets + L("use|2"), 2),
             "turftrawler-cli saved-sets: there is no set 2; the list has 1\n");
    QCOMPARE(runCli(dir.path(), sets + L("add|x\"y"), 1).split('\n').value(0),
             "turftrawler-cli saved-sets: The name in Stable #1 holds a double quote, which a saved set "
             "cannot take. "
             "Please remove it.");
}

QTEST_MAIN(TestStableSearch)
#include "test_stablesearch.moc"
