#include "cli/cli.h"

#include "core/startup.h"
#include "sample/sampledata.h"

#include <QDir>

#include <cstdio>
#include <unistd.h>

namespace
{

int usageError(CliContext& c, const QString& text)
{
    c.err << "turftrawler-cli sample: " << text << "\n";
    return 2;
}

int sample(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    bool ok = true;
    const QString weeksText =
        takeOption(args, QStringLiteral("--weeks"), QString::number(SampleData::DefaultWeeks), ok);
    const QString seedText = takeOption(args, QStringLiteral("--seed"), QStringLiteral("1"), ok);
    if (!ok)
        return usageError(c, QStringLiteral("an option is missing its value"));
    if (!args.isEmpty())
        return usageError(c, QStringLiteral("unexpected argument ") + args.first());
    bool weeksOk = false, seedOk = false;
    const int weeks = weeksText.toInt(&weeksOk);
    const std::uint64_t seed = seedText.toULongLong(&seedOk);
    if (!weeksOk || weeks < 1 || weeks > SampleData::LastWeek)
        return usageError(
            c, QStringLiteral("--weeks takes 1 to %1, not %2").arg(SampleData::LastWeek).arg(weeksText));
    if (!seedOk)
        return usageError(c, QStringLiteral("--seed takes a whole number, not ") + seedText);

    // Without --dir the sample goes where the window's "Try Sample Data" puts it, never into the player's own
    // database.
    const QString dir = c.dirGiven ? c.dir : SampleData::folderFor(playerDataFolder());
    const bool terminal = isatty(STDERR_FILENO);
    QString error;
    const bool made = SampleData::make(dir, weeks, seed, error, [&](int done, int total) {
        if (terminal) {
            c.err << "\rMaking sample data: " << (100 * done / total) << "%";
            c.err.flush();
        }
    });
    if (terminal) {
        c.err << "\r";
        c.err.flush();
    }
    if (!made) {
        c.err << "turftrawler-cli sample: " << error << "\n";
        return 1;
    }
    const QString shown = QDir::toNativeSeparators(dir);
    c.out << "Sample data: " << weeks << " weeks (" << SampleData::LastWeek - weeks + 1 << " to "
          << SampleData::LastWeek << ") and breeding.txt in " << shown << "\n"
          << "Try it with: turftrawler --dir " << shown << "\n";
    return 0;
}

CliRegistrar sampleCommand{
    {QStringLiteral("sample"), CliGroup::Database, QStringLiteral("[--weeks N] [--seed S]"),
     QStringLiteral("Writes sample data to try the program on. A database of N generated "
                    "weeks (default 26) ending at week 700 and the matching breeding.txt, "
                    "in --dir or else the data folder's sample folder; refuses a folder "
                    "that holds a database."),
     sample}};

} // namespace
