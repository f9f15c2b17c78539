// The files the program writes beside itself or where the player asks (lists, exports, PDFs, backups): on a
// full disk, on a disk that fails, at a link, and at names that are not files.
#include "import/importdriver.h"
#include "import/importfixture.h"
#include "runcli.h"
#include "search/watchlist.h"

#include <QTest>

#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace
{

/** A program directory holding one imported week whose races any search lists. */
struct Stored : ImportFixture {
    Stored() { importFiles(f, {writeWeek(u"r.txt"_s, 612, 2, 3, u"H"_s)}); }
    /** turftrawler-cli on this directory: its exit status, its standard error and output. */
    QByteArray cli(const QStringList& args, int status) { return runCli(path(), args, status); }
    QStringList listed(const QStringList& output) const
    {
        return QStringList{u"search"_s, u"--owner"_s, u"Acme Stables"_s} + output;
    }
};

/** The type and permissions of what a name stands for, without following a link. */
mode_t mode(const QString& path)
{
    struct stat st {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

/** When not 0, every fsync fails with this error, as on a disk that lost a write. */
int failingFsync = 0;

} // namespace

// Every fsync of this process comes here first: the program's own and the engine's.
extern "C" int fsync(int fd)
{
    static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    return failingFsync != 0 ? (errno = failingFsync, -1) : real(fd);
}

class TestFiles : public QObject
{
    Q_OBJECT
private slots:
    void aFullDiskLeavesEveryFileAsItWas()
    {
        // A file system of a few blocks, filled up: only a test allowed to mount one can run this.
        const SmallDisk disk("512k");
        if (!disk.mounted)
            QSKIP("this test may not mount a file system");
        Stored fx;
        const auto on = [&](const char* name) { return disk.filePath(QString::fromUtf8(name)); };
        QVERIFY(QDir(disk.path()).mkpath(u"prog"_s) && QDir(disk.path()).mkpath(u"real"_s));
        const QMap<QString, QByteArray> earlier{{on("prog/KZTWatchlist.txt"), "H|Old Timer|1\r\n"},
                                                {on("real/sets.txt"), "Acme\r\n"},
                                                {on("export.txt"), "\"earlier\",\r\n"},
                                                {on("out.pdf"), "%PDF-1.4 earlier"},
                                                {on("backup.mdb"), "an earlier backup"}};
        for (auto it = earlier.begin(); it != earlier.end(); ++it)
            QVERIFY(writeFile(it.key(), it.value()));
        QVERIFY(QFile::link(u"../real/sets.txt"_s, on("prog/KZTSavednames.txt")));
        QVERIFY(QFile::copy(fx.f.databasePath(), on("prog/horses.mdb")));
        const QByteArray stored = readFile(on("prog/horses.mdb"));
        QVERIFY(::chmod(QFile::encodeName(on("real/sets.txt")).constData(), 0600) == 0);
        {
            QFile filler(on("filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size()) {
            }
        }

        const QString prog = on("prog");
        const QList<QByteArray> failures{
            runCli(prog, {u"watch"_s, u"add-horse"_s, u"Night Train"_s}, 1),
            runCli(prog, {u"saved-sets"_s, u"add"_s, u"Red Barn"_s}, 1),
            fx.cli(fx.listed({u"--export"_s, on("export.txt")}), 1),
            fx.cli(fx.listed({u"--pdf"_s, on("out.pdf")}), 1),
            fx.cli({u"backup"_s, on("backup.mdb")}, 1),
            runCli(prog, {u"import"_s, fx.writeWeek(u"w.txt"_s, 613, 40, 12, u"New"_s)}, 1)};
        for (const QByteArray& said : failures)
            QVERIFY2(said.contains("No space left on device"), said.constData());
        for (auto it = earlier.begin(); it != earlier.end(); ++it)
            QCOMPARE(readFile(it.key()), it.value());
        QCOMPARE(readFile(on("prog/horses.mdb")), stored);
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).join(u' '),
                 u"backup.mdb export.txt filler out.pdf"_s); // no new file left behind

        // With room again, the list behind the link is replaced and the link still names it.
        QVERIFY(QFile::remove(on("filler")));
        runCli(prog, {u"saved-sets"_s, u"add"_s, u"Red Barn"_s}, 0);
        QCOMPARE(mode(on("prog/KZTSavednames.txt")) & S_IFMT, S_IFLNK);
        QCOMPARE(readFile(on("real/sets.txt")), "Acme\r\nRed Barn\r\n");
        QCOMPARE(mode(on("real/sets.txt")), S_IFREG | 0600);
    }

    void aListKeepsItsModeAndOutlivesAFailedFlush()
    {
        // The replacement takes the list's permissions, not those of the private file it was written to.
        QTemporaryDir dir;
        const QString list = dir.filePath(u"KZTWatchlist.txt"_s);
        QVERIFY(writeFile(list, "O|Acme\r\n") && ::chmod(QFile::encodeName(list).constData(), 0644) == 0);
        QCOMPARE(Watchlist::write(list, {{WatchEntry::Kind::Horse, u"Night Train"_s, u"7"_s}}), QString());
        QCOMPARE(mode(list), S_IFREG | 0644);
        // A disk that reports an I/O error at the flush: the list stays as it was, and the message says why.
        failingFsync = EIO;
        const QString said = Watchlist::write(list, {});
        failingFsync = 0;
        QCOMPARE(said, u"The watch list could not be written to %1: Input/output error"_s.arg(list));
        QCOMPARE(readFile(list), "H|Night Train|7\r\n");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"KZTWatchlist.txt"_s});
    }

    void namesThatAreNotFilesAreRefused()
    {
        // A pipe would block the writer until something reads it; a device or a folder would be replaced.
        Stored fx;
        QVERIFY(::mkfifo(QFile::encodeName(fx.dir.filePath(u"pipe"_s)).constData(), 0644) == 0);
        QVERIFY(QDir(fx.path()).mkdir(u"folder"_s));
        QStringList names{u"pipe"_s, u"folder"_s};
        // A device node like /dev/full, where the test may make one.
        if (::mknod(QFile::encodeName(fx.dir.filePath(u"full"_s)).constData(), S_IFCHR | 0666,
                    makedev(1, 7)) == 0)
            names << u"full"_s;
        for (const QString& name : names) {
            const QString target = fx.dir.filePath(name);
            const mode_t before = mode(target);
            const QList<QByteArray> said{fx.cli(fx.listed({u"--export"_s, target}), 1),
                                         fx.cli(fx.listed({u"--pdf"_s, target}), 1),
                                         fx.cli({u"backup"_s, target}, 1)};
            for (const QByteArray& s : said)
                QVERIFY2(s.contains(", not a regular file; nothing was written"), s.constData());
            QCOMPARE(mode(target), before);
        }
    }
};

QTEST_MAIN(TestFiles)
#include "test_files.moc"
