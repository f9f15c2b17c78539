#include "output/printing.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "core/printrecorder.h"

#include <QJsonObject>

#include <algorithm>

namespace
{

constexpr int LeftTwips = 1344;
constexpr int HeadTop = 1440;
constexpr int LineHeight = 193;
constexpr int LastLine = 10600;
constexpr int TitleTop = 960;
constexpr int TitleCharWidth = 144; // one character cell at 12 points
constexpr int LinesPerPage = (LastLine - HeadTop) / LineHeight;

/** Draws texts at character columns of the 8-point cell. */
class Columns
{
public:
    Columns(PrinterSink& sink, int y) : m_sink(sink), m_y(y) {}
    /** Starts the text at column col; on paper it is cut where the column next starts, when one is given. */
    void left(int col, const QString& text, int next = 0) { draw(col, text, next); }
    /** Ends the cell's text just before column col + width; a prefix stands in front of it. */
    void right(int col, int width, const QString& cell, const QString& prefix = {})
    {
        draw(col + width - int(cell.size()), prefix + cell);
    }

private:
    void draw(int col, const QString& text, int next = 0)
    {
        if (!text.isEmpty())
            m_sink.drawText(x(col), m_y, text, next > 0 ? x(next) : 0);
    }
    int x(int col) const { return LeftTwips + m_cellWidth * col; }
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
    line.left(41, cell(3), 46);
    line.left(46, cell(4), 49);
    line.left(49, cell(5), 53);
    line.left(53, cell(6), 57);
    line.left(57, cell(7) == QLatin1String("D") ? QStringLiteral("Dirt") : QStringLiteral("Turf"));
    line.left(62, condition(g.colour(r, 2)));
    line.right(66, 5, cell(8));
    line.right(71, 3, cell(9));
    line.right(74, 3, cell(10));
    line.right(77, 3, cell(11));
    line.right(81, 8, cell(12), dollar);
    line.right(90, 7, cell(13), dollar);
    line.right(98, 8, cell(14), dollar);
    line.left(108, cell(15), 119);
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

int pageCount(const GridState& grid)
{
    return std::max(1, (grid.rows() - 1 + LinesPerPage - 1) / LinesPerPage);
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
    const int pages = Printing::pageCount(f.MSFlexGrid1);
    const QString size = QStringLiteral("The job has %1.").arg(Fmt::count(pages, QStringLiteral("page")));
    if (p.askYesNo(Printing::question() + QLatin1Char('\r') + size) != Platform::Answer::Yes)
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
