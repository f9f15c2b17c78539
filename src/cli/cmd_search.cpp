#include "cli/cli.h"
#include "cli/clisession.h"

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
    const QString firstWeek = takeOption(args, QStringLiteral("--first-week"), QString(), ok);
    const QString lastWeek = takeOption(args, QStringLiteral("--last-week"), QString(), ok);
    const QString injury = takeOption(args, QStringLiteral("--injury"), QStringLiteral("30"), ok);
    const QString today = takeOption(args, QStringLiteral("--today"), QString(), ok);
    const QString dateFormat = takeOption(args, QStringLiteral("--date-format"), QString(), ok);
    const bool currentOwner = takeFlag(args, QStringLiteral("--current-owner"));
    const bool yes = takeFlag(args, QStringLiteral("--yes"));
    const bool json = takeFlag(args, QStringLiteral("--json"));
    if (!ok)
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

    CliSession session(c.dir, defaultBreedingPath());
    if (!session.ok())
        return fail(c, session.error(), 1);
    HeadlessPlatform& platform = session.platform;
    platform.defaultAnswer = yes ? Platform::Answer::Yes : Platform::Answer::No;
    platform.todayDate = QDate::currentDate();
    if (!today.isEmpty()) {
        platform.todayDate = QDate::fromString(today, Qt::ISODate);
        if (!platform.todayDate.isValid())
            return fail(c, QStringLiteral("--today needs a date as YYYY-MM-DD"));
    }
    platform.dateFormat =
        dateFormat.isEmpty() ? QLocale::system().dateFormat(QLocale::ShortFormat) : dateFormat;

    MainWindowState& f = session.state;
    f.panel.txtfirstweek = firstWeek;
    f.panel.txtlastweek = lastWeek;
    f.panel.txtinjury = injury;
    f.panel.chkowner = currentOwner;
    const bool listed = gethorse(f, mode, nameBoxText(mode, name), idText);
    const int status = listed ? 0 : 1;
    for (const QString& m : platform.messages)
        c.err << QString(m).replace(QLatin1Char('\r'), QLatin1Char('\n')) << "\n";

    if (json) {
        QJsonObject out{
            {QStringLiteral("MSFlexGrid1"), gridToJson(f.MSFlexGrid1)},
            {QStringLiteral("MSFSGrid"), gridToJson(f.MSFSGrid)},
            {QStringLiteral("MSFWGrid"), gridToJson(f.MSFWGrid)},
            {QStringLiteral("frainfo"), f.frainfo},
            {QStringLiteral("lblprogress"), f.lblprogress},
            {QStringLiteral("messages"), QJsonArray::fromStringList(platform.messages)},
        };
        c.out << QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented));
        return status;
    }
    c.out << QString::fromUtf8(exportText(f.MSFlexGrid1));
    c.out << f.frainfo << "\n"
          << QString(f.lblprogress).replace(QLatin1Char('\r'), QLatin1Char('\n')) << "\n";
    return status;
}

CliRegistrar searchCommand{
    {QStringLiteral("search"),
     QStringLiteral(
         "search               --horse NAME | --id ID | --owner NAME | --race KEY [--first-week W] "
         "[--last-week W] [--current-owner] [--injury T] [--yes] [--today YYYY-MM-DD] "
         "[--date-format FORMAT] [--json]"),
     search}};

} // namespace
