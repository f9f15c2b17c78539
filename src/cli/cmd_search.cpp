#include "cli/cli.h"
#include "cli/clisession.h"
#include "cli/gridoutput.h"
#include "cli/searchoptions.h"

#include "core/startup.h"
#include "output/gridjson.h"
#include "output/textexport.h"
#include "search/gethorse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace
{

int fail(CliContext& c, const QString& text, int status = 2)
{
    c.err << "turftrawler-cli search: " << text << "\n";
    return status;
}

int search(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    bool ok = true;
    const QString none;
    const QString horse = takeOption(args, QStringLiteral("--horse"), none, ok);
    const QString id = takeOption(args, QStringLiteral("--id"), none, ok);
    const QString owner = takeOption(args, QStringLiteral("--owner"), none, ok);
    const QString race = takeOption(args, QStringLiteral("--race"), none, ok);
    SearchOptions options;
    GridOutputOptions output;
    QString error;
    if (!output.take(args, error))
        return fail(c, error);
    if (!options.take(args) || !ok)
        return fail(c, QStringLiteral("an option is missing its value"));
    if (!args.isEmpty())
        return fail(c, QStringLiteral("unexpected argument ") + args.first());

    // --horse alone searches by name, --id alone by id, both by name and id; --owner and --race stand alone.
    qint16 mode = 0;
    QString name, idText;
    const int kinds =
        (horse.isNull() && id.isNull() ? 0 : 1) + (owner.isNull() ? 0 : 1) + (race.isNull() ? 0 : 1);
    if (kinds != 1)
        return fail(c, QStringLiteral("give --horse and/or --id, or --owner, or --race"));
    if (!owner.isNull()) {
        mode = 4;
        name = owner;
    } else if (!race.isNull()) {
        mode = 5;
        idText = race;
    } else {
        mode = horse.isNull() ? 3 : id.isNull() ? 2 : 1;
        name = horse;
        idText = id;
    }

    CliSession session(c.dir, breedingPathFor(c.dir));
    if (!session.ok())
        return fail(c, session.error(), 1);
    if (const QString error = options.apply(session); !error.isEmpty())
        return fail(c, error);
    const bool listed = gethorse(session.state, mode, nameBoxText(mode, name), idText);
    QJsonObject extra;
    const int status = output.apply(session.state, session.platform, extra, error);
    if (status == 2)
        return fail(c, error);
    options.print(c, session, extra);
    return listed ? status : 1;
}

} // namespace

QString SearchOptions::usage()
{
    return QStringLiteral("[--first-week W] [--last-week W] [--current-owner] [--injury T] [--yes] "
                          "[--today YYYY-MM-DD] [--date-format FORMAT] [--json]");
}

bool SearchOptions::take(QStringList& args)
{
    bool ok = true;
    firstWeek = takeOption(args, QStringLiteral("--first-week"), QString(), ok);
    lastWeek = takeOption(args, QStringLiteral("--last-week"), QString(), ok);
    injury = takeOption(args, QStringLiteral("--injury"), QStringLiteral("30"), ok);
    today = takeOption(args, QStringLiteral("--today"), QString(), ok);
    dateFormat = takeOption(args, QStringLiteral("--date-format"), QString(), ok);
    currentOwner = takeFlag(args, QStringLiteral("--current-owner"));
    yes = takeFlag(args, QStringLiteral("--yes"));
    json = takeFlag(args, QStringLiteral("--json"));
    return ok;
}

QString SearchOptions::apply(CliSession& session) const
{
    HeadlessPlatform& platform = session.platform;
    platform.defaultAnswer = yes ? Platform::Answer::Yes : Platform::Answer::No;
    platform.todayDate = QDate::currentDate();
    if (!today.isEmpty()) {
        platform.todayDate = QDate::fromString(today, Qt::ISODate);
        if (!platform.todayDate.isValid())
            return QStringLiteral("--today needs a date as YYYY-MM-DD");
    }
    platform.dateFormat =
        dateFormat.isEmpty() ? QLocale::system().dateFormat(QLocale::ShortFormat) : dateFormat;

    MainWindowState& f = session.state;
    f.panel.txtfirstweek = firstWeek;
    f.panel.txtlastweek = lastWeek;
    f.panel.txtinjury = injury;
    f.panel.chkowner = currentOwner;
    return QString();
}

void SearchOptions::print(CliContext& c, CliSession& session, const QJsonObject& extra) const
{
    const MainWindowState& f = session.state;
    const HeadlessPlatform& platform = session.platform;
    for (const QString& m : platform.messages)
        c.err << QString(m).replace(QLatin1Char('\r'), QLatin1Char('\n')) << "\n";
    if (json) {
        QJsonObject out = extra;
        const QJsonObject grids{
            {QStringLiteral("MSFlexGrid1"), gridToJson(f.MSFlexGrid1)},
            {QStringLiteral("MSFSGrid"), gridToJson(f.MSFSGrid)},
            {QStringLiteral("MSFWGrid"), gridToJson(f.MSFWGrid)},
            {QStringLiteral("frainfo"), f.frainfo},
            {QStringLiteral("lblprogress"), f.lblprogress},
            {QStringLiteral("messages"), QJsonArray::fromStringList(platform.messages)},
        };
        for (auto it = grids.begin(); it != grids.end(); ++it)
            out.insert(it.key(), it.value());
        c.out << QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented));
        return;
    }
    writeUtf8(c.out, exportText(f.MSFlexGrid1));
    c.out << f.frainfo << "\n"
          << QString(f.lblprogress).replace(QLatin1Char('\r'), QLatin1Char('\n')) << "\n";
    GridOutputOptions::writeText(c.out, extra);
}

namespace
{

CliRegistrar searchCommand{
    {QStringLiteral("search"), CliGroup::Searches,
     QStringLiteral("--horse NAME | --id ID | --owner NAME | --race KEY ") + SearchOptions::usage() +
         QLatin1Char(' ') + GridOutputOptions::usage(),
     QStringLiteral("Lists the starts of a horse, an owner or a race. With the statistics, "
                    "as quoted fields or JSON; exits 1 when it lists nothing."),
     search}};

} // namespace
