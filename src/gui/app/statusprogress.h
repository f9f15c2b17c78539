#pragma once

#include "import/importprogress.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;

/**
 * Shows an import in the main window's status bar: "file 3 of 31: raceout602.txt, 7,212 starts stored"
 * with a progress bar and a Cancel button while the import runs, then its outcome in one line. The line is
 * also where every other action says how it ended.
 */
class StatusProgress : public ImportProgress
{
public:
    explicit StatusProgress(QStatusBar* bar);

    void start(int count) override;
    void file(int index, const QString& name, qint64 starts) override;
    void note(const QString& text) override;
    void end(const QString& outcome) override;

    QProgressBar* progressBar() const { return m_progress; }
    /** The status line: the file being read, then the outcome of the last action. */
    QLabel* textLabel() const { return m_text; }
    /** Shown while an import runs. */
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QProgressBar* m_progress;
    QLabel* m_text;
    QPushButton* m_cancel;
};
