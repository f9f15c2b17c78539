// The name index against the full scan it replaces, kept in step by every change of the starts.
#include "searchfixture.h"

#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/maintenance.h"
#include "db/nameindex.h"
#include "generator/generatordb.h"
#include "import/importdriver.h"
#include "search/gethorse.h"
#include "search/namewalk.h"

#include <QSqlRecord>

#include <random>

/** The rows of a query on the file, sorted, its columns joined by "|"; the error text if it fails. */
static QStringList rows(const QString& file, const QString& sql, const QVariantList& binds = {})
{
    Database db;
    db.open(file);
    QSqlQuery q(db.handle());
    q.prepare(sql);
    for (const QVariant& v : binds)
        q.addBindValue(v);
    QStringList out = q.exec() ? QStringList() : QStringList{q.lastError().text()};
    for (QStringList cols; q.next(); out << cols.join(u'|'), cols.clear()) {
        for (int i = 0; i < q.record().count(); ++i)
            cols << q.value(i).toString();
    }
    std::sort(out.begin(), out.end());
    return out;
}

/** The names the index holds, with their start counts, and those of the starts, which must be equal; the
    full-text part checked. */
#define QCOMPARE_IN_STEP(file)                                                                               \
    QCOMPARE(rows(file, u"INSERT INTO tblnames_fts (tblnames_fts, rank) VALUES ('integrity-check', 1)"_s),   \
             QStringList());                                                                                 \
    QCOMPARE(rows(file, u"SELECT kind, lower(name), starts FROM tblnames"_s),                                \
             rows(file, u"SELECT 0, lower(hname), COUNT(*) FROM tblhorsedata WHERE hname NOT NULL GROUP BY " \
                        "hname UNION ALL SELECT 1, lower(oname), COUNT(*) FROM tblhorsedata WHERE oname "    \
                        "NOT NULL GROUP BY oname"_s))

/** Makes the file one from before the name index. */
static void dropIndex(const QString& file)
{
    for (const char* drop : {"TRIGGER tblhorsedata_names_added", "TRIGGER tblhorsedata_names_dropped",
                             "TRIGGER tblhorsedata_names_changed", "TABLE tblnames_fts", "TABLE tblnames"})
        rows(file, u"DROP "_s + QLatin1String(drop));
}

/** Everything a search shows: its outcome, messages, the three grids, the summary and the caption. */
static QStringList shown(MainWindowState& f, HeadlessPlatform& p, int mode, const QString& name)
{
    p.messages.clear();
    QStringList out{QString::number(gethorse(f, qint16(mode), name, {}))};
    out << p.messages << f.lblprogress << f.frainfo;
    for (const GridState* g : {&f.MSFlexGrid1, &f.MSFWGrid, &f.MSFSGrid}) {
        for (int r = 0; r < g->rows(); ++r) {
            QStringList cells{QString::number(g->colour(r, 0))};
            for (int c = 0; c < g->cols(); ++c)
                cells << g->text(r, c);
            out << cells.join(u'|');
        }
    }
    return out;
}

/** Generated weeks with replaced, removed and odd names: names with the characters that are literal in a
    pattern, in another case than searched, and several starts of one name in one race. */
static void fill(const QString& dir, MainWindowState& f)
{
    TurfGen::Settings settings;
    settings.tracks = 10;
    TurfGen::Generator gen(settings), other(TurfGen::smallSettings(5));
    QVERIFY(TurfGen::buildDatabase(dir, gen, 101, 104) && other.writeWeeks(101, 102, dir));
    importFiles(f, {dir + u"/raceout101.txt"_s}); // replaced by other horses
    QCOMPARE(removeweeks(f, {u"Week 103"_s}, false), RemoveOutcome::Removed);
    rows(dir + u"/horses.mdb"_s,
         u"INSERT INTO tblhorsedata (hname, hid, racenum, oname) VALUES ('100% PURE', 1, 101.0101, "
         "'Under_Score'), ('Say \"When\"', 2, 101.0101, '50%_Acres'), ('Ol\u00e9 Ol\u00e9', 3, 101.0101, "
         "'Ab'), "
         "('Ol\u00e9 Ol\u00e9', 4, 101.0101, 'Ab'), ('ol\u00e9 ol\u00e9', 5, 102.0101, 'AB')"_s);
}

class TestNameIndex : public QObject
{
    Q_OBJECT
private slots:
    void keptInStepAndBuiltOnFirstWrite()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"horses.mdb"_s);
        HeadlessPlatform platform;
        platform.defaultAnswer = Platform::Answer::Yes;
        MainWindowState f(platform, dir.path(), QString());
        fill(dir.path(), f);
        QCOMPARE_IN_STEP(file);
        QVERIFY(cmdcompact_Click(f));
        QCOMPARE_IN_STEP(file);

        // An older file, or one whose index lacks the start counts, gets the index with its progress shown
        // by whatever writes to it first.
        const std::function<void()> writers[] = {
            [&] { importFiles(f, {dir.filePath(u"raceout102.txt"_s)}); },
            [&] { QCOMPARE(removeweeks(f, {u"Week 104"_s}, false), RemoveOutcome::Removed); },
            [&] { QVERIFY(cmdcompact_Click(f)); },
            [&] { QCOMPARE(addtrack(platform, file, u"50"_s, u"ZZ"_s), TrackOutcome::Stored); },
        };
        for (const auto& write : writers) {
            if (&write == &writers[1])
                rows(file, u"ALTER TABLE tblnames RENAME COLUMN starts TO n"_s);
            else
                dropIndex(file);
            platform.labelTexts.clear();
            write();
            QCOMPARE(platform.labelTexts.filter(u"name index"_s),
                     {u"lblprogress: Building the name index: 0%"_s});
            QCOMPARE_IN_STEP(file);
        }
    }

    void indexedSearchEqualsScan()
    {
        QTemporaryDir dir, bare;
        const QString file = dir.filePath(u"horses.mdb"_s);
        HeadlessPlatform platform, barePlatform;
        platform.defaultAnswer = barePlatform.defaultAnswer = Platform::Answer::Yes;
        MainWindowState f(platform, dir.path(), QString()), g(barePlatform, bare.path(), QString());
        f.settingsWritable = g.settingsWritable = false;
        fill(dir.path(), f);
        QVERIFY(QFile::copy(file, bare.filePath(u"horses.mdb"_s)));
        dropIndex(bare.filePath(u"horses.mdb"_s)); // searched by the full scan

        QStringList patterns = {u"*% p*"_s,      u"*0%*"_s,       u"*r_s*"_s, u"*\"when\"*"_s, u"*%_a*"_s,
                                u"*\u00e9 o*"_s, u"*OL\u00c9*"_s, u"*ab"_s,   u"?ab*"_s,       u"*a?b*"_s};
        const QStringList names = rows(file, u"SELECT name FROM tblnames"_s);
        std::mt19937 rng(11);
        const auto pick = [&](qsizetype n) { return int(rng() % unsigned(n)); };
        while (patterns.size() < 300) {
            // A run from inside a name after a wildcard, or a name's start.
            const int lead = pick(3);
            QString run = names[pick(names.size())].mid(lead < 2 ? pick(8) : 0, 3 + pick(6));
            for (QChar& c : run)
                c = pick(2) ? c.toUpper() : c.toLower();
            if (pick(3) == 0)
                run[pick(run.size())] = u'?';
            patterns << QStringList{u"*"_s, u"?*"_s, {}}[lead] + run +
                            QStringList{{}, u"*"_s, u"*e"_s, u"?"_s}[pick(4)];
        }
        int found = 0;
        for (qsizetype i = 0; i < patterns.size(); ++i) {
            // Every fourth search bounded by a last week, a first week or the current owner.
            for (MainWindowState* s : {&f, &g}) {
                s->panel.txtlastweek = i % 4 == 1 ? u"102"_s : QString();
                s->panel.txtfirstweek = i % 4 == 2 ? u"102"_s : QString();
                s->panel.chkowner = i % 4 == 3;
            }
            for (const int mode : {2, 4}) {
                const QStringList got = shown(f, platform, mode, patterns[i]);
                QCOMPARE(got, shown(g, barePlatform, mode, patterns[i]));
                found += got.first() == u"1"_s ? 1 : 0;
            }
        }
        QVERIFY2(found > 150, qPrintable(QString::number(found)));
    }

    /** The walk's order in windows: each a prefix of all the names' starts newest first, long enough. */
    void newestFirstInWindows()
    {
        QTemporaryDir dir;
        TurfGen::Generator gen(TurfGen::smallSettings(3));
        QVERIFY(TurfGen::buildDatabase(dir.path(), gen, 101, 130));
        const QString file = dir.filePath(u"horses.mdb"_s);
        Database db;
        QVERIFY(db.open(file));
        const auto newer = [](const NameWalk::Start& a, const NameWalk::Start& b) {
            return a.racenum != b.racenum ? a.racenum > b.racenum : a.rowid > b.rowid;
        };
        for (const QString& like : {u"%a%"_s, u"%in%"_s, u"%e"_s}) {
            QVariantList names;
            for (const QString& name :
                 rows(file, u"SELECT name FROM tblnames WHERE kind = 0 AND name LIKE ?"_s, {like}))
                names << name;
            NameWalk::Limits limits{
                1000000,
                rows(file, u"SELECT 1 FROM tblhorsedata WHERE hname LIKE ?"_s, {like}).size(),
                {},
                {}};
            const auto all = NameWalk::newestFirst(db, u"hname"_s, names, limits);
            QCOMPARE(qint64(all->size()), limits.starts);
            QVERIFY(std::is_sorted(all->begin(), all->end(), newer));
            for (const int listed : {1, 7, 60}) {
                for (const double bound : {0.0, 120.0}) {
                    limits.listed = listed;
                    limits.lastWeekBound = bound > 0 ? std::optional(bound) : std::nullopt;
                    const auto got = NameWalk::newestFirst(db, u"hname"_s, names, limits);
                    const auto after = std::count_if(
                        all->begin(), all->end(), [&](auto& x) { return x.racenum >= bound && bound > 0; });
                    QCOMPARE_GE(qint64(got->size()),
                                after + std::min<qint64>(listed, qint64(all->size()) - after));
                    QVERIFY(std::equal(got->begin(), got->end(), all->begin(),
                                       [](auto& a, auto& b) { return a.rowid == b.rowid; }));
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestNameIndex)
#include "test_nameindex.moc"
