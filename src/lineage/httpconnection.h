#pragma once

#include "core/platform.h"

#include <QPointer>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

/**
 * The connection to the simulation's site: one plain GET at a time, waited for in a local event loop that
 * keeps windows repainting but takes no user input. A new request cancels one still in progress.
 */
class HttpConnection
{
public:
    HttpConnection();
    ~HttpConnection();

    /** The whole exchange must end within this time. */
    int timeoutMs = 20000;
    /** A larger body is refused, not stored. */
    qint64 maxBytes = 5 * 1024 * 1024;

    /** The body of a successful answer; an HTTP error status, a failed or dropped connection, a time-out or
        a body over the limit give ok == false. Only http and https addresses are fetched. */
    Platform::HttpResult get(const QString& url);

private:
    std::unique_ptr<QNetworkAccessManager> m_manager;
    QPointer<QNetworkReply> m_pending;
};
