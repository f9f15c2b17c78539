#include "core/forwardingplatform.h"

#include <QObject>
#include <QThread>

#include <chrono>
#include <future>

ForwardingPlatform::ForwardingPlatform(Platform& target, QObject* windowThread)
    : m_target(target), m_window(windowThread)
{
}

void ForwardingPlatform::close()
{
    *m_closed = true;
}

template <typename R> R ForwardingPlatform::onWindowThread(std::function<R()> call, R closed)
{
    if (*m_closed)
        return closed;
    if (QThread::currentThread() == m_window->thread())
        return call();
    // The call is delivered through the window's event queue and waited for; a close meanwhile ends the
    // wait, and the call, if it comes later, does nothing.
    auto result = std::make_shared<std::promise<R>>();
    std::future<R> answer = result->get_future();
    QMetaObject::invokeMethod(
        m_window,
        [call, result, stopped = m_closed] {
            if (!*stopped)
                result->set_value(call());
        },
        Qt::QueuedConnection);
    using namespace std::chrono_literals;
    while (answer.wait_for(20ms) != std::future_status::ready)
        if (*m_closed)
            return closed;
    return answer.get();
}

void ForwardingPlatform::onWindowThread(std::function<void()> call)
{
    onWindowThread<bool>(
        [call] {
            call();
            return true;
        },
        false);
}

void ForwardingPlatform::message(const QString& text)
{
    onWindowThread([this, text] { m_target.message(text); });
}

Platform::Answer ForwardingPlatform::askYesNo(const QString& text, Answer defaultButton)
{
    return onWindowThread<Answer>(
        [this, text, defaultButton] { return m_target.askYesNo(text, defaultButton); }, Answer::No);
}

Platform::Answer ForwardingPlatform::askChoice(const QString& text, const QList<Choice>& buttons,
                                               Answer defaultButton)
{
    return onWindowThread<Answer>(
        [this, text, buttons, defaultButton] { return m_target.askChoice(text, buttons, defaultButton); },
        Answer::No);
}

QStringList ForwardingPlatform::openFiles(const FileDialog& dialog)
{
    return onWindowThread<QStringList>([this, dialog] { return m_target.openFiles(dialog); }, {});
}

QString ForwardingPlatform::saveFile(const FileDialog& dialog)
{
    return onWindowThread<QString>([this, dialog] { return m_target.saveFile(dialog); }, {});
}

void ForwardingPlatform::beep()
{
    onWindowThread([this] { m_target.beep(); });
}

void ForwardingPlatform::setBusy(bool busy)
{
    onWindowThread([this, busy] { m_target.setBusy(busy); });
}

void ForwardingPlatform::repaintLabel(const QString& control, const QString& text)
{
    onWindowThread([this, control, text] { m_target.repaintLabel(control, text); });
}

Platform::HttpResult ForwardingPlatform::httpGet(const QString& url)
{
    return onWindowThread<HttpResult>([this, url] { return m_target.httpGet(url); },
                                      {false, {}, QStringLiteral("The program is closing.")});
}

void ForwardingPlatform::startHttpGet(const QString& url, std::function<void(const HttpResult&)> done)
{
    onWindowThread([this, url, done] { m_target.startHttpGet(url, done); });
}

void ForwardingPlatform::cancelHttpGet()
{
    onWindowThread([this] { m_target.cancelHttpGet(); });
}

std::unique_ptr<PrinterSink> ForwardingPlatform::startPrint(bool)
{
    // A job's pages are drawn by the window's own widgets, which a worker may not touch.
    return nullptr;
}

bool ForwardingPlatform::startProgram(const QString& program, const QStringList& arguments)
{
    return onWindowThread<bool>(
        [this, program, arguments] { return m_target.startProgram(program, arguments); }, false);
}

QDate ForwardingPlatform::today()
{
    return onWindowThread<QDate>([this] { return m_target.today(); }, QDate::currentDate());
}

QString ForwardingPlatform::shortDateFormat()
{
    return onWindowThread<QString>([this] { return m_target.shortDateFormat(); },
                                   QStringLiteral("yyyy-MM-dd"));
}
