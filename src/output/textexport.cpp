#include "output/textexport.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "core/replacingfile.h"
#include "output/printing.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

/** Appends one field as the export writes it: in double quotes, followed by a comma. */
static void appendField(QString& out, const QString& text)
{
    out += QLatin1Char('"');
    out += text;
    out += QLatin1String("\",");
}

QByteArray exportText(const GridState& grid, int columns)
{
    // One text for the whole grid, converted once: a grid of 15,000 rows holds 270,000 cells.
    const int shown = std::min(columns, grid.cols());
    qsizetype size = 0;
    for (int r = 0; r < grid.rows(); ++r) {
        size += 3 * qsizetype(columns) + 2;
        for (int c = 0; c < shown; ++c)
            size += grid.text(r, c).size();
    }
    QString out;
    out.reserve(size);
    for (int r = 0; r < grid.rows(); ++r) {
        for (int c = 0; c < columns; ++c)
            appendField(out, c < shown ? grid.text(r, c) : QString());
        out += QLatin1String("\r\n");
    }
    return out.toUtf8();
}

QByteArray exportLine(const QStringList& texts)
{
    QString out;
    for (const QString& t : texts)
        appendField(out, t);
    out += QLatin1String("\r\n");
    return out.toUtf8();
}

QString writeExport(const GridState& grid, const QString& path)
{
    // Written beside the target and put in its place at the end: a full disk never leaves half an export in
    // place of an older one.
    return writeWholeFile(path, exportText(grid));
}

bool ExportText_Click(MainWindowState& f)
{
    Platform& p = f.platform();
    if (Printing::emptyResult(f.MSFlexGrid1)) {
        p.message(
            QStringLiteral("No data found.  You must have executed a successful search before export."));
        return false;
    }
    Platform::FileDialog dialog;
    dialog.title = QStringLiteral("Export as");
    dialog.filters = {QStringLiteral("All Files (*.*)|*.*"), QStringLiteral("Text Files (*.txt)|*.txt")};
    dialog.selectedFilter = 1;
    const QString path = p.saveFile(dialog);
    if (path.isEmpty())
        return false;
    const QString error = writeExport(f.MSFlexGrid1, path);
    if (!error.isEmpty()) {
        p.message(QStringLiteral("The export could not be written to %1: %2")
                      .arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    f.setStatusLine(
        QStringLiteral("Exported %1 to %2.")
            .arg(Fmt::count(f.MSFlexGrid1.rows() - 1, QStringLiteral("row")), QFileInfo(path).fileName()));
    return true;
}
