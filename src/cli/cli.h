#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <vector>

/** What every command of turftrawler-cli gets: the folder in use and the two output streams. */
struct CliContext {
    QString dir;           // the folder in use: --dir, else chosen as the window chooses it
    bool dirGiven = false; // true when --dir named it
    QTextStream& out;
    QTextStream& err;
};

/** The headings under which --help lists the commands, in this order. */
enum class CliGroup { Database, Import, Searches, Analyses, Output, Care, Lists };

/** One command: its name, its heading, its arguments, what it does in a line or two, and the routine that
    runs it with the remaining arguments. The routine returns the exit status; on failure it has written one
    line to err. */
struct CliCommand {
    QString name;
    CliGroup group;
    QString arguments;
    QString summary;
    std::function<int(CliContext&, const QStringList&)> run;
    /** Draws with widgets (a chart): runs under a QApplication on the offscreen platform. */
    bool widgets = false;
};

/** The commands, in the order they registered. */
std::vector<CliCommand>& cliCommands();

/** Registers a command at start-up: `static CliRegistrar r{{"name", "usage", run}};` in the command's file.
 */
struct CliRegistrar {
    explicit CliRegistrar(CliCommand command) { cliCommands().push_back(std::move(command)); }
};

/** Takes "--name VALUE" out of args; returns the value, or the fallback when the option is absent.
    Sets ok to false when the option has no value. */
QString takeOption(QStringList& args, const QString& name, const QString& fallback, bool& ok);
/** Takes the flag "--name" out of args; true when it was there. */
bool takeFlag(QStringList& args, const QString& name);
/** Writes UTF-8 text to the stream's device as it is, after what the stream holds; a large export is not
    decoded and encoded again on its way out. */
void writeUtf8(QTextStream& stream, const QByteArray& text);
