#include "gui/app/statusprogress.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

StatusProgress::StatusProgress(QStatusBar* bar)
    : m_bar(bar), m_progress(new QProgressBar(bar)), m_text(new QLabel(bar))
{
    m_progress->setObjectName(QStringLiteral("importprogress"));
    m_progress->setFixedWidth(160);
    m_progress->setTextVisible(true);
    m_progress->hide();
    m_text->setObjectName(QStringLiteral("importstatus"));
    // A long file name or outcome is cut at the window's edge rather than widening the window.
    m_text->setMinimumWidth(1);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(m_progress);
    bar->addWidget(m_text, 1);
}

void StatusProgress::start(int count)
{
    m_progress->setRange(0, count);
    m_progress->setValue(0);
    m_progress->show();
    m_text->clear();
    // The file dialog has just closed over the window, and no event will be handled before the import
    // ends: paint the whole window now so that nothing of the dialog stays on it.
    m_bar->window()->repaint();
}

void StatusProgress::file(int index, const QString& name, qint64 starts)
{
    m_progress->setFormat(QStringLiteral("file %1 of %2").arg(index).arg(m_progress->maximum()));
    m_progress->setValue(index - 1);
    m_text->setText(importProgressText(name, starts));
    m_bar->repaint();
}

void StatusProgress::end(const QString& outcome)
{
    m_progress->hide();
    m_text->setText(outcome);
    m_text->setToolTip(outcome);
    m_bar->repaint();
}
