#pragma once

#include "core/platform.h"

#include <atomic>
#include <memory>

class QObject;

/**
 * The platform of work that runs off the window's thread: each call is made on the window's thread, through
 * the window's own platform, while the worker waits for it, so that a question is asked over the window and
 * answered there. Once closed (the window going away), a call that waits, or any later one, returns at once
 * with the answer that stops the work (No, nothing chosen). A print job is never started from a worker.
 */
class ForwardingPlatform : public Platform
{
public:
    /** `windowThread` lives on the window's thread; calls are delivered through its event queue. It must
        outlive the worker, or be closed first. */
    ForwardingPlatform(Platform& target, QObject* windowThread);

    /** Called on the window's thread before it stops serving its events for the worker. */
    void close();

    void message(const QString& text) override;
    using Platform::askYesNo;
    Answer askYesNo(const QString& text, Answer defaultButton) override;
    Answer askChoice(const QString& text, const QList<Choice>& buttons, Answer defaultButton) override;
    QStringList openFiles(const FileDialog& dialog) override;
    QString saveFile(const FileDialog& dialog) override;
    void beep() override;
    void setBusy(bool busy) override;
    void repaintLabel(const QString& control, const QString& text) override;
    HttpResult httpGet(const QString& url) override;
    void startHttpGet(const QString& url, std::function<void(const HttpResult&)> done) override;
    void cancelHttpGet() override;
    std::unique_ptr<PrinterSink> startPrint(bool landscape) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    QDate today() override;
    QString shortDateFormat() override;

private:
    /** Runs `call` on the window's thread and gives its result, or `closed` once the forwarding is closed. */
    template <typename R> R onWindowThread(std::function<R()> call, R closed);
    void onWindowThread(std::function<void()> call);

    Platform& m_target;
    QObject* m_window;
    std::shared_ptr<std::atomic<bool>> m_closed = std::make_shared<std::atomic<bool>>(false);
};
