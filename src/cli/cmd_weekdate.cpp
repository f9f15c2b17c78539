#include "cli/cli.h"

#include "output/weekdate.h"

#include <QLocale>

namespace
{

int weekdate(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    bool ok = true;
    const QString format = takeOption(args, QStringLiteral("--date-format"),
                                      QLocale::system().dateFormat(QLocale::ShortFormat), ok);
    if (!ok || args.size() != 1) {
        c.err << "turftrawler-cli weekdate: give one week number (and --date-format FORMAT)\n";
        return 2;
    }
    // The date calculator's label, or its message.
    if (const auto label = WeekDate::label(args.first(), format)) {
        c.out << *label << "\n";
        return 0;
    }
    c.err << WeekDate::refusal(args.first()).value_or(QString()) << "\n";
    return 1;
}

CliRegistrar weekdateCommand{
    {QStringLiteral("weekdate"), CliGroup::Output, QStringLiteral("WEEK [--date-format FORMAT]"),
     QStringLiteral("Prints the calendar date of a simulation week. As the date calculator "
                    "shows it."),
     weekdate}};

} // namespace
