#include "lineage/httpconnection.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

HttpConnection::HttpConnection() = default;
HttpConnection::~HttpConnection() = default;

Platform::HttpResult HttpConnection::get(const QString& url)
{
    Platform::HttpResult result;
    const QUrl address(url);
    if (!address.isValid() ||
        (address.scheme() != QLatin1String("http") && address.scheme() != QLatin1String("https"))) {
        result.error = QStringLiteral("Not a web address: ") + url;
        return result;
    }
    if (m_pending)
        m_pending->abort();
    if (!m_manager)
        m_manager = std::make_unique<QNetworkAccessManager>();

    QNetworkReply* reply = m_manager->get(QNetworkRequest(address));
    m_pending = reply;
    QString failure;
    const auto refuse = [&](const QString& why) {
        if (failure.isEmpty())
            failure = why;
        reply->abort();
    };
    // The body is taken as it arrives, so that its size is known before it is all in memory.
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [&] {
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > maxBytes)
            refuse(QStringLiteral("The page is too large."));
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        if (reply->bytesAvailable() + result.body.size() > maxBytes)
            refuse(QStringLiteral("The page is too large."));
        else
            result.body += reply->readAll();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply,
                     [&] { refuse(QStringLiteral("The site did not answer in time.")); });
    deadline.start(timeoutMs);

    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (failure.isEmpty() && reply->error() == QNetworkReply::NoError) {
        result.body += reply->readAll();
        result.ok = result.body.size() <= maxBytes;
        if (!result.ok)
            failure = QStringLiteral("The page is too large.");
    } else if (failure.isEmpty()) {
        failure = reply->errorString();
    }
    if (!result.ok) {
        result.body.clear();
        result.error = failure;
    }
    reply->disconnect();
    reply->deleteLater();
    return result;
}
