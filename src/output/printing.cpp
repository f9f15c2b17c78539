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

constexpr int CellWidth = 96; // one character cell at 8 points

int columnX(int col)
{
    return LeftTwips + CellWidth * col;
}

/** A text of a line and the character column it starts at. */
struct Placed {
    int col;
    QString text;
};

/** Placed so that the cell's text ends just before column col + width; a prefix stands in front of it. */
Placed right(int col, int width, const QString& cell, const QString& prefix = {})
{
    return {col + width - int(cell.size()), prefix + cell};
}

void printhead(PrinterSink& sink, int y)
{
    static const std::pair<int, const char*> headings[] = {
        {0, "Horse Name"}, {25, "H.Id."},   {31, "  Race ID"},  {41, "Age"},       {46, "TR"},
        {49, "Typ"},       {53, "Dis"},     {57, "Surf"},       {62, "Con"},       {66, "   Sp"},
        {72, "Fn"},        {75, "Fd"},      {78, "PP"},         {81, "    Purse"}, {90, "    Odds"},
        {98, " Earnings"}, {107, " Owner"}, {119, " ClaimPr."}, {128, "  St"}};
    for (const auto& [col, text] : headings)
        sink.drawText(columnX(col), y, QString::fromLatin1(text));
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
    Placed texts[] = {
        {0, cell(0).left(23)},
        right(24, 6, cell(1)),
        right(31, 9, cell(2)),
        {41, cell(3)},
        {46, cell(4)},
        {49, cell(5)},
        {53, cell(6)},
        {57, cell(7) == QLatin1String("D") ? QStringLiteral("Dirt") : QStringLiteral("Turf")},
        {62, condition(g.colour(r, 2))},
        right(66, 5, cell(8)),
        right(71, 3, cell(9)),
        right(74, 3, cell(10)),
        right(77, 3, cell(11)),
        right(81, 8, cell(12), dollar),
        right(90, 7, cell(13), dollar),
        right(98, 8, cell(14), dollar),
        {108, cell(15)},
        cell(16).isEmpty() ? Placed{119, {}} : right(119, 8, cell(16), dollar),
        right(128, 4, cell(17)),
    };
    // A text that fills its column would run into the next one ("750K8.5"): each is cut so that at least one
    // blank stands before the next text, and on paper where that text starts.
    int ends[std::size(texts)] = {};
    for (int i = int(std::size(texts)) - 1, next = 0; i >= 0; --i) {
        Placed& t = texts[i];
        if (next > 0)
            t.text.truncate(std::max(0, next - t.col - 1));
        ends[i] = next;
        if (!t.text.isEmpty())
            next = t.col;
    }
    for (std::size_t i = 0; i < std::size(texts); ++i)
        if (!texts[i].text.isEmpty())
            sink.drawText(columnX(texts[i].col), y, texts[i].text, ends[i] > 0 ? columnX(ends[i]) : 0);
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
    const auto nothing = [&f](const QString& why) {
        f.setStatusLine(QStringLiteral("Nothing printed") + why + QLatin1Char('.'));
        return false;
    };
    if (Printing::emptyResult(f.MSFlexGrid1)) {
        p.message(Printing::noResultsMessage());
        return nothing({});
    }
    const int pages = Printing::pageCount(f.MSFlexGrid1);
    const QString size = QStringLiteral("The job has %1.").arg(Fmt::count(pages, QStringLiteral("page")));
    if (p.askYesNo(Printing::question() + QLatin1Char('\r') + size) != Platform::Answer::Yes)
        return nothing({});
    const auto sink = p.startPrint(true);
    if (!sink) {
        p.message(QStringLiteral("No printer is available: the findings were not printed."));
        return nothing(QStringLiteral(": no printer is available"));
    }
    Printing::printFindings(f.MSFlexGrid1, f.frainfo, *sink);
    if (!sink->endDoc()) {
        const QString why = sink->failure();
        p.message(QStringLiteral("The findings could not be printed: the print job failed.") +
                  (why.isEmpty() ? QString() : QLatin1Char('\r') + why));
        return nothing(QStringLiteral(": the print job failed"));
    }
    if (sink->closedUnprinted())
        return nothing(QStringLiteral(": the print preview was closed"));
    f.setStatusLine(QStringLiteral("Printed: ") + Fmt::count(pages, QStringLiteral("page")) +
                    QLatin1Char('.'));
    return true;
}
