// The name index against the full scan it replaces, kept in step by every change of the starts.
#include "searchfixture.h"

#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "generator/generatordb.h"
#include "import/importdriver.h"
#include "search/searchquery.h"

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

/** The names the index holds and those of the starts, which must be equal; the full-text part checked. */
#define QCOMPARE_IN_STEP(file)                                                                               \
    QCOMPARE(rows(file, u"INSERT INTO tblnames_fts (tblnames_fts, rank) VALUES ('integrity-check', 1)"_s),   \
             QStringList());                                                                                 \
    QCOMPARE(rows(file, u"SELECT kind, lower(name) FROM tblnames"_s),                                        \
             rows(file, u"SELECT 0, lower(hname) FROM tblhorsedata WHERE hname NOT NULL UNION "              \
                        "SELECT 1, lower(oname) FROM tblhorsedata WHERE oname NOT NULL"_s))

class TestNameIndex : public QObject
{
    Q_OBJECT
private slots:
    void indexedSearchEqualsScanAndKeptInStep()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"horses.mdb"_s), copy = dir.filePath(u"copy.mdb"_s);
        TurfGen::Settings settings;
        settings.tracks = 10;
        TurfGen::Generator gen(settings), other(TurfGen::smallSettings(5));
        QVERIFY(TurfGen::buildDatabase(dir.path(), gen, 101, 104) && other.writeWeeks(101, 102, dir.path()));
        HeadlessPlatform platform;
        platform.defaultAnswer = Platform::Answer::Yes;
        MainWindowState f(platform, dir.path(), QString());
        const auto import = [&](int week) { importFiles(f, {dir.filePath(u"raceout%1.txt"_s.arg(week))}); };
        import(101); // replaced by other horses
        QCOMPARE_IN_STEP(file);
        rows(file, u"DELETE FROM tblhorsedata WHERE racenum > 103 AND racenum < 104"_s);
        // Names with the characters that are literal in a pattern, in another case than searched.
        rows(
            file,
            u"INSERT INTO tblhorsedata (hname, racenum, oname) VALUES ('100% PURE', 101.0101, 'Under_Score'),"
            " ('Say \"When\"', 101.0101, '50%_Acres'), ('Ol\u00e9 Ol\u00e9', 101.0101, 'Ab')"_s);
        rows(file, u"VACUUM INTO '%1'"_s.arg(copy));
        QCOMPARE_IN_STEP(copy);

        QStringList patterns = {u"*% p*"_s,      u"*0%*"_s,       u"*r_s*"_s, u"*\"when\"*"_s, u"*%_a*"_s,
                                u"*\u00e9 o*"_s, u"*OL\u00c9*"_s, u"*ab"_s,   u"?ab*"_s,       u"*a?b*"_s};
        const QStringList names = rows(file, u"SELECT name FROM tblnames"_s);
        std::mt19937 rng(11);
        const auto pick = [&](qsizetype n) { return int(rng() % unsigned(n)); };
        while (patterns.size() < 400) {
            QString run = names[pick(names.size())].mid(pick(8), 3 + pick(6));
            for (QChar& c : run)
                c = pick(2) ? c.toUpper() : c.toLower();
            if (pick(3) == 0)
                run[pick(run.size())] = u'?';
            patterns << (pick(2) ? u"*"_s : u"?*"_s) + run +
                            QStringList{{}, u"*"_s, u"*e"_s, u"?"_s}[pick(4)];
        }
        int found = 0;
        for (const QString& p : patterns) {
            for (const int mode : {2, 4}) {
                const auto indexed = SearchQuery::build(mode, p, {}, true),
                           scan = SearchQuery::build(mode, p, {});
                const QStringList got = rows(file, indexed.sql, indexed.binds);
                QCOMPARE(got, rows(file, scan.sql, scan.binds));
                found += got.isEmpty() ? 0 : 1;
            }
        }
        QVERIFY2(found > 200, qPrintable(QString::number(found)));

        // An older file gets the index, with its progress shown, when the import opens it.
        for (const char* drop :
             {"TRIGGER tblhorsedata_names_added", "TRIGGER tblhorsedata_names_dropped",
              "TRIGGER tblhorsedata_names_changed", "TABLE tblnames_fts", "TABLE tblnames"})
            rows(file, u"DROP "_s + QLatin1String(drop));
        import(102);
        QCOMPARE(platform.labelTexts.filter(u"name index"_s),
                 {u"lblprogress: Building the name index: 0%"_s});
        QCOMPARE_IN_STEP(file);
    }
};

QTEST_GUILESS_MAIN(TestNameIndex)
#include "test_nameindex.moc"
