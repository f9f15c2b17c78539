#pragma once

#include "core/forwardingplatform.h"
#include "import/importdriver.h"
#include "import/importprogress.h"

#include <QObject>

#include <atomic>

class QThread;

/**
 * An import that runs off the window's thread, so that the window repaints and answers while it runs: the
 * run has its own database connection, its progress is shown through `progress` (the status bar) on the
 * window's thread, its questions are asked there while it waits for the answer, and Cancel ends it before
 * it stores the file it is reading. One run at a time.
 */
class BackgroundImport : public QObject
{
    Q_OBJECT
public:
    BackgroundImport(Platform& platform, ImportProgress& progress, QObject* parent = nullptr);
    /** Stops a run still going, and waits for it: nothing is left half stored. */
    ~BackgroundImport() override;

    /** Starts the run; finished() follows, with the busy pointer shown until then. */
    void start(const ImportJob& job);
    bool running() const { return m_thread != nullptr; }
    /** Ends the run before it stores the file it is reading; the files before it stay stored. */
    void cancel();

signals:
    /** On the window's thread, once the run has ended and its connection is closed. */
    void finished(const ImportResult& result);

private:
    /** The run's side of the progress: each call is shown on the window's thread, in order. */
    class Relay : public ImportProgress
    {
    public:
        explicit Relay(BackgroundImport& owner) : m_owner(owner) {}
        void start(int count) override;
        void file(int index, const QString& name, qint64 starts) override;
        void note(const QString& text) override;
        void end(const QString&) override {}
        bool stopRequested() const override { return m_owner.m_stop; }

    private:
        BackgroundImport& m_owner;
    };

    void done();

    Platform& m_platform;
    ImportProgress& m_progress;
    ForwardingPlatform m_forward;
    Relay m_relay{*this};
    QThread* m_thread = nullptr;
    std::atomic<bool> m_stop = false;
    ImportResult m_result;
};
