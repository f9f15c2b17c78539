#include "cli/cli.h"
#include "cli/clisession.h"
#include "cli/searchoptions.h"

#include "core/startup.h"
#include "search/stablesearch.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace
{

int fail(CliContext& c, const QString& command, const QString& text, int status = 2)
{
    c.err << "turftrawler-cli " << command << ": "
          << QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')) << "\n";
    return status;
}

/** The boxes from one to four arguments, in box order; the missing ones stay empty. */
bool takeBoxes(const QStringList& args, StableState& s)
{
    if (args.isEmpty() || args.size() > 4)
        return false;
    for (qsizetype i = 0; i < args.size(); ++i)
        s.txto1[std::size_t(i)] = args.at(i);
    return true;
}

int stable(CliContext& c, const QStringList& arguments)
{
    const QString command = QStringLiteral("stable");
    QStringList args = arguments;
    SearchOptions options;
    if (!options.take(args))
        return fail(c, command, QStringLiteral("an option is missing its value"));
    // A misspelt option would otherwise be searched as a stable name.
    for (const QString& a : args) {
        if (a.startsWith(QLatin1String("--")))
            return fail(c, command, QStringLiteral("unknown option ") + a);
    }
    StableState s;
    if (!takeBoxes(args, s))
        return fail(c, command, QStringLiteral("give one to four stable names, \"\" for an empty box"));
    CliSession session(c.dir, breedingPathFor(c.dir));
    if (!session.ok())
        return fail(c, command, session.error(), 1);
    if (const QString error = options.apply(session); !error.isEmpty())
        return fail(c, command, error);
    cmdgo_Click(session.state, s);
    options.print(c, session);
    // A message refused the search or found nothing; a question stopped it unless --yes agreed.
    const HeadlessPlatform& p = session.platform;
    return p.messages.size() > p.questions || (p.questions > 0 && !options.yes) ? 1 : 0;
}

void printSets(CliContext& c, const QStringList& sets, bool json)
{
    if (json) {
        c.out << QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(sets)).toJson());
        return;
    }
    for (qsizetype i = 0; i < sets.size(); ++i)
        c.out << (i + 1) << "\t" << sets.at(i) << "\n";
}

int savedSets(CliContext& c, const QStringList& arguments)
{
    const QString command = QStringLiteral("saved-sets");
    QStringList args = arguments;
    const bool json = takeFlag(args, QStringLiteral("--json"));
    const QString action = args.isEmpty() ? QString() : args.takeFirst();

    // The list needs no database: only the program directory where the file lives.
    HeadlessPlatform platform;
    MainWindowState f(platform, c.dir, QString());
    StableState s;
    cmdload_Click(f, s); // as the window lists the sets when it opens
    if (!platform.messages.isEmpty())
        return fail(c, command, platform.messages.first(), 1);

    if (action == QLatin1String("add")) {
        if (!takeBoxes(args, s))
            return fail(c, command,
                        QStringLiteral("add takes one to four stable names, \"\" for an empty box"));
        cmdadd_Click(f, s);
    } else if (action == QLatin1String("delete") || action == QLatin1String("use")) {
        bool number = args.size() == 1;
        const int index = number ? args.first().toInt(&number) : 0;
        if (!number)
            return fail(c, command, action + QStringLiteral(" takes the number of one set"));
        if (index < 1 || index > s.lstnames.size())
            return fail(
                c, command,
                QStringLiteral("there is no set %1; the list has %2").arg(index).arg(s.lstnames.size()));
        s.ListIndex = index - 1;
        if (action == QLatin1String("use")) {
            cmduse_Click(f, s);
            QJsonArray boxes;
            for (const QString& b : s.txto1)
                boxes << b;
            c.out << QString::fromUtf8(QJsonDocument(boxes).toJson(QJsonDocument::Compact)) << "\n";
            return 0;
        }
        cmddelete_Click(f, s);
    } else if (!action.isEmpty()) {
        return fail(c, command,
                    QStringLiteral("unknown action ") + action + QStringLiteral(" (add, delete or use)"));
    }
    // Add and Delete show the list as it now stands, which after a refusal is the list as it was.
    printSets(c, s.lstnames, json);
    if (!platform.messages.isEmpty())
        return fail(c, command, platform.messages.join(QLatin1Char(' ')), 1);
    return 0;
}

CliRegistrar stableCommand{{QStringLiteral("stable"), CliGroup::Searches,
                            QStringLiteral("BOX1 [BOX2 [BOX3 [BOX4]]] ") + SearchOptions::usage(),
                            QStringLiteral("Lists the starts of up to four stables. One owner search, as the "
                                           "Multi. window makes it; \"\" is an empty box."),
                            stable}};

CliRegistrar savedSetsCommand{
    {QStringLiteral("saved-sets"), CliGroup::Lists,
     QStringLiteral("[add BOX1 [BOX2 [BOX3 [BOX4]]] | delete INDEX | use INDEX] [--json]"),
     QStringLiteral(
         "Lists or changes the saved sets of stable names. Numbered from 1; use prints a set's four boxes."),
     savedSets}};

} // namespace
