#include "paint/printpainter.h"

#include "core/replacingfile.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPdfWriter>

#include <cmath>

PainterPrinterSink::PainterPrinterSink(QPagedPaintDevice* device) : m_device(device)
{
    m_ok = m_painter.begin(device);
    m_scaleX = device->logicalDpiX() / 1440.0;
    m_scaleY = device->logicalDpiY() / 1440.0;
}

/** A font that keeps its design widths at every size, so that columns do not drift with hinting. */
static QFont reportFont(const QString& family, double pointSize, bool bold)
{
    QFont f(family);
    f.setStyleHint(QFont::TypeWriter);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

QString PainterPrinterSink::fixedPitchFamily(const QString& wanted)
{
    const QStringList candidates{wanted,
                                 QStringLiteral("Courier New"),
                                 QStringLiteral("Liberation Mono"),
                                 QStringLiteral("Nimbus Mono PS"),
                                 QStringLiteral("DejaVu Sans Mono"),
                                 QFontDatabase::systemFont(QFontDatabase::FixedFont).family()};
    QString fallback;
    for (const QString& family : candidates) {
        QFont f = reportFont(family, 8, false);
        f.setPixelSize(1000); // a large em, so that the measured advance is the design's
        const QFontInfo info(f);
        if (!info.fixedPitch())
            continue;
        if (fallback.isEmpty())
            fallback = info.family();
        // DejaVu Sans Mono's 0.602 em makes long texts run a little past their columns; it serves only when
        // nothing closer to 0.6 em is installed.
        if (std::abs(QFontMetricsF(f).horizontalAdvance(QLatin1Char('0')) - 600.0) < 0.5)
            return info.family();
    }
    return fallback.isEmpty() ? wanted : fallback;
}

void PainterPrinterSink::setFont(const QString& family, double pointSize, bool bold)
{
    if (family != m_wanted) {
        m_wanted = family;
        m_family = fixedPitchFamily(family);
    }
    m_painter.setFont(reportFont(m_family, pointSize, bold));
}

int PainterPrinterSink::textWidth(const QString& text)
{
    return int(std::lround(QFontMetricsF(m_painter.font(), m_device).horizontalAdvance(text) / m_scaleX));
}

void PainterPrinterSink::drawText(int xTwips, int yTwips, const QString& text, int rightTwips)
{
    // y is the top of the line, as a printer's current position is; the painter wants the baseline.
    const QFontMetricsF fm(m_painter.font(), m_device);
    QString shown = text;
    // A text too long for its column is cut by whole characters, with a blank left before the next column so
    // that the cut text does not read as one with the next.
    const double room = (rightTwips - xTwips) * m_scaleX + 0.01;
    if (rightTwips > 0 && fm.horizontalAdvance(shown) > room)
        while (!shown.isEmpty() && fm.horizontalAdvance(shown + QLatin1Char(' ')) > room)
            shown.chop(1);
    m_painter.drawText(QPointF(xTwips * m_scaleX, yTwips * m_scaleY + fm.ascent()), shown);
}

void PainterPrinterSink::newPage()
{
    m_ok = m_device->newPage() && m_ok;
    ++m_page;
}

bool PainterPrinterSink::endDoc()
{
    const bool ended = m_painter.isActive() && m_painter.end();
    return m_ok && ended;
}

QPageLayout reportPageLayout(bool landscape, QPageSize::PageSizeId paper)
{
    return QPageLayout(QPageSize(paper), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch);
}

QString writePdf(const PrintJob& job, const QString& path, QPageSize::PageSizeId paper)
{
    // The pages go to a new file that replaces an earlier PDF only once it is whole; a pipe or a device
    // named as the PDF is refused before anything is drawn.
    ReplacingFile file(path);
    bool drawn = false;
    if (file.open(QIODevice::WriteOnly)) {
        QPdfWriter writer(&file);
        writer.setPageLayout(reportPageLayout(job.landscape, paper));
        writer.setCreator(QStringLiteral("Turf Trawler"));
        PainterPrinterSink sink(&writer);
        drawn = sink.ok() && replay(job, sink);
    }
    if (drawn && file.commit())
        return {};
    const QString why = file.errorString();
    return why.isEmpty()
               ? QStringLiteral("%1 could not be written").arg(QDir::toNativeSeparators(path))
               : QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), why);
}
