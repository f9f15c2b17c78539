#pragma once

#include <QProcess>
#include <QStringList>
#include <QTest>

/** turftrawler-cli --dir DIR with the arguments: standard error (unless `withErrors` is false), then standard
    output. An exit status other than `status` fails the running test, whatever the caller checks after. */
inline QByteArray runCli(const QString& dir, const QStringList& args, int status, bool withErrors = true)
{
    QProcess p;
    p.start(QStringLiteral(TURF_CLI), QStringList{QStringLiteral("--dir"), dir} + args);
    if (!p.waitForFinished(60000)) {
        QTest::qFail("turftrawler-cli timed out", __FILE__, __LINE__);
        return {};
    }
    const QByteArray errors = p.readAllStandardError();
    if (p.exitCode() != status)
        QTest::qFail(QByteArray("turftrawler-cli " + args.join(u' ').toUtf8() + " exited " +
                                QByteArray::number(p.exitCode()) + ", not " + QByteArray::number(status) +
                                ": " + errors)
                         .constData(),
                     __FILE__, __LINE__);
    return (withErrors ? errors : QByteArray()) + p.readAllStandardOutput();
}
