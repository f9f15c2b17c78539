// The stable search: saved sets and their file, the searches, the window over the main window, the commands.
#include "runcli.h"
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
#include <QPushButton>

#include <sys/stat.h>

namespace
{

/** Four boxes given as one string with '|' between them. */
std::array<QString, 4> B(const char* texts)
{
    const QStringList l = QString::fromUtf8(texts).split(u'|');
    return {l.value(0), l.value(1), l.value(2), l.value(3)};
}

/** The dialog's state over a directory, loaded as the dialog opens; the file written first when given. */
struct Dialog {
    explicit Dialog(const QString& dir, const QByteArray& content = {}) : f(p, dir, QString())
    {
        QFile out(f.savedNamesPath());
        if (!content.isNull() && out.open(QIODevice::WriteOnly))
            out.write(content);
        out.close();
        cmdload_Click(f, s);
    }
    QByteArray file() const
    {
        QFile in(f.savedNamesPath());
        return in.open(QIODevice::ReadOnly) ? in.readAll() : "missing";
    }
    HeadlessPlatform p;
    MainWindowState f;
    StableState s;
};

} // namespace

class TestStableSearch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void savedSets();
    void searches();
    void window();
    void commandLine();

private:
    std::unique_ptr<SearchFixture> m_fx;
};

void TestStableSearch::initTestCase()
{
    m_fx = std::make_unique<SearchFixture>();
    const QStringList owners = L("Red Barn|Oak Farm|Elm Farm|Red Barn|Oak Farm|Red Bank|Hill, Dale");
    for (int i = 0; i < 7; ++i)
        m_fx->add({.hid = 100 + i, .week = 400 + i, .oname = owners[i]});
}

void TestStableSearch::savedSets()
{
    // Lines end in CR LF, LF or nothing, after a byte-order mark (marks opening later lines are dropped too);
    // empty lines are no sets.
    QTemporaryDir dir;
    Dialog d(dir.path(), "\xEF\xBB\xBFRed Barn\r\n\xEF\xBB\xBF\r\nA,B\n\n\xEF\xBB\xBF\xEF\xBB\xBF"
                         "A, B, C, D, E\r\nA,,B, C");
    QCOMPARE(d.s.lstnames, L("Red Barn|A,B|A, B, C, D, E|A,,B, C"));
    d.s.txto1 = B("A||B|");
    cmdadd_Click(d.f, d.s);
    // "Use" takes each later name from two characters after its comma; the fourth box takes the rest.
    const char* used[] = {"Red Barn|||", "A|||", "A|B|C|D, E", "A|||C", "A|B||"};
    for (int i = 0; i < 5; ++i) {
        d.s.ListIndex = i;
        cmduse_Click(d.f, d.s);
        QCOMPARE(d.s.txto1, B(used[i]));
    }
    cmddelete_Click(d.f, d.s);
    QCOMPARE(d.s.ListIndex, -1);
    d.s.ListIndex = 0;
    cmddelete_Click(d.f, d.s);
    const QByteArray written = "A,B\r\nA, B, C, D, E\r\nA,,B, C\r\n";
    QCOMPARE(d.file(), written);

    // An empty "Add" says so, and still writes the list again.
    QFile::remove(d.f.savedNamesPath());
    d.s.txto1 = B("|||");
    cmdadd_Click(d.f, d.s);
    QCOMPARE(d.p.messages, L("Please enter at least one Stable into the textboxes provided."));
    QCOMPARE(d.file(), written);

    d.p.messages.clear();
    for (const char* boxes : {"A|Say \"When\"||", "|||Hill, Dale", "A\nB|||"}) {
        d.s.txto1 = B(boxes);
        cmdadd_Click(d.f, d.s);
    }
    // The search takes commas (owner names have them, see searches()), but no quote.
    d.s.txto1 = B("A|Say \"When\"||");
    QVERIFY(!cmdgo_Click(d.f, d.s));
    QStringList refusals;
    for (const QString& what :
         L("2 holds a double quote, which a saved set|4 holds a comma, which a saved set|"
           "1 holds a line break, which a saved set|2 holds a double quote, which a stable search"))
        refusals << u"The name in Stable #"_s + what + u" cannot take. Please remove it."_s;
    QCOMPARE(d.p.messages, refusals);
    QCOMPARE(d.s.lstnames, L("A,B|A, B, C, D, E|A,,B, C"));
    QCOMPARE(d.file(), written);

    // A directory in place of the file (and so a program directory that cannot take it): the list stays.
    QVERIFY(QFile::remove(d.f.savedNamesPath()) && QDir(dir.path()).mkdir(u"KZTSavednames.txt"_s));
    Dialog bad(dir.path());
    cmdadd_Click(bad.f, bad.s = {B("New|||"), L("Kept"), 0, {}});
    cmddelete_Click(bad.f, bad.s);
    cmdload_Click(bad.f, bad.s);
    QCOMPARE(bad.s.lstnames, L("Kept"));
    QCOMPARE(bad.p.messages.filter(u"The saved stable names could not be "_s).size(), 4);

    // A pipe in place of the file would never end: only a regular file is read.
    QVERIFY(QDir(dir.path()).rmdir(u"KZTSavednames.txt"_s));
    QCOMPARE(::mkfifo(QFile::encodeName(d.f.savedNamesPath()).constData(), 0600), 0);
    QVERIFY(Dialog(dir.path()).p.messages.value(0).contains("not a regular file"_L1));
    // A link to nowhere is not an empty list either.
    QVERIFY(QFile::remove(d.f.savedNamesPath()) && QFile::link(u"gone.txt"_s, d.f.savedNamesPath()));
    QVERIFY(Dialog(dir.path()).p.messages.value(0).contains("link to a file that does not exist"_L1));

    // 1 MB of very long lines reads whole; a file far larger than any list is refused.
    QTemporaryDir big;
    const QByteArray longLine(100000, 'x');
    Dialog d2(big.path(), (longLine + "\r\n").repeated(10));
    QCOMPARE(d2.s.lstnames, QStringList(10, QString::fromLatin1(longLine)));
    QVERIFY(QFile::resize(d2.f.savedNamesPath(), 17 * 1024 * 1024));
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
    const QString ownerTexts = f.frainfo + f.lblprogress;
    search("|||Oak Farm");
    QCOMPARE(gridToJson(f.MSFlexGrid1), ownerGrid);
    QCOMPARE(f.frainfo + f.lblprogress, ownerTexts);
    QCOMPARE(p.messages, QStringList());
}

void TestStableSearch::window()
{
    Dialog saved(m_fx->path(), "Elm Farm\r\n , Red Barn, Oak Farm\r\n");
    HeadlessPlatform p;
    frmmainfinder w(p, m_fx->path(), QString());
    QVERIFY(w.Form_Load());
    w.show();
    QTest::mouseClick(w.cmdspecial, Qt::LeftButton);
    QPointer<frmstable> dlg = w.findChild<frmstable*>();
    QVERIFY(dlg && !dlg->isModal() && dlg->lstnames->count() == 2);
    // Nothing to search: the dialog stays.
    QTest::mouseClick(dlg->cmdgo, Qt::LeftButton);
    QVERIFY(dlg->isVisible());
    QCOMPARE(p.messages, L("You must enter at least one trainer's name."));

    // Double click fills the boxes; Delete and Add change the list and the file.
    const QRect second = dlg->lstnames->visualItemRect(dlg->lstnames->item(1));
    QTest::mouseClick(dlg->lstnames->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(dlg->lstnames->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(dlg->txto1[2]->text(), u"Oak Farm"_s);
    QTest::mouseClick(dlg->cmddelete, Qt::LeftButton);
    dlg->txto1[0]->clear();
    QTest::mouseClick(dlg->cmdadd, Qt::LeftButton);
    QCOMPARE(dlg->lstnames->item(1)->text(), u"Red Barn, Oak Farm"_s);
    QCOMPARE(saved.file(), "Elm Farm\r\nRed Barn, Oak Farm\r\n");

    // Enter in box 2 searches, the result shows in the main window, and the dialog goes.
    QTest::keyClick(dlg->txto1[1], Qt::Key_Enter);
    QCOMPARE(w.frainfo->title().section(u';', 0, 0), u"Statistics for Special: Red Barn"_s);
    QCOMPARE(w.MSFlexGrid1->model()->rowCount(), 4);
    QTRY_VERIFY(dlg.isNull());

    QTest::mouseClick(w.cmdspecial, Qt::LeftButton);
    dlg = w.findChild<frmstable*>();
    QTest::mouseClick(dlg->cmdcancel, Qt::LeftButton);
    QTRY_VERIFY(dlg.isNull());
}

void TestStableSearch::commandLine()
{
    // The search options apply: the listing begins in week 402.
    const QByteArray out = runCli(m_fx->path(), L("stable|Red Barn|||Elm Farm|--last-week|402"), 0);
    QVERIFY(out.contains("\nStatistics for Special: Red Barn;     $"));
    QCOMPARE(out.count("\"Red Barn\",") + out.count("\"Elm Farm\","), 2);

    QTemporaryDir dir;
    const QStringList sets{u"saved-sets"_s};
    runCli(dir.path(), sets + L("add|A||B|"), 0);
    QCOMPARE(runCli(dir.path(), sets + L("add|C"), 0), "1\tA, B\n2\tC\n");
    QCOMPARE(runCli(dir.path(), sets + L("use|1"), 0), "[\"A\",\"B\",\"\",\"\"]\n");
    QCOMPARE(runCli(dir.path(), sets + L("delete|1|--json"), 0), "[\n    \"C\"\n]\n");
    QCOMPARE(runCli(dir.path(), sets + L("use|2"), 2),
             "turftrawler-cli saved-sets: there is no set 2; the list has 1\n");
}

QTEST_MAIN(TestStableSearch)
#include "test_stablesearch.moc"
