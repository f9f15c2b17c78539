#include "gui/app/statusprogress.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

StatusProgress::StatusProgress(QStatusBar* bar)
    : m_progress(new QProgressBar(bar)), m_text(new QLabel(bar)), m_cancel(new QPushButton(bar))
{
    m_progress->setObjectName(QStringLiteral("importprogress"));
    m_progress->setFixedWidth(160);
    m_progress->setTextVisible(true);
    m_progress->hide();
    m_text->setObjectName(QStringLiteral("importstatus"));
    // A long file name or outcome is cut at the window's edge rather than widening the window.
    m_text->setMinimumWidth(1);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_cancel->setObjectName(QStringLiteral("cmdcancelimport"));
    m_cancel->setText(QStringLiteral("Cancel"));
    m_cancel->setToolTip(
        QStringLiteral("Stop the import: the file being read is not stored, earlier ones are"));
    m_cancel->hide();
    bar->addWidget(m_progress);
    bar->addWidget(m_text, 1);
    bar->addPermanentWidget(m_cancel);
}

void StatusProgress::start(int count)
{
    m_progress->setRange(0, count);
    m_progress->setValue(0);
    m_progress->show();
    m_cancel->setEnabled(true);
    m_cancel->show();
    m_text->clear();
}

void StatusProgress::file(int index, const QString& name, qint64 starts)
{
    m_progress->setValue(index - 1);
    m_text->setText(importProgressLine(index, m_progress->maximum(), name, starts));
}

void StatusProgress::note(const QString& text)
{
    m_text->setText(text);
}

void StatusProgress::end(const QString& outcome)
{
    m_progress->hide();
    m_cancel->hide();
    m_text->setText(outcome);
    m_text->setToolTip(outcome);
}
