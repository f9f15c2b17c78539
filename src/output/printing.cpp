#include "output/printing.h"

#include "core/mainwindowstate.h"
#include "core/printrecorder.h"

#include <QJsonObject>

namespace
{

constexpr int LeftTwips = 1344;
constexpr int HeadTop = 1440;
constexpr int LineHeight = 193;
constexpr int LastLine = 10600;
constexpr int TitleTop = 960;
constexpr int TitleCharWidth = 144; // one character cell at 12 points

/** Draws texts at character columns of the 8-point cell. */
class Columns
{
public:
    Columns(PrinterSink& sink, int y) : m_sink(sink), m_y(y) {}
    void left(int col, const QString& text) { draw(col, text); }
    /** Ends the cell's text just before column col + width; a prefix stands in front of it. */
    void right(int col, int width, const QString& cell, const QString& prefix = {})
    {
        draw(col + width - int(cell.size()), prefix + cell);
    }

private:
    void draw(int col, const QString& text)
    {
        if (!text.isEmpty())
            m_sink.drawText(LeftTwips + m_cellWidth * col, m_y, text);
    }
    PrinterSink& m_sink;
    int m_y;
    const int m_cellWidth = 96;
};

void printhead(PrinterSink& sink, int y)
{
    static const std::pair<int, const char*> headings[] = {
        {0, "Horse Name"}, {25, "H.Id."},   {31, "  Race ID"},  {41, "Age"},       {46, "TR"},
        {49, "Typ"},       {53, "Dis"},     {57, "Surf"},       {62, "Con"},       {66, "   Sp"},
        {72, "Fn"},        {75, "Fd"},      {78, "PP"},         {81, "    Purse"}, {90, "    Odds"},
        {98, " Earnings"}, {107, " Owner"}, {119, " ClaimPr."}, {128, "  St"}};
    Columns line(sink, y);
    for (const auto& [col, text] : headings)
        line.left(col, QString::fromLatin1(text));
}

/** The track condition, read back from the race key's colour. */
QString condition(std::uint8_t colour)
{
    switch (colour) {
    case 4:
        return QStringLiteral("Fst");
    case 2:
        return QStringLiteral("Frm");
    case 3:
    case 5:
        return QStringLiteral("Gd");
    case 6:
        return QStringLiteral("Yld");
    default:
        return QStringLiteral("Slp");
    }
}

void printrow(PrinterSink& sink, const GridState& g, int r, int y)
{
    const auto cell = [&](int c) { return c < g.cols() ? g.text(r, c) : QString(); };
    const QString dollar = QStringLiteral("$");
    Columns line(sink, y);
    line.left(0, cell(0).left(23));
    line.right(24, 6, cell(1));
    line.right(31, 9, cell(2));
    line.left(41, cell(3));
    line.left(46, cell(4));
    line.left(49, cell(5));
    line.left(53, cell(6));
    line.left(57, cell(7) == QLatin1String("D") ? QStringLiteral("Dirt") : QStringLiteral("Turf"));
    line.left(62, condition(g.colour(r, 2)));
    line.right(66, 5, cell(8));
    line.right(71, 3, cell(9));
    line.right(74, 3, cell(10));
    line.right(77, 3, cell(11));
    line.right(81, 8, cell(12), dollar);
    line.right(90, 7, cell(13), dollar);
    line.right(98, 8, cell(14), dollar);
    line.left(108, cell(15));
    if (!cell(16).isEmpty())
        line.right(119, 8, cell(16), dollar);
    line.right(128, 4, cell(17));
}

} // namespace

namespace Printing
{

bool emptyResult(const GridState& grid)
{
    return grid.rows() == 2 && grid.text(1, 0).isEmpty();
}

void printFindings(const GridState& grid, const QString& caption, PrinterSink& sink)
{
    const QString courier = QStringLiteral("Courier");
    const int length = int(caption.size());
    sink.setFont(courier, 12, true);
    sink.drawText(7700 - length * TitleCharWidth / 2, TitleTop, caption);
    sink.setFont(courier, 8, true);
    printhead(sink, HeadTop);
    sink.setFont(courier, 8, false);
    int y = HeadTop;
    for (int r = 1; r < grid.rows(); ++r) {
        y += LineHeight;
        if (y > LastLine) {
            sink.newPage();
            sink.setFont(courier, 12, true);
            sink.drawText(7920 - (length + 8) * TitleCharWidth / 2, TitleTop,
                          caption + QStringLiteral(".  Pg. ") + QString::number(sink.page()));
            sink.setFont(courier, 8, true);
            y = HeadTop;
            printhead(sink, y);
            y += LineHeight;
            sink.setFont(courier, 8, false);
        }
        printrow(sink, grid, r, y);
    }
}

QJsonArray toJson(const PrintJob& job)
{
    QJsonArray out;
    for (const PrintedText& t : job.texts)
        out.append(QJsonObject{{QStringLiteral("page"), t.page},
                               {QStringLiteral("x"), t.x},
                               {QStringLiteral("y"), t.y},
                               {QStringLiteral("size"), t.size},
                               {QStringLiteral("bold"), t.bold},
                               {QStringLiteral("text"), t.text}});
    return out;
}

} // namespace Printing

bool cmdprint_Click(MainWindowState& f)
{
    Platform& p = f.platform();
    if (Printing::emptyResult(f.MSFlexGrid1)) {
        p.message(Printing::noResultsMessage());
        return false;
    }
    if (p.askYesNo(Printing::question()) != Platform::Answer::Yes)
        return false;
    const auto sink = p.startPrint(true);
    if (!sink) {
        p.message(QStringLiteral("No printer is available: the findings were not printed."));
        return false;
    }
    Printing::printFindings(f.MSFlexGrid1, f.frainfo, *sink);
    if (!sink->endDoc()) {
        const QString why = sink->failure();
        p.message(QStringLiteral("The findings could not be printed: the print job failed.") +
                  (why.isEmpty() ? QString() : QLatin1Char('\r') + why));
        return false;
    }
    return true;
}
