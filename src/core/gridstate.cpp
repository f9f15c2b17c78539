#include "core/gridstate.h"

#include <algorithm>

namespace Palette
{
void rgb(std::uint8_t index, int& r, int& g, int& b)
{
    static const int table[7][3] = {{0, 0, 0},   {0, 0, 128},   {0, 128, 0},  {0, 128, 128},
                                    {128, 0, 0}, {128, 0, 128}, {128, 128, 0}};
    const int i = index < 7 ? index : 0;
    r = table[i][0];
    g = table[i][1];
    b = table[i][2];
}
} // namespace Palette

GridState::GridState(int rows, int cols, int fixedRows, int fixedCols)
    : m_fixedRows(fixedRows), m_fixedCols(fixedCols)
{
    reshape(rows, cols);
}

void GridState::reshape(int rows, int cols)
{
    rows = std::max(rows, 0);
    cols = std::max(cols, 0);
    if (cols == m_cols) {
        const std::size_t n = std::size_t(rows) * std::size_t(cols);
        m_text.resize(n);
        m_colour.resize(n, 0);
        m_align.resize(n, 0);
        m_shaded.resize(n, 0);
    } else {
        std::vector<QString> text(std::size_t(rows) * cols);
        std::vector<std::uint8_t> colour(text.size(), 0), align(text.size(), 0), shaded(text.size(), 0);
        const int keepRows = std::min(rows, m_rows), keepCols = std::min(cols, m_cols);
        for (int r = 0; r < keepRows; ++r) {
            for (int c = 0; c < keepCols; ++c) {
                const std::size_t from = index(r, c), to = std::size_t(r) * cols + c;
                text[to] = std::move(m_text[from]);
                colour[to] = m_colour[from];
                align[to] = m_align[from];
                shaded[to] = m_shaded[from];
            }
        }
        m_text.swap(text);
        m_colour.swap(colour);
        m_align.swap(align);
        m_shaded.swap(shaded);
        m_colWidth.resize(cols, -1);
        m_colAlign.resize(cols, Align::General);
    }
    m_rows = rows;
    m_cols = cols;
    m_row = std::clamp(m_row, 0, std::max(rows - 1, 0));
    m_col = std::clamp(m_col, 0, std::max(cols - 1, 0));
    m_rowSel = std::clamp(m_rowSel, 0, std::max(rows - 1, 0));
    m_colSel = std::clamp(m_colSel, 0, std::max(cols - 1, 0));
    touch();
}

void GridState::setRows(int rows)
{
    reshape(rows, m_cols);
}
void GridState::setCols(int cols)
{
    reshape(m_rows, cols);
}

void GridState::setFixed(int rows, int cols)
{
    m_fixedRows = rows;
    m_fixedCols = cols;
    touch();
}

void GridState::setRowColour(int row, int c0, int c1, std::uint8_t palette)
{
    for (int c = c0; c <= c1; ++c)
        m_colour[index(row, c)] = palette;
}

Align GridState::effectiveAlign(int row, int col) const
{
    const Align own = cellAlign(row, col);
    if (own != Align::General || row < m_fixedRows)
        return own;
    return m_colAlign[col];
}

void GridState::setCurrent(int row, int col)
{
    m_row = m_rowSel = row;
    m_col = m_colSel = col;
}

void GridState::setSelection(int row, int col, int rowSel, int colSel)
{
    m_row = row;
    m_col = col;
    m_rowSel = rowSel;
    m_colSel = colSel;
}

void GridState::clear()
{
    std::fill(m_text.begin(), m_text.end(), QString());
    std::fill(m_colour.begin(), m_colour.end(), 0);
    std::fill(m_align.begin(), m_align.end(), 0);
    std::fill(m_shaded.begin(), m_shaded.end(), 0);
    touch();
}

void GridState::removeRow(int row)
{
    if (row < 0 || row >= m_rows)
        return;
    const auto first = std::size_t(row) * m_cols, last = first + m_cols;
    m_text.erase(m_text.begin() + first, m_text.begin() + last);
    m_colour.erase(m_colour.begin() + first, m_colour.begin() + last);
    m_align.erase(m_align.begin() + first, m_align.begin() + last);
    m_shaded.erase(m_shaded.begin() + first, m_shaded.begin() + last);
    --m_rows;
    m_row = std::clamp(m_row, 0, std::max(m_rows - 1, 0));
    m_rowSel = std::clamp(m_rowSel, 0, std::max(m_rows - 1, 0));
    touch();
}

void GridState::arrangeRows(const std::vector<int>& order)
{
    // Moving, not copying, the texts: a sort of 15,000 rows touches no text's storage.
    const std::size_t cols = std::size_t(m_cols), fixed = std::size_t(m_fixedRows) * cols;
    const std::size_t n = fixed + order.size() * cols;
    std::vector<QString> text(n);
    std::vector<std::uint8_t> colour(n), align(n), shaded(n);
    const auto take = [&](std::size_t from, std::size_t to) {
        text[to] = std::move(m_text[from]);
        colour[to] = m_colour[from];
        align[to] = m_align[from];
        shaded[to] = m_shaded[from];
    };
    for (std::size_t i = 0; i < fixed; ++i)
        take(i, i);
    std::size_t to = fixed;
    for (int row : order)
        for (std::size_t c = 0; c < cols; ++c)
            take(index(row, int(c)), to++);
    m_text.swap(text);
    m_colour.swap(colour);
    m_align.swap(align);
    m_shaded.swap(shaded);
    const int rows = m_fixedRows + int(order.size());
    if (rows != m_rows) {
        m_rows = rows;
        m_row = std::clamp(m_row, 0, std::max(m_rows - 1, 0));
        m_rowSel = std::clamp(m_rowSel, 0, std::max(m_rows - 1, 0));
        touch();
    }
}
