#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <optional>
#include <vector>

namespace Analysis
{

/** One cell of an analysis table: the value it sorts by (null for none) and the text it shows. */
struct Cell {
    QVariant value;
    QString text;

    static Cell plain(const QString& t) { return {t, t}; }
    static Cell whole(std::int64_t v) { return {QVariant::fromValue(qlonglong(v)), QString::number(v)}; }
    /** A number shown with a fixed number of decimals, optionally followed by a mark ("87.4 ?"). */
    static Cell number(double v, int decimals, const QString& mark = {});
    /** A number, or an empty cell when there is none. */
    static Cell number(const std::optional<double>& v, int decimals, const QString& mark = {});
    /** Money in whole units with thousands separators; sorted by its value. */
    static Cell money(std::int64_t v);
};
/** A claiming price: its digits, or an empty cell (sorting as 0) for a race without one. */
Cell priceCell(std::int64_t price);

/** A column: its heading and whether it holds numbers (shown right-aligned, sorted by value). */
struct TableColumn {
    QString heading;
    bool numeric = false;
};

/** A row; `few` says why its figures rest on too few starts (empty when they do not), and `mark` is the word
    the text table shows after such a row ("few" when empty). */
struct TableRow {
    std::vector<Cell> cells;
    QString few;
    QString mark = {};
};

/** What an analysis shows: its columns and rows, for the text table, the CSV export and the window. */
struct AnalysisTable {
    std::vector<TableColumn> columns;
    std::vector<TableRow> rows;

    /** The heading line and one line a row, each column as wide as its widest text, numbers right-aligned;
        "few" rows end with their mark in brackets, " (few)". */
    QString toText() const;
    /** The CSV export: a heading row, then one row a line, every field quoted (a quote doubled), CR LF
        line ends. */
    QByteArray toCsv() const;
};

/** A JSON number, or null for none. */
QJsonValue jsonNumber(const std::optional<double>& v);
/** A value rounded as the tables show it, to `decimals` places. */
double rounded(double v, int decimals);

} // namespace Analysis
