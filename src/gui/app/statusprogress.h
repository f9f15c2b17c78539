#pragma once

#include "import/importprogress.h"

class QLabel;
class QProgressBar;
class QStatusBar;

/**
 * Shows an import in the main window's status bar: a bar reading "file 2 of 5" with the file's name beside
 * it while the import runs, then its outcome in one line. The import blocks the event loop, so every change
 * is painted at once.
 */
class StatusProgress : public ImportProgress
{
public:
    explicit StatusProgress(QStatusBar* bar);

    void start(int count) override;
    void file(int index, const QString& name, qint64 starts) override;
    void end(const QString& outcome) override;

    QProgressBar* progressBar() const { return m_progress; }
    /** The file being read, then the outcome of the last import. */
    QLabel* textLabel() const { return m_text; }

private:
    QStatusBar* m_bar;
    QProgressBar* m_progress;
    QLabel* m_text;
};
