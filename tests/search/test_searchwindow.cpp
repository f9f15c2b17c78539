// The search panel and the results in the real main window, and the command-line search beside it.
#include "runcli.h"
#include "searchfixture.h"

#include "app/frmmainfinder.h"
#include "app/gridview.h"
#include "core/headlessplatform.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace
{

/** The main window over a fixture's directory, the breeding file present, shown and loaded. */
struct Window {
    explicit Window(SearchFixture& fx) : breeding(fx.path() + u"/breeding.txt"_s), w(p, fx.path(), breeding)
    {
        QFile(breeding).open(QIODevice::WriteOnly);
        p.todayDate = dateOfWeek(420);
        p.dateFormat = u"d MMM yyyy"_s;
        w.Form_Load();
        w.show();
        p.messages.clear();
    }
    MainWindowState& f() { return w.state(); }
    QStringList column(int c) { return cells(f().MSFlexGrid1, 1, f().MSFlexGrid1.rows() - 1, c, c); }

    HeadlessPlatform p;
    QString breeding;
    frmmainfinder w;
};

/** Clicks a button near its left edge, where an option button's circle and caption are. */
void click(QAbstractButton* button)
{
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

/** Runs the command-line search over the fixture; its output, or what went wrong. */
QByteArray search(SearchFixture& fx, const QStringList& args, int status)
{
    return runCli(fx.path(), QStringList{u"search"_s} + args, status);
}

} // namespace

class TestSearchWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<SearchFixture> m_fx;
private slots:
    void initTestCase()
    {
        m_fx = std::make_unique<SearchFixture>();
        const char* names[] = {"Blue Streak", "Night Train", "Abcdefghijklmnopqrstuvwxy"};
        for (int i = 0; i < 9; ++i) {
            Run r{
                .hname = QLatin1String(names[i % 3]), .hid = 100 + i % 3, .week = 410 - i, .race = 1 + i % 3};
            r.fin = i % 4 + 1, r.sp = 85 + i * 3.1, r.oname = i < 3 ? u"Oak Farm"_s : u"Red Barn"_s;
            r.surf = i % 2 ? u"T"_s : u"D"_s, r.cond = i % 3 == 2 ? u"G"_s : u"F"_s;
            r.cprice = i % 2 ? 4000 : 0, r.restr = i % 2 ? u"Clm"_s : u"Alw"_s;
            m_fx->add(r);
        }
    }

    void modePresets()
    {
        Window t(*m_fx);
        frmmainfinder& w = t.w;
        QVERIFY(w.opthorse->isChecked());
        w.txthorse->setText(u"kept"_s);
        // Each option presets the ticks and shows the sire's controls only for sires; then each pair of ticks
        // gives a mode. State: name ticked, enabled; id ticked, enabled; 2yo, number label, number box shown.
        const auto state = [&] {
            QString out;
            for (bool on :
                 {w.chkname->isChecked(), w.chkname->isEnabled(), w.chkid->isChecked(), w.chkid->isEnabled(),
                  w.chk2yo->isVisible(), w.lblnum->isVisible(), w.txtnum->isVisible()})
                out += on ? u'1' : u'0';
            return out;
        };
        const std::tuple<QRadioButton*, const char*, bool, bool, int> steps[] = {
            {w.opthorse, "1101000", true, true, 1}, {w.opthorse, "", true, false, 2},
            {w.opthorse, "", false, true, 3},       {w.opthorse, "", false, false, 2},
            {w.optowner, "1100000", true, true, 4}, {w.optrace, "0011000", false, true, 5},
            {w.optsire, "1100111", true, false, 0}, {w.opthorse, "1101000", true, false, 2}};
        for (const auto& [option, presets, name, id, mode] : steps) {
            if (!option->isChecked())
                click(option);
            if (*presets)
                QCOMPARE(state(), QLatin1String(presets));
            w.chkname->setChecked(name);
            w.chkid->setChecked(id);
            QCOMPARE(int(w.searchMode()), mode);
        }
        QCOMPARE(w.txthorse->text(), u"kept"_s);
    }

    void keyFilters()
    {
        Window t(*m_fx);
        for (QLineEdit* box : {t.w.txtfirstweek, t.w.txtlastweek, t.w.txtinjury}) {
            box->clear();
            const int beeps = t.p.beeps;
            QTest::keyClicks(box, u"4a-1."_s);
            QCOMPARE(box->text(), u"41"_s);
            QCOMPARE(t.p.beeps, beeps + 3);
            QTest::keyClick(box, Qt::Key_Backspace);
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(t.p.beeps, beeps + 4);
            QCOMPARE(box->text(), u"4"_s);
        }
        // Enter in a week box only beeps: no search ran.
        QCOMPARE(t.f().MSFlexGrid1.text(1, 0), QString());

        const int beeps = t.p.beeps;
        QTest::keyClicks(t.w.txtid, u"1x2.*?-"_s);
        QTest::keyClick(t.w.txtid, Qt::Key_Backspace);
        QCOMPARE(t.w.txtid->text(), u"12.*"_s);
        // Any key goes into the name box.
        QTest::keyClicks(t.w.txthorse, u"O'Hara-2 \"x\""_s);
        QCOMPARE(t.w.txthorse->text(), u"O'Hara-2 \"x\""_s);
        QCOMPARE(t.p.beeps, beeps + 2);
    }

    void enterRunsSearch()
    {
        Window t(*m_fx);
        // Enter in the id box runs the same search as "GO!": here by id alone.
        t.w.chkname->setChecked(false);
        t.w.chkid->setChecked(true);
        QTest::keyClicks(t.w.txtid, u"101"_s);
        QTest::keyClick(t.w.txtid, Qt::Key_Return);
        QCOMPARE(t.column(0), QStringList(3, u"Night Train"_s));
        QCOMPARE(t.p.beeps, 0);

        // A horse name of 30 characters is searched by its first 25, and those find the horse.
        t.w.chkname->setChecked(true);
        t.w.chkid->setChecked(false);
        QTest::keyClicks(t.w.txthorse, u"Abcdefghijklmnopqrstuvwxyz1234"_s);
        QTest::keyClick(t.w.txthorse, Qt::Key_Enter);
        QVERIFY(t.p.messages.isEmpty());
        QCOMPARE(t.column(0), QStringList(3, u"Abcdefghijklmnopqrstuvwxy"_s));

        // Race mode passes the typed key unchanged.
        click(t.w.optrace);
        t.w.txtid->setText(u"410.0401"_s);
        click(t.w.cmdgethorse);
        QCOMPARE(t.column(2), QStringList{u"410.0401"_s});
    }

    void resultsAndPopupCommands()
    {
        Window t(*m_fx);
        t.w.txthorse->setText(u"Blue Streak"_s);
        click(t.w.cmdgethorse);
        QCOMPARE(t.w.frainfo->title(), t.f().frainfo);
        QVERIFY(t.w.lblprogress->text().contains("\nUnder trainer:  Oak Farm\n"_L1));
        QCOMPARE(t.w.MSFlexGrid1->model()->index(0, 2).data().toString(), u"410.0401"_s);

        // Select a row in the view, as a click would, then run a pop-up command.
        t.w.MSFlexGrid1->setCurrentIndex(t.w.MSFlexGrid1->model()->index(2, 0)); // the oldest, under Red Barn
        t.w.listowner->trigger();
        QCOMPARE(t.column(15), QStringList(6, u"Red Barn"_s));
        QVERIFY(t.p.messages.isEmpty());
    }
    void commandLineText()
    {
        const QStringList lines =
            QString::fromUtf8(search(*m_fx, {u"--owner"_s, u"Oak Farm"_s, u"--today"_s, u"1999-01-01"_s}, 0))
                .split(u'\n');
        QVERIFY(lines.value(0).startsWith("\"Name\",\"H.ID.\","_L1));
        QVERIFY(lines.value(1).startsWith("\"Blue Streak\",\"100\",\"410.0401\","_L1));
        QVERIFY(lines.value(4).startsWith("Statistics for Oak Farm;     $"_L1));
        QCOMPARE(lines.value(5), u"Statistics for Oak Farm"_s);

        QCOMPARE(search(*m_fx, {u"--id"_s, u"abc"_s}, 1).split('\n').value(0),
                 "The ID \"abc\" is not a number.");
        QCOMPARE(search(*m_fx, {u"--owner"_s, u"A"_s, u"--race"_s, u"1"_s}, 2).split('\n').value(0),
                 "turftrawler-cli search: give --horse and/or --id, or --owner, or --race");
    }

    void ownerNameWholeAndLiteral()
    {
        // 29 characters, and an "&" that a caption would take for a shortcut key.
        const QString owner = u"Westwood & Hall Thoroughbreds"_s;
        m_fx->add({.hname = u"Zed"_s, .hid = 300, .week = 300, .oname = owner});
        Window t(*m_fx);
        click(t.w.optowner);
        QTest::keyClicks(t.w.txthorse, owner);
        click(t.w.cmdgethorse);
        QCOMPARE(t.column(15), QStringList{owner});
        // The frame caption has no shortcut key, and draws its "&&" as the one "&" of the name.
        const QString title = t.w.frainfo->title();
        QVERIFY(QKeySequence::mnemonic(title).isEmpty());
        QCOMPARE(QString(title).replace(u"&&"_s, u"&"_s), t.f().frainfo);
    }
};

QTEST_MAIN(TestSearchWindow)
#include "test_searchwindow.moc"
