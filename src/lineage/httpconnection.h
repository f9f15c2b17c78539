#pragma once

#include "core/platform.h"

#include <QPointer>

#include <functional>
#include <memory>

class HttpFetch;
class QNetworkAccessManager;

/**
 * The connection to the simulation's site: one plain GET at a time. A request either waits in a local event
 * loop that keeps windows repainting but takes no user input (get), or runs beside the window's own event
 * loop and reports when it ends (start). A new request cancels one still in progress.
 *
 * Whatever the server sends, a request holds at most a few chunks of the body beyond what it keeps, and keeps
 * at most maxBytes; it follows a redirect only to the same host and port.
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

    /** The body of a successful answer; an HTTP error status, a failed or dropped connection, a time-out, a
        body over the limit or a redirect to another site give ok == false, with the cause in error. Only http
        and https addresses are fetched. */
    Platform::HttpResult get(const QString& url);
    /** Starts the same request and returns at once; done runs once with its result, unless cancel() or a
        newer request comes first. */
    void start(const QString& url, std::function<void(const Platform::HttpResult&)> done);
    /** Drops the request in progress; its done never runs. */
    void cancel();

private:
    std::unique_ptr<QNetworkAccessManager> m_manager;
    QPointer<HttpFetch> m_pending;
};
