#include "gui/app/backgroundimport.h"

#include <QThread>

BackgroundImport::BackgroundImport(Platform& platform, ImportProgress& progress, QObject* parent)
    : QObject(parent), m_platform(platform), m_progress(progress), m_forward(platform, this)
{
}

BackgroundImport::~BackgroundImport()
{
    if (!m_thread)
        return;
    // A question waiting for the window is answered Stop Import, and the run ends at its next file.
    m_stop = true;
    m_forward.close();
    m_thread->wait();
    delete m_thread;
    m_platform.setBusy(false);
}

void BackgroundImport::start(const ImportJob& job)
{
    Q_ASSERT(!m_thread);
    m_stop = false;
    m_platform.setBusy(true);
    m_thread = QThread::create([this, job] { m_result = runImport(job, m_forward, &m_relay); });
    connect(m_thread, &QThread::finished, this, &BackgroundImport::done);
    m_thread->start();
}

void BackgroundImport::cancel()
{
    if (!m_thread || m_stop)
        return;
    m_stop = true;
    m_progress.note(QStringLiteral("Cancelling the import: the file being read will not be stored..."));
}

void BackgroundImport::done()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_platform.setBusy(false);
    m_progress.end(importOutcome(m_result));
    emit finished(m_result);
}

void BackgroundImport::Relay::start(int count)
{
    QMetaObject::invokeMethod(
        &m_owner, [this, count] { m_owner.m_progress.start(count); }, Qt::QueuedConnection);
}

void BackgroundImport::Relay::file(int index, const QString& name, qint64 starts)
{
    QMetaObject::invokeMethod(
        &m_owner, [this, index, name, starts] { m_owner.m_progress.file(index, name, starts); },
        Qt::QueuedConnection);
}

void BackgroundImport::Relay::note(const QString& text)
{
    QMetaObject::invokeMethod(
        &m_owner, [this, text] { m_owner.m_progress.note(text); }, Qt::QueuedConnection);
}
