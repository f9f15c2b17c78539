#include "core/printrecorder.h"

#include <cmath>

void RecordingPrinterSink::setFont(const QString& family, double pointSize, bool bold)
{
    m_job.family = family;
    m_size = pointSize;
    m_bold = bold;
}

int RecordingPrinterSink::textWidth(const QString& text)
{
    return int(std::lround(text.size() * m_size * 12)); // 0.6 em, 20 twips a point
}

void RecordingPrinterSink::drawText(int xTwips, int yTwips, const QString& text, int rightTwips)
{
    m_job.texts.push_back({m_job.pages, xTwips, yTwips, m_size, m_bold, text, rightTwips});
}

bool replay(const PrintJob& job, PrinterSink& sink)
{
    int page = 1;
    for (const PrintedText& t : job.texts) {
        for (; page < t.page; ++page)
            sink.newPage();
        sink.setFont(job.family, t.size, t.bold);
        sink.drawText(t.x, t.y, t.text, t.right);
    }
    for (; page < job.pages; ++page)
        sink.newPage();
    return sink.endDoc();
}
