#include "lineage/httpconnection.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

namespace
{

/** How much of the body the network layer may hold before the request takes it: the request's memory stays
    bounded, however fast or large the server's answer. */
constexpr qint64 ChunkSize = 64 * 1024;

/** The scheme, host and port a request goes to, the port spelt out so that "http://h" and "http://h:80" are
    the same site. */
QString siteOf(const QUrl& url)
{
    return QStringLiteral("%1://%2:%3")
        .arg(url.scheme(), url.host().toLower())
        .arg(url.port(url.scheme() == QLatin1String("https") ? 443 : 80));
}

} // namespace

/** One request: takes the body in chunks as it arrives and ends with one result. */
class HttpFetch : public QObject
{
public:
    using Done = std::function<void(const Platform::HttpResult&)>;

    HttpFetch(QNetworkReply* reply, qint64 maxBytes, int timeoutMs, Done done)
        : m_reply(reply), m_maxBytes(maxBytes), m_done(std::move(done))
    {
        const QUrl asked = reply->url();
        connect(reply, &QNetworkReply::metaDataChanged, this, [this] {
            // Said again now that the answer has begun: said only before, the network thread can miss it (it
            // takes effect only once that thread holds the request), and then buffers the body unbounded.
            m_reply->setReadBufferSize(ChunkSize);
            if (m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > m_maxBytes)
                refuse(tooLarge());
        });
        connect(reply, &QNetworkReply::readyRead, this, &HttpFetch::take);
        // Another host could serve anything under the simulation's name; only a move on the same site is
        // followed.
        connect(reply, &QNetworkReply::redirected, this, [this, asked](const QUrl& to) {
            const QUrl next = asked.resolved(to);
            if (siteOf(next) == siteOf(asked))
                emit m_reply->redirectAllowed();
            else
                refuse(
                    QStringLiteral("The site sent the request on to another site, %1; it was not followed.")
                        .arg(next.toString(QUrl::RemoveUserInfo)));
        });
        connect(reply, &QNetworkReply::finished, this, &HttpFetch::end);
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this, timeoutMs] {
            const double seconds = timeoutMs / 1000.0;
            refuse(QStringLiteral("The site did not answer within %1 %2.")
                       .arg(seconds)
                       .arg(seconds == 1 ? QStringLiteral("second") : QStringLiteral("seconds")));
        });
        m_deadline.start(timeoutMs);
    }

    /** A request refused before it was sent; it ends from the event loop, as one that was sent does. */
    HttpFetch(const QString& why, Done done) : m_done(std::move(done)), m_failure(why)
    {
        QTimer::singleShot(0, this, &HttpFetch::end);
    }

    /** Ends the request without reporting anything. */
    void drop()
    {
        m_ended = true;
        m_done = nullptr;
        if (m_reply) {
            m_reply->disconnect(this);
            m_reply->abort();
            m_reply->deleteLater();
        }
        deleteLater();
    }

private:
    QString tooLarge() const
    {
        return m_maxBytes >= 1024 * 1024
                   ? QStringLiteral("The page is too large: over %1 MB.").arg(m_maxBytes / (1024 * 1024))
                   : QStringLiteral("The page is too large: over %1 bytes.").arg(m_maxBytes);
    }

    void take()
    {
        while (m_failure.isEmpty() && m_reply->bytesAvailable() > 0) {
            const QByteArray chunk = m_reply->read(ChunkSize);
            if (m_body.size() + chunk.size() > m_maxBytes)
                refuse(tooLarge());
            else
                m_body += chunk;
        }
    }

    void refuse(const QString& why)
    {
        if (m_failure.isEmpty())
            m_failure = why;
        m_reply->abort();
    }

    void end()
    {
        if (m_ended)
            return;
        m_ended = true;
        m_deadline.stop();
        Platform::HttpResult r;
        if (m_reply) {
            if (m_failure.isEmpty() && m_reply->error() == QNetworkReply::NoError)
                take();
            const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            if (m_failure.isEmpty() && status >= 400)
                m_failure =
                    QStringLiteral("HTTP %1 %2")
                        .arg(status)
                        .arg(m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
            else if (m_failure.isEmpty() && m_reply->error() != QNetworkReply::NoError)
                m_failure = m_reply->errorString();
            m_reply->disconnect(this);
            m_reply->deleteLater();
        }
        r.error = m_failure;
        r.ok = r.error.isEmpty();
        if (r.ok)
            r.body = std::move(m_body);
        deleteLater();
        // Moved out first: the caller may start the next request from here.
        const Done done = std::move(m_done);
        done(r);
    }

    // The manager owns the reply, so that it goes with the manager whatever state the request is in.
    QPointer<QNetworkReply> m_reply;
    qint64 m_maxBytes = 0;
    Done m_done;
    QByteArray m_body;
    QString m_failure;
    QTimer m_deadline;
    bool m_ended = false;
};

HttpConnection::HttpConnection() = default;

HttpConnection::~HttpConnection()
{
    cancel();
}

void HttpConnection::cancel()
{
    if (HttpFetch* pending = m_pending.data()) {
        m_pending.clear();
        pending->drop();
    }
}

void HttpConnection::start(const QString& url, std::function<void(const Platform::HttpResult&)> done)
{
    cancel();
    if (!m_manager)
        m_manager = std::make_unique<QNetworkAccessManager>();
    const QUrl address(url);
    if (!address.isValid() ||
        (address.scheme() != QLatin1String("http") && address.scheme() != QLatin1String("https"))) {
        m_pending = new HttpFetch(QStringLiteral("Not a web address: ") + url, std::move(done));
        return;
    }
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    // A compressed answer would be expanded before its size could be checked.
    request.setRawHeader("Accept-Encoding", "identity");
    QNetworkReply* reply = m_manager->get(request);
    reply->setReadBufferSize(ChunkSize);
    m_pending = new HttpFetch(reply, maxBytes, timeoutMs, std::move(done));
}

Platform::HttpResult HttpConnection::get(const QString& url)
{
    Platform::HttpResult result;
    bool ended = false;
    QEventLoop loop;
    start(url, [&](const Platform::HttpResult& r) {
        result = r;
        ended = true;
        loop.quit();
    });
    if (!ended)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return result;
}
