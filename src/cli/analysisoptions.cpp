#include "cli/analysisoptions.h"

#include "core/format.h"

#include <QJsonDocument>

QString AnalysisOptions::usage()
{
    return QStringLiteral("[--first-week W] [--last-week W] [--json]");
}

bool AnalysisOptions::take(QStringList& args)
{
    bool ok = true;
    firstWeek = takeOption(args, QStringLiteral("--first-week"), QString(), ok);
    lastWeek = takeOption(args, QStringLiteral("--last-week"), QString(), ok);
    json = takeFlag(args, QStringLiteral("--json"));
    return ok;
}

int AnalysisCommand::fail(const QString& text, int status)
{
    m_c.err << "turftrawler-cli " << m_name << ": " << text << "\n";
    return status;
}

int AnalysisCommand::start(QStringList& args, int positional)
{
    return start(args, positional, positional, true);
}

int AnalysisCommand::start(QStringList& args, int fewest, int most, bool window, const QString& what)
{
    if (!window)
        m_options.json = takeFlag(args, QStringLiteral("--json"));
    else if (!m_options.take(args))
        return fail(QStringLiteral("an option is missing its value"), 2);
    for (const QString& a : args) {
        if (a.startsWith(QLatin1String("--")))
            return fail(QStringLiteral("unexpected argument ") + a, 2);
    }
    if (args.size() > most)
        return fail(QStringLiteral("unexpected argument ") + args.at(most), 2);
    if (args.size() < fewest)
        return fail(fewest == most ? QStringLiteral("missing argument")
                                   : QStringLiteral("takes %1 to %2 %3, not %4")
                                         .arg(fewest)
                                         .arg(most)
                                         .arg(what.isEmpty() ? QStringLiteral("arguments") : what)
                                         .arg(args.size()),
                    2);
    if (!m_db.open(Fmt::withSeparator(m_c.dir) + QStringLiteral("horses.mdb")))
        return fail(m_db.error(), 1);
    if (!window)
        return 0;
    const auto weeks = Analysis::resolveWeeks(m_db, m_options.firstWeek, m_options.lastWeek);
    if (!weeks)
        return fail(weeks.error(), 1);
    m_weeks = *weeks;
    return 0;
}

void AnalysisCommand::print(const QJsonObject& json, const QString& text)
{
    if (m_options.json)
        m_c.out << QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Indented));
    else
        m_c.out << text;
}
