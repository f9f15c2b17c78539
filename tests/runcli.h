#pragma once

#include <QProcess>
#include <QStringList>

/** turftrawler-cli --dir DIR with the arguments. When it exits with `status`: standard error (unless
    `withErrors` is false) then standard output; otherwise what went wrong. */
inline QByteArray runCli(const QString& dir, const QStringList& args, int status, bool withErrors = true)
{
    QProcess p;
    p.start(QStringLiteral(TURF_CLI), QStringList{QStringLiteral("--dir"), dir} + args);
    if (!p.waitForFinished(60000))
        return "timed out";
    const QByteArray text =
        (withErrors ? p.readAllStandardError() : QByteArray()) + p.readAllStandardOutput();
    return p.exitCode() == status ? text : "exit " + QByteArray::number(p.exitCode()) + ": " + text;
}
