#include "cli/cli.h"

#include "cli/clisession.h"
#include "core/datafolder.h"
#include "import/importdriver.h"
#include "import/importprogress.h"
#include "output/textexport.h"
#include "search/watchlist.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

#include <unistd.h>

namespace
{

/** The window's status-bar progress on standard error, one line rewritten in place: only on a terminal. */
class TerminalProgress : public ImportProgress
{
public:
    explicit TerminalProgress(QTextStream& err) : m_err(err) {}
    void start(int count) override { m_count = count; }
    void file(int index, const QString& name, qint64 starts) override
    {
        const QString line = importProgressLine(index, m_count, name, starts);
        // Blanks over what a longer line before left.
        m_err << '\r' << line.leftJustified(m_width) << Qt::flush;
        m_width = int(line.size());
    }
    void end(const QString&) override
    {
        if (m_width > 0)
            m_err << '\r' << QString(m_width, QLatin1Char(' ')) << '\r' << Qt::flush;
    }

private:
    QTextStream& m_err;
    int m_count = 0;
    int m_width = 0;
};

/** The command's own output of how the import ended: standard output for a full import (unless the JSON
    carries it), standard error otherwise. Returns the exit status. */
int report(CliContext& c, const CliSession& session, const ImportResult& r, bool json)
{
    switch (r.status) {
    case ImportResult::Status::Done:
        if (!json) {
            c.out << "Imported " << r.races << " races and " << r.starts << " starts from " << r.files
                  << (r.files == 1 ? " file.\n" : " files.\n");
            c.out << importOutcome(r) << "\n";
        }
        return 0;
    case ImportResult::Status::Cancelled:
    case ImportResult::Status::Stopped:
        // --keep: the window's Stop Import, said as its status line says it.
        c.err << importOutcome(r) << "\n";
        return 3;
    case ImportResult::Status::Refused:
        c.err << "turftrawler-cli import: week " << r.week << " of " << r.file
              << " is already stored; give --replace to replace it, --skip to keep it and go on, or --keep "
                 "to stop there\n";
        return 3;
    case ImportResult::Status::Failed:
        break;
    }
    c.err << QString(session.state.lblprogress).replace(QLatin1Char('\r'), QLatin1Char('\n')) << "\n";
    // A lock held by another program is no fault of the file: the label already says all there is.
    if (!r.detail.isEmpty() && !session.state.lblprogress.startsWith(r.detail))
        c.err << (r.file.isEmpty() ? QString() : r.file + QStringLiteral(": ")) << r.detail << "\n";
    return 1;
}

/** The watched starts of the weeks imported: one quoted line each, or the whole run as one JSON object. */
void printWatched(CliContext& c, const ImportResult& r, const QList<WatchedStart>& watched, bool json)
{
    if (!json) {
        for (const WatchedStart& s : watched)
            c.out << QString::fromUtf8(exportLine(s.texts()));
        return;
    }
    QJsonArray rows, weeks, replaced, skipped;
    for (const WatchedStart& s : watched)
        rows << QJsonArray::fromStringList(s.texts());
    for (int w : r.weeks)
        weeks << w;
    for (int w : r.replaced)
        replaced << w;
    for (int w : r.skipped)
        skipped << w;
    const QJsonObject out{{QStringLiteral("outcome"), importOutcome(r)},
                          {QStringLiteral("files"), r.files},
                          {QStringLiteral("races"), r.races},
                          {QStringLiteral("starts"), r.starts},
                          {QStringLiteral("weeks"), weeks},
                          {QStringLiteral("replaced"), replaced},
                          {QStringLiteral("skipped"), skipped},
                          {QStringLiteral("watched"), rows}};
    c.out << QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented));
}

// Exit statuses: 0 every file imported (but the stored weeks skipped), 1 a failure (or a watch list that
// cannot be read), 2 a usage error, 3 stopped at a week already stored.
int import(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    const bool replace = takeFlag(args, QStringLiteral("--replace"));
    const bool keep = takeFlag(args, QStringLiteral("--keep"));
    const bool skip = takeFlag(args, QStringLiteral("--skip"));
    const bool json = takeFlag(args, QStringLiteral("--json"));
    if (int(replace) + int(keep) + int(skip) > 1) {
        c.err << "turftrawler-cli import: give one of --replace, --skip and --keep\n";
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

    CliSession session(c.dir, breedingPathFor(c.dir));
    if (!session.ok()) {
        c.err << "turftrawler-cli import: " << session.error() << "\n";
        return 1;
    }
    session.platform.defaultAnswer = replace ? Platform::Answer::Yes : Platform::Answer::No;
    const DuplicateWeek policy = skip              ? DuplicateWeek::Skip
                                 : replace || keep ? DuplicateWeek::Ask
                                                   : DuplicateWeek::Refuse;
    TerminalProgress progress(c.err);
    const ImportResult r =
        importFiles(session.state, paths, policy, ::isatty(STDERR_FILENO) ? &progress : nullptr);
    int status = report(c, session, r, json);
    // As the window shows them after every import that stored a week, however it ended.
    const qsizetype before = session.platform.messages.size();
    const QList<WatchedStart> watched = watchedStarts(session.state, r.weeks);
    printWatched(c, r, watched, json);
    for (qsizetype i = before; i < session.platform.messages.size(); ++i) {
        c.err << "turftrawler-cli import: " << session.platform.messages.at(i) << "\n";
        status = std::max(status, 1);
    }
    return status;
}

CliRegistrar importCommand{
    {QStringLiteral("import"), CliGroup::Import,
     QStringLiteral("[--replace | --skip | --keep] [--json] FILE..."),
     QStringLiteral(
         "Imports weekly results files or zip archives of them. Then lists the watched starts of the "
         "weeks imported. A week already stored is replaced with --replace, kept with --skip (the import "
         "goes on), stops the import with --keep, and is refused otherwise."),
     import}};

} // namespace
