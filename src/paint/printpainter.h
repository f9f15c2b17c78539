#pragma once

#include "core/printrecorder.h"

#include <QFont>
#include <QPageLayout>
#include <QPainter>

class QPagedPaintDevice;

/**
 * Paints print jobs onto a printer or a PDF, positions in twips from the top-left of the printable area. The
 * character columns of the report assume a fixed-pitch face whose cell is 0.6 of the point size (96 twips at
 * 8 points); the family asked for is used when it is such a face, else the nearest one installed.
 */
class PainterPrinterSink : public PrinterSink
{
public:
    /** Begins painting on the device; ok() tells whether that worked. */
    explicit PainterPrinterSink(QPagedPaintDevice* device);
    bool ok() const { return m_ok; }

    void setFont(const QString& family, double pointSize, bool bold) override;
    int textWidth(const QString& text) override;
    void drawText(int xTwips, int yTwips, const QString& text, int rightTwips = 0) override;
    int page() const override { return m_page; }
    void newPage() override;
    bool endDoc() override;

    /** The installed fixed-pitch family that stands in for the one asked for. */
    static QString fixedPitchFamily(const QString& wanted);

private:
    QPagedPaintDevice* m_device;
    QPainter m_painter;
    double m_scaleX = 1;
    double m_scaleY = 1;
    int m_page = 1;
    bool m_ok = false;
    QString m_wanted;
    QString m_family;
};

/** The report's paper (Letter unless told) in the job's orientation with quarter-inch margins. */
QPageLayout reportPageLayout(bool landscape, QPageSize::PageSizeId paper = QPageSize::Letter);

/** Writes a recorded job to a PDF file on the paper given, replacing an earlier file only once the new one is
    whole; empty when it worked, else why not. */
QString writePdf(const PrintJob& job, const QString& path, QPageSize::PageSizeId paper = QPageSize::Letter);
