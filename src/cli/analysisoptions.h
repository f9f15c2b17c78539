#pragma once

#include "cli/cli.h"

#include "analysis/definitions.h"
#include "db/database.h"

#include <QJsonObject>

/** What every analysis command takes: the window of weeks as search takes it, and --json. */
struct AnalysisOptions {
    QString firstWeek;
    QString lastWeek;
    bool json = false;

    /** Their part of a command's usage line. */
    static QString usage();
    /** Takes the options out of args; false when one is missing its value. */
    bool take(QStringList& args);
};

/** One analysis command's run: its name for the messages, the folder's database and the window. */
class AnalysisCommand
{
public:
    AnalysisCommand(CliContext& c, const QString& name) : m_c(c), m_name(name) {}

    /** Takes the options, refusing what remains beyond `positional` arguments (left in args); then opens the
        database and resolves the window. 0 when ready, else the exit status after one line on err. */
    int start(QStringList& args, int positional = 0);
    /** The same for a command of `fewest` to `most` arguments, each one of `what` ("horses"); one without a
        window (`window` false) takes only --json of the options and resolves no window. */
    int start(QStringList& args, int fewest, int most, bool window, const QString& what = QString());
    /** One line on err, "turftrawler-cli NAME: text"; returns the status. */
    int fail(const QString& text, int status);

    const AnalysisOptions& options() const { return m_options; }
    Database& db() { return m_db; }
    const Analysis::Weeks& weeks() const { return m_weeks; }
    /** Prints the JSON (indented) or the text, as --json asks. */
    void print(const QJsonObject& json, const QString& text);

private:
    CliContext& m_c;
    QString m_name;
    AnalysisOptions m_options;
    Database m_db;
    Analysis::Weeks m_weeks;
};
