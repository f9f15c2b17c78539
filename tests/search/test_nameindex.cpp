// The name index against the full scan it replaces, and kept in step by every change of the starts.
#include "searchfixture.h"

#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/nameindex.h"
#include "generator/generatordb.h"
#include "import/importdriver.h"
#include "search/searchquery.h"

#include <QSqlRecord>

#include <random>

class TestNameIndex : public QObject
{
    Q_OBJECT
private slots:
    void indexedSearchEqualsScan();
    void keptInStep();

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(u"horses.mdb"_s); }
    QStringList rows(const QString& sql, const QVariantList& binds = {}) const
    {
        Database db;
        db.open(path());
        QSqlQuery q(db.handle());
        q.prepare(sql);
        for (const QVariant& v : binds)
            q.addBindValue(v);
        q.exec();
        QStringList out;
        while (q.next()) {
            QStringList cols;
            for (int i = 0; i < q.record().count(); ++i)
                cols << q.value(i).toString();
            out << cols.join(u'|');
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    /** Empty when the index holds exactly the names of the starts and its full-text part is sound. */
    QString outOfStep() const
    {
        const QStringList held = rows(u"SELECT kind, lower(name) FROM tblnames"_s);
        const QStringList wanted = rows(u"SELECT DISTINCT 0, lower(hname) FROM tblhorsedata WHERE hname "
                                        "NOT NULL UNION SELECT DISTINCT 1, lower(oname) FROM tblhorsedata "
                                        "WHERE oname NOT NULL"_s);
        Database db;
        db.open(path());
        QSqlQuery q(db.handle());
        if (!q.exec(u"INSERT INTO tblnames_fts (tblnames_fts, rank) VALUES ('integrity-check', 1)"_s))
            return q.lastError().text();
        return held == wanted ? QString() : u"%1 names held, %2 wanted"_s.arg(held.size()).arg(wanted.size());
    }
};

void TestNameIndex::indexedSearchEqualsScan()
{
    TurfGen::Settings settings;
    settings.tracks = 10;
    TurfGen::Generator gen(settings);
    QString error;
    QVERIFY2(TurfGen::buildDatabase(m_dir.path(), gen, 101, 103, &error), qPrintable(error));
    {
        // Names with the characters that are literal in a pattern, in another case than searched.
        Database db;
        db.open(path());
        QSqlQuery q(db.handle());
        QVERIFY(q.exec(
            u"INSERT INTO tblhorsedata (hname, hid, racenum, oname) VALUES ('100% PURE', 1, 101.0101, "
            "'Under_Score Farm'), ('Say \"When\"', 2, 101.0101, '50%_Acres'), ('Ol\u00e9 Ol\u00e9', 3, "
            "101.0101, 'Ab')"_s));
    }
    QStringList patterns = {u"*% p*"_s, u"*0%*"_s,       u"*r_s*"_s,      u"*\"when\"*"_s,
                            u"*%_a*"_s, u"*\u00e9 o*"_s, u"*OL\u00c9*"_s, u"*ab"_s,
                            u"?ab*"_s,  u"*a?b*"_s,      u"**"_s};
    const QStringList names = rows(u"SELECT name FROM tblnames"_s);
    std::mt19937 rng(11);
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    while (patterns.size() < 400) {
        QString name = names[pick(int(names.size()))];
        const int from = pick(int(name.size())), len = 3 + pick(6);
        QString run = name.mid(from, len);
        for (QChar& c : run)
            c = pick(2) ? c.toUpper() : c.toLower();
        if (pick(3) == 0)
            run[pick(int(run.size()))] = u'?';
        const QString tails[] = {QString(), u"*"_s, u"*e"_s, u"?"_s};
        patterns << (pick(2) ? u"*"_s : u"?*"_s) + run + tails[pick(4)];
    }
    int found = 0;
    for (const QString& p : patterns) {
        for (const int mode : {2, 4}) {
            const auto indexed = SearchQuery::build(mode, p, QString(), true);
            const auto scan = SearchQuery::build(mode, p, QString(), false);
            const QStringList got = rows(indexed.sql, indexed.binds);
            QCOMPARE(got, rows(scan.sql, scan.binds));
            found += got.isEmpty() ? 0 : 1;
        }
    }
    QVERIFY2(found > 300, qPrintable(QString::number(found)));
}

void TestNameIndex::keptInStep()
{
    QCOMPARE(outOfStep(), QString());
    TurfGen::Generator gen(TurfGen::smallSettings(5));
    QString error;
    QVERIFY(gen.writeWeeks(101, 104, m_dir.path(), &error));
    HeadlessPlatform platform;
    platform.defaultAnswer = Platform::Answer::Yes;
    MainWindowState f(platform, m_dir.path(), QString());
    const auto import = [&](int week) {
        return importFiles(f, {m_dir.filePath(u"raceout%1.txt"_s.arg(week))}, DuplicateWeek::Ask).status;
    };
    // Replacement: the stored weeks 101 to 103 by other horses.
    for (int week : {101, 102, 103}) {
        QCOMPARE(import(week), ImportResult::Status::Done);
        QCOMPARE(outOfStep(), QString());
    }
    {
        Database db;
        db.open(path());
        QVERIFY(db.removeWeek(102));
        QSqlQuery q(db.handle());
        QVERIFY(q.exec(u"VACUUM INTO '%1'"_s.arg(m_dir.filePath(u"copy.mdb"_s))));
        // An older file.
        for (const char* drop :
             {"TRIGGER tblhorsedata_names_added", "TRIGGER tblhorsedata_names_dropped",
              "TRIGGER tblhorsedata_names_changed", "TABLE tblnames_fts", "TABLE tblnames"})
            QVERIFY(q.exec(u"DROP "_s + QLatin1String(drop)));
    }
    QCOMPARE(outOfStep().left(14), u"no such table:"_s);
    platform.labelTexts.clear();
    QCOMPARE(import(104), ImportResult::Status::Done);
    QCOMPARE(platform.labelTexts.value(0), u"lblprogress: Building the name index: 0%"_s);
    QCOMPARE(outOfStep(), QString());
    QFile::remove(path());
    QVERIFY(QFile::rename(m_dir.filePath(u"copy.mdb"_s), path()));
    QCOMPARE(outOfStep(), QString());
    QCOMPARE(rows(u"SELECT COUNT(*) FROM tblhorsedata WHERE racenum > 102 AND racenum < 103"_s), {u"0"_s});
}

QTEST_GUILESS_MAIN(TestNameIndex)
#include "test_nameindex.moc"
