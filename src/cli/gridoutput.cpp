#include "cli/gridoutput.h"

#include "cli/cli.h"
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "output/gridinteractions.h"
#include "output/printing.h"
#include "output/textexport.h"
#include "paint/printpainter.h"

#include <QJsonArray>

QString GridOutputOptions::usage()
{
    return QStringLiteral("[--sort COL]... [--filter ROW,COL] [--popup ROW] [--export FILE] [--print-log] "
                          "[--pdf FILE]");
}

static std::optional<int> number(const QString& text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

bool GridOutputOptions::take(QStringList& args, QString& error)
{
    bool ok = true;
    for (QString col; !(col = takeOption(args, QStringLiteral("--sort"), QString(), ok)).isNull();) {
        const auto c = number(col);
        if (!c) {
            error = QStringLiteral("--sort takes a column number, not ") + col;
            return false;
        }
        sorts << *c;
    }
    const QString cell = takeOption(args, QStringLiteral("--filter"), QString(), ok);
    if (!cell.isNull()) {
        const QStringList parts = cell.split(QLatin1Char(','));
        const auto row = number(parts.value(0)), col = number(parts.value(1));
        if (parts.size() != 2 || !row || !col) {
            error = QStringLiteral("--filter takes ROW,COL, not ") + cell;
            return false;
        }
        filter = std::pair{*row, *col};
    }
    const QString row = takeOption(args, QStringLiteral("--popup"), QString(), ok);
    if (!row.isNull() && !(popup = number(row))) {
        error = QStringLiteral("--popup takes a row number, not ") + row;
        return false;
    }
    exportFile = takeOption(args, QStringLiteral("--export"), QString(), ok);
    pdf = takeOption(args, QStringLiteral("--pdf"), QString(), ok);
    printLog = takeFlag(args, QStringLiteral("--print-log"));
    if (!ok)
        error = QStringLiteral("an option is missing its value");
    return ok;
}

int GridOutputOptions::apply(MainWindowState& f, HeadlessPlatform& platform, QJsonObject& extra,
                             QString& error) const
{
    GridState& g = f.MSFlexGrid1;
    const auto outside = [&](int row, int col) {
        if (row >= 0 && row < g.rows() && col >= 0 && col < g.cols())
            return false;
        error = QStringLiteral("no cell %1,%2 in a grid of %3 rows and %4 columns")
                    .arg(row)
                    .arg(col)
                    .arg(g.rows())
                    .arg(g.cols());
        return true;
    };
    for (int col : sorts) {
        if (outside(1, col))
            return 2;
        g.setCurrent(1, col);
        MSFlexGrid1_DblClick(f);
    }
    if (filter) {
        if (outside(filter->first, filter->second))
            return 2;
        g.setCurrent(filter->first, filter->second);
        listfilter_Click(f);
    }
    if (popup) {
        if (outside(*popup, g.col()))
            return 2;
        g.setCurrent(*popup, g.col());
        PopupMenu menu;
        const bool open = MSFlexGrid1_MouseDown(f, MouseButton::Right, menu);
        extra[QStringLiteral("popmenu")] = open ? QJsonValue(menu.toJson()) : QJsonValue(QJsonValue::Null);
    }
    int status = 0;
    if (!exportFile.isEmpty()) {
        platform.saveAnswers.push_back(exportFile);
        if (!ExportText_Click(f))
            status = 1;
    }
    if (printLog) {
        platform.answers.push_front(Platform::Answer::Yes);
        const qsizetype jobs = platform.printJobs.size();
        if (!cmdprint_Click(f))
            status = 1;
        extra[QStringLiteral("print")] =
            platform.printJobs.size() > jobs ? Printing::toJson(platform.printJobs.last()) : QJsonArray();
    }
    if (!pdf.isEmpty()) {
        if (Printing::emptyResult(g)) {
            platform.message(Printing::noResultsMessage());
            return 1;
        }
        RecordingPrinterSink pages(true);
        Printing::printFindings(g, f.frainfo, pages);
        const QString failure = writePdf(pages.job(), pdf);
        if (!failure.isEmpty()) {
            platform.message(failure);
            return 1;
        }
    }
    return status;
}

void GridOutputOptions::writeText(QTextStream& out, const QJsonObject& extra)
{
    for (const QJsonValue& e : extra.value(QStringLiteral("popmenu")).toArray()) {
        const QJsonObject o = e.toObject();
        if (o.value(QStringLiteral("visible")).toBool())
            out << (o.value(QStringLiteral("entry")).toString().startsWith(QLatin1String("bar"))
                        ? QStringLiteral("-")
                        : o.value(QStringLiteral("caption")).toString())
                << "\n";
    }
    for (const QJsonValue& t : extra.value(QStringLiteral("print")).toArray()) {
        const QJsonObject o = t.toObject();
        out << o.value(QStringLiteral("page")).toInt() << " " << o.value(QStringLiteral("x")).toInt() << " "
            << o.value(QStringLiteral("y")).toInt() << " " << o.value(QStringLiteral("text")).toString()
            << "\n";
    }
}
