#include "app/qtplatform.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

static const QString Title = QStringLiteral("Turf Trawler");

QtPlatform::QtPlatform(QWidget* parent) : m_parent(parent) {}
QtPlatform::~QtPlatform() = default;

void QtPlatform::addLabel(const QString& control, QLabel* label)
{
    m_labels.append({control, label});
}

/** Message texts keep their carriage returns as line breaks. */
static QString shown(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

void QtPlatform::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, Title, shown(text), QMessageBox::Ok, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

Platform::Answer QtPlatform::askYesNo(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, Title, shown(text), QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QStringList QtPlatform::qtFilters(const QStringList& filters)
{
    QStringList out;
    for (const QString& entry : filters) {
        const qsizetype bar = entry.indexOf(QLatin1Char('|'));
        QString caption = bar < 0 ? entry : entry.left(bar);
        QString pattern = bar < 0 ? QStringLiteral("*") : entry.mid(bar + 1);
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*"); // every file, with or without a dot in its name
        const qsizetype paren = caption.indexOf(QLatin1String(" ("));
        if (paren >= 0)
            caption = caption.left(paren);
        out << caption + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return out;
}

QStringList QtPlatform::openFiles(const FileDialog& dialog)
{
    const QStringList filters = qtFilters(dialog.filters);
    QString selected = filters.value(dialog.selectedFilter);
    if (dialog.multiple)
        return QFileDialog::getOpenFileNames(m_parent, dialog.title, QString(),
                                             filters.join(QStringLiteral(";;")), &selected);
    const QString one = QFileDialog::getOpenFileName(m_parent, dialog.title, QString(),
                                                     filters.join(QStringLiteral(";;")), &selected);
    return one.isEmpty() ? QStringList() : QStringList{one};
}

QString QtPlatform::saveFile(const FileDialog& dialog)
{
    const QStringList filters = qtFilters(dialog.filters);
    QString selected = filters.value(dialog.selectedFilter);
    return QFileDialog::getSaveFileName(m_parent, dialog.title, dialog.defaultName,
                                        filters.join(QStringLiteral(";;")), &selected);
}

void QtPlatform::beep()
{
    QApplication::beep();
}

void QtPlatform::setBusy(bool busy)
{
    if (busy) {
        if (m_busy++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busy > 0 && --m_busy == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void QtPlatform::repaintLabel(const QString& control, const QString& text)
{
    for (const auto& [name, label] : m_labels) {
        if (name == control && label) {
            label->setText(shown(text));
            label->repaint();
        }
    }
}

Platform::HttpResult QtPlatform::httpGet(const QString& url)
{
    return m_connection.get(url);
}

namespace
{
/** Paints a print job onto a QPrinter, positions in twips. */
class QtPrinterSink : public PrinterSink
{
public:
    explicit QtPrinterSink(std::unique_ptr<QPrinter> printer) : m_printer(std::move(printer))
    {
        m_ok = m_painter.begin(m_printer.get());
        m_scale = m_printer->resolution() / 1440.0;
    }
    bool ok() const { return m_ok; }
    void setFont(const QString& family, double pointSize, bool bold) override
    {
        QFont f(family);
        f.setPointSizeF(pointSize);
        f.setBold(bold);
        f.setStyleHint(QFont::TypeWriter);
        m_painter.setFont(f);
    }
    int textWidth(const QString& text) override
    {
        return int(QFontMetricsF(m_painter.font(), m_printer.get()).horizontalAdvance(text) / m_scale);
    }
    void drawText(int x, int y, const QString& text) override
    {
        const QFontMetricsF fm(m_painter.font(), m_printer.get());
        m_painter.drawText(QPointF(x * m_scale, y * m_scale + fm.ascent()), text);
    }
    int page() const override { return m_page; }
    void newPage() override
    {
        m_printer->newPage();
        ++m_page;
    }
    bool endDoc() override { return m_painter.end(); }

private:
    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    double m_scale = 1;
    int m_page = 1;
    bool m_ok = false;
};
} // namespace

std::unique_ptr<PrinterSink> QtPlatform::startPrint(bool landscape)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPrintDialog dialog(printer.get(), m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    auto sink = std::make_unique<QtPrinterSink>(std::move(printer));
    if (!sink->ok())
        return nullptr;
    return sink;
}

QDate QtPlatform::today()
{
    return QDate::currentDate();
}
QString QtPlatform::shortDateFormat()
{
    return QLocale::system().dateFormat(QLocale::ShortFormat);
}
