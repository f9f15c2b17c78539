#pragma once

#include "cli/cli.h"

#include <QJsonObject>

class CliSession;

/** The search panel's options that every search takes on the command line, and how its screen is printed. */
struct SearchOptions {
    QString firstWeek;
    QString lastWeek;
    QString injury;
    QString today;
    QString dateFormat;
    bool currentOwner = false;
    bool yes = false;
    bool json = false;

    /** Their part of a command's usage line. */
    static QString usage();
    /** Takes the options out of args; false when one is missing its value. */
    bool take(QStringList& args);
    /** Sets the session's panel and platform from them; a message when one cannot be used, else empty. */
    QString apply(CliSession& session) const;
    /** Prints what the window shows after the search: as JSON, or as the grid's export text, the caption and
        the summary, with the messages on err; `extra` joins the JSON, and is written as text after the rest.
     */
    void print(CliContext& c, CliSession& session, const QJsonObject& extra = {}) const;
};
