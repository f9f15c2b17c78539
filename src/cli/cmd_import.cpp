#include "cli/cli.h"

#include "cli/clisession.h"
#include "core/startup.h"
#include "import/importdriver.h"

#include <QFileInfo>

namespace
{

// Exit statuses: 0 every file imported, 1 a failure, 2 a usage error, 3 stopped at a week already stored.
int import(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    const bool replace = takeFlag(args, QStringLiteral("--replace"));
    const bool keep = takeFlag(args, QStringLiteral("--keep"));
    if (replace && keep) {
        c.err << "turftrawler-cli import: give --replace or --keep, not both\n";
        return 2;
    }
    for (const QString& a : args) {
        if (a.startsWith(QLatin1String("--"))) {
            c.err << "turftrawler-cli import: unknown option " << a << "\n";
            return 2;
        }
    }
    if (args.isEmpty()) {
        c.err << "turftrawler-cli import: no results file given\n";
        return 2;
    }
    QStringList paths;
    for (const QString& a : args)
        paths << QFileInfo(a).absoluteFilePath();

    CliSession session(c.dir, defaultBreedingPath());
    if (!session.ok()) {
        c.err << "turftrawler-cli import: " << session.error() << "\n";
        return 1;
    }
    session.platform.defaultAnswer = replace ? Platform::Answer::Yes : Platform::Answer::No;
    const ImportResult r =
        importFiles(session.state, paths, replace || keep ? DuplicateWeek::Ask : DuplicateWeek::Refuse);
    switch (r.status) {
    case ImportResult::Status::Done:
        c.out << "Imported " << r.races << " races and " << r.starts << " starts from " << r.files
              << (r.files == 1 ? " file.\n" : " files.\n");
        return 0;
    case ImportResult::Status::Cancelled:
        c.err << "Database import cancelled at user request.\n";
        c.err << "Week " << r.week << " of " << r.file
              << " is already stored; it and any later files were not read.\n";
        return 3;
    case ImportResult::Status::Refused:
        c.err << "turftrawler-cli import: week " << r.week << " of " << r.file
              << " is already stored; give --replace to replace it or --keep to stop there\n";
        return 3;
    case ImportResult::Status::Failed:
        break;
    }
    c.err << QString(session.state.lblprogress).replace(QLatin1Char('\r'), QLatin1Char('\n')) << "\n";
    if (!r.detail.isEmpty())
        c.err << (r.file.isEmpty() ? QString() : r.file + QStringLiteral(": ")) << r.detail << "\n";
    return 1;
}

CliRegistrar importCommand{
    {QStringLiteral("import"),
     QStringLiteral("import [--replace | --keep] FILE...  import weekly results files"), import}};

} // namespace
