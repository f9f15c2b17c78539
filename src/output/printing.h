#pragma once

#include <QJsonArray>
#include <QString>

class GridState;
class MainWindowState;
class PrinterSink;
struct PrintJob;

/** The findings report: the results grid as a fixed-pitch table of 47 lines a page in landscape. */
namespace Printing
{

inline QString noResultsMessage()
{
    return QStringLiteral("No results in the flexgrid.");
}
inline QString question()
{
    return QStringLiteral("Are you sure that you wish to print these findings?");
}

/** True when the grid holds no result: a header row and one row whose first cell is empty. */
bool emptyResult(const GridState& grid);
/** How many pages the report of the grid takes. */
int pageCount(const GridState& grid);

/** Draws the report of the grid titled with the caption: the page set-up, then every page; the caller ends
   the document. */
void printFindings(const GridState& grid, const QString& caption, PrinterSink& sink);

/** [{"page", "x", "y", "size", "bold", "text"}, ...] in drawing order. */
QJsonArray toJson(const PrintJob& job);

} // namespace Printing

/** "&Print Findings": after the checks and the question, prints the grid; true when the pages went out. */
bool cmdprint_Click(MainWindowState& f);
