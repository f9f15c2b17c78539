#include "output/gridinteractions.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "output/weekdate.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <numeric>

PopupMenu::PopupMenu()
{
    const char* design[Size][2] = {{"datecalc", "Week Date"},
                                   {"bar1", ""},
                                   {"getlineage", "Get Lineage Info."},
                                   {"chartspeed", "Chart Speed Figures"},
                                   {"wherecanitwin", "Where Can It Win"},
                                   {"headtohead", "Head to Head..."},
                                   {"listhorse", "List Horse"},
                                   {"listrace", "List Race "},
                                   {"listowner", "List Owner "},
                                   {"bar2", ""},
                                   {"listfilter", "Filter this List"},
                                   {"bar3", ""},
                                   {"msfgridreset", "Reset Columns"},
                                   {"msfgridback", "Toggle Background"}};
    for (int i = 0; i < Size; ++i)
        m_entries[i] = {QString::fromLatin1(design[i][0]), QString::fromLatin1(design[i][1]), true};
}

PopupMenu::Entry& PopupMenu::entry(const QString& name)
{
    const auto it =
        std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.name == name; });
    Q_ASSERT(it != m_entries.end());
    return *it;
}

QJsonArray PopupMenu::toJson() const
{
    QJsonArray out;
    for (const Entry& e : m_entries)
        out.append(QJsonObject{{QStringLiteral("entry"), e.name},
                               {QStringLiteral("caption"), e.caption},
                               {QStringLiteral("visible"), e.visible}});
    return out;
}

bool MSFlexGrid1_MouseDown(MainWindowState& f, MouseButton button, PopupMenu& menu)
{
    const GridState& g = f.MSFlexGrid1;
    const int r = g.rowSel();
    if (button != MouseButton::Right || (r == 1 && g.text(1, 1).isEmpty()))
        return false;
    const QString key = g.text(r, 2);
    const bool numeric = Fmt::isNumeric(key);
    for (const char* name : {"datecalc", "bar1", "listrace", "listowner"})
        menu.entry(QString::fromLatin1(name)).visible = numeric;
    // The sire layout's rows are stallions, with no speed figures of their own to chart.
    menu.entry(QStringLiteral("chartspeed")).visible = numeric && !f.sireLayout();
    if (!numeric)
        return true; // "List Horse" keeps the caption of the last press on a race row
    if (const auto week = Fmt::toInt16(std::trunc(key.toDouble()))) {
        // The caption names the week one lower before 587, beside the date of the race's own week.
        menu.entry(QStringLiteral("datecalc")).caption =
            QStringLiteral("Week %1 = %2")
                .arg(*week < 587 ? *week - 1 : *week)
                .arg(WeekDate::date(*week).toString(f.platform().shortDateFormat()));
    } else {
        // A key beyond the week range has no date to show.
        menu.entry(QStringLiteral("datecalc")).visible = false;
        menu.entry(QStringLiteral("bar1")).visible = false;
    }
    menu.entry(QStringLiteral("listhorse")).caption = QStringLiteral("List horse: \"%1\"").arg(g.text(r, 0));
    menu.entry(QStringLiteral("listrace")).caption = QStringLiteral("List race: ") + key;
    menu.entry(QStringLiteral("listowner")).caption = QStringLiteral("List Owner: ") + g.text(r, 15);
    return true;
}

/** The value a numeric sort gives a cell: its number, 0 for a text that is none. */
static double sortValue(const QString& text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);   // blanks around the number are ignored
    return ok && std::isfinite(v) ? v : 0; // "nan" would break the ordering
}

void sortRows(GridState& g, int col, SortOrder order)
{
    const int first = g.fixedRows();
    if (g.rows() - first < 2)
        return;
    std::vector<int> rows(std::size_t(g.rows() - first));
    std::iota(rows.begin(), rows.end(), first);
    if (order == SortOrder::NumericAscending || order == SortOrder::NumericDescending) {
        std::vector<double> key(std::size_t(g.rows()));
        for (int r : rows)
            key[r] = sortValue(g.text(r, col));
        if (order == SortOrder::NumericAscending)
            std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) { return key[a] < key[b]; });
        else
            std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) { return key[a] > key[b]; });
    } else {
        // Character codes, case-sensitive: "Zed" comes before "abe".
        const int sign = order == SortOrder::TextAscending ? 1 : -1;
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
            return sign * g.text(a, col).compare(g.text(b, col), Qt::CaseSensitive) < 0;
        });
    }
    g.arrangeRows(rows);
}

/** The sorts a double click on column c runs, in order, from the texts of its first and last data cells. */
static std::vector<SortOrder> sortPlan(bool sireLayout, int c, const QString& first, const QString& last)
{
    using enum SortOrder;
    static constexpr std::array normalText{0, 3, 4, 5, 7, 15};
    static constexpr std::array sireText{0, 2, 3, 5, 6};
    const bool textColumn =
        sireLayout ? std::ranges::count(sireText, c) > 0 : std::ranges::count(normalText, c) > 0;
    const bool textFirstGreater = first.compare(last, Qt::CaseSensitive) > 0;
    if (textColumn)
        return {textFirstGreater ? TextAscending : TextDescending};
    if (!sireLayout && c == 16)
        return {textFirstGreater ? NumericAscending : NumericDescending};
    if (sireLayout && first.isEmpty())
        return {TextDescending, NumericDescending};
    if (sireLayout && last.isEmpty())
        return {NumericAscending, TextAscending};
    if (first.isEmpty() || last.isEmpty())
        return {TextDescending};
    return {sortValue(last) < sortValue(first) ? NumericAscending : NumericDescending};
}

std::optional<SortOrder> MSFlexGrid1_DblClick(MainWindowState& f)
{
    GridState& g = f.MSFlexGrid1;
    const int c = g.colSel();
    g.setCol(c);
    if (g.rows() <= g.fixedRows())
        return std::nullopt;
    const auto plan = sortPlan(f.MSFmaxgrid.visible(), c, g.text(1, c), g.text(g.rows() - 1, c));
    for (SortOrder order : plan)
        sortRows(g, c, order);
    const bool ascending =
        plan.back() == SortOrder::TextAscending || plan.back() == SortOrder::NumericAscending;
    f.setStatusLine(
        QStringLiteral("Sorted by %1, %2")
            .arg(g.text(0, c), ascending ? QStringLiteral("ascending") : QStringLiteral("descending")));
    return plan.back();
}

void listfilter_Click(MainWindowState& f)
{
    GridState& g = f.MSFlexGrid1;
    const int r = g.rowSel(), c = g.colSel();
    // With the header row selected every data row would differ from the caption and the grid would be left
    // with no data row: nothing is removed.
    if (r < g.fixedRows() || r >= g.rows())
        return;
    g.setRedraw(false);
    const QString v = g.text(r, c);
    std::vector<int> keep;
    int selected = g.fixedRows();
    for (int row = g.fixedRows(); row < g.rows(); ++row) {
        if (g.text(row, c) != v)
            continue;
        if (row == r)
            selected = g.fixedRows() + int(keep.size());
        keep.push_back(row);
    }
    g.arrangeRows(keep);
    g.setCurrent(selected, c);
    g.setRedraw(true);
    // The statistics stay those of the whole list, as the panel beside the grid does not say.
    f.setStatusLine(QStringLiteral("Filtered: %1 of %2 shown; the statistics are of the whole list")
                        .arg(Fmt::grouped(double(keep.size())),
                             Fmt::count(std::max(f.listedRows, int(keep.size())),
                                        f.sireLayout() ? QStringLiteral("horse") : QStringLiteral("start"))));
}
