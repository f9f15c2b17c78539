#pragma once

#include <QString>

#include <array>
#include <optional>

class GridState;
class MainWindowState;
class QJsonArray;

/** The results grid's pop-up menu: its entries in menu order with the caption and visibility each has now. */
class PopupMenu
{
public:
    struct Entry {
        QString name; // the control name: datecalc, bar1, getlineage, ...
        QString caption;
        bool visible = true;
        bool separator() const { return name.startsWith(QLatin1String("bar")); }
    };
    static constexpr int Size = 14;

    PopupMenu();
    const std::array<Entry, Size>& entries() const { return m_entries; }
    Entry& entry(const QString& name);
    const Entry& entry(const QString& name) const { return const_cast<PopupMenu*>(this)->entry(name); }
    /** [{"entry": name, "caption": text, "visible": bool}, ...] in menu order. */
    QJsonArray toJson() const;

private:
    std::array<Entry, Size> m_entries;
};

/** Mouse buttons as the grid reports them. */
enum class MouseButton { Left = 1, Right = 2 };

/** A press on the results grid: for the right button, prepares the menu from the selected row. True when the
    menu is to open (never for the left button nor on an empty result). */
bool MSFlexGrid1_MouseDown(MainWindowState& f, MouseButton button, PopupMenu& menu);

/** One sort of the data rows by a column (sortRows below). */
enum class SortOrder { TextAscending, TextDescending, NumericAscending, NumericDescending };

/** A double click: sorts the data rows by the selected column, the direction toggled from the present order.
    Returns the last sort it ran (none when there are no data rows). */
std::optional<SortOrder> MSFlexGrid1_DblClick(MainWindowState& f);

/** "Filter this List": keeps the data rows whose cell in the selected column equals the selected cell. */
void listfilter_Click(MainWindowState& f);

/** Sorts the data rows by a column, rows with equal keys keeping their order. Numeric sorts compare the
    cells' values, a cell that is no number counting as 0. */
void sortRows(GridState& grid, int col, SortOrder order);
