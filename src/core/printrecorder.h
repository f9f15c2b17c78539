#pragma once

#include "core/platform.h"

#include <vector>

/** One text of a print job: its page (from 1), position in twips from the top-left of the printable area, the
    font size and weight it was drawn with, and where it is cut on paper (0: nowhere). */
struct PrintedText {
    int page = 1;
    int x = 0;
    int y = 0;
    double size = 0;
    bool bold = false;
    QString text;
    int right = 0;
    bool operator==(const PrintedText&) const = default;
};

/** A whole print job: the orientation, every text in drawing order and the number of pages. */
struct PrintJob {
    bool landscape = false;
    QString family;
    std::vector<PrintedText> texts;
    int pages = 1;
};

/** A printer that keeps what it is given: the scripted platform's printer, and the pages a print preview
    replays. Widths are those of a fixed-pitch face, 0.6 of the point size for each character. */
class RecordingPrinterSink : public PrinterSink
{
public:
    explicit RecordingPrinterSink(bool landscape) { m_job.landscape = landscape; }
    const PrintJob& job() const { return m_job; }

    void setFont(const QString& family, double pointSize, bool bold) override;
    int textWidth(const QString& text) override;
    void drawText(int xTwips, int yTwips, const QString& text, int rightTwips = 0) override;
    int page() const override { return m_job.pages; }
    void newPage() override { ++m_job.pages; }
    bool endDoc() override { return true; }

private:
    PrintJob m_job;
    double m_size = 0;
    bool m_bold = false;
};

/** Draws a recorded job onto another printer, page by page, and ends its document. */
bool replay(const PrintJob& job, PrinterSink& sink);
