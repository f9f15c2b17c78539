// The page parser on saved pages and their variants, and the request flow with the scripted platform.
#include "lineagefixture.h"

#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "lineage/getlineage.h"

namespace
{

/** The values' names: the fields, then the pedigree as p11 (Horse, sire line) to p43 (Sire's Sire, dam's
    dam-sire line). */
QStringList keys()
{
    QStringList k = u"name|owner|earnings|description|ranking|claim|nonmcos|w3|w6|w9|wy"_s.split(u'|');
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 3; ++c)
            k << u"p%1%2"_s.arg(r).arg(c);
    return k;
}

QMap<QString, QString> byKey(const QStringList& values)
{
    QMap<QString, QString> out;
    for (qsizetype i = 0; i < values.size(); ++i)
        out[keys().at(i)] = values.at(i);
    return out;
}

QMap<QString, QString> fields(const LineagePage& p)
{
    QStringList v{p.name,        p.owner,   p.earnings, p.description, p.ranking, p.claimTag,
                  p.nonMcosWins, p.wins[0], p.wins[1],  p.wins[2],     p.wins[3]};
    for (const auto& row : p.pedigree)
        for (const QString& name : row)
            v << name;
    return byKey(v);
}

const char* const Pedigree = "Fancy Dancer|Lady Luck|Morning Dew|Storm Chaser|Silver Bell|Quiet Night|"
                             "Gold Rush|Bright Star|Sea Breeze|Iron Duke|Red Rose|Blue Moon";

} // namespace

class TestLineagePage : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void pageEncoding();
    void request_data();
    void request();
};

void TestLineagePage::parse_data()
{
    QTest::addColumn<QStringList>("edits");   // "from=>to", applied in order to the saved page
    QTest::addColumn<QStringList>("changes"); // "field=value" against the saved page's values
    const auto row = [](const char* name, const char* edits, const char* changes) {
        QTest::newRow(name) << (*edits ? QString::fromUtf8(edits).split(u'|') : QStringList())
                            << (*changes ? QString::fromUtf8(changes).split(u'|') : QStringList());
    };
    row("saved page", "", "");
    row("two-character description start", "size=2>4=>size=2>14",
        "description=14 yo bay colt by Storm Chaser");
    row("bold part of the description", "colt by=>colt <b>bred by owner</b> by",
        "description=4 yo bay colt HOMEBRED by Storm Chaser");
    row("wins: the next bold texts, whatever the labels",
        "6 months:=>Half year:|<tr><td>9 months:=><tr><td><b>9</b> mo.</td></tr><tr><td>", "w9=9|wy=2");
    // With the headings swapped, "Sire</th>" first matches the end of the other heading: both rows read its
    // names.
    row("Dam-Sire heading before Sire",
        "<th>Sire</th>=><th>X</th>|<th>Dam-Sire</th>=><th>Sire</th>|<th>X</th>=><th>Dam-Sire</th>",
        "p31=Storm Chaser|p32=Silver Bell|p33=Quiet Night");
    row("Sire's Sire heading before Sire",
        "<th>Sire</th>=><th>X</th>|<th>Sire's Sire</th>=><th>Sire</th>|<th>X</th>=><th>Sire's Sire</th>",
        "p41=Storm Chaser|p42=Silver Bell|p43=Quiet Night");
    // A piece of HTML that is missing empties its value and every value found from its position, nothing
    // else.
    row("no name marker", "font size=4=>", "name=|owner=|earnings=");
    row("no </td>", "</td>=>", "name=|owner=|earnings=|claim=|nonmcos=");
    row("no owner link", "&idno=&name==>", "owner=|earnings=");
    row("no $", "$=>", "earnings=|claim=25,000");
    row("no </th>", "</th>=>", "earnings=|p11=|p12=|p13=|p21=|p22=|p23=|p31=|p32=|p33=|p41=|p42=|p43=");
    row("no ID#", "ID#=>", "description=|ranking=|claim=|nonmcos=");
    row("no <font size=2>", "<font size=2>=>", "description=|ranking=|claim=|nonmcos=");
    row("no </font>", "</font>=>", "description=");
    row("no ranking label", "Divisional Ranking:=>", "ranking=|claim=|nonmcos=");
    row("no <b>", "<b>=>", "ranking=|claim=|nonmcos=|w3=|w6=|w9=|wy=");
    row("no </b>", "</b>=>", "ranking=|w3=|w6=|w9=|wy=");
    row("no claim-tag label", "Low Claim-Tag/6=>", "claim=|nonmcos=");
    row("no right-aligned cell", "<td align=right>=>", "claim=|nonmcos=");
    row("no wins label", "Non M/C/O/S=>", "nonmcos=");
    row("no 3-month label", "3 months:=>", "w3=|w6=|w9=|wy=");
    row("no Horse heading", "Horse</th>=>", "p11=|p12=|p13=");
    row("no <a", "<a=>", "p11=|p12=|p13=|p21=|p22=|p23=|p31=|p32=|p33=|p41=|p42=|p43=");
    row("no </a", "</a=>", "p11=|p12=|p13=|p21=|p22=|p23=|p31=|p32=|p33=|p41=|p42=|p43=");
    // Ends that fall among the characters skipped after a marker give empty, not the text up to a later end.
    row("anchor text without its line break", ">\r\nFancy Dancer</a>=>>F</a>", "p11=");
    row("one-character description", "size=2>4\r\nyo bay colt by Storm Chaser=>size=2>4", "description=");
}

void TestLineagePage::parse()
{
    QFETCH(QStringList, edits);
    QFETCH(QStringList, changes);
    QString page = pageText(savedPage("fancy-dancer.html"));
    for (const QString& e : edits)
        page.replace(e.section(u"=>"_s, 0, 0), e.section(u"=>"_s, 1));
    QMap<QString, QString> expected =
        byKey(QString::fromUtf8(
                  "Fancy Dancer|RED BARN STABLES|$123,456|4 yo bay colt by Storm Chaser|12th|$25,000|3|1|2|"
                  "2|4")
                  .split(u'|') +
              QString::fromUtf8(Pedigree).split(u'|'));
    for (const QString& ch : changes)
        expected[ch.section(u'=', 0, 0)] = ch.section(u'=', 1);
    QCOMPARE(fields(parseLineagePage(page)), expected);
}

void TestLineagePage::pageEncoding()
{
    QCOMPARE(pageText("Caf\xc3\xa9"), u"Café"_s);
    QCOMPARE(pageText("Caf\xe9"), u"Café"_s);
}

void TestLineagePage::request_data()
{
    QTest::addColumn<QString>(
        "grid"); // "name,id" per data row, ';' between rows; "" is the caption row alone
    QTest::addColumn<int>("selected");      // the selected row
    QTest::addColumn<bool>("yes");          // the answer to the question
    QTest::addColumn<QStringList>("shown"); // first word of each message, then "window" when it is shown
    QTest::addColumn<QString>("page");      // the saved page expected in the window
    const auto row = [](const char* name, const char* grid, int selected, bool yes, const char* shown,
                        const char* page = "") {
        QTest::newRow(name) << QString::fromUtf8(grid) << selected << yes
                            << (*shown ? QString::fromUtf8(shown).split(u'|') : QStringList())
                            << QString::fromUtf8(page);
    };
    row("grid as at start-up", ",", 1, true, "Please");
    row("caption row alone", "", 0, true, "Please");
    row("empty id cell", "Fancy Dancer,123456;Night Train,", 2, true, "Please");
    row("caption row selected: row 1", "Fancy Dancer,123456;Night Train,654321", 0, false, "window",
        "fancy-dancer.html");
    row("page name in other letter case", "Night Train,654321", 1, false, "window", "night-train.html");
    row("grid name in other letter case, No", "Fancy dancer,123456", 1, false, "Warning:");
    row("another horse now, Yes", "Old Timer,123456", 1, true, "Warning:|window", "fancy-dancer.html");
    row("nothing received", "Ghost,999", 1, true, "Connection");
    row("empty page", "Blank,777", 1, true, "Connection");
}

void TestLineagePage::request()
{
    QFETCH(QString, grid);
    QFETCH(int, selected);
    QFETCH(bool, yes);
    QFETCH(QStringList, shown);
    QFETCH(QString, page);

    HeadlessPlatform platform;
    platform.defaultAnswer = yes ? Platform::Answer::Yes : Platform::Answer::No;
    const QString site = u"http://site.test/"_s;
    platform.pages[site + u"hr/runtime/onehoss.asp?hossnum=123456"_s] = savedPage("fancy-dancer.html");
    platform.pages[site + u"hr/runtime/onehoss.asp?hossnum=654321"_s] = savedPage("night-train.html");
    platform.pages[site + u"hr/runtime/onehoss.asp?hossnum=777"_s] = QByteArray();
    MainWindowState f(platform, u"."_s, QString());
    const QStringList rows = grid.isEmpty() ? QStringList() : grid.split(u';');
    f.MSFlexGrid1.setRows(int(rows.size()) + 1);
    for (int r = 0; r < rows.size(); ++r) {
        f.MSFlexGrid1.setText(r + 1, 0, rows[r].section(u',', 0, 0));
        f.MSFlexGrid1.setText(r + 1, 1, rows[r].section(u',', 1));
    }
    f.MSFlexGrid1.setCurrent(selected, 3);

    LineageState w;
    int loads = 0;
    if (getlineage_Click(f, site, [&]() -> LineageState& { return ++loads, w; }))
        platform.messages << u"window"_s;
    QStringList seen;
    for (const QString& m : platform.messages)
        seen << m.section(u' ', 0, 0);
    QCOMPARE(seen, shown);
    QCOMPARE(loads, shown.contains(u"window"_s) ? 1 : 0);
    const bool fetched = !shown.startsWith(u"Please"_s);
    QCOMPARE(platform.requestedUrls.size(), fetched ? 1 : 0);
    QCOMPARE(platform.busyCalls, fetched ? 1 : 0);
    QCOMPARE(platform.busyDepth, 0);
    if (!page.isEmpty()) {
        const int row = f.MSFlexGrid1.rowSel();
        QCOMPARE(row, std::max(selected, 1));
        QCOMPARE(windowTexts(w), expectedTexts(savedPage(qPrintable(page)), f.MSFlexGrid1.text(row, 1)));
    } else {
        QCOMPARE(windowTexts(w), windowTexts(LineageState()));
    }
}

QTEST_GUILESS_MAIN(TestLineagePage)
#include "test_lineagepage.moc"
