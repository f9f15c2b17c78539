#include "generator/generatordb.h"

#include "core/mainwindowstate.h"
#include "core/headlessplatform.h"
#include "db/database.h"
#include "import/importdriver.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace TurfGen
{

bool buildDatabase(const QString& dir, Generator& generator, int first, int last, QString* error)
{
    const auto failed = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(QStringLiteral("horses.mdb"));
    if (!QFileInfo::exists(path)) {
        Database db;
        if (!db.create(path))
            return failed(db.error());
    }
    QTemporaryDir tmp;
    if (!tmp.isValid())
        return failed(QStringLiteral("No temporary directory for the generated weeks"));
    constexpr int Batch = 50;
    for (int from = first; from <= last; from += Batch) {
        const int to = std::min(last, from + Batch - 1);
        QString writeError;
        if (!generator.writeWeeks(from, to, tmp.path(), &writeError))
            return failed(writeError);
        QStringList paths;
        for (int w = from; w <= to; ++w)
            paths << QDir(tmp.path()).filePath(QStringLiteral("raceout%1.txt").arg(w));
        HeadlessPlatform platform;
        platform.defaultAnswer = Platform::Answer::Yes; // a week already there is replaced
        MainWindowState finder(platform, dir, QString());
        const ImportResult r = importFiles(finder, paths);
        if (r.status != ImportResult::Status::Done)
            return failed(QStringLiteral("Import of %1 failed: %2").arg(r.file, r.detail));
        for (const QString& p : paths)
            QFile::remove(p);
    }
    return true;
}

} // namespace TurfGen
