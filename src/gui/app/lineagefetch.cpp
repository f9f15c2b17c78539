#include "gui/app/lineagefetch.h"

#include "core/mainwindowstate.h"

#include <QPushButton>
#include <QStatusBar>

LineageFetch::LineageFetch(MainWindowState& f, QStatusBar* bar, QObject* parent)
    : QObject(parent), m_f(f), m_cancel(new QPushButton(QStringLiteral("Cancel"), bar))
{
    m_cancel->setObjectName(QStringLiteral("cmdcancellineage"));
    m_cancel->setToolTip(QStringLiteral("Stop waiting for the lineage page"));
    m_cancel->hide();
    bar->addPermanentWidget(m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, &LineageFetch::cancel);
}

LineageFetch::~LineageFetch()
{
    drop();
}

QPushButton* LineageFetch::cancelButton() const
{
    return m_cancel;
}

void LineageFetch::start(const LineageRequest& request, Then then)
{
    drop();
    m_waiting = true;
    m_f.platform().setBusy(true);
    m_f.setStatusLine(QStringLiteral("Fetching the page of %1...").arg(request.id));
    if (m_cancel)
        m_cancel->show();
    m_f.platform().startHttpGet(request.url, [this, request, then](const Platform::HttpResult& answer) {
        finish();
        m_f.setStatusLine(QString());
        QString why;
        const QString page = pageOf(answer, why);
        then(request, page, why);
    });
}

void LineageFetch::cancel()
{
    if (!m_waiting)
        return;
    drop();
    m_f.setStatusLine(QStringLiteral("The lineage request was cancelled."));
}

void LineageFetch::drop()
{
    if (m_waiting)
        m_f.platform().cancelHttpGet();
    finish();
}

void LineageFetch::finish()
{
    if (m_waiting)
        m_f.platform().setBusy(false);
    m_waiting = false;
    if (m_cancel)
        m_cancel->hide();
}
